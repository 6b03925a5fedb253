#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/db/Connection.h"
#include "platform/sys/Clock.h"
#include "platform/sys/Files.h"
#include "support/FakeInteraction.h"
#include "support/TempDir.h"

namespace belvora::test {

// A row of a query result by lower-case column name; every value as text
// (a BLOB's bytes, a number's digits, NULL as "").
using Row = std::map<std::string, std::string>;

inline std::vector<Row> Rows(const std::string& connect, const std::string& sql) {
  auto c = db::open(connect);
  auto rows = c->query(sql);
  std::vector<std::string> names = rows->columns();
  for (auto& n : names)
    for (char& ch : n) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  std::vector<Row> out;
  while (rows->next()) {
    Row& r = out.emplace_back();
    for (std::size_t k = 0; k < names.size(); ++k) {
      const db::Value& v = rows->row()[k];
      using K = db::Value::Kind;
      r[names[k]] = v.kind() == K::Text      ? v.text()
                    : v.kind() == K::Integer ? std::to_string(v.integer())
                    : v.kind() == K::Real    ? std::to_string(static_cast<std::int64_t>(v.real()))
                    : v.kind() == K::Blob    ? std::string(v.blob().begin(), v.blob().end())
                                             : "";
    }
  }
  return out;
}

// The documents table row of a stored file.
inline Row Stored(const std::string& type, const std::string& number, const std::string& bytes,
                  const std::string& name) {
  return {{"doctype", type},
          {"number", number},
          {"binaryfile", bytes},
          {"filename", name},
          {"filetype", name.substr(name.size() - 3)},
          {"filesize", std::to_string(bytes.size())}};
}

// A private copy of the template database (invoices 252068 to 252071), a
// private settings folder, a pinned clock and the scripted interaction.
class SessionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    ::unsetenv("BELVORA_ANSWER");
    sys::setTodayForTesting(std::chrono::year_month_day{
        std::chrono::year{2025}, std::chrono::month{3}, std::chrono::day{14}});
    dbPath = dir / "erp.sqlite";
    std::filesystem::copy_file(BELVORA_TEMPLATE_DB, dbPath);
    std::filesystem::create_directory(dir / "out");
  }
  void TearDown() override {
    sys::setTodayForTesting(std::nullopt);
    ::unsetenv("XDG_CONFIG_HOME");
  }

  std::string connect() const { return "Data Source=" + dbPath; }
  std::string out(const std::string& name) const { return dir / ("out/" + name); }
  bool outIsEmpty() const { return std::filesystem::is_empty(dir / "out"); }

  void exec(const std::string& sql, const std::vector<db::Value>& params = {}) {
    db::open(connect())->execute(sql, params);
  }

  // Copies the rows of invoice `from` as invoice `to`.
  void copyInvoice(const std::string& from, const std::string& to) {
    auto c = db::open(connect());
    c->execute("CREATE TEMP TABLE copy AS SELECT * FROM VorlageXRechnung WHERE BT1 = ?", {from});
    c->execute("UPDATE copy SET BT1 = ?", {to});
    c->execute("INSERT INTO VorlageXRechnung SELECT * FROM copy");
  }

  std::vector<Row> storedDocuments(const std::string& connectString = "",
                                   const std::string& table = "tblDocuments") {
    return Rows(connectString.empty() ? connect() : connectString,
                "SELECT DocType, Number, BinaryFile, FileName, FileType, FileSize FROM " + table +
                    " ORDER BY ID");
  }

  // The messages (or the questions) shown, each as "title|icon|text"; icons
  // i(nformation), !(exclamation), x (critical), ?(question).
  std::vector<std::string> shown(const std::string& kind = "message") {
    static const char* kIcons[] = {"", "i", "!", "x", "?"};
    std::vector<std::string> out;
    for (const auto& c : ui->calls)
      if (c.kind == kind)
        out.push_back(c.title + "|" + kIcons[static_cast<int>(c.icon)] + "|" + c.text);
    return out;
  }
  // The first message's text, for failing assertions.
  std::string first() { return ui->calls.empty() ? "" : ui->calls.front().text; }

  TempDir dir;
  std::string dbPath;
  ScopedFakeInteraction ui;
};

}  // namespace belvora::test
