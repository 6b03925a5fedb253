// Reads every invoice of the corpus with ReadXML and compares the essential
// view fields with values a second, independent extraction takes from the
// document: plain libxml2 XPath over the file (for PDFs over the XML that
// the qpdf tool finds in the uncompressed PDF).

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "reader/ReadXML.h"
#include "reader/ViewNumbers.h"
#include "support/FakeInteraction.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace belvora;

namespace {

struct Expected {
  int syntax = 0;
  std::string number;
  std::string date;  // dd.mm.yyyy
  std::string seller;
  std::string buyer;
  double due = 0;
  double lineTotal = 0;
  double taxBasis = 0;
  std::size_t lines = 0;
  std::size_t files = 0;
  std::size_t notLinked = 0;  // addresses other than http and https: reported, not written
};

// XPath predicates on an address: a web address (http or https in any
// letter case), or any other non-empty one.
std::string web(const std::string& address) {
  const std::string lower = "translate(normalize-space(" + address + "),'HTPS','htps')";
  return "[starts-with(" + lower + ",'http://') or starts-with(" + lower + ",'https://')]";
}
std::string notWeb(const std::string& address) {
  const std::string predicate = web(address);
  return "[normalize-space(" + address + ")!=''][not(" + predicate.substr(1, predicate.size() - 2) +
         ")]";
}

using test::readAll;

// Minimal XPath over a document, namespace-agnostic (local-name() paths), so
// it shares nothing with the reader's prefixed expressions.
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
  bool ok() const { return ctx_ != nullptr; }

  // String value of the first node, surrounding white space removed.
  std::string str(const std::string& expr) {
    xmlXPathObjectPtr obj = xmlXPathEvalExpression(BAD_CAST("string(" + expr + ")").c_str(), ctx_);
    std::string out = obj && obj->stringval ? reinterpret_cast<const char*>(obj->stringval) : "";
    xmlXPathFreeObject(obj);
    const auto first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
  }
  double num(const std::string& expr) {
    const std::string text = str(expr);
    return text.empty() ? 0 : std::strtod(text.c_str(), nullptr);
  }
  std::size_t count(const std::string& expr) {
    xmlXPathObjectPtr obj = xmlXPathEvalExpression(BAD_CAST("count(" + expr + ")").c_str(), ctx_);
    const double n = obj ? obj->floatval : 0;
    xmlXPathFreeObject(obj);
    return static_cast<std::size_t>(n);
  }
  std::string rootName() { return str("local-name(/*)"); }
  std::string rootNs() { return str("namespace-uri(/*)"); }

 private:
  xmlDocPtr doc_;
  xmlXPathContextPtr ctx_;
};

std::string E(const std::string& name) { return "*[local-name()='" + name + "']"; }

// The first element of that name anywhere. Here and in path() the text is
// appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on a
// literal plus a temporary string.
std::string first(const std::string& name) {
  std::string expr = "(//";
  expr += E(name);
  expr += ")[1]";
  return expr;
}

std::string path(std::initializer_list<std::string> names) {
  std::string p;
  for (const auto& n : names) {
    p += '/';
    p += E(n);
  }
  return p;
}

std::string dotted(const std::string& ymd) {
  std::string digits;
  for (char c : ymd)
    if (c != '-') digits += c;
  if (digits.size() < 8) return "";
  return digits.substr(6, 2) + "." + digits.substr(4, 2) + "." + digits.substr(0, 4);
}

