// Reads every invoice of the corpus with ReadXML and compares the essential
// view fields with values a second, independent extraction takes from the
// document: plain libxml2 XPath over local names (for PDFs over the XML that
// the qpdf tool finds in the uncompressed PDF).

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

#include "reader/ReadXML.h"
#include "reader/ViewNumbers.h"
#include "support/FakeInteraction.h"
#include "support/Process.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace belvora;

namespace {

// The view's essential fields and where CII and UBL keep them, element
// names written plainly. Amounts are compared as numbers, the date as
// dd.mm.yyyy.
const struct {
  const char* field;
  const char* cii;
  const char* ubl;
} kFields[] = {
    {"InvoiceNumber", "/*/ExchangedDocument/ID", "/*/ID"},
    {"InvoiceDate", "/*/ExchangedDocument/IssueDateTime/DateTimeString", "/*/IssueDate"},
    {"SellerName", "(//ApplicableHeaderTradeAgreement)[1]/SellerTradeParty/Name",
     "/*/AccountingSupplierParty/Party/PartyLegalEntity/RegistrationName"},
    {"BuyerName", "(//ApplicableHeaderTradeAgreement)[1]/BuyerTradeParty/Name",
     "/*/AccountingCustomerParty/Party/PartyLegalEntity/RegistrationName"},
    {"PaymentDue", "(//SpecifiedTradeSettlementHeaderMonetarySummation)[1]/DuePayableAmount",
     "/*/LegalMonetaryTotal/PayableAmount"},
    {"SumOfNet", "(//SpecifiedTradeSettlementHeaderMonetarySummation)[1]/LineTotalAmount",
     "/*/LegalMonetaryTotal/LineExtensionAmount"},
    {"TaxBasisTotal", "(//SpecifiedTradeSettlementHeaderMonetarySummation)[1]/TaxBasisTotalAmount",
     "/*/LegalMonetaryTotal/TaxExclusiveAmount"},
};

// Element names (capitalised) as local-name() tests: independent of the
// reader's namespace handling.
std::string ln(const std::string& path) {
  return std::regex_replace(path, std::regex("([A-Z][A-Za-z]*)"), "*[local-name()='$1']");
}

// XPath over a document; every result as a string, white space trimmed.
class Plain {
 public:
  explicit Plain(const std::string& xml)
      : doc_(xmlReadMemory(
            xml.data(), static_cast<int>(xml.size()), "x.xml", nullptr,
            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE)),
        ctx_(doc_ ? xmlXPathNewContext(doc_) : nullptr) {}
  ~Plain() {
    if (ctx_) xmlXPathFreeContext(ctx_);
    if (doc_) xmlFreeDoc(doc_);
  }
  std::string str(const std::string& expr) {
    if (!ctx_) return {};
    xmlXPathObjectPtr obj = xmlXPathEvalExpression(BAD_CAST("string(" + expr + ")").c_str(), ctx_);
    std::string out = obj && obj->stringval ? reinterpret_cast<const char*>(obj->stringval) : "";
    xmlXPathFreeObject(obj);
    const auto first = out.find_first_not_of(" \t\r\n");
    return first == std::string::npos
               ? ""
               : out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
  }
  std::size_t count(const std::string& expr) { return std::stoul(str("count(" + expr + ")")); }

