// The public reader entry end to end: corpus invoices (CII, UBL Invoice and
// CreditNote, hybrid PDFs) read through clsXConverter and shown by the
// console viewer, compared with the expected views in tests/data/reader/view;
// bad input with its message and result; the console viewer's save.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <iostream>
#include <regex>
#include <sstream>

#include "ReaderTestSupport.h"
#include "belvora/clsXConverter.h"
#include "platform/db/Connection.h"
#include "platform/pdf/EmbeddedFiles.h"
#include "reader/ConsoleView.h"
#include "support/FakeInteraction.h"
#include "support/SharedArtefacts.h"

namespace fs = std::filesystem;
using belvora::test::readAll;
using belvora::test::rowsOf;
using belvora::test::text;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

const std::string kCorpus = belvora::test::CorpusDir();
const std::string kData = BELVORA_TEST_DATA_DIR;
const std::string kExample5 = kCorpus + "/en16931/cii/CII_example5.xml";
const std::string kHybrid = kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf";
const std::string kZugferd1 = kCorpus + "/pdf/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.pdf";

class XConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* t = std::getenv("TMPDIR")) oldTmp_ = t;
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    ::setenv("BELVORA_VIEW", "json", 1);
    ::unsetenv("BELVORA_ANSWER");
    oldOut_ = std::cout.rdbuf(captured_.rdbuf());
  }
  void TearDown() override {
    std::cout.rdbuf(oldOut_);
    ::unsetenv("BELVORA_VIEW");
    oldTmp_.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", oldTmp_.c_str(), 1);
  }

  bool run(const std::string& file, const std::string& folder = "", const std::string& connect = "",
           const std::string& table = "", const std::string& language = "GB", bool ask = false) {
    captured_.str("");
    return belvora::clsXConverter().XConverter(file, folder, connect, table, language, ask);
  }
  std::string output() const { return captured_.str(); }
  // The file the JSON view names: the input, or the work file of a PDF.
  std::string shownFile() const {
    std::smatch m;
    const std::string out = output();
    return std::regex_search(out, m, std::regex(R"re(^\{"file":"([^"]*)")re")) ? m[1].str() : "";
  }
  fs::path workFolder() const { return dir.path() / ("belvora-" + std::to_string(::getuid())); }
  // A work file of one read: zFile.xml in a folder of its own, gone once
  // the call has returned, like everything else the read kept there.
  void expectWorkFileOfOneRead(const std::string& path) const {
    EXPECT_EQ(fs::path(path).filename(), "zFile.xml") << path;
    EXPECT_EQ(fs::path(path).parent_path().parent_path(), workFolder()) << path;
    EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::is_empty(workFolder()));
  }

  belvora::test::TempDir dir;
  belvora::test::ScopedFakeInteraction ui;

 private:
  std::ostringstream captured_;
  std::streambuf* oldOut_ = nullptr;
  std::string oldTmp_;
};

TEST_F(XConverterTest, ShowsTheViewOfEveryKindOfInput) {
  BELVORA_REQUIRE_CORPUS();
  // A hybrid PDF is recognised by any letter case of its ending, and by content alone.
  fs::copy_file(kHybrid, dir / "RECHNUNG.PDF");
  fs::copy_file(kHybrid, dir / "rechnung.bin");
  struct Case {
    std::string file, language, view, expected;
  };
  const Case cases[] = {
      {kExample5, "GB", "json", "CII_example5.json"},
      {kExample5, "DE", "text", "CII_example5-DE.txt"},
      {kExample5, "FR", "text", "CII_example5-FR.txt"},  // every language but DE: English
      {kCorpus + "/en16931/ubl/ubl-tc434-example6.xml", "DE", "json", "ubl-tc434-example6.json"},
      // Credit note lines fill the line grid as invoice lines do.
      {kCorpus + "/ubl/mustang__UBL-CreditNote-2.1-Example.ubl.xml", "GB", "json",
       "UBL-CreditNote.json"},
      {kHybrid, "GB", "json", "XRECHNUNG_Einfach.json"},
      {dir / "RECHNUNG.PDF", "GB", "json", "XRECHNUNG_Einfach.json"},
      {dir / "rechnung.bin", "GB", "json", "XRECHNUNG_Einfach.json"},
      {kData + "/pdf/ubl-inside.pdf", "GB", "json", "ubl-inside.json"},  // read as UBL
      {kZugferd1, "GB", "json", "ZUGFeRD_1p0.json"},  // neither syntax: the cleared fields
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " " + c.language + " " + c.view);
    ::setenv("BELVORA_VIEW", c.view.c_str(), 1);
    ASSERT_TRUE(run(c.file, "", "", "", c.language));
    std::string shown = output();
    if (c.view == "json") {
      const std::string file = shownFile();
      if (file != c.file) expectWorkFileOfOneRead(file);
      // One field or grid row a line, the file's path left out.
      shown = std::regex_replace(shown.replace(9, file.size(), "<file>"),
                                 std::regex(R"(,(?=["\[]))"), ",\n");
    }
    EXPECT_EQ(shown, readAll(kData + "/reader/view/" + c.expected));
  }
  EXPECT_TRUE(ui->calls.empty());
}