Expected expectationsFor(const std::string& xml) {
  Plain p(xml);
  Expected e;
  if (!p.ok()) return e;
  const std::string root = p.rootName();
  const std::string ns = p.rootNs();
  if (root == "CrossIndustryInvoice" &&
      ns == "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100") {
    e.syntax = 1;
    const std::string doc = path({"CrossIndustryInvoice", "ExchangedDocument"});
    e.number = p.str(doc + "/" + E("ID"));
    e.date = dotted(p.str(doc + "/" + E("IssueDateTime") + "/" + E("DateTimeString")));
    const std::string agreement = first("ApplicableHeaderTradeAgreement");
    e.seller = p.str(agreement + "/" + E("SellerTradeParty") + "/" + E("Name"));
    e.buyer = p.str(agreement + "/" + E("BuyerTradeParty") + "/" + E("Name"));
    const std::string sum = first("SpecifiedTradeSettlementHeaderMonetarySummation");
    e.due = p.num(sum + "/" + E("DuePayableAmount"));
    e.lineTotal = p.num(sum + "/" + E("LineTotalAmount"));
    e.taxBasis = p.num(sum + "/" + E("TaxBasisTotalAmount"));
    e.lines = p.count("//" + E("IncludedSupplyChainTradeLineItem") + "[*]");
    const std::string ref = "//" + E("AdditionalReferencedDocument");
    // A file for each embedded content, a shortcut for each web address.
    e.files = p.count(ref + "[normalize-space(" + E("AttachmentBinaryObject") + ")!='']") +
              p.count(ref + web(E("URIID")));
    e.notLinked = p.count(ref + notWeb(E("URIID")));
  } else if ((root == "Invoice" || root == "CreditNote") &&
             ns.rfind("urn:oasis:names:specification:ubl:schema:xsd:", 0) == 0) {
    e.syntax = root == "Invoice" ? 3 : 2;
    e.number = p.str("/*/" + E("ID"));
    e.date = dotted(p.str("/*/" + E("IssueDate")));
    auto party = [&](const char* which) {
      return p.str("/*/" + E(which) + "/" + E("Party") + "/" + E("PartyLegalEntity") + "/" +
                   E("RegistrationName"));
    };
    e.seller = party("AccountingSupplierParty");
    e.buyer = party("AccountingCustomerParty");
    const std::string total = "/*/" + E("LegalMonetaryTotal");
    e.due = p.num(total + "/" + E("PayableAmount"));
    e.lineTotal = p.num(total + "/" + E("LineExtensionAmount"));
    e.taxBasis = p.num(total + "/" + E("TaxExclusiveAmount"));
    e.lines = p.count("/*/" + E("InvoiceLine") + "[*] | /*/" + E("CreditNoteLine") + "[*]");
    const std::string ref = "//" + E("AdditionalDocumentReference");
    const std::string content = E("Attachment") + "/" + E("EmbeddedDocumentBinaryObject");
    const std::string uri = E("Attachment") + "/" + E("ExternalReference") + "/" + E("URI");
    e.files = p.count(ref + "[normalize-space(" + content + ")!='']") + p.count(ref + web(uri));
    e.notLinked = p.count(ref + notWeb(uri));
  }
  return e;
}

// The invoice XML inside a PDF, found by the qpdf tool: the PDF is rewritten
// with every stream uncompressed, then the CII or UBL document is cut out.
std::string xmlOfPdf(const fs::path& pdf, const fs::path& work) {
  const fs::path plain = work / "plain.pdf";
  const std::string cmd = "qpdf --qdf --object-streams=disable --decode-level=all '" +
                          pdf.string() + "' '" + plain.string() + "' >/dev/null 2>&1";
  [[maybe_unused]] int rc = std::system(cmd.c_str());
  const std::string bytes = readAll(plain);
  const std::pair<const char*, const char*> roots[] = {
      {"<rsm:CrossIndustryInvoice", "</rsm:CrossIndustryInvoice>"},
      {"<rsm:CrossIndustryDocument", "</rsm:CrossIndustryDocument>"},
      {"<Invoice", "</Invoice>"}};
  for (const auto& [open, close] : roots) {
    const auto end = bytes.find(close);
    if (end == std::string::npos) continue;
    const auto begin = bytes.rfind(open, end);
    if (begin == std::string::npos) continue;
    return bytes.substr(begin, end + std::string(close).size() - begin);
  }
  return {};
}

