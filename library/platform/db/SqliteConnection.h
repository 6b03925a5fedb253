#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/db/Connection.h"

struct sqlite3;

namespace belvora::db {

// Native SQLite database file. The file must exist: opening never creates
// an empty database in place of a mistyped path.
class SqliteConnection : public Connection {
 public:
  SqliteConnection(const std::string& path, std::chrono::seconds busyTimeout);
  ~SqliteConnection() override;

  std::unique_ptr<Cursor> query(const std::string& sql, const std::vector<Value>& params) override;
  std::unique_ptr<Cursor> callProcedure(const std::string& name,
                                        const std::optional<std::string>& firstArgument) override;
  long execute(const std::string& sql, const std::vector<Value>& params) override;
  void begin() override;
  void commit() override;
  void rollback() noexcept override;
  std::string resolveTable(const std::string& name) override;

 private:
  // Shared with open cursors, so that a cursor outliving its connection
  // object still finalises its statement before the database is closed.
  std::shared_ptr<sqlite3> db_;
  bool inTransaction_ = false;
};

}  // namespace belvora::db