TEST_F(XConverterTest, AttachmentsGoIntoAnExistingOutputFolderOnly) {
  BELVORA_REQUIRE_CORPUS();
  const std::string path = kCorpus + "/cii/ferd-zf24__EN16931_Elektron_Anlage_XML.xml";
  fs::create_directory(dir / "anlagen");
  ui->answers.push_back(false);  // do not open the folder
  ASSERT_TRUE(run(path, dir / "anlagen"));
  ASSERT_EQ(ui->calls.size(), 1u);
  EXPECT_EQ(ui->calls[0].text, "Open export folder?");
  EXPECT_FALSE(fs::is_empty(dir / "anlagen"));

  // A missing folder is reported, and the call fails: the attachments are lost.
  ui->calls.clear();
  ASSERT_FALSE(run(path, dir / "fehlt"));
  EXPECT_THAT(output(), HasSubstr(R"("InvoiceNumber":"181301674")"));  // still shown
  ASSERT_EQ(ui->messages().size(), 2u);
  EXPECT_EQ(ui->messages()[0].title, "Note");
  EXPECT_EQ(ui->messages()[0].text, "This output folder does not exist!");
  EXPECT_THAT(ui->messages()[1].text,
              StartsWith("These attachments were not saved in " + dir / "fehlt" + ":\r\n"));
  EXPECT_FALSE(fs::exists(dir / "fehlt"));

  // A document without attachments only gets the note; the call succeeds.
  ui->calls.clear();
  ASSERT_TRUE(run(kCorpus + "/en16931/cii/CII_example1.xml", dir / "fehlt"));
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_EQ(ui->messages()[0].text, "This output folder does not exist!");
}

TEST_F(XConverterTest, UnreadableFilesGiveTheirMessageAndFalse) {
  const std::string broken = kData + "/reader/broken/";
  belvora::test::writeAll(dir / "wirr.pdf", "%PDF-1.7\n\x01\x02 trailer <<>>");
  const std::string parseError = "XML-Error:\r\nDescription: ";
  const std::pair<std::string, std::string> cases[] = {
      {dir / "fehlt.xml", parseError},
      {broken + "empty.xml", parseError},
      {broken + "truncated.xml", parseError},
      {broken + "not-xml.txt", parseError},
      {broken + "no-invoice.pdf", "The PDF file carries no invoice: "},
      {broken + "truncated.pdf", "The PDF file "},
      {dir / "wirr.pdf", "The PDF file cannot be read: "},
  };
  for (const auto& [file, message] : cases) {
    SCOPED_TRACE(file);
    ui->calls.clear();
    EXPECT_FALSE(run(file));
    ASSERT_EQ(ui->messages().size(), 1u);
    EXPECT_EQ(ui->messages()[0].title, "belvora");
    EXPECT_THAT(ui->messages()[0].text, StartsWith(message));
    EXPECT_EQ(output(), "");  // no view
    EXPECT_TRUE(!fs::exists(workFolder()) || fs::is_empty(workFolder()));
  }
}