// Without the corpus one empty entry stands for it, so the test is reported
// as skipped instead of vanishing (or failing as an empty instantiation).
std::vector<std::string> corpusFiles() {
  if (!test::CorpusMissing().empty()) return {""};
  const std::string corpus = test::CorpusDir();
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    if (ext == ".xml" || ext == ".pdf") {
      files.push_back(fs::relative(entry.path(), corpus).string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

class ReaderCorpus : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    work_ = fs::temp_directory_path() /
            ("belvora-corpus-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::create_directories(work_ / "out");
  }
  void TearDown() override { fs::remove_all(work_); }

  fs::path work_;
  static inline int counter_ = 0;
};

std::size_t filesIn(const fs::path& dir) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

double shown(const std::string& text, const std::string& language) {
  const auto value = reader::ParseViewNumber(text, language);
  EXPECT_TRUE(value.has_value()) << "not a number: '" << text << "'";
  return value.value_or(NAN);
}

TEST_P(ReaderCorpus, ReadsWithTheDocumentsEssentialFields) {
  BELVORA_REQUIRE_CORPUS();
  const fs::path file = fs::path(test::CorpusDir()) / GetParam();
  const bool pdf = file.extension() == ".pdf";
  const std::string xml = pdf ? xmlOfPdf(file, work_) : readAll(file);
  ASSERT_FALSE(xml.empty()) << "no invoice XML found independently";
  const Expected want = expectationsFor(xml);

  // Alternate the languages over the corpus: both separators get exercised.
  const std::string language = std::hash<std::string>{}(GetParam()) % 2 ? "DE" : "GB";
  test::ScopedFakeInteraction fake;
  fake->answers.push_back(false);  // "Open export folder?"
  reader::ReaderSettings settings;
  settings.invoiceFile = file.string();
  settings.outputFolder = (work_ / "out").string();
  settings.language = language;
  reader::ViewModel view;

  ASSERT_TRUE(reader::ReadXML(settings, view));
  EXPECT_TRUE(view.saveEnabled);
  // Only addresses that are no web address are reported, in one message.
  EXPECT_EQ(fake->messages().size(), want.notLinked > 0 ? 1u : 0u);
  EXPECT_EQ(settings.attachmentsLost, want.notLinked > 0);
  EXPECT_EQ(view.syntax, want.syntax);
  if (pdf) {
    EXPECT_EQ(fs::path(settings.invoiceFile).filename(), "zFile.xml");
  }

  if (want.syntax == 0) {
    // ZUGFeRD 1.0 and other documents in neither syntax: cleared fields.
    EXPECT_EQ(view.txtRechnungdaten[reader::InvoiceNumber], "");
    EXPECT_EQ(view.txtRechnungdaten[reader::InvoiceType], "380");
    EXPECT_EQ(view.txtRechnungdaten[reader::TaxAmount], "0,00");
    EXPECT_TRUE(view.lvTable.rows.empty());
    EXPECT_EQ(filesIn(work_ / "out"), 0u);
    return;
  }
  EXPECT_EQ(*view.field("InvoiceNumber"), want.number);
  EXPECT_EQ(*view.field("InvoiceDate"), want.date);
  EXPECT_EQ(*view.field("SellerName"), want.seller);
  EXPECT_EQ(*view.field("BuyerName"), want.buyer);
  EXPECT_NEAR(shown(*view.field("PaymentDue"), language), want.due, 0.005);
  EXPECT_NEAR(shown(*view.field("SumOfNet"), language), want.lineTotal, 0.005);
  EXPECT_NEAR(shown(*view.field("TaxBasisTotal"), language), want.taxBasis, 0.005);
  EXPECT_EQ(view.lvTable.rows.size(), want.lines);
  EXPECT_EQ(filesIn(work_ / "out"), want.files);
  // The question is asked exactly when a file was written.
  const bool asked = !fake->calls.empty() && fake->calls.back().text == "Open export folder?";
  EXPECT_EQ(asked, want.files > 0);
}

INSTANTIATE_TEST_SUITE_P(All, ReaderCorpus, ::testing::ValuesIn(corpusFiles()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           if (info.param.empty()) return std::string("CorpusMissing");
                           std::string name;
                           for (char c : info.param)
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

}  // namespace
