// The public reader entry end to end: corpus invoices (CII, UBL Invoice and
// CreditNote, hybrid PDFs) read through clsXConverter and shown by the
// console viewer as JSON, which is parsed and checked against values taken
// from the documents independently; bad input with its message and result;
// the console viewer's save.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <stdlib.h>

#include <filesystem>
#include <iostream>
#include <sstream>

#include "ReaderTestSupport.h"
#include "belvora/clsXConverter.h"
#include "platform/db/Connection.h"
#include "platform/pdf/EmbeddedFiles.h"
#include "reader/ConsoleView.h"
#include "reader/ReaderSettings.h"
#include "support/FakeInteraction.h"
#include "support/SharedArtefacts.h"

namespace fs = std::filesystem;
using belvora::clsXConverter;
using belvora::test::Json;
using belvora::test::readAll;
using belvora::test::rowsOf;
using belvora::test::text;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

const std::string kCorpus = belvora::test::CorpusDir();
const std::string kPdfData = std::string(BELVORA_TEST_DATA_DIR) + "/pdf";

// XPath over the document with local names only: independent of the
// reader's namespace handling.
class Probe {
 public:
  explicit Probe(const std::string& xml) {
    doc_ = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "probe.xml", nullptr,
                         XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc_) ctx_ = xmlXPathNewContext(doc_);
  }
  ~Probe() {
    if (ctx_) xmlXPathFreeContext(ctx_);
    if (doc_) xmlFreeDoc(doc_);
  }
  std::string str(const std::string& expr) {
    xmlXPathObjectPtr r = xmlXPathEvalExpression(
        reinterpret_cast<const xmlChar*>(("string(" + expr + ")").c_str()), ctx_);
    std::string out = r && r->stringval ? reinterpret_cast<const char*>(r->stringval) : "";
    xmlXPathFreeObject(r);
    return out;
  }
  std::size_t count(const std::string& expr) {
    xmlXPathObjectPtr r = xmlXPathEvalExpression(
        reinterpret_cast<const xmlChar*>(("count(" + expr + ")").c_str()), ctx_);
    std::size_t out = r ? static_cast<std::size_t>(r->floatval) : 0;
    xmlXPathFreeObject(r);
    return out;
  }

 private:
  xmlDocPtr doc_ = nullptr;
  xmlXPathContextPtr ctx_ = nullptr;
};

std::string ln(const std::string& name) { return "*[local-name()='" + name + "']"; }

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
    if (oldTmp_.empty()) {
      ::unsetenv("TMPDIR");
    } else {
      ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    }
  }

  bool run(const std::string& file, const std::string& folder = "", const std::string& connect = "",
           const std::string& table = "", const std::string& language = "GB", bool ask = false) {
    captured_.str("");
    clsXConverter converter;
    return converter.XConverter(file, folder, connect, table, language, ask);
  }
  std::string output() const { return captured_.str(); }
  Json json() const { return Json::parse(output()); }
  fs::path workFolder() const { return dir.path() / ("belvora-" + std::to_string(::getuid())); }
  // A work file of one read: zFile.xml in a folder of its own, gone once
  // the call has returned, like everything else the read kept there.
  void expectWorkFileOfOneRead(const std::string& path) const {
    EXPECT_EQ(fs::path(path).filename(), "zFile.xml") << path;
    EXPECT_EQ(fs::path(path).parent_path().parent_path(), workFolder()) << path;
    EXPECT_FALSE(fs::exists(path)) << path;
    EXPECT_TRUE(fs::is_empty(workFolder()));
  }
  // The invoice a hybrid PDF carries, taken out independently of the read.
  static std::string invoiceOf(const std::string& pdf) {
    auto found = belvora::pdf::findInvoiceXml(readAll(pdf));
    return found ? found->data : std::string();
  }

  belvora::test::TempDir dir;
  belvora::test::ScopedFakeInteraction ui;

 private:
  std::ostringstream captured_;
  std::streambuf* oldOut_ = nullptr;
  std::string oldTmp_;
};

// ---- corpus invoices ---------------------------------------------------------------

