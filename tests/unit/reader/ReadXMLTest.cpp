#include <filesystem>
#include <fstream>

#include "ReaderTestSupport.h"
#include "support/SharedArtefacts.h"

namespace fs = std::filesystem;
using namespace belvora;
using namespace belvora::reader;

namespace {

class ReadXMLTest : public belvora::test::ReaderTest {};

const char* kMinimalCii = R"(<rsm:CrossIndustryInvoice
 xmlns:rsm="urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100"
 xmlns:ram="urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100">
<rsm:ExchangedDocument><ram:ID>RE-1</ram:ID></rsm:ExchangedDocument>
<ram:AdditionalReferencedDocument><ram:IssuerAssignedID>K</ram:IssuerAssignedID>
 <ram:URIID>https://example.com/</ram:URIID></ram:AdditionalReferencedDocument>
</rsm:CrossIndustryInvoice>)";

}  // namespace

TEST_F(ReadXMLTest, DocumentInNeitherSyntaxShowsTheClearedFields) {
  view_.txtRechnungdaten[InvoiceNumber] = "alt";
  view_.lvTable.addRow("alt");
  ASSERT_TRUE(read(write("zf1.xml",
                         "<rsm:CrossIndustryDocument xmlns:rsm='urn:ferd:"
                         "CrossIndustryDocument:invoice:1p0'><rsm:x>1</rsm:x>"
                         "</rsm:CrossIndustryDocument>")));
  EXPECT_EQ(view_.syntax, SyntaxNone);
  EXPECT_EQ(view_.txtRechnungdaten[InvoiceNumber], "");
  EXPECT_EQ(view_.txtRechnungdaten[InvoiceType], "380");
  EXPECT_TRUE(view_.lvTable.rows.empty());
  EXPECT_TRUE(view_.saveEnabled);
  EXPECT_TRUE(fake_->calls.empty());
}

TEST_F(ReadXMLTest, ParseErrorMessageInGermanAndEnglish) {
  const std::string path = write("kaputt.xml", "<?xml version=\"1.0\"?>\n<a>\n  <b>x</c>\n</a>\n");
  EXPECT_FALSE(read(path, "DE"));
  EXPECT_FALSE(view_.saveEnabled);
  ASSERT_EQ(fake_->calls.size(), 1u);
  const auto& de = fake_->calls[0];
  EXPECT_EQ(de.kind, "message");
  EXPECT_EQ(de.title, "belvora");
  EXPECT_EQ(de.icon, ui::Icon::Critical);
  EXPECT_EQ(de.text,
            "XML-Fehler:\r\nBeschreibung: Opening and ending tag mismatch: b line 3 and c\r\n"
            "Zeile: 3\r\nSpalte: 11\r\n\r\nFehlerhafte Zeile:\r\n  <b>x</c>");
  EXPECT_FALSE(read(path, "FR"));
  ASSERT_EQ(fake_->calls.size(), 2u);
  EXPECT_EQ(fake_->calls[1].text,
            "XML-Error:\r\nDescription: Opening and ending tag mismatch: b line 3 and c\r\n"
            "Line: 3\r\nColumne: 11\r\n\r\nError-Line:\r\n  <b>x</c>");
}

TEST_F(ReadXMLTest, AReadAfterAFailedOneStartsClean) {
  EXPECT_FALSE(read(write("bad.xml", "<a>")));
  EXPECT_FALSE(view_.saveEnabled);
  ASSERT_TRUE(read(write("good.xml", kMinimalCii)));
  EXPECT_TRUE(view_.saveEnabled);
  EXPECT_EQ(view_.txtRechnungdaten[InvoiceNumber], "RE-1");
}

TEST_F(ReadXMLTest, EmptyOutputFolderWritesNothingAndAsksNothing) {
  settings_.outputFolder.clear();
  ASSERT_TRUE(read(write("re.xml", kMinimalCii)));
  EXPECT_TRUE(fake_->calls.empty());
  EXPECT_TRUE(outputFiles().empty());
}

TEST_F(ReadXMLTest, MissingOutputFolderIsReportedAndTheReadSucceeds) {
  settings_.outputFolder = (dir_ / "gibt-es-nicht").string();
  ASSERT_TRUE(read(write("re.xml", kMinimalCii), "DE"));
  ASSERT_EQ(fake_->calls.size(), 2u);
  EXPECT_EQ(fake_->calls[0].kind, "message");
  EXPECT_EQ(fake_->calls[0].title, "Note");
  EXPECT_EQ(fake_->calls[0].text, "This output folder does not exist!");
  EXPECT_EQ(fake_->calls[0].icon, ui::Icon::Information);
  // The shortcut the document asks for is lost, and said to be.
  EXPECT_EQ(fake_->calls[1].text, "Diese Anhänge wurden nicht in " + settings_.outputFolder +
                                      " gespeichert:\r\nReference to K.url: No such file or "
                                      "directory");
  EXPECT_TRUE(settings_.attachmentsLost);
  EXPECT_FALSE(fs::exists(dir_ / "gibt-es-nicht"));

  // Without attachments nothing is lost: the note alone.
  fake_->calls.clear();
  ASSERT_TRUE(
      read(write("ohne.xml", belvora::test::Cii("<ram:ID>RE-2</ram:ID>", "", "", "")), "DE"));
  ASSERT_EQ(fake_->calls.size(), 1u);
  EXPECT_EQ(fake_->calls[0].text, "This output folder does not exist!");
  EXPECT_FALSE(settings_.attachmentsLost);
}

TEST_F(ReadXMLTest, HybridPdfIsReadThroughTheWorkFileWhateverTheCaseOfItsEnding) {
  BELVORA_REQUIRE_CORPUS();
  const fs::path source =
      fs::path(belvora::test::CorpusDir()) / "pdf" / "ferd-zf23__XRECHNUNG_Einfach.pdf";
  for (const char* name : {"rechnung.pdf", "RECHNUNG.PDF", "rechnung-ohne-endung"}) {
    const fs::path copy = dir_ / name;
    fs::copy_file(source, copy, fs::copy_options::overwrite_existing);
    settings_.outputFolder.clear();
    ASSERT_TRUE(read(copy.string())) << name;
    EXPECT_EQ(fs::path(settings_.invoiceFile).filename(), "zFile.xml") << name;
    EXPECT_EQ(view_.syntax, SyntaxCII);
    EXPECT_FALSE(view_.txtRechnungdaten[InvoiceNumber].empty());
    EXPECT_FALSE(view_.lvTable.rows.empty());
  }
  // What "Show XML" displays is the extracted invoice.
  view_.showXml(settings_.invoiceFile);
  EXPECT_NE(view_.txtXML.find("CrossIndustryInvoice"), std::string::npos);
  EXPECT_EQ(view_.txtXML.find("%PDF"), std::string::npos);
}
