#include "platform/db/OdbcConnection.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/db/Text.h"
#include "platform/sys/Ascii.h"

// Statements, names and diagnostics travel through the narrow calls as UTF-8
// (unixODBC hands them to the driver unchanged); column and parameter data
// use SQL_C_WCHAR, which Unicode drivers convert without regard to the
// process locale.

namespace belvora::db {

struct OdbcHandles {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  bool connected = false;

  OdbcHandles() = default;
  OdbcHandles(const OdbcHandles&) = delete;
  OdbcHandles& operator=(const OdbcHandles&) = delete;
  ~OdbcHandles() {
    if (connected) SQLDisconnect(dbc);
    if (dbc != SQL_NULL_HDBC) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
};

namespace {

// All diagnostic records of a handle, "[SQLSTATE] text" each, one per line.
Error diagnostics(SQLSMALLINT type, SQLHANDLE handle, const std::string& fallback) {
  std::string message;
  std::string firstState;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    std::string text(512, '\0');
    SQLRETURN rc =
        SQLGetDiagRec(type, handle, i, state, &native, reinterpret_cast<SQLCHAR*>(text.data()),
                      static_cast<SQLSMALLINT>(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
      text.assign(static_cast<size_t>(length) + 1, '\0');
      rc = SQLGetDiagRec(type, handle, i, state, &native, reinterpret_cast<SQLCHAR*>(text.data()),
                         static_cast<SQLSMALLINT>(text.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) break;
    text.resize(std::min(static_cast<size_t>(length), text.size()));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::string st(reinterpret_cast<const char*>(state));
    if (firstState.empty()) firstState = st;
    if (!message.empty()) message += '\n';
    message += "[" + st + "] " + text;
  }
  if (message.empty()) message = fallback;
  return Error(message, firstState);
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const char* what) {
  if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO || rc == SQL_NO_DATA) return;
  if (rc == SQL_INVALID_HANDLE) throw Error(std::string("ODBC: invalid handle in ") + what);
  throw diagnostics(type, handle, std::string("ODBC: ") + what + " failed");
}

SQLCHAR* narrow(const std::string& s) {
  return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

SQLINTEGER length(const std::string& s) { return static_cast<SQLINTEGER>(s.size()); }

// A statement handle; it keeps the connection alive while it exists.
class Statement {
 public:
  explicit Statement(std::shared_ptr<OdbcHandles> handles) : handles_(std::move(handles)) {
    ::belvora::db::check(SQLAllocHandle(SQL_HANDLE_STMT, handles_->dbc, &stmt_), SQL_HANDLE_DBC,
                         handles_->dbc, "SQLAllocHandle");
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, stmt_); }

  SQLHSTMT get() const { return stmt_; }
  void check(SQLRETURN rc, const char* what) const {
    ::belvora::db::check(rc, SQL_HANDLE_STMT, stmt_, what);
  }

 private:
  std::shared_ptr<OdbcHandles> handles_;
  SQLHSTMT stmt_ = SQL_NULL_HSTMT;
};

// Parameter values in the form the driver reads them; the buffers must stay
// in place until the statement has run, so they are sized before binding.
class Parameters {
 public:
  void bind(const Statement& stmt, const std::vector<Value>& params) {
    const size_t n = params.size();
    indicators_.assign(n, 0);
    texts_.assign(n, {});
    integers_.assign(n, 0);
    reals_.assign(n, 0);
    stamps_.assign(n, {});
    dates_.assign(n, {});
    for (size_t i = 0; i < n; ++i) {
      const Value& v = params[i];
      const auto number = static_cast<SQLUSMALLINT>(i + 1);
      SQLRETURN rc = SQL_SUCCESS;
      switch (v.kind()) {
        case Value::Kind::Null:
          indicators_[i] = SQL_NULL_DATA;
          rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 1, 0,
                                nullptr, 0, &indicators_[i]);
          break;
        case Value::Kind::Integer:
          integers_[i] = v.integer();
          rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0,
                                0, &integers_[i], 0, &indicators_[i]);
          break;
        case Value::Kind::Real:
          reals_[i] = v.real();
          rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15,
                                0, &reals_[i], 0, &indicators_[i]);
          break;
        case Value::Kind::Text:
          rc = bindText(stmt, number, i, v.text(), 0);
          break;
        case Value::Kind::Date: {
          const Date& d = v.date();
          if (d.hour == 0 && d.minute == 0 && d.second == 0) {
            dates_[i] = {static_cast<SQLSMALLINT>(d.year), static_cast<SQLUSMALLINT>(d.month),
                         static_cast<SQLUSMALLINT>(d.day)};
            rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_TYPE_DATE,
                                  SQL_TYPE_DATE, 10, 0, &dates_[i], 0, &indicators_[i]);
          } else {
            stamps_[i] = {static_cast<SQLSMALLINT>(d.year),
                          static_cast<SQLUSMALLINT>(d.month),
                          static_cast<SQLUSMALLINT>(d.day),
                          static_cast<SQLUSMALLINT>(d.hour),
                          static_cast<SQLUSMALLINT>(d.minute),
                          static_cast<SQLUSMALLINT>(d.second),
                          0};
            rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP,
                                  SQL_TYPE_TIMESTAMP, 19, 0, &stamps_[i], 0, &indicators_[i]);
          }
          break;
        }
        case Value::Kind::Blob: {
          const Blob& b = v.blob();
          indicators_[i] = static_cast<SQLLEN>(b.size());
          // VARBINARY, not LONGVARBINARY: some drivers turn the latter into
          // large objects instead of a plain binary column value.
          // An empty value still needs a buffer, or it reads as NULL.
          static unsigned char none = 0;
          rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_VARBINARY,
                                std::max<SQLULEN>(b.size(), 1), 0,
                                b.empty() ? &none : const_cast<unsigned char*>(b.data()),
                                static_cast<SQLLEN>(b.size()), &indicators_[i]);
          break;
        }
      }
      stmt.check(rc, "SQLBindParameter");
    }
  }

  // Text in the parameter's declared SQL type (0: a character type), so that
  // the driver converts it as the database expects.
  SQLRETURN bindText(const Statement& stmt, SQLUSMALLINT number, size_t i, const std::string& text,
                     SQLSMALLINT sqlType) {
    if (texts_.size() <= i) {
      texts_.resize(i + 1);
      indicators_.resize(i + 1);
    }
    texts_[i] = utf8ToUtf16(text);
    indicators_[i] = static_cast<SQLLEN>(texts_[i].size() * sizeof(char16_t));
    const SQLULEN chars = std::max<SQLULEN>(texts_[i].size(), 1);
    if (sqlType == 0) sqlType = chars > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
    return SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_WCHAR, sqlType, chars, 0,
                            texts_[i].data(), indicators_[i], &indicators_[i]);
  }

 private:
  std::vector<SQLLEN> indicators_;
  std::vector<std::u16string> texts_;
  std::vector<std::int64_t> integers_;
  std::vector<double> reals_;
  std::vector<SQL_TIMESTAMP_STRUCT> stamps_;
  std::vector<SQL_DATE_STRUCT> dates_;
};

