#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/db/Connection.h"

namespace belvora::db {

struct OdbcHandles;

// Any database reached through unixODBC. The connection string goes to the
// driver unchanged; texts travel as UTF-16 through the wide-character calls,
// so that UTF-8 in and out does not depend on the driver's code page.
class OdbcConnection : public Connection {
 public:
  OdbcConnection(const std::string& connectionString, std::chrono::seconds timeout);
  ~OdbcConnection() override;

  std::unique_ptr<Cursor> query(const std::string& sql, const std::vector<Value>& params) override;
  std::unique_ptr<Cursor> callProcedure(const std::string& name,
                                        const std::optional<std::string>& firstArgument) override;
  long execute(const std::string& sql, const std::vector<Value>& params) override;
  void begin() override;
  void commit() override;
  void rollback() noexcept override;
  std::string resolveTable(const std::string& name) override;

 private:
  void boundLockWait();

  // Shared with open cursors: the connection is only closed when the last
  // statement on it is freed.
  std::shared_ptr<OdbcHandles> handles_;
  std::chrono::seconds timeout_;
  std::string quote_;  // identifier quote of the database, empty when it has none
  bool inTransaction_ = false;
};

}  // namespace belvora::db
