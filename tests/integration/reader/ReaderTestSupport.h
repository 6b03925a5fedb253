#pragma once

// Databases for the storing tests: a private copy of the template SQLite
// database, or a private schema on the PostgreSQL test server reached
// through psqlodbc; rows read back by column name.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/db/Connection.h"
#include "support/TempDir.h"
#include "text/Texte.h"

namespace belvora::test {

enum class Backend { Sqlite, Postgres };

inline std::string backendName(Backend b) { return b == Backend::Sqlite ? "SQLite" : "PostgreSQL"; }

// Private schema of the reader tests on the shared PostgreSQL database.
inline constexpr const char* kPgSchema = "belvora_reader_test";

// A fresh database with the incoming-invoice tables and tblDocuments;
// returns its connection string. SQLite: a copy of the template database.
// PostgreSQL: a private schema made from the shipped scripts, found through
// the connection's search path; empty without a server (a failure when
// BELVORA_REQUIRE_PG=1).
inline std::string makeDatabase(Backend backend, const TempDir& dir) {
  if (backend == Backend::Sqlite) {
    std::filesystem::copy_file(BELVORA_TEMPLATE_DB, dir / "erp.sqlite");
    return "Data Source=" + dir / "erp.sqlite";
  }
  const char* server = std::getenv("BELVORA_PG_ODBC");
  if (!server || !*server) {
    const char* require = std::getenv("BELVORA_REQUIRE_PG");
    if (require && std::string(require) == "1")
      ADD_FAILURE() << "BELVORA_PG_ODBC is not set but BELVORA_REQUIRE_PG=1";
    return {};
  }
  std::string pg = server;
  pg += (pg.back() == ';' ? "" : ";") + std::string("ConnSettings=SET search_path TO ") +
        kPgSchema + ";";
  auto c = db::open(pg);
  c->execute(std::string("SET client_min_messages = warning; DROP SCHEMA IF EXISTS ") + kPgSchema +
             " CASCADE; CREATE SCHEMA " + kPgSchema);
  for (const char* script : {"01_xrechnung_tables.sql", "incoming.sql"})
    c->execute(readAll(std::string(BELVORA_SOURCE_DIR) + "/sql/postgresql/" + script));
  return pg;
}

inline std::string text(const db::Value& v) { return text::ValueToText(v); }

// All rows of a query, each value as the database delivered it.
inline std::vector<std::vector<db::Value>> rowsOf(db::Connection& c, const std::string& sql,
                                                  const std::vector<db::Value>& params = {}) {
  std::vector<std::vector<db::Value>> rows;
  auto cursor = c.query(sql, params);
  while (cursor->next()) rows.push_back(cursor->row());
  return rows;
}

// The rows of a query as lines of "column=value" (names in lower case,
// numbers in their shortest form, NULL for none): SQLite and PostgreSQL
// give the same text for the same rows.
inline std::string tableOf(db::Connection& c, const std::string& sql,
                           const std::vector<db::Value>& params = {}) {
  using Kind = db::Value::Kind;
  auto cursor = c.query(sql, params);
  std::string out;
  while (cursor->next()) {
    for (std::size_t i = 0; i < cursor->columns().size(); ++i) {
      const db::Value& v = cursor->row()[i];
      std::string name = cursor->columns()[i], value = v.isNull() ? "NULL" : text(v);
      for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      if (v.kind() == Kind::Integer || v.kind() == Kind::Real ||
          (v.kind() == Kind::Text && std::regex_match(value, std::regex(R"(-?\d+(\.\d+)?)")))) {
        char shortest[32];
        std::snprintf(shortest, sizeof shortest, "%.15g",
                      v.kind() == Kind::Integer ? static_cast<double>(v.integer())
                      : v.kind() == Kind::Real  ? v.real()
                                                : std::stod(value));
        value = shortest;
      }
      out += (i ? " " : "") + name + "=" + value;
    }
    out += '\n';
  }
  return out;
}

}  // namespace belvora::test
