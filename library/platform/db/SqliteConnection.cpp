#include "platform/db/SqliteConnection.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/db/Text.h"
#include "platform/sys/Ascii.h"

namespace belvora::db {

namespace {

[[noreturn]] void fail(sqlite3* db) { throw Error(sqlite3_errmsg(db)); }

struct StatementDeleter {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Prepares the first statement of sql; tail receives the rest of the text.
Statement prepare(sqlite3* db, std::string_view sql, std::string_view* tail) {
  sqlite3_stmt* raw = nullptr;
  const char* end = nullptr;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &end) != SQLITE_OK)
    fail(db);
  Statement stmt(raw);
  if (tail) *tail = sql.substr(static_cast<size_t>(end - sql.data()));
  return stmt;
}

// copy: the statement may run after the values are gone (a cursor), so
// SQLite keeps its own copies; otherwise large blobs are bound in place.
void bind(sqlite3* db, sqlite3_stmt* stmt, const std::vector<Value>& params, bool copy) {
  const int expected = sqlite3_bind_parameter_count(stmt);
  if (expected != static_cast<int>(params.size()))
    throw Error("the statement has " + std::to_string(expected) + " parameter(s) but " +
                std::to_string(params.size()) + " value(s) were given");
  for (int i = 0; i < expected; ++i) {
    const Value& v = params[static_cast<size_t>(i)];
    int rc = SQLITE_OK;
    switch (v.kind()) {
      case Value::Kind::Null:
        rc = sqlite3_bind_null(stmt, i + 1);
        break;
      case Value::Kind::Integer:
        rc = sqlite3_bind_int64(stmt, i + 1, v.integer());
        break;
      case Value::Kind::Real:
        rc = sqlite3_bind_double(stmt, i + 1, v.real());
        break;
      case Value::Kind::Text:
        rc = sqlite3_bind_text64(stmt, i + 1, v.text().data(), v.text().size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
        break;
      case Value::Kind::Date: {
        const std::string text = formatIsoDate(v.date());
        rc = sqlite3_bind_text64(stmt, i + 1, text.data(), text.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
        break;
      }
      case Value::Kind::Blob:
        // A zero-length blob must stay a blob, not turn into NULL.
        rc = v.blob().empty() ? sqlite3_bind_zeroblob(stmt, i + 1, 0)
                              : sqlite3_bind_blob64(stmt, i + 1, v.blob().data(), v.blob().size(),
                                                    copy ? SQLITE_TRANSIENT : SQLITE_STATIC);
        break;
    }
    if (rc != SQLITE_OK) fail(db);
  }
}

// A declared type that holds calendar dates: DATE, DATETIME, TIMESTAMP.
bool isDateType(const char* declared) {
  if (!declared) return false;
  std::string_view t(declared);
  const size_t paren = t.find('(');
  if (paren != std::string_view::npos) t = t.substr(0, paren);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return ascii::EqualsNoCase(t, "DATE") || ascii::EqualsNoCase(t, "DATETIME") ||
         ascii::EqualsNoCase(t, "TIMESTAMP");
}

class SqliteCursor : public Cursor {
 public:
  SqliteCursor(std::shared_ptr<sqlite3> db, Statement stmt)
      : db_(std::move(db)), stmt_(std::move(stmt)) {
    const int n = sqlite3_column_count(stmt_.get());
    columns_.reserve(static_cast<size_t>(n));
    dateColumn_.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      const char* name = sqlite3_column_name(stmt_.get(), i);
      columns_.emplace_back(name ? name : "");
      dateColumn_.push_back(isDateType(sqlite3_column_decltype(stmt_.get(), i)));
    }
    row_.resize(static_cast<size_t>(n));
  }

  const std::vector<std::string>& columns() const override { return columns_; }

  bool next() override {
    if (!stmt_) return false;
    const int rc = sqlite3_step(stmt_.get());
    if (rc == SQLITE_DONE) {
      stmt_.reset();  // releases read locks as soon as the rows are used up
      return false;
    }
    if (rc != SQLITE_ROW) {
      Error error(sqlite3_errmsg(db_.get()));
      stmt_.reset();
      throw error;
    }
    for (int i = 0; i < static_cast<int>(columns_.size()); ++i)
      row_[static_cast<size_t>(i)] = read(i);
    return true;
  }

  const std::vector<Value>& row() const override { return row_; }

 private:
  Value read(int i) const {
    sqlite3_stmt* s = stmt_.get();
    switch (sqlite3_column_type(s, i)) {
      case SQLITE_INTEGER:
        return Value(static_cast<std::int64_t>(sqlite3_column_int64(s, i)));
      case SQLITE_FLOAT:
        return Value(sqlite3_column_double(s, i));
      case SQLITE_TEXT: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        std::string text(p ? p : "", static_cast<size_t>(sqlite3_column_bytes(s, i)));
        if (dateColumn_[static_cast<size_t>(i)]) {
          if (auto date = parseIsoDate(text)) return Value(*date);
        }
        return Value(std::move(text));
      }
      case SQLITE_BLOB: {
        const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(s, i));
        const int n = sqlite3_column_bytes(s, i);
        return Value(Blob(p, p + n));
      }
      default:
        return Value();
    }
  }

  std::shared_ptr<sqlite3> db_;  // declared first: destroyed after the statement
  Statement stmt_;
  std::vector<std::string> columns_;
  std::vector<bool> dateColumn_;
  std::vector<Value> row_;
};