TEST_F(XConverterTest, CiiInvoice) {
  BELVORA_REQUIRE_CORPUS();
  const std::string path = kCorpus + "/en16931/cii/CII_example5.xml";
  ASSERT_TRUE(run(path));
  Probe p(readAll(path));
  Json j = json();
  EXPECT_EQ(j["file"].str(), path);
  EXPECT_EQ(j["syntax"].number(), 1);
  EXPECT_EQ(j["fields"]["InvoiceNumber"].str(),
            p.str("//" + ln("ExchangedDocument") + "/" + ln("ID")));
  EXPECT_EQ(j["fields"]["SellerName"].str(),
            p.str("//" + ln("SellerTradeParty") + "/" + ln("Name")));
  EXPECT_EQ(j["fields"]["BuyerName"].str(), p.str("//" + ln("BuyerTradeParty") + "/" + ln("Name")));
  EXPECT_EQ(j["fields"]["InvoiceDate"].str(), "10.04.2013");
  EXPECT_EQ(j["fields"]["SumOfNet"].str(), "4,000.00");
  EXPECT_EQ(j["fields"]["PaymentDue"].str(), "2,337.50");
  EXPECT_EQ(j["fields"].object().size(), 47u);
  EXPECT_EQ(j["items"].array().size(), p.count("//" + ln("IncludedSupplyChainTradeLineItem")));
  EXPECT_EQ(j["items"][0].array().size(), 8u);
  EXPECT_EQ(j["taxes"][0].array().size(), 4u);
  EXPECT_EQ(j["deductions"].array().size(), p.count("//" + ln("SpecifiedTradeAllowanceCharge")));
  EXPECT_EQ(j["deductions"][0].array().size(), 5u);
  EXPECT_TRUE(ui->calls.empty());
}

TEST_F(XConverterTest, UblInvoiceAndCreditNote) {
  BELVORA_REQUIRE_CORPUS();
  const std::string invoice = kCorpus + "/en16931/ubl/ubl-tc434-example6.xml";
  ASSERT_TRUE(run(invoice, "", "", "", "DE"));
  Probe pi(readAll(invoice));
  Json j = json();
  EXPECT_EQ(j["syntax"].number(), 3);
  EXPECT_EQ(j["fields"]["InvoiceNumber"].str(), pi.str("/*/" + ln("ID")));
  EXPECT_EQ(j["items"].array().size(), pi.count("//" + ln("InvoiceLine")));

  const std::string credit = kCorpus + "/ubl/mustang__UBL-CreditNote-2.1-Example.ubl.xml";
  ASSERT_TRUE(run(credit));
  Probe pc(readAll(credit));
  j = json();
  EXPECT_EQ(j["syntax"].number(), 2);
  EXPECT_EQ(j["fields"]["InvoiceNumber"].str(), pc.str("/*/" + ln("ID")));
  // Credit note lines fill the line grid as invoice lines do.
  ASSERT_EQ(j["items"].array().size(), pc.count("//" + ln("CreditNoteLine")));
  EXPECT_GT(j["items"].array().size(), 0u);
  EXPECT_EQ(j["items"][0][0].str(), pc.str("//" + ln("CreditNoteLine") + "[1]/" + ln("ID")));
}

TEST_F(XConverterTest, HybridPdfsAreReadThroughTheirEmbeddedInvoice) {
  BELVORA_REQUIRE_CORPUS();
  const std::string pdf = kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf";
  ASSERT_TRUE(run(pdf));
  Json j = json();
  expectWorkFileOfOneRead(j["file"].str());
  EXPECT_EQ(j["syntax"].number(), 1);
  Probe p(invoiceOf(pdf));
  EXPECT_EQ(j["fields"]["InvoiceNumber"].str(),
            p.str("//" + ln("ExchangedDocument") + "/" + ln("ID")));
  EXPECT_FALSE(j["fields"]["InvoiceNumber"].str().empty());
  EXPECT_EQ(j["items"].array().size(), p.count("//" + ln("IncludedSupplyChainTradeLineItem")));

  // Recognised by any letter case of its ending, and by content alone.
  fs::copy_file(pdf, dir / "RECHNUNG.PDF");
  ASSERT_TRUE(run(dir / "RECHNUNG.PDF"));
  EXPECT_EQ(json()["fields"]["InvoiceNumber"].str(), j["fields"]["InvoiceNumber"].str());
  fs::copy_file(pdf, dir / "rechnung.bin");
  ASSERT_TRUE(run(dir / "rechnung.bin"));
  expectWorkFileOfOneRead(json()["file"].str());

  // A UBL invoice inside a PDF is read as UBL.
  ASSERT_TRUE(run(kPdfData + "/ubl-inside.pdf"));
  EXPECT_EQ(json()["syntax"].number(), 3);

  // ZUGFeRD 1.0 is neither syntax: read, with the cleared fields.
  ASSERT_TRUE(run(kCorpus + "/pdf/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.pdf"));
  j = json();
  EXPECT_EQ(j["syntax"].number(), 0);
  EXPECT_EQ(j["fields"]["InvoiceNumber"].str(), "");
  EXPECT_EQ(j["fields"]["InvoiceType"].str(), "380");
  EXPECT_TRUE(ui->calls.empty());
}