TEST_F(XConverterTest, ConsoleViewerSavesAsTheSaveButtonWould) {
  BELVORA_REQUIRE_CORPUS();
  const std::string connect = belvora::test::makeDatabase(belvora::test::Backend::Sqlite, dir);
  ASSERT_TRUE(run(kHybrid, "", connect, "tblDocuments", "GB", true));
  const std::string file = shownFile();  // the view comes first, whole
  ASSERT_EQ(ui->calls.size(), 2u);
  EXPECT_EQ(ui->calls[0].text, "Incoming invoice + file save into database?");
  EXPECT_EQ(ui->calls[1].text, "Invoice and File: " + file + " saved.\r\n");
  expectWorkFileOfOneRead(file);
  auto db = belvora::db::open(connect);
  auto docs = rowsOf(*db, "SELECT FileName, FileType, BinaryFile FROM tblDocuments");
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(text(docs[0][0]), "zFile.xml");
  EXPECT_EQ(text(docs[0][1]), "xml");
  // The document stored is the one shown: this PDF's own invoice.
  const auto& blob = docs[0][2].blob();
  EXPECT_EQ(std::string(blob.begin(), blob.end()),
            belvora::pdf::findInvoiceXml(readAll(kHybrid))->data);
  EXPECT_EQ(rowsOf(*db, "SELECT Pos FROM tblInvoice_Items").size(), 2u);

  // A document in neither syntax offers nothing to store.
  ui->calls.clear();
  ASSERT_TRUE(run(kZugferd1, "", connect, "tblDocuments", "GB", true));
  EXPECT_TRUE(ui->calls.empty());
}

TEST_F(XConverterTest, StoreFailuresAreReportedAndFailTheCall) {
  BELVORA_REQUIRE_CORPUS();
  const std::string connect = belvora::test::makeDatabase(belvora::test::Backend::Sqlite, dir);
  EXPECT_FALSE(run(kExample5, "", connect, "tblFehlt", "GB", false));
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_EQ(ui->messages()[0].text, "Invoice not saved in database!\r\ntable not found: tblFehlt");
  EXPECT_THAT(output(), HasSubstr("TOSL110")) << "the view was shown all the same";

  // Declining the save is no failure.
  ui->calls.clear();
  ui->answers = {false};
  EXPECT_TRUE(run(kExample5, "", connect, "tblDocuments", "GB", true));
  EXPECT_TRUE(ui->messages().empty());
}

TEST(ViewAsJson, EscapesEveryTextSoTheObjectStaysValid) {
  belvora::reader::ViewModel v;
  v.clear();
  v.txtRechnungdaten[belvora::reader::InvoiceNumber] = "RE \"7\"\\8\r\n\t\x01 Grüße \xFF";
  v.lvTable.addRow("1").cells[1] = "Ärmel";
  const std::string out = belvora::reader::ViewAsJson(v, "/tmp/x.xml");
  EXPECT_THAT(out, StartsWith(R"({"file":"/tmp/x.xml","syntax":0,"fields":{)"));
  EXPECT_THAT(out, HasSubstr(R"("InvoiceNumber":"RE \"7\"\\8\r\n\t\u0001 Grüße \ufffd")"));
  EXPECT_THAT(out, HasSubstr(R"("items":[["1","Ärmel","",)"));
  EXPECT_THAT(out, HasSubstr(R"("TaxAmount":"0,00")"));
  EXPECT_EQ(out.find('\n'), std::string::npos);
}

}  // namespace