// Whether text holds more than blanks and comments.
bool holdsStatement(sqlite3* db, std::string_view text) {
  if (text.empty()) return false;
  sqlite3_stmt* raw = nullptr;
  const int rc = sqlite3_prepare_v2(db, text.data(), static_cast<int>(text.size()), &raw, nullptr);
  sqlite3_finalize(raw);
  return rc != SQLITE_OK || raw != nullptr;
}

std::string quote(const std::string& identifier) {
  std::string out = "\"";
  for (char c : identifier) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

SqliteConnection::SqliteConnection(const std::string& path, std::chrono::seconds busyTimeout) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0)
    throw Error("database file not found: " + path);
  if (!S_ISREG(st.st_mode)) throw Error("not a database file: " + path);

  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  // sqlite3_close_v2 waits for statements still held by cursors.
  db_.reset(raw, [](sqlite3* db) { sqlite3_close_v2(db); });
  if (rc != SQLITE_OK) {
    if (!raw) throw Error("out of memory opening " + path);
    fail(raw);
  }
  sqlite3_extended_result_codes(raw, 1);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(busyTimeout).count();
  sqlite3_busy_timeout(raw, ms > INT32_MAX ? INT32_MAX : static_cast<int>(ms));
  // SQLite reads the file lazily; touch the schema now so that a file that
  // is no database fails here and not at the first query.
  Statement probe = prepare(raw, "SELECT count(*) FROM sqlite_master", nullptr);
  if (sqlite3_step(probe.get()) != SQLITE_ROW) fail(raw);
}

SqliteConnection::~SqliteConnection() {
  if (inTransaction_) rollback();
}

std::unique_ptr<Cursor> SqliteConnection::query(const std::string& sql,
                                                const std::vector<Value>& params) {
  std::string_view tail;
  Statement stmt = prepare(db_.get(), sql, &tail);
  if (!stmt) throw Error("the query holds no statement");
  // Whatever follows the statement must be blanks or comments.
  if (holdsStatement(db_.get(), tail)) throw Error("a query may hold only one statement");
  bind(db_.get(), stmt.get(), params, true);
  auto cursor = std::make_unique<SqliteCursor>(db_, std::move(stmt));
  // A statement without result columns runs now, as it would on any other
  // database, and not only when someone asks for its (non-existent) rows.
  if (cursor->columns().empty()) cursor->next();
  return cursor;
}

std::unique_ptr<Cursor> SqliteConnection::callProcedure(const std::string& name,
                                                        const std::optional<std::string>&) {
  throw Error("SQLite has no stored procedures: '" + name +
              "' cannot be called; use a SELECT on a table or view instead");
}

long SqliteConnection::execute(const std::string& sql, const std::vector<Value>& params) {
  sqlite3* db = db_.get();
  std::string_view rest = sql;
  long changes = 0;
  bool first = true;
  while (true) {
    std::string_view tail;
    Statement stmt = prepare(db, rest, &tail);
    if (!stmt) break;  // only blanks or comments left
    if (first && !params.empty() && holdsStatement(db, tail))
      throw Error("parameters are only allowed in a single statement");
    if (first) bind(db, stmt.get(), params, false);
    const auto before = sqlite3_total_changes64(db);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) fail(db);
    // sqlite3_changes() keeps the count of the last INSERT/UPDATE/DELETE, so
    // it is only taken when this statement changed rows at all.
    if (sqlite3_total_changes64(db) != before) changes += sqlite3_changes(db);
    first = false;
    rest = tail;
  }
  if (first && !params.empty()) throw Error("the statement holds no parameters");
  return changes;
}

void SqliteConnection::begin() {
  if (inTransaction_) throw Error("a transaction is already open on this connection");
  execute("BEGIN IMMEDIATE", {});
  inTransaction_ = true;
}

void SqliteConnection::commit() {
  if (!inTransaction_) throw Error("no transaction is open on this connection");
  execute("COMMIT", {});
  inTransaction_ = false;
}

void SqliteConnection::rollback() noexcept {
  if (!inTransaction_) return;
  inTransaction_ = false;
  // A failed statement may already have ended the transaction; then there
  // is nothing left to roll back.
  if (!sqlite3_get_autocommit(db_.get()))
    sqlite3_exec(db_.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

std::string SqliteConnection::resolveTable(const std::string& name) {
  const TableName parts = splitTableName(name);
  std::vector<std::string> schemas;
  if (!parts.schema.empty()) {
    // The schema must be an attached database; its name is looked up too.
    auto list = query("PRAGMA database_list", {});
    const int col = list->columnIndex("name");
    while (list->next()) {
      const Value& v = list->row()[static_cast<size_t>(col)];
      if (v.kind() == Value::Kind::Text && ascii::EqualsNoCase(v.text(), parts.schema))
        schemas.push_back(v.text());
    }
    if (schemas.empty()) throw Error("table not found: " + name);
  } else {
    schemas = {"main", "temp"};
  }
  for (const std::string& schema : schemas) {
    const std::string master = schema == "temp" ? "sqlite_temp_master" : "sqlite_master";
    auto rows = query("SELECT name FROM " + quote(schema) + "." + master +
                          " WHERE type IN ('table','view') AND name = ? COLLATE NOCASE"
                          " ORDER BY name = ? DESC",
                      {parts.table, parts.table});
    if (rows->next()) {
      const std::string found = rows->row()[0].text();
      return parts.schema.empty() ? quote(found) : quote(schema) + "." + quote(found);
    }
  }
  throw Error("table not found: " + name);
}

}  // namespace belvora::db
