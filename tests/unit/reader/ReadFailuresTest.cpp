// What the reader says when the input is no invoice it can read: the root
// element decides the syntax, and each kind of unreadable input gets a
// message that names its cause, in the language of the read.
#include <gmock/gmock.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "ReaderTestSupport.h"
#include "support/SharedArtefacts.h"

namespace fs = std::filesystem;
using namespace belvora;
using namespace belvora::reader;
using belvora::test::Cii;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

class ReadFailures : public belvora::test::ReaderTest {
 protected:
  // The single message of a failed read.
  std::string failure(const std::string& path, const std::string& language = "GB") {
    fake_->calls.clear();
    EXPECT_FALSE(read(path, language)) << path;
    EXPECT_FALSE(view_.saveEnabled);
    const auto messages = fake_->messages();
    if (messages.size() != 1u) {
      ADD_FAILURE() << messages.size() << " messages for " << path;
      return {};
    }
    EXPECT_EQ(messages[0].icon, ui::Icon::Critical);
    return messages[0].text;
  }
};

std::string utf32(const std::string& ascii, bool bigEndian) {
  std::string out = bigEndian ? std::string("\0\0\xFE\xFF", 4) : std::string("\xFF\xFE\0\0", 4);
  for (char c : ascii) {
    const std::string zeros(3, '\0');
    out += bigEndian ? zeros + c : c + zeros;
  }
  return out;
}

const std::string kCorpus = belvora::test::CorpusDir();

}  // namespace

TEST_F(ReadFailures, TheRootElementDecidesTheSyntax) {
  // A valid CII invoice that uses one element of a UBL namespace stays CII.
  const std::string cii = Cii(
      "<ram:ID>RE-4711</ram:ID><cac:Note xmlns:cac='urn:oasis:names:specification:ubl:schema:xsd:"
      "CommonAggregateComponents-2'>x</cac:Note>",
      "", "", "");
  ASSERT_TRUE(read(write("cii.xml", cii)));
  EXPECT_EQ(view_.syntax, SyntaxCII);
  EXPECT_EQ(view_.txtRechnungdaten[InvoiceNumber], "RE-4711");

  struct Case {
    const char* xml;
    int syntax;
  } cases[] = {
      {"<Invoice xmlns='urn:oasis:names:specification:ubl:schema:xsd:Invoice-2'/>", SyntaxPeppol},
      {"<c:CreditNote xmlns:c='urn:oasis:names:specification:ubl:schema:xsd:CreditNote-2'/>",
       SyntaxUBL},
      {"<rsm:CrossIndustryDocument xmlns:rsm='urn:ferd:CrossIndustryDocument:invoice:1p0'/>",
       SyntaxNone},
      // Right name, wrong namespace; right namespace, wrong name.
      {"<Invoice xmlns='urn:oasis:names:specification:ubl:schema:xsd:CreditNote-2'/>",
       SyntaxNoInvoice},
      {"<rsm:ExchangedDocument "
       "xmlns:rsm='urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100'/>",
       SyntaxNoInvoice},
      {"<x xmlns:i='urn:oasis:names:specification:ubl:schema:xsd:Invoice-2'><i:Invoice/></x>",
       SyntaxNoInvoice},
      {"<root/>", SyntaxNoInvoice},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TypeOfXML(xml::Document::parseMemory(c.xml)), c.syntax) << c.xml;
  }
}

TEST_F(ReadFailures, XmlThatIsNoInvoiceIsRefusedWithItsRootElement) {
  BELVORA_REQUIRE_CORPUS();
  const std::string notes = write("notes.xml", "<notes xmlns='urn:example:notes'><n/></notes>");
  EXPECT_EQ(failure(notes),
            "The file is not an invoice (root element notes in the namespace urn:example:notes).");
  EXPECT_EQ(failure(write("html.xml", "<html><body/></html>"), "DE"),
            "Die Datei ist keine Rechnung (Wurzelelement html).");
  // ZUGFeRD 1.0 is still read, with the cleared fields.
  ASSERT_TRUE(read(kCorpus + "/cii/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.xml"));
  EXPECT_EQ(view_.syntax, SyntaxNone);
}

