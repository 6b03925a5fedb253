#pragma once

// Databases for the storing tests: a private copy of the template SQLite
// database, or a private schema on the PostgreSQL test server reached
// through psqlodbc. Plus a small JSON reader for the console view's output.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/db/Connection.h"
#include "support/TempDir.h"
#include "text/Texte.h"

namespace belvora::test {

enum class Backend { Sqlite, Postgres };

inline std::string backendName(Backend b) { return b == Backend::Sqlite ? "SQLite" : "PostgreSQL"; }

// Private schema of the reader tests on the shared PostgreSQL database.
inline constexpr const char* kPgSchema = "belvora_reader_test";

inline std::map<std::string, std::string> odbcParts(const std::string& cs) {
  std::map<std::string, std::string> parts;
  std::stringstream s(cs);
  for (std::string part; std::getline(s, part, ';');) {
    auto eq = part.find('=');
    if (eq == std::string::npos) continue;
    std::string key = part.substr(0, eq);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    parts[key] = part.substr(eq + 1);
  }
  return parts;
}

// The PostgreSQL connection string, or skips the test (fails it when
// BELVORA_REQUIRE_PG=1) when no server was started.
inline std::string pgConnectionOrSkip() {
  const char* cs = std::getenv("BELVORA_PG_ODBC");
  if (cs && *cs) return cs;
  const char* require = std::getenv("BELVORA_REQUIRE_PG");
  if (require && std::string(require) == "1") {
    ADD_FAILURE() << "BELVORA_PG_ODBC is not set but BELVORA_REQUIRE_PG=1";
  }
  return {};
}

// Creates the incoming-invoice tables and a documents table named
// `documentsTable` in a fresh database of the backend; returns its
// connection string. SQLite: a copy of the template database (which holds
// tblDocuments and the incoming tables). PostgreSQL: a private schema made
// from the shipped scripts, found through the connection's search path.
inline std::string makeDatabase(Backend backend, const TempDir& dir) {
  if (backend == Backend::Sqlite) {
    const std::string path = dir / "erp.sqlite";
    std::filesystem::copy_file(BELVORA_TEMPLATE_DB, path);
    return "Data Source=" + path;
  }
  std::string pg = pgConnectionOrSkip();
  if (pg.empty()) return {};
  auto p = odbcParts(pg);
  const std::string psql = "PGPASSWORD='" + p["pwd"] + "' PGOPTIONS='-c search_path=" + kPgSchema +
                           "' psql -X -q -v ON_ERROR_STOP=1 -h " + p["server"] + " -p " +
                           p["port"] + " -U " + p["uid"] + " -d " + p["database"];
  const std::string sql = std::string(BELVORA_SOURCE_DIR) + "/sql/postgresql/";
  const std::string command =
      psql + " -c 'SET client_min_messages = warning' -c 'DROP SCHEMA IF EXISTS " + kPgSchema +
      " CASCADE' -c 'CREATE SCHEMA " + kPgSchema + "' && " + psql + " -f " + sql +
      "01_xrechnung_tables.sql -f " + sql + "incoming.sql > /dev/null";
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "cannot prepare the PostgreSQL schema: " << command;
    return {};
  }
  if (!pg.empty() && pg.back() != ';') pg += ';';
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

// ---- JSON ---------------------------------------------------------------------

// Enough JSON for the view object: objects, arrays, strings (with escapes),
// numbers, true/false/null. Throws std::runtime_error on anything else.
struct Json {
  using Object = std::map<std::string, Json>;
  using Array = std::vector<Json>;
  std::variant<std::nullptr_t, bool, double, std::string, Array, Object> v;

  const Json& operator[](const std::string& key) const {
    const auto& o = std::get<Object>(v);
    auto it = o.find(key);
    if (it == o.end()) throw std::runtime_error("no key " + key);
    return it->second;
  }
  const Json& operator[](std::size_t i) const { return std::get<Array>(v).at(i); }
  const std::string& str() const { return std::get<std::string>(v); }
  double number() const { return std::get<double>(v); }
  const Array& array() const { return std::get<Array>(v); }
  const Object& object() const { return std::get<Object>(v); }

  static Json parse(const std::string& s) {
    std::size_t i = 0;
    Json j = value(s, i);
    ws(s, i);
    if (i != s.size()) throw std::runtime_error("trailing text in JSON");
    return j;
  }

 private:
  static void ws(const std::string& s, std::size_t& i) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  }
  static void expect(const std::string& s, std::size_t& i, char c) {
    ws(s, i);
    if (i >= s.size() || s[i] != c) throw std::runtime_error(std::string("JSON: expected ") + c);
    ++i;
  }
  static std::string string(const std::string& s, std::size_t& i) {
    expect(s, i, '"');
    std::string out;
    while (i < s.size() && s[i] != '"') {
      char c = s[i++];
      if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("JSON: raw control");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i >= s.size()) throw std::runtime_error("JSON: cut escape");
      char e = s[i++];
      switch (e) {
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case '/':
          out += '/';
          break;
        case '\\':
          out += '\\';
          break;
        case '"':
          out += '"';
          break;
        case 'u': {
          unsigned cp = std::stoul(s.substr(i, 4), nullptr, 16);
          i += 4;
          if (cp < 0x80) {
            out += static_cast<char>(cp);
          } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
          } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
          }
          break;
        }
        default:
          throw std::runtime_error("JSON: bad escape");
      }
    }
    expect(s, i, '"');
    return out;
  }
  static Json value(const std::string& s, std::size_t& i) {
    ws(s, i);
    if (i >= s.size()) throw std::runtime_error("JSON: unexpected end");
    Json j;
    if (s[i] == '{') {
      ++i;
      Object o;
      ws(s, i);
      if (s[i] == '}') {
        ++i;
      } else {
        for (;;) {
          std::string key = string(s, i);
          expect(s, i, ':');
          o[key] = value(s, i);
          ws(s, i);
          if (s[i] == ',') {
            ++i;
            continue;
          }
          expect(s, i, '}');
          break;
        }
      }
      j.v = std::move(o);
    } else if (s[i] == '[') {
      ++i;
      Array a;
      ws(s, i);
      if (s[i] == ']') {
        ++i;
      } else {
        for (;;) {
          a.push_back(value(s, i));
          ws(s, i);
          if (s[i] == ',') {
            ++i;
            continue;
          }
          expect(s, i, ']');
          break;
        }
      }
      j.v = std::move(a);
    } else if (s[i] == '"') {
      j.v = string(s, i);
    } else if (s.compare(i, 4, "true") == 0) {
      j.v = true;
      i += 4;
    } else if (s.compare(i, 5, "false") == 0) {
      j.v = false;
      i += 5;
    } else if (s.compare(i, 4, "null") == 0) {
      j.v = nullptr;
      i += 4;
    } else {
      std::size_t used = 0;
      j.v = std::stod(s.substr(i), &used);
      i += used;
    }
    return j;
  }
};

}  // namespace belvora::test
