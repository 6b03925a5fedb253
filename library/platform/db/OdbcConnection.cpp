#include "platform/db/OdbcConnection.h"

namespace belvora::db {

struct OdbcHandles {};

OdbcConnection::OdbcConnection(const std::string&, std::chrono::seconds timeout)
    : timeout_(timeout) {
  throw Error("ODBC connections are not available yet");
}
OdbcConnection::~OdbcConnection() = default;
std::unique_ptr<Cursor> OdbcConnection::query(const std::string&, const std::vector<Value>&) {
  return {};
}
std::unique_ptr<Cursor> OdbcConnection::callProcedure(const std::string&,
                                                      const std::optional<std::string>&) {
  return {};
}
long OdbcConnection::execute(const std::string&, const std::vector<Value>&) { return 0; }
void OdbcConnection::begin() {}
void OdbcConnection::commit() {}
void OdbcConnection::rollback() noexcept {}
std::string OdbcConnection::resolveTable(const std::string&) { return {}; }

}  // namespace belvora::db