TEST_F(ReadFailures, PdfWithoutInvoiceSaysSoAndKeepsTheReasonOfTheLibrary) {
  const std::string data = std::string(BELVORA_TEST_DATA_DIR) + "/pdf/";
  EXPECT_EQ(failure(data + "no-invoice.pdf"),
            "The PDF file carries no invoice: none of its embedded files is a CII or UBL "
            "invoice.");
  EXPECT_EQ(failure(data + "no-invoice.pdf", "DE"),
            "Die PDF-Datei enthält keine Rechnung: keine ihrer eingebetteten Dateien ist eine CII- "
            "oder UBL-Rechnung.");
  // Unreadable structure: the PDF library's own words reach the user.
  const std::string damaged = write("damaged.pdf", "%PDF-1.7\n\x01\x02 trailer <<>>\n");
  EXPECT_THAT(failure(damaged), StartsWith("The PDF file cannot be read: "));
  EXPECT_THAT(failure(damaged), HasSubstr("trailer"));
  EXPECT_THAT(failure(damaged, "DE"), StartsWith("Die PDF-Datei kann nicht gelesen werden: "));
  // A file named .pdf that holds no PDF is read as what it is.
  ASSERT_TRUE(read(write("really.pdf", Cii("<ram:ID>RE-7</ram:ID>", "", "", ""))));
  EXPECT_EQ(view_.txtRechnungdaten[InvoiceNumber], "RE-7");
}

TEST_F(ReadFailures, Utf32IsReportedAsAnUnsupportedEncoding) {
  const std::string xml = "<?xml version=\"1.0\"?><a/>";
  for (bool big : {true, false}) {
    EXPECT_EQ(failure(write("u32.xml", utf32(xml, big))),
              "The file is encoded in UTF-32, which is not supported. Please save it as UTF-8.");
    EXPECT_EQ(failure(write("u32.xml", utf32(xml, big)), "DE"),
              "Die Datei ist in UTF-32 kodiert; diese Kodierung wird nicht unterstützt. Bitte als "
              "UTF-8 speichern.");
  }
}

TEST_F(ReadFailures, OnlyRegularFilesAreRead) {
  BELVORA_REQUIRE_CORPUS();
  const std::string fifo = (dir_ / "pipe.xml").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), fifo, (dir_ / "bin").string()}) {
    ASSERT_TRUE(readEnds(path, 10)) << path << " is read without end";
    EXPECT_EQ(failure(path), "The invoice file " + path + " is not a regular file.");
  }
  EXPECT_EQ(failure("/dev/zero", "DE"), "Die Rechnungsdatei /dev/zero ist keine reguläre Datei.");
  // A link to a regular file is read.
  fs::create_symlink(kCorpus + "/en16931/cii/CII_example5.xml", dir_ / "link.xml");
  EXPECT_TRUE(read((dir_ / "link.xml").string()));
}

TEST_F(ReadFailures, EveryPdfReadHasItsOwnWorkFile) {
  BELVORA_REQUIRE_CORPUS();
  const std::string a = kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf";
  const std::string b = kCorpus + "/pdf/mustang__validXRechnung.pdf";
  ReaderSettings first;
  ReaderSettings second;
  ViewModel viewA;
  ViewModel viewB;
  first.invoiceFile = a;
  second.invoiceFile = b;
  ASSERT_TRUE(ReadXML(first, viewA));
  ASSERT_TRUE(ReadXML(second, viewB));
  ASSERT_NE(viewA.txtRechnungdaten[InvoiceNumber], viewB.txtRechnungdaten[InvoiceNumber]);
  // What the first read stores is still its own invoice.
  EXPECT_NE(first.invoiceFile, second.invoiceFile);
  EXPECT_EQ(fs::path(first.invoiceFile).filename(), "zFile.xml");
  auto number = [](const std::string& path) {
    ReaderSettings s;
    s.invoiceFile = path;
    ViewModel v;
    EXPECT_TRUE(ReadXML(s, v)) << path;
    return v.txtRechnungdaten[InvoiceNumber];
  };
  EXPECT_EQ(number(first.invoiceFile), viewA.txtRechnungdaten[InvoiceNumber]);
  EXPECT_EQ(number(second.invoiceFile), viewB.txtRechnungdaten[InvoiceNumber]);

  // Reads in parallel threads each keep theirs.
  std::vector<std::thread> threads;
  std::vector<std::string> seen(6);
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&, i] {
      ReaderSettings s;
      s.invoiceFile = i % 2 ? b : a;
      ViewModel v;
      if (ReadXML(s, v) && number(s.invoiceFile) == v.txtRechnungdaten[InvoiceNumber])
        seen[i] = v.txtRechnungdaten[InvoiceNumber];
    });
  }
  for (auto& t : threads) t.join();
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i], (i % 2 ? viewB : viewA).txtRechnungdaten[InvoiceNumber]) << i;
  }
}
