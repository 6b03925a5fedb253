#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db/Value.h"

namespace belvora::db {

// A database failure. The message is the interface's own description
// (for ODBC: SQLSTATE and the driver's text).
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, std::string sqlState = {})
      : std::runtime_error(message), sqlState_(std::move(sqlState)) {}
  const std::string& sqlState() const { return sqlState_; }

 private:
  std::string sqlState_;
};

// Forward-only result of a query. Rows are fetched one at a time so that
// large invoices never sit in memory as a whole.
class Cursor {
 public:
  virtual ~Cursor() = default;

  // Column names as the database reports them.
  virtual const std::vector<std::string>& columns() const = 0;
  // Moves to the next row; false when there is none (the first call moves
  // to the first row).
  virtual bool next() = 0;
  // The current row, one value per column. Valid after next() returned true.
  virtual const std::vector<Value>& row() const = 0;

  // Index of a column by name, compared without regard to ASCII letter case;
  // -1 when the result has no such column.
  int columnIndex(std::string_view name) const;
};

class Connection {
 public:
  virtual ~Connection() = default;

  // A statement with '?' placeholders bound to params in order.
  virtual std::unique_ptr<Cursor> query(const std::string& sql,
                                        const std::vector<Value>& params = {}) = 0;
  // Runs a stored procedure through the call escape. When firstArgument is
  // given and the procedure declares input parameters, it is bound to the first.
  virtual std::unique_ptr<Cursor> callProcedure(
      const std::string& name, const std::optional<std::string>& firstArgument) = 0;
  // A statement without result; returns the number of affected rows.
  virtual long execute(const std::string& sql, const std::vector<Value>& params = {}) = 0;

  virtual void begin() = 0;
  virtual void commit() = 0;
  virtual void rollback() noexcept = 0;

  // Resolves a caller-given table name (checked to be a plain identifier,
  // optionally "schema.table") against the catalogue without regard to case
  // and returns it quoted for this database. Throws Error when the name is
  // not a plain identifier or no such table exists.
  virtual std::string resolveTable(const std::string& name) = 0;
};

// How long a statement waits for a lock that another connection holds
// before it fails with the database's message: a save never hangs on a
// database that someone else keeps busy.
inline constexpr std::chrono::seconds kLockWait{5};

// Opens a connection from a connection string: Driver=/DSN= go to ODBC,
// Data Source=/Database= naming a file (or Provider=SQLite) open SQLite.
// timeout bounds the connecting. A lock held by another connection is
// waited for kLockWait on SQLite and PostgreSQL (twice that through the
// SQLite ODBC driver); other ODBC databases wait as they are configured.
std::unique_ptr<Connection> open(const std::string& connectionString,
                                 std::chrono::seconds timeout = std::chrono::seconds(10));

// Rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(Connection& c) : c_(c) { c_.begin(); }
  ~Transaction() {
    if (!done_) c_.rollback();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit() {
    c_.commit();
    done_ = true;
  }

 private:
  Connection& c_;
  bool done_ = false;
};

}  // namespace belvora::db
