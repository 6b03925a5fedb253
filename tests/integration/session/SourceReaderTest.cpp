// Reading the creation source into the invoice model, against a real SQLite
// file: every term through its column, the forms older sources use, and
// each kind of value that cannot be used. Rows and expected terms are in
// tests/data/session/.
#include "session/SourceReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "SourceRows.h"
#include "platform/db/Connection.h"
#include "support/TempDir.h"

namespace belvora::test {
namespace {

using session::BadValue;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

// The lines of a file under tests/data/session/.
std::vector<std::string> DataLines(const std::string& name) {
  // A missing file has no lines.
  std::istringstream in(readAll(std::string(BELVORA_TEST_DATA_DIR) + "/session/" + name));
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Term lines in byte order: each names its group entry, so order tells nothing more.
std::vector<std::string> Sorted(std::vector<std::string> terms) {
  std::sort(terms.begin(), terms.end());
  return terms;
}

class SourceReading : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(dir / "source.sqlite");  // an empty file is an empty database
    c = db::open("Data Source=" + dir / "source.sqlite");
  }

  // Runs a script of tests/data/session/: one statement per line.
  void load(const std::string& name) {
    for (const std::string& line : DataLines(name))
      if (!line.empty() && line.rfind("--", 0) != 0) c->execute(line);
  }

  // Reads the rows of `sql` as the creation run does.
  model::Invoice read(const std::string& sql) {
    auto rows = c->query(sql);
    session::SourceReader reader(rows->columns());
    std::size_t n = 0;
    while (rows->next()) reader.add(rows->row(), ++n);
    model::Invoice invoice = reader.finish();
    bad = reader.badValues();
    return invoice;
  }

  std::vector<std::string> badTexts() const {
    std::vector<std::string> out;
    for (const BadValue& b : bad)
      out.push_back(b.column + "@" + std::to_string(b.row) + " \"" + b.value + "\" " + b.reason);
    return out;
  }

  TempDir dir;
  std::unique_ptr<db::Connection> c;
  std::vector<BadValue> bad;
};

// Each source of tests/data/session/ (<name>.sql) gives the terms of
// <name>.terms and names the bad values of <name>.bad, if any.
TEST_F(SourceReading, SourcesGiveTheirTermsAndNameEachBadValue) {
  for (const std::string name : {"full_invoice", "older_source", "bad_values", "line_groups"}) {
    SCOPED_TRACE(name);
    c->execute("DROP TABLE IF EXISTS Source");
    if (name == "full_invoice") c->execute(SourceTableStatement("Source"));
    load(name + ".sql");
    const model::Invoice i = read("SELECT * FROM Source ORDER BY rowid");
    EXPECT_THAT(badTexts(), ElementsAreArray(DataLines(name + ".bad")));
    EXPECT_THAT(Sorted(Terms(i)), ElementsAreArray(DataLines(name + ".terms")));
  }
}

TEST_F(SourceReading, LinesKnowTheirSourceRowAndTheFirstHoldsTheDocument) {
  c->execute(SourceTableStatement("Source"));
  load("full_invoice.sql");
  const model::Invoice i = read("SELECT * FROM Source ORDER BY RowNo");
  ASSERT_EQ(i.lines.size(), 2u);
  EXPECT_EQ(i.lines[0].sourceRow, 1u);
  EXPECT_EQ(i.lines[1].sourceRow, 2u);
  // Group rows before the lines: the first line row still holds the document.
  const model::Invoice reordered = read("SELECT * FROM Source ORDER BY RowKind IS NULL, RowNo");
  EXPECT_EQ(Terms(reordered), Terms(i));
  EXPECT_EQ(reordered.lines[0].sourceRow, 23u)
      << "rows are counted as the source delivers them: 22 group rows came first";
}

TEST_F(SourceReading, BadValuesAreListedInOneBoundedMessage) {
  // SQLite keeps no NaN; other databases deliver it.
  session::SourceReader direct({"BT129"});
  direct.add({db::Value(std::nan(""))}, 1);
  ASSERT_EQ(direct.badValues().size(), 1u);
  EXPECT_EQ(direct.badValues()[0].value, "NaN");
  EXPECT_EQ(direct.badValues()[0].reason, "is not a finite number");
  const std::string text = session::BadValuesText(
      {{"BT2", 1, "2025-02-30", "is not a date"}, {"BT9", 1, "0000-01-01", "is not a date"}});
  EXPECT_EQ(
      text,
      "The data source holds values that cannot be used:\r\nBT2, row 1: \"2025-02-30\" is not "
      "a date\r\nBT9, row 1: \"0000-01-01\" is not a date\r\nPlease check your data source!");
  std::vector<BadValue> many(25, BadValue{"BT131", 1, std::string(200, 'x'), "is not a number"});
  const std::string bounded = session::BadValuesText(many);
  EXPECT_THAT(bounded, HasSubstr("\r\n... and 5 more\r\n"));
  EXPECT_THAT(bounded, HasSubstr("\"" + std::string(60, 'x') + "...\""));
}

TEST_F(SourceReading, EmbeddedFilesAreReadOrNamedAsMissing) {
  const std::string pdf = dir / "Rechnung & Lieferschein.pdf";
  writeAll(pdf, std::string("%PDF\0x", 6));
  writeAll(dir / "foto.JPEG", "jpeg");
  writeAll(dir / "brief.docx", "docx");
  std::vector<model::Attachment> files;
  std::vector<BadValue> problems;
  session::ReadEmbeddedFiles(pdf + ";" + dir / "foto.JPEG" + "; " + dir / "brief.docx" + ";" +
                                 dir / "missing.pdf" + ";/proc/self/mem;" + dir.path().string() +
                                 ";",
                             files, problems);
  std::vector<std::string> read;
  for (const auto& f : files)
    read.push_back(f.id + "|" + f.description + "|" + f.fileName + "|" + f.mimeCode + "|" +
                   f.content);
  // A five-character ending is known; an unknown one is referenced, not embedded.
  EXPECT_THAT(read, ElementsAre("Rechnung & Lieferschein.pdf|Rechnung & Lieferschein.pdf|"
                                "Rechnung & Lieferschein.pdf|application/pdf|" +
                                    std::string("%PDF\0x", 6),
                                "foto.JPEG|foto.JPEG|foto.JPEG|image/jpeg|jpeg",
                                "brief.docx|brief.docx|brief.docx||"));
  bad = problems;
  EXPECT_THAT(
      badTexts(),
      ElementsAre("EmbeddedFile@0 \"" + dir / "missing.pdf" + "\" does not exist or is no file",
                  "EmbeddedFile@0 \"/proc/self/mem\" cannot be read: Input/output error",
                  "EmbeddedFile@0 \"" + dir.path().string() + "\" does not exist or is no file"));
  EXPECT_THAT(session::BadValuesText(problems),
              HasSubstr("\r\nEmbeddedFile: \"/proc/self/mem\" cannot be read: Input/output error"));
}

}  // namespace
}  // namespace belvora::test