// How a column's values are fetched.
enum class Fetch { Integer, Real, Date, Binary, Text };

Fetch fetchFor(SQLSMALLINT type) {
  switch (type) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      return Fetch::Integer;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return Fetch::Real;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATETIME:
    case SQL_TIMESTAMP:
      return Fetch::Date;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
      return Fetch::Binary;
    default:
      return Fetch::Text;
  }
}

class OdbcCursor : public Cursor {
 public:
  // The parameters stay with the cursor: a driver may read them while rows
  // are fetched.
  OdbcCursor(std::unique_ptr<Statement> stmt, std::unique_ptr<Parameters> params)
      : stmt_(std::move(stmt)), params_(std::move(params)) {
    // A procedure may send row counts before its rows: go to the first
    // result that has columns.
    SQLSMALLINT count = 0;
    while (true) {
      stmt_->check(SQLNumResultCols(stmt_->get(), &count), "SQLNumResultCols");
      if (count > 0) break;
      const SQLRETURN rc = SQLMoreResults(stmt_->get());
      if (rc == SQL_NO_DATA) break;
      stmt_->check(rc, "SQLMoreResults");
    }
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i) {
      std::string name(256, '\0');
      SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      stmt_->check(SQLDescribeCol(stmt_->get(), i, reinterpret_cast<SQLCHAR*>(name.data()),
                                  static_cast<SQLSMALLINT>(name.size()), &nameLength, &type, &size,
                                  &digits, &nullable),
                   "SQLDescribeCol");
      if (nameLength >= static_cast<SQLSMALLINT>(name.size())) {
        name.assign(static_cast<size_t>(nameLength) + 1, '\0');
        stmt_->check(SQLDescribeCol(stmt_->get(), i, reinterpret_cast<SQLCHAR*>(name.data()),
                                    static_cast<SQLSMALLINT>(name.size()), &nameLength, &type,
                                    &size, &digits, &nullable),
                     "SQLDescribeCol");
      }
      name.resize(std::min(static_cast<size_t>(nameLength), name.size()));
      columns_.push_back(std::move(name));
      fetch_.push_back(fetchFor(type));
    }
    row_.resize(columns_.size());
    if (columns_.empty()) {
      stmt_.reset();
      params_.reset();
    }
  }

  const std::vector<std::string>& columns() const override { return columns_; }

  bool next() override {
    if (!stmt_) return false;
    const SQLRETURN rc = SQLFetch(stmt_->get());
    if (rc == SQL_NO_DATA) {
      stmt_.reset();  // frees the statement and the server-side result at once
      params_.reset();
      return false;
    }
    stmt_->check(rc, "SQLFetch");
    for (size_t i = 0; i < columns_.size(); ++i)
      row_[i] = read(static_cast<SQLUSMALLINT>(i + 1), fetch_[i]);
    return true;
  }

  const std::vector<Value>& row() const override { return row_; }

 private:
  Value read(SQLUSMALLINT column, Fetch how) {
    SQLHSTMT s = stmt_->get();
    SQLLEN indicator = 0;
    switch (how) {
      case Fetch::Integer: {
        SQLBIGINT v = 0;
        stmt_->check(SQLGetData(s, column, SQL_C_SBIGINT, &v, 0, &indicator), "SQLGetData");
        if (indicator == SQL_NULL_DATA) return Value();
        return Value(static_cast<std::int64_t>(v));
      }
      case Fetch::Binary: {
        Blob data;
        if (!readChunks(column, SQL_C_BINARY, 0, data)) return Value();
        return Value(std::move(data));
      }
      default:
        break;
    }
    Blob bytes;
    if (!readChunks(column, SQL_C_WCHAR, sizeof(char16_t), bytes)) return Value();
    std::u16string wide(bytes.size() / sizeof(char16_t), u'\0');
    if (!wide.empty()) std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(char16_t));
    std::string text = utf16ToUtf8(wide);
    // Numbers and dates are read as text and parsed here: the drivers'
    // own conversions follow the process locale (a decimal comma would
    // silently cut 12.50 to 12).
    if (how == Fetch::Real) {
      if (auto v = parseReal(text)) return Value(*v);
    } else if (how == Fetch::Date) {
      if (auto d = parseIsoDate(text)) return Value(*d);
    }
    return Value(std::move(text));
  }

  // Reads a whole column value in pieces; false for NULL. terminator is the
  // size of the NUL that the driver puts after each piece of text.
  bool readChunks(SQLUSMALLINT column, SQLSMALLINT cType, size_t terminator, Blob& out) {
    unsigned char buffer[8192];
    while (true) {
      SQLLEN indicator = 0;
      const SQLRETURN rc =
          SQLGetData(stmt_->get(), column, cType, buffer, sizeof buffer, &indicator);
      if (rc == SQL_NO_DATA) return true;  // the previous piece was the last
      stmt_->check(rc, "SQLGetData");
      if (indicator == SQL_NULL_DATA) return false;
      size_t piece;
      if (indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) > sizeof buffer - terminator)
        piece = sizeof buffer - terminator;
      else
        piece = static_cast<size_t>(indicator);
      if (terminator == sizeof(char16_t)) piece -= piece % sizeof(char16_t);
      out.insert(out.end(), buffer, buffer + piece);
      if (rc == SQL_SUCCESS) return true;
    }
  }

  std::unique_ptr<Statement> stmt_;
  std::unique_ptr<Parameters> params_;
  std::vector<std::string> columns_;
  std::vector<Fetch> fetch_;
  std::vector<Value> row_;
};

