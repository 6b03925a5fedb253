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
#include <stdexcept>
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

// The PostgreSQL connection string, or empty (a failure when
// BELVORA_REQUIRE_PG=1) when no server was started.
inline std::string pgConnectionOrSkip() {
  const char* cs = std::getenv("BELVORA_PG_ODBC");
  if (cs && *cs) return cs;
  const char* require = std::getenv("BELVORA_REQUIRE_PG");
  if (require && std::string(require) == "1")
    ADD_FAILURE() << "BELVORA_PG_ODBC is not set but BELVORA_REQUIRE_PG=1";
  return {};
}

// A fresh database with the incoming-invoice tables and tblDocuments;
// returns its connection string (empty: no PostgreSQL server). SQLite: a
// copy of the template database. PostgreSQL: a private schema made from the
// shipped scripts, found through the connection's search path.
inline std::string makeDatabase(Backend backend, const TempDir& dir) {
  if (backend == Backend::Sqlite) {
    const std::string path = dir / "erp.sqlite";
    std::filesystem::copy_file(BELVORA_TEMPLATE_DB, path);
    return "Data Source=" + path;
  }
  std::string pg = pgConnectionOrSkip();
  if (pg.empty()) return {};
  auto part = [&](const std::string& key) {
    std::smatch m;
    return std::regex_search(pg, m, std::regex("(^|;)" + key + "=([^;]*)", std::regex::icase))
               ? m[2].str()
               : std::string();
  };
  const std::string psql = "PGPASSWORD='" + part("pwd") +
                           "' PGOPTIONS='-c search_path=" + kPgSchema +
                           "' psql -X -q -v ON_ERROR_STOP=1 -h " + part("server") + " -p " +
                           part("port") + " -U " + part("uid") + " -d " + part("database");
  const std::string sql = std::string(BELVORA_SOURCE_DIR) + "/sql/postgresql/";
  const std::string command =
      psql + " -c 'SET client_min_messages = warning' -c 'DROP SCHEMA IF EXISTS " + kPgSchema +
      " CASCADE' -c 'CREATE SCHEMA " + kPgSchema + "' && " + psql + " -f " + sql +
      "01_xrechnung_tables.sql -f " + sql + "incoming.sql > /dev/null";
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "cannot prepare the PostgreSQL schema: " << command;
    return {};
  }
  if (pg.back() != ';') pg += ';';
  return pg + "ConnSettings=SET search_path TO " + kPgSchema + ";";
}

inline double num(const db::Value& v) {
  switch (v.kind()) {
    case db::Value::Kind::Integer:
      return static_cast<double>(v.integer());
    case db::Value::Kind::Real:
      return v.real();
    case db::Value::Kind::Text:
      return std::stod(v.text());
    default:
      throw std::runtime_error("not a number: " + text::ValueToText(v));
  }
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
  static const std::regex number(R"(-?[0-9]+(\.[0-9]+)?)");
  auto cursor = c.query(sql, params);
  std::string out;
  while (cursor->next()) {
    for (std::size_t i = 0; i < cursor->columns().size(); ++i) {
      const db::Value& v = cursor->row()[i];
      std::string name = cursor->columns()[i], value = v.isNull() ? "NULL" : text(v);
      for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      if (v.kind() == db::Value::Kind::Integer || v.kind() == db::Value::Kind::Real ||
          (v.kind() == db::Value::Kind::Text && std::regex_match(value, number))) {
        char shortest[32];
        std::snprintf(shortest, sizeof shortest, "%.15g", num(v));
        value = shortest;
      }
      out += (i ? " " : "") + name + "=" + value;
    }
    out += '\n';
  }
  return out;
}

}  // namespace belvora::test