TEST_F(XConverterTest, TextViewShowsTheCaptionsOfTheLanguage) {
  BELVORA_REQUIRE_CORPUS();
  ::setenv("BELVORA_VIEW", "text", 1);
  const std::string path = kCorpus + "/en16931/cii/CII_example5.xml";
  ASSERT_TRUE(run(path, "", "", "", "DE"));
  std::string out = output();
  for (const char* caption : {"Rechnung\n", "Rechnungssteller\n", "Rechnungsempfänger\n",
                              "Positionen\n", "Zahlungen (Detail)\n", "Gründe\n", "Rechnungs-Nr",
                              "Summe Nettobeträge", "Artikel", "Ust-Betrag", "Grundbetrag"}) {
    EXPECT_THAT(out, HasSubstr(caption));
  }
  EXPECT_THAT(out, HasSubstr("TOSL110"));
  EXPECT_THAT(out, HasSubstr("4.000,00"));
  EXPECT_THAT(out, HasSubstr("Printing paper"));

  ASSERT_TRUE(run(path, "", "", "", "FR"));
  out = output();
  for (const char* caption :
       {"Invoice\n", "Seller Party\n", "Billing Party\n", "Items\n", "Payment (details)\n",
        "Reasons for deduction\n", "Invoice - Number", "Sum of net amounts", "VAT-Amount"}) {
    EXPECT_THAT(out, HasSubstr(caption));
  }
  EXPECT_THAT(out, HasSubstr("4,000.00"));
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
  EXPECT_EQ(json()["fields"]["InvoiceNumber"].str(), "181301674");  // still shown
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

// ---- bad input -----------------------------------------------------------------------

TEST_F(XConverterTest, UnreadableFilesGiveTheirMessageAndFalse) {
  BELVORA_REQUIRE_CORPUS();
  std::ofstream(dir / "leer.xml").close();
  std::ofstream(dir / "kaputt.xml") << "<?xml version=\"1.0\"?>\n<rsm:CrossIndustryInvoice";
  std::ofstream(dir / "text.xml") << "Dies ist keine Rechnung.";
  const std::string bytes = readAll(kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf");
  std::ofstream(dir / "halb.pdf", std::ios::binary) << bytes.substr(0, bytes.size() / 3);
  std::ofstream(dir / "wirr.pdf", std::ios::binary) << "%PDF-1.7\n\x01\x02 trailer <<>>";
  const std::string parseError = "XML-Error:\r\nDescription: ";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {dir / "fehlt.xml", parseError},
      {dir / "leer.xml", parseError},
      {dir / "kaputt.xml", parseError},
      {dir / "text.xml", parseError},
      {kPdfData + "/no-invoice.pdf", "The PDF file carries no invoice: "},
      {dir / "halb.pdf", "The PDF file "},
      {dir / "wirr.pdf", "The PDF file cannot be read: "},
  };
  for (const auto& [file, message] : cases) {
    ui->calls.clear();
    EXPECT_FALSE(run(file)) << file;
    ASSERT_EQ(ui->messages().size(), 1u) << file;
    EXPECT_EQ(ui->messages()[0].title, "belvora");
    EXPECT_THAT(ui->messages()[0].text, StartsWith(message)) << file;
    EXPECT_EQ(output(), "") << file;  // no view
    EXPECT_TRUE(!fs::exists(workFolder()) || fs::is_empty(workFolder())) << file;
  }
  ui->calls.clear();
  EXPECT_FALSE(run(dir / "fehlt.xml", "", "", "", "DE"));
  EXPECT_THAT(ui->messages().at(0).text, StartsWith("XML-Fehler:\r\nBeschreibung: "));
}

// ---- the console viewer's save ---------------------------------------------------------

TEST_F(XConverterTest, ConsoleViewerSavesAsTheSaveButtonWould) {
  BELVORA_REQUIRE_CORPUS();
  const std::string connect = belvora::test::makeDatabase(belvora::test::Backend::Sqlite, dir);
  const std::string pdf = kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf";
  ASSERT_TRUE(run(pdf, "", connect, "tblDocuments", "GB", true));
  Json j = json();  // the view comes first, whole
  ASSERT_EQ(ui->calls.size(), 2u);
  EXPECT_EQ(ui->calls[0].text, "Incoming invoice + file save into database?");
  EXPECT_EQ(ui->calls[1].text, "Invoice and File: " + j["file"].str() + " saved.\r\n");
  expectWorkFileOfOneRead(j["file"].str());

  auto db = belvora::db::open(connect);
  const std::string number = j["fields"]["InvoiceNumber"].str();
  auto docs = rowsOf(
      *db, "SELECT FileName, FileType, BinaryFile FROM tblDocuments WHERE Number = ?", {number});
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(text(docs[0][0]), "zFile.xml");
  EXPECT_EQ(text(docs[0][1]), "xml");
  const auto& blob = docs[0][2].blob();
  // The document stored is the one shown: this PDF's own invoice.
  EXPECT_EQ(std::string(blob.begin(), blob.end()), invoiceOf(pdf));
  EXPECT_EQ(
      rowsOf(*db, "SELECT Pos FROM tblInvoice_Items WHERE InvoiceNumber = ?", {number}).size(),
      j["items"].array().size());

  // A document in neither syntax offers nothing to store.
  ui->calls.clear();
  ASSERT_TRUE(run(kCorpus + "/pdf/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.pdf", "", connect,
                  "tblDocuments", "GB", true));
  EXPECT_TRUE(ui->calls.empty());
}

TEST_F(XConverterTest, StoreFailuresAreReportedAndFailTheCall) {
  BELVORA_REQUIRE_CORPUS();
  const std::string connect = belvora::test::makeDatabase(belvora::test::Backend::Sqlite, dir);
  const std::string path = kCorpus + "/en16931/cii/CII_example5.xml";

  EXPECT_FALSE(run(path, "", connect, "tblFehlt", "GB", false));
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_EQ(ui->messages()[0].text, "Invoice not saved in database!\r\ntable not found: tblFehlt");
  EXPECT_THAT(output(), HasSubstr("TOSL110")) << "the view was shown all the same";

  ui->calls.clear();
  EXPECT_FALSE(
      run(path, "", "Data Source=" + dir / "nirgends/erp.sqlite", "tblDocuments", "GB", false));
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_THAT(ui->messages()[0].text, StartsWith("Fehler: "));

  ui->calls.clear();
  EXPECT_FALSE(run(path, "", "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb", "tblDocuments"));
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_THAT(ui->messages()[0].text, StartsWith("Fehler: "));

  // Declining the save is no failure.
  ui->calls.clear();
  ui->answers = {false};
  EXPECT_TRUE(run(path, "", connect, "tblDocuments", "GB", true));
  EXPECT_TRUE(ui->messages().empty());
}

// ---- the JSON view itself ------------------------------------------------------------

TEST(ViewAsJson, EscapesEveryTextSoTheObjectStaysValid) {
  belvora::reader::ViewModel v;
  v.clear();
  v.txtRechnungdaten[belvora::reader::InvoiceNumber] = "RE \"7\"\\8\r\n\t\x01 Grüße \xFF";
  v.lvTable.addRow("1").cells[1] = "Ärmel";
  const std::string out = belvora::reader::ViewAsJson(v, "/tmp/x.xml");
  Json j = Json::parse(out);
  EXPECT_EQ(j["fields"]["InvoiceNumber"].str(), "RE \"7\"\\8\r\n\t\x01 Grüße \xEF\xBF\xBD");
  EXPECT_EQ(j["items"][0][1].str(), "Ärmel");
  EXPECT_EQ(j["fields"]["TaxAmount"].str(), "0,00");
  EXPECT_EQ(out.find('\n'), std::string::npos);
}

}  // namespace