std::string catalogueText(const Statement& stmt, SQLUSMALLINT column) {
  std::string value(512, '\0');
  SQLLEN indicator = 0;
  stmt.check(SQLGetData(stmt.get(), column, SQL_C_CHAR, value.data(),
                        static_cast<SQLLEN>(value.size()), &indicator),
             "SQLGetData");
  if (indicator == SQL_NULL_DATA) return {};
  value.resize(std::min(static_cast<size_t>(indicator), value.size() - 1));
  return value;
}

// A procedure name as written in the caller's source text: a plain name,
// optionally qualified, with [..] or ".." quoting. Anything that could end
// the call escape early is refused.
void checkProcedureName(const std::string& name) {
  bool ok = !name.empty();
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == ' ' || c == ';' || c == '{' || c == '}' || c == '(' || c == ')' ||
        c == '\'' || c == ',' || c == '?')
      ok = false;
  }
  if (!ok) throw Error("invalid procedure name: " + name);
}

std::string unquoteName(std::string part) {
  if (part.size() >= 2 &&
      ((part.front() == '[' && part.back() == ']') || (part.front() == '"' && part.back() == '"')))
    return part.substr(1, part.size() - 2);
  return part;
}

// Prepares sql, binds params after checking their number, and executes.
SQLRETURN run(const Statement& stmt, const std::string& sql, const std::vector<Value>& params,
              Parameters& bound) {
  stmt.check(SQLPrepare(stmt.get(), narrow(sql), length(sql)), "SQLPrepare");
  SQLSMALLINT expected = 0;
  if (SQL_SUCCEEDED(SQLNumParams(stmt.get(), &expected)) &&
      static_cast<size_t>(expected) != params.size())
    throw Error("the statement has " + std::to_string(expected) + " parameter(s) but " +
                std::to_string(params.size()) + " value(s) were given");
  bound.bind(stmt, params);
  const SQLRETURN rc = SQLExecute(stmt.get());
  stmt.check(rc, "SQLExecute");
  return rc;
}

}  // namespace