 private:
  xmlDocPtr doc_;
  xmlXPathContextPtr ctx_;
};

// The invoice XML inside a PDF, found by the qpdf tool: the PDF is rewritten
// with every stream uncompressed, then the CII or UBL document is cut out.
std::string xmlOfPdf(const fs::path& pdf, const fs::path& work) {
  const fs::path plain = work / "plain.pdf";
  test::Run qpdf;
  qpdf.argv = {"qpdf",       "--qdf",       "--object-streams=disable", "--decode-level=all",
               pdf.string(), plain.string()};
  test::RunProcess(qpdf);
  const std::string bytes = test::readAll(plain);
  for (const auto& [open, close] :
       {std::pair{"<rsm:CrossIndustryInvoice", "</rsm:CrossIndustryInvoice>"},
        std::pair{"<rsm:CrossIndustryDocument", "</rsm:CrossIndustryDocument>"},
        std::pair{"<Invoice", "</Invoice>"}}) {
    const auto end = bytes.find(close);
    const auto begin = end == std::string::npos ? end : bytes.rfind(open, end);
    if (begin != std::string::npos)
      return bytes.substr(begin, end + std::string(close).size() - begin);
  }
  return {};
}

// Without the corpus one empty entry stands for it, so the test is reported
// as skipped instead of vanishing (or failing as an empty instantiation).
std::vector<std::string> corpusFiles() {
  if (!test::CorpusMissing().empty()) return {""};
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(test::CorpusDir())) {
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    if (entry.is_regular_file() && (ext == ".xml" || ext == ".pdf"))
      files.push_back(fs::relative(entry.path(), test::CorpusDir()).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

class ReaderCorpus : public ::testing::TestWithParam<std::string> {};

TEST_P(ReaderCorpus, ReadsWithTheDocumentsEssentialFields) {
  BELVORA_REQUIRE_CORPUS();
  test::TempDir work;
  fs::create_directory(work.path() / "out");
  const fs::path file = fs::path(test::CorpusDir()) / GetParam();
  const bool pdf = file.extension() == ".pdf";
  Plain p(pdf ? xmlOfPdf(file, work.path()) : test::readAll(file));
  const std::string root = p.str("local-name(/*)"), ns = p.str("namespace-uri(/*)");
  ASSERT_FALSE(root.empty()) << "no invoice XML found independently";
  const bool cii = root == "CrossIndustryInvoice" &&
                   ns == "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100";
  const bool ubl = (root == "Invoice" || root == "CreditNote") &&
                   ns.starts_with("urn:oasis:names:specification:ubl:schema:xsd:");
  const int syntax = cii ? 1 : !ubl ? 0 : root == "Invoice" ? 3 : 2;
  // A file for each embedded content, a shortcut for each web address (http
  // or https in any letter case); other addresses are only reported.
  const std::string ref =
      ln(cii ? "//AdditionalReferencedDocument" : "//AdditionalDocumentReference");
  const std::string uri =
      "normalize-space(" + ln(cii ? "URIID" : "Attachment/ExternalReference/URI") + ")";
  const std::string content =
      ln(cii ? "AttachmentBinaryObject" : "Attachment/EmbeddedDocumentBinaryObject");
  const std::string lower = "translate(" + uri + ",'HTPS','htps')";
  const std::string web =
      "(starts-with(" + lower + ",'http://') or starts-with(" + lower + ",'https://'))";
  const std::size_t files = syntax == 0 ? 0
                                        : p.count(ref + "[normalize-space(" + content + ")!='']") +
                                              p.count(ref + "[" + web + "]");
  const std::size_t notLinked =
      syntax == 0 ? 0 : p.count(ref + "[" + uri + "!=''][not(" + web + ")]");

  // Alternate the languages over the corpus: both separators get exercised.
  const std::string language = std::hash<std::string>{}(GetParam()) % 2 ? "DE" : "GB";
  test::ScopedFakeInteraction fake;
  fake->answers.push_back(false);  // "Open export folder?"
  reader::ReaderSettings settings;
  settings.invoiceFile = file.string();
  settings.outputFolder = work / "out";
  settings.language = language;
  reader::ViewModel view;

  ASSERT_TRUE(reader::ReadXML(settings, view));
  EXPECT_TRUE(view.saveEnabled);
  // Only addresses that are no web address are reported, in one message.
  EXPECT_EQ(fake->messages().size(), notLinked > 0 ? 1u : 0u);
  EXPECT_EQ(settings.attachmentsLost, notLinked > 0);
  EXPECT_EQ(view.syntax, syntax);
  if (pdf) {
    EXPECT_EQ(fs::path(settings.invoiceFile).filename(), "zFile.xml");
  }
  const auto written = std::distance(fs::directory_iterator(work.path() / "out"), {});
  if (syntax == 0) {
    // ZUGFeRD 1.0 and other documents in neither syntax: cleared fields.
    EXPECT_EQ(view.txtRechnungdaten[reader::InvoiceNumber], "");
    EXPECT_EQ(view.txtRechnungdaten[reader::InvoiceType], "380");
    EXPECT_EQ(view.txtRechnungdaten[reader::TaxAmount], "0,00");
    EXPECT_TRUE(view.lvTable.rows.empty());
    EXPECT_EQ(written, 0);
    return;
  }
  for (const auto& f : kFields) {
    const std::string want = p.str(ln(cii ? f.cii : f.ubl)), shown = *view.field(f.field);
    if (f.field == std::string("InvoiceDate")) {
      const std::string d = std::regex_replace(want, std::regex("-"), "");
      EXPECT_EQ(shown,
                d.size() < 8 ? "" : d.substr(6, 2) + "." + d.substr(4, 2) + "." + d.substr(0, 4));
    } else if (&f >= &kFields[4]) {
      const auto value = reader::ParseViewNumber(shown, language);
      ASSERT_TRUE(value.has_value()) << f.field << " not a number: " << shown;
      EXPECT_NEAR(*value, std::strtod(want.c_str(), nullptr), 0.005) << f.field;
    } else {
      EXPECT_EQ(shown, want) << f.field;
    }
  }
  EXPECT_EQ(view.lvTable.rows.size(),
            p.count(ln(cii ? "//IncludedSupplyChainTradeLineItem[*]"
                           : "/*/InvoiceLine[*] | /*/CreditNoteLine[*]")));
  EXPECT_EQ(static_cast<std::size_t>(written), files);
  // The question is asked exactly when a file was written.
  const bool asked = !fake->calls.empty() && fake->calls.back().text == "Open export folder?";
  EXPECT_EQ(asked, files > 0);
}

INSTANTIATE_TEST_SUITE_P(All, ReaderCorpus, ::testing::ValuesIn(corpusFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param.empty() ? "CorpusMissing" : info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
