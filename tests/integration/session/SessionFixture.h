#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/db/Connection.h"
#include "platform/sys/Clock.h"
#include "platform/sys/Files.h"
#include "support/FakeInteraction.h"
#include "support/TempDir.h"

namespace belvora::test {

// One row of the documents table.
struct StoredDocument {
  std::string docType;
  std::string number;
  std::string bytes;
  std::string fileName;
  std::string fileType;
  std::int64_t fileSize = 0;
};

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

  std::vector<StoredDocument> storedDocuments() {
    auto c = db::open(connect());
    auto rows = c->query(
        "SELECT DocType, Number, BinaryFile, FileName, FileType, FileSize FROM tblDocuments "
        "ORDER BY ID");
    std::vector<StoredDocument> docs;
    while (rows->next()) {
      const auto& r = rows->row();
      StoredDocument d;
      d.docType = r[0].text();
      d.number = r[1].text();
      d.bytes.assign(r[2].blob().begin(), r[2].blob().end());
      d.fileName = r[3].text();
      d.fileType = r[4].text();
      d.fileSize = r[5].integer();
      docs.push_back(std::move(d));
    }
    return docs;
  }

  std::vector<FakeInteraction::Call> messages() { return ui->messages(); }
  std::vector<FakeInteraction::Call> questions() {
    std::vector<FakeInteraction::Call> q;
    for (const auto& c : ui->calls)
      if (c.kind == "question") q.push_back(c);
    return q;
  }

  TempDir dir;
  std::string dbPath;
  ScopedFakeInteraction ui;
};

}  // namespace belvora::test