OdbcConnection::OdbcConnection(const std::string& connectionString, std::chrono::seconds timeout)
    : handles_(std::make_shared<OdbcHandles>()), timeout_(timeout) {
  if (connectionString.size() > 32767) throw Error("the ODBC connection string is too long");
  OdbcHandles& h = *handles_;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h.env)))
    throw Error("ODBC: the driver manager could not create an environment");
  check(SQLSetEnvAttr(h.env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
        SQL_HANDLE_ENV, h.env, "SQLSetEnvAttr");
  check(SQLAllocHandle(SQL_HANDLE_DBC, h.env, &h.dbc), SQL_HANDLE_ENV, h.env, "SQLAllocHandle");
  const auto seconds = reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(timeout.count()));
  // Not every driver knows both time-outs; a refusal is no reason to fail.
  SQLSetConnectAttr(h.dbc, SQL_ATTR_LOGIN_TIMEOUT, seconds, 0);
  SQLSetConnectAttr(h.dbc, SQL_ATTR_CONNECTION_TIMEOUT, seconds, 0);

  SQLCHAR out[1024];
  SQLSMALLINT outLength = 0;
  check(SQLDriverConnect(h.dbc, nullptr, narrow(connectionString),
                         static_cast<SQLSMALLINT>(connectionString.size()), out, sizeof out,
                         &outLength, SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, h.dbc, "SQLDriverConnect");
  h.connected = true;

  SQLCHAR quote[8] = {};
  SQLSMALLINT quoteLength = 0;
  if (SQL_SUCCEEDED(
          SQLGetInfo(h.dbc, SQL_IDENTIFIER_QUOTE_CHAR, quote, sizeof quote, &quoteLength)))
    quote_.assign(reinterpret_cast<const char*>(quote), std::min<size_t>(quoteLength, 7));
  if (quote_ == " ") quote_.clear();  // the driver does not quote identifiers
}

OdbcConnection::~OdbcConnection() { rollback(); }

