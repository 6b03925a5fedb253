#include <unistd.h>

#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/OdbcConnection.h"
#include "platform/db/SqliteConnection.h"
#include "platform/db/Text.h"
#include "platform/sys/Ascii.h"

namespace belvora::db {

namespace {

bool isAccessFile(const std::string& path) {
  return ascii::EndsWithNoCase(path, ".mdb") || ascii::EndsWithNoCase(path, ".accdb");
}

[[noreturn]] void accessNotSupported() {
  throw Error(
      "Microsoft Access (Jet/ACE) databases are not supported on this system. Use an SQLite "
      "database file (\"Data Source=/path/to/file.db\") or an ODBC driver (\"Driver={...};...\" "
      "or \"DSN=...\").");
}

}  // namespace

std::unique_ptr<Connection> open(const std::string& connectionString,
                                 std::chrono::seconds timeout) {
  const ConnectionString cs = ConnectionString::parse(connectionString);
  const std::string provider = cs.find("provider").value_or("");
  const std::string dataSource = cs.find("data source").value_or(cs.find("database").value_or(""));

  if (ascii::StartsWithNoCase(provider, "Microsoft.Jet") ||
      ascii::StartsWithNoCase(provider, "Microsoft.ACE"))
    accessNotSupported();

  // ODBC takes the string unchanged: its keys belong to the driver. The
  // SQLite drivers would create a missing file, so a mistyped path would
  // yield an empty database instead of an error.
  if (cs.has("driver") && ascii::Lower(*cs.find("driver")).find("sqlite") != std::string::npos &&
      !dataSource.empty() && dataSource != ":memory:" && ::access(dataSource.c_str(), F_OK) != 0)
    throw Error("database file not found: " + dataSource);
  if (cs.has("driver") || cs.has("dsn"))
    return std::make_unique<OdbcConnection>(connectionString, timeout);

  if (!provider.empty() && !ascii::StartsWithNoCase(provider, "SQLite"))
    throw Error("unsupported provider \"" + provider +
                "\": use an SQLite database file (\"Data Source=/path/to/file.db\") or an ODBC "
                "driver (\"Driver={...};...\" or \"DSN=...\")");
  if (isAccessFile(dataSource)) accessNotSupported();
  if (!dataSource.empty()) return std::make_unique<SqliteConnection>(dataSource, timeout);
  if (!provider.empty())
    throw Error("the SQLite connection string names no database file (Data Source=...)");
  throw Error(
      "unsupported connection string: expected \"Driver=\" or \"DSN=\" for ODBC, or \"Data "
      "Source=\" naming an SQLite database file");
}

}  // namespace belvora::db