std::unique_ptr<Cursor> OdbcConnection::query(const std::string& sql,
                                              const std::vector<Value>& params) {
  auto stmt = std::make_unique<Statement>(handles_);
  auto bound = std::make_unique<Parameters>();
  run(*stmt, sql, params, *bound);
  return std::make_unique<OdbcCursor>(std::move(stmt), std::move(bound));
}

std::unique_ptr<Cursor> OdbcConnection::callProcedure(
    const std::string& name, const std::optional<std::string>& firstArgument) {
  checkProcedureName(name);

  // The declared parameters, from the catalogue; names are tried as given,
  // then in the lower and upper case that unquoted names fold to.
  std::string schema, procedure = name;
  if (const size_t dot = name.rfind('.'); dot != std::string::npos) {
    schema = unquoteName(name.substr(0, dot));
    if (const size_t inner = schema.rfind('.'); inner != std::string::npos)
      schema = unquoteName(schema.substr(inner + 1));
    procedure = name.substr(dot + 1);
  }
  procedure = unquoteName(procedure);

  // The catalogue takes search patterns: '_' and '%' in a name are escaped.
  SQLCHAR escapeText[8] = {};
  SQLSMALLINT escapeLength = 0;
  std::string escape;
  if (SQL_SUCCEEDED(SQLGetInfo(handles_->dbc, SQL_SEARCH_PATTERN_ESCAPE, escapeText,
                               sizeof escapeText, &escapeLength)))
    escape.assign(reinterpret_cast<const char*>(escapeText), std::min<size_t>(escapeLength, 7));
  auto pattern = [&escape](const std::string& text) {
    if (escape.empty()) return text;
    std::string out;
    for (char c : text) {
      if (c == '_' || c == '%') out += escape;
      out += c;
    }
    return out;
  };

  int inputs = 0;
  SQLSMALLINT firstType = 0;
  if (firstArgument) {
    for (const auto& [s, p] :
         {std::pair{pattern(schema), pattern(procedure)},
          std::pair{pattern(ascii::Lower(schema)), pattern(ascii::Lower(procedure))},
          std::pair{pattern(ascii::Upper(schema)), pattern(ascii::Upper(procedure))}}) {
      Statement columns(handles_);
      columns.check(SQLProcedureColumns(columns.get(), nullptr, 0, s.empty() ? nullptr : narrow(s),
                                        s.empty() ? 0 : static_cast<SQLSMALLINT>(s.size()),
                                        narrow(p), static_cast<SQLSMALLINT>(p.size()), nullptr, 0),
                    "SQLProcedureColumns");
      // Only the columns of the first procedure found: the same name may
      // exist in several schemas or with several signatures.
      std::string first;
      while (true) {
        const SQLRETURN rc = SQLFetch(columns.get());
        if (rc == SQL_NO_DATA) break;
        columns.check(rc, "SQLFetch");
        const std::string key = catalogueText(columns, 2) + '.' + catalogueText(columns, 3);
        if (first.empty()) first = key;
        if (key != first) continue;
        SQLSMALLINT kind = 0, dataType = 0;
        SQLLEN indicator = 0;
        columns.check(SQLGetData(columns.get(), 5, SQL_C_SSHORT, &kind, 0, &indicator),
                      "SQLGetData");
        columns.check(SQLGetData(columns.get(), 6, SQL_C_SSHORT, &dataType, 0, &indicator),
                      "SQLGetData");
        if (kind == SQL_PARAM_INPUT || kind == SQL_PARAM_INPUT_OUTPUT) {
          if (inputs == 0) firstType = dataType;
          ++inputs;
        }
      }
      if (!first.empty()) break;
    }
  }

  auto stmt = std::make_unique<Statement>(handles_);
  const auto seconds = reinterpret_cast<SQLPOINTER>(static_cast<std::intptr_t>(timeout_.count()));
  SQLSetStmtAttr(stmt->get(), SQL_ATTR_QUERY_TIMEOUT, seconds, 0);
  auto bound = std::make_unique<Parameters>();
  std::string call;
  if (firstArgument && inputs > 0) {
    call = "{call " + name + "(?)}";
    // Text types take the value as it is; other declared types let the
    // driver convert the text (a number parameter receives "4711" as 4711).
    switch (fetchFor(firstType)) {
      case Fetch::Text:
        firstType = 0;
        break;
      default:
        break;
    }
    stmt->check(bound->bindText(*stmt, 1, 0, *firstArgument, firstType), "SQLBindParameter");
  } else {
    // Empty parentheses: without them psqlodbc takes a schema-qualified
    // name for a relation ("SELECT * FROM schema.name").
    call = "{call " + name + "()}";
  }
  stmt->check(SQLExecDirect(stmt->get(), narrow(call), length(call)), "SQLExecDirect");
  return std::make_unique<OdbcCursor>(std::move(stmt), std::move(bound));
}

long OdbcConnection::execute(const std::string& sql, const std::vector<Value>& params) {
  Statement stmt(handles_);
  Parameters bound;
  SQLRETURN rc = run(stmt, sql, params, bound);
  long total = 0;
  // Several statements in one text give one count each.
  while (rc != SQL_NO_DATA) {
    SQLLEN count = 0;
    if (SQL_SUCCEEDED(SQLRowCount(stmt.get(), &count)) && count > 0) total += count;
    rc = SQLMoreResults(stmt.get());
    stmt.check(rc, "SQLMoreResults");
  }
  return total;
}

void OdbcConnection::begin() {
  if (inTransaction_) throw Error("a transaction is already open on this connection");
  check(SQLSetConnectAttr(handles_->dbc, SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
        SQL_HANDLE_DBC, handles_->dbc, "SQLSetConnectAttr");
  inTransaction_ = true;
}

void OdbcConnection::commit() {
  if (!inTransaction_) throw Error("no transaction is open on this connection");
  check(SQLEndTran(SQL_HANDLE_DBC, handles_->dbc, SQL_COMMIT), SQL_HANDLE_DBC, handles_->dbc,
        "SQLEndTran");
  inTransaction_ = false;
  check(SQLSetConnectAttr(handles_->dbc, SQL_ATTR_AUTOCOMMIT,
                          reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
        SQL_HANDLE_DBC, handles_->dbc, "SQLSetConnectAttr");
}

void OdbcConnection::rollback() noexcept {
  if (!inTransaction_) return;
  inTransaction_ = false;
  SQLEndTran(SQL_HANDLE_DBC, handles_->dbc, SQL_ROLLBACK);
  SQLSetConnectAttr(handles_->dbc, SQL_ATTR_AUTOCOMMIT,
                    reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}

std::string OdbcConnection::resolveTable(const std::string& name) {
  const TableName wanted = splitTableName(name);
  // Candidates in the catalogue's spelling: first those spelled exactly as
  // asked, then those that differ in letter case only.
  std::vector<std::string> exact, similar;
  {
    Statement tables(handles_);
    tables.check(SQLTables(tables.get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0),
                 "SQLTables");
    while (true) {
      const SQLRETURN rc = SQLFetch(tables.get());
      if (rc == SQL_NO_DATA) break;
      tables.check(rc, "SQLFetch");
      const std::string schema = catalogueText(tables, 2);
      const std::string table = catalogueText(tables, 3);
      if (!ascii::EqualsNoCase(table, wanted.table)) continue;
      if (!wanted.schema.empty() && !ascii::EqualsNoCase(schema, wanted.schema)) continue;
      const std::string quoted = wanted.schema.empty()
                                     ? quote_ + table + quote_
                                     : quote_ + schema + quote_ + "." + quote_ + table + quote_;
      const bool same = table == wanted.table && (wanted.schema.empty() || schema == wanted.schema);
      auto& list = same ? exact : similar;
      if (std::find(list.begin(), list.end(), quoted) == list.end()) list.push_back(quoted);
    }
  }
  std::vector<std::string> candidates = exact;
  candidates.insert(candidates.end(), similar.begin(), similar.end());
  if (candidates.empty()) throw Error("table not found: " + name);
  // Several spellings (tables in other schemas, or names differing in case
  // only): take the first one the database itself resolves. A failed probe
  // would spoil an open transaction, so inside one the first is taken.
  if (candidates.size() > 1 && !inTransaction_) {
    for (const std::string& candidate : candidates) {
      try {
        query("SELECT * FROM " + candidate + " WHERE 1 = 0", {});
        return candidate;
      } catch (const Error&) {
      }
    }
    throw Error("table not found: " + name);
  }
  return candidates.front();
}

}  // namespace belvora::db
