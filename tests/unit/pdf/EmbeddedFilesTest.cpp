#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "PdfTestSupport.h"
#include "platform/pdf/EmbeddedFiles.h"
#include "platform/sys/WorkFile.h"
#include "reader/ExtractInvoiceXml.h"
#include "support/SharedArtefacts.h"

namespace fs = std::filesystem;
using belvora::pdf::embeddedFileNames;
using belvora::pdf::findInvoiceXml;
using belvora::pdf::looksLikeInvoiceStart;
using belvora::pdf::looksLikeInvoiceXml;
using belvora::pdf::RootVerdict;
using belvora::pdf::scanInvoiceXml;
using belvora::reader::ExtractInvoiceXml;
using belvora::reader::Extraction;
using belvora::reader::IsPdfFile;
using belvora::test::PdfBuilder;
using belvora::test::readAll;
using belvora::test::writeAll;

namespace {

const std::string kCorpus = belvora::test::CorpusDir();
const std::string kData = std::string(BELVORA_TEST_DATA_DIR) + "/pdf";

const std::string kCii = readAll(kCorpus + "/en16931/cii/CII_example3.xml");
const std::string kUbl = readAll(kCorpus + "/en16931/ubl/ubl-tc434-example6.xml");
const std::string kNotes =
    "<?xml version=\"1.0\"?>\n<notes xmlns=\"urn:example:notes\"><note>Tor 3</note></notes>\n";

// Each test gets its own TMPDIR, so the private work folder is its own.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("belvora-pdf-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const char* old = std::getenv("TMPDIR");
    oldTmp_ = old ? old : "";
    hadTmp_ = old != nullptr;
    ::setenv("TMPDIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (hadTmp_)
      ::setenv("TMPDIR", oldTmp_.c_str(), 1);
    else
      ::unsetenv("TMPDIR");
    fs::remove_all(dir_);
  }
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  fs::path workFolder() const { return dir_ / ("belvora-" + std::to_string(::getuid())); }

  // Extracts into a work file of its own and reads it back before it goes.
  struct Extracted {
    Extraction outcome;
    std::string reason;
    std::string xml;
    std::string workFile;
  };
  Extracted extract(const std::string& pdf, std::uint64_t maxSize = 256u << 20) {
    belvora::sys::WorkFile work("zFile.xml");
    auto r = ExtractInvoiceXml(pdf, work, maxSize);
    return {r.outcome, r.reason, readAll(work.path()), work.path()};
  }

  fs::path dir_;
  std::string oldTmp_;
  bool hadTmp_ = false;
};

// Root element (local name) of a well-formed document; empty when it does not
// parse. No network, no entities: the same stance the reader takes.
std::string rootOf(const std::string& xml) {
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "x.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return {};
  std::string name = reinterpret_cast<const char*>(xmlDocGetRootElement(doc)->name);
  xmlFreeDoc(doc);
  return name;
}

struct CorpusPdf {
  std::string file;      // pdf/...
  std::string embedded;  // name of the invoice attachment
  std::string profile;
  std::string typeCode;
  bool compressed;
};

// Test names show the file, not the bytes of the struct.
void PrintTo(const CorpusPdf& c, std::ostream* os) {
  *os << (c.file.empty() ? "(no corpus)" : c.file);
}

std::string field(const std::string& notes, const std::string& key) {
  auto at = notes.find(key + "=");
  if (at == std::string::npos) return {};
  at += key.size() + 1;
  return notes.substr(at, notes.find(';', at) - at);
}

// Without the corpus one empty entry stands for it, reported as skipped.
std::vector<CorpusPdf> corpusPdfs() {
  if (!belvora::test::CorpusMissing().empty()) return {CorpusPdf{}};
  std::vector<CorpusPdf> out;
  std::ifstream in(kCorpus + "/SOURCES.tsv");
  std::string line;
  while (std::getline(in, line)) {
    if (!line.starts_with("pdf/")) continue;
    std::vector<std::string> cols;
    std::stringstream s(line);
    for (std::string c; std::getline(s, c, '\t');) cols.push_back(c);
    const std::string& notes = cols.back();
    out.push_back({cols[0], field(notes, "embedded"), field(notes, "profile"),
                   field(notes, "typecode"), field(notes, "filter") != "none"});
  }
  return out;
}

}  // namespace

// ---- every real hybrid PDF of the corpus ---------------------------------

class CorpusPdfTest : public TempDirTest, public ::testing::WithParamInterface<CorpusPdf> {};

TEST_P(CorpusPdfTest, ExtractsTheInvoiceTheProducerEmbedded) {
  BELVORA_REQUIRE_CORPUS();
  const CorpusPdf& c = GetParam();
  const std::string pdfPath = kCorpus + "/" + c.file;
  const std::string bytes = readAll(pdfPath);

  auto names = embeddedFileNames(bytes);
  EXPECT_NE(std::find(names.begin(), names.end(), c.embedded), names.end()) << c.file;

  auto found = findInvoiceXml(bytes);
  ASSERT_TRUE(found) << c.file;
  EXPECT_EQ(found->name, c.embedded);

  const Extracted extracted = extract(pdfPath);
  ASSERT_EQ(extracted.outcome, Extraction::Extracted);
  const std::string& xml = extracted.xml;
  EXPECT_EQ(xml, found->data);
  EXPECT_EQ(rootOf(xml),
            c.profile.starts_with("urn:ferd:") ? "CrossIndustryDocument" : "CrossIndustryInvoice");
  EXPECT_NE(xml.find(c.profile), std::string::npos);
  EXPECT_NE(xml.find("TypeCode>" + c.typeCode + "<"), std::string::npos);

  // A scan of the raw bytes finds a compressed invoice nowhere: the reason
  // the embedded files are read through the PDF structure.
  if (c.compressed) {
    EXPECT_FALSE(scanInvoiceXml(bytes));
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusPdfTest, ::testing::ValuesIn(corpusPdfs()),
                         [](const auto& info) {
                           if (info.param.file.empty()) return std::string("CorpusMissing");
                           std::string n = fs::path(info.param.file).stem().string();
                           for (auto& ch : n) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return n;
                         });

TEST(CorpusPdfList, HoldsEveryPdfOfTheCorpus) {
  BELVORA_REQUIRE_CORPUS();
  size_t onDisk = 0;
  for (const auto& e : fs::directory_iterator(kCorpus + "/pdf")) {
    if (e.path().extension() == ".pdf") ++onDisk;
  }
  EXPECT_EQ(corpusPdfs().size(), onDisk);
  EXPECT_GE(onDisk, 37u);
}

// ---- choice among several embedded files ---------------------------------

TEST(FindInvoiceXml, TakesTheInvoiceByContentWhenNoPreferredNameIsPresent) {
  const std::string bytes = readAll(kData + "/content-only.pdf");
  EXPECT_EQ(embeddedFileNames(bytes), (std::vector<std::string>{"notes.xml", "rechnung-2024.xml"}));
  auto found = findInvoiceXml(bytes);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "rechnung-2024.xml");
  EXPECT_EQ(found->data, kCii);
}

TEST(FindInvoiceXml, PreferredNameThatIsNoInvoiceDoesNotWin) {
  auto found = findInvoiceXml(readAll(kData + "/preferred-decoy.pdf"));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "rechnung-2024.xml");
}

TEST(FindInvoiceXml, UblInvoiceInsideAPdfIsTaken) {
  auto found = findInvoiceXml(readAll(kData + "/ubl-inside.pdf"));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->data, kUbl);
}

TEST(FindInvoiceXml, PreferredNamesInAnyLetterCaseAndInTheirOrder) {
  BELVORA_REQUIRE_CORPUS();
  PdfBuilder b;
  const std::string zf1 = readAll(kCorpus + "/cii/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.xml");
  auto other = b.fileSpec("aaa-invoice.xml", kUbl);
  auto zugferd = b.fileSpec("ZUGFeRD-invoice.xml", zf1);
  auto facturx = b.fileSpec("FACTUR-X.XML", kCii);
  b.setEmbeddedFiles(b.leaf({{"a", other}, {"b", zugferd}, {"c", facturx}}));
  auto found = findInvoiceXml(b.bytes());
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "FACTUR-X.XML");
  EXPECT_EQ(found->data, kCii);
}

TEST(FindInvoiceXml, WalksUnsortedNestedNameTreesAndSurvivesCycles) {
  PdfBuilder b;
  auto notes = b.fileSpec("notes.xml", kNotes);
  auto invoice = b.fileSpec("zugferd-invoice.xml", kCii);
  auto second = b.leaf({{"zz", notes}, {"aa", invoice}});
  auto first = b.leaf({{"mm", b.fileSpec("z.txt", "text")}});
  auto root = b.node({first, second});
  // A kid pointing back at the root must not send the walk round in circles.
  first.replaceKey("/Kids", QPDFObjectHandle::newArray({root}));
  b.setEmbeddedFiles(root);
  const std::string bytes = b.bytes();
  EXPECT_EQ(embeddedFileNames(bytes),
            (std::vector<std::string>{"z.txt", "notes.xml", "zugferd-invoice.xml"}));
  auto found = findInvoiceXml(bytes);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "zugferd-invoice.xml");
}

TEST(FindInvoiceXml, FindsFilesReachableOnlyAsAssociatedFiles) {
  PdfBuilder b;
  auto fileSpec = b.fileSpec("factur-x.xml", kCii);
  b.setAssociatedFiles({fileSpec});
  const std::string bytes = b.bytes();
  EXPECT_EQ(embeddedFileNames(bytes), std::vector<std::string>{"factur-x.xml"});
  ASSERT_TRUE(findInvoiceXml(bytes));

  // Listed in both places: counted once.
  PdfBuilder both;
  auto s = both.fileSpec("factur-x.xml", kCii);
  both.setEmbeddedFiles(both.leaf({{"factur-x.xml", s}}));
  both.setAssociatedFiles({s});
  EXPECT_EQ(embeddedFileNames(both.bytes()).size(), 1u);
}

TEST(FindInvoiceXml, AnInvoiceInflatingBeyondTheLimitIsRefused) {
  PdfBuilder b;
  std::string big = kCii;
  big.insert(big.find("<rsm:ExchangedDocument"), std::string(64 * 1024, ' '));
  b.setEmbeddedFiles(b.leaf({{"factur-x.xml", b.fileSpec("factur-x.xml", big)}}));
  const std::string bytes = b.bytes();
  EXPECT_LT(bytes.size(), 16u * 1024u);  // compressed well below the limit
  EXPECT_THROW(findInvoiceXml(bytes, 32 * 1024), belvora::pdf::SizeLimitExceeded);
  EXPECT_TRUE(findInvoiceXml(bytes, 1024 * 1024));
}

TEST(FindInvoiceXml, CandidatesAreJudgedByTheirFirstBytes) {
  // Bombs of zeros and of blanks are passed over after their head, and so
  // is a cut-off invoice; the whole one after them is taken.
  PdfBuilder b;
  const std::string zeros = belvora::test::deflateFilled("", '\0', 64u << 20);
  const std::string blanks = belvora::test::deflateFilled("", ' ', 64u << 20);
  const std::string cut = kCii.substr(0, kCii.size() / 2);
  b.setEmbeddedFiles(b.leaf({{"a", b.compressedFileSpec("factur-x.xml", zeros)},
                             {"b", b.compressedFileSpec("b.xml", blanks)},
                             {"c", b.fileSpec("xrechnung.xml", cut)},
                             {"d", b.fileSpec("d.xml", kCii)}}));
  // A limit far below the bombs' size: they are never decoded whole.
  auto found = findInvoiceXml(b.bytes(), 1u << 20);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "d.xml");
  EXPECT_EQ(found->data, kCii);
}

TEST(FindInvoiceXml, NoInvoiceAmongTheFiles) {
  EXPECT_FALSE(findInvoiceXml(readAll(kData + "/no-invoice.pdf")));
  EXPECT_EQ(embeddedFileNames(readAll(kData + "/no-invoice.pdf")),
            std::vector<std::string>{"notes.xml"});
}

TEST(FindInvoiceXml, BytesThatAreNoPdfThrow) {
  EXPECT_THROW(findInvoiceXml(""), belvora::pdf::Unreadable);
  EXPECT_THROW(findInvoiceXml("just some words"), belvora::pdf::Unreadable);
}

// ---- the work file -------------------------------------------------------

using ExtractInvoiceXmlTest = TempDirTest;

TEST_F(ExtractInvoiceXmlTest, OutcomesOfPdfsWithoutAReadableInvoice) {
  EXPECT_EQ(extract(kData + "/no-invoice.pdf").outcome, Extraction::NoInvoice);
  writeAll(path("damaged.pdf"), "%PDF-1.7\n\x01\x02 trailer <<>>\n");
  const Extracted damaged = extract(path("damaged.pdf"));
  EXPECT_EQ(damaged.outcome, Extraction::Unreadable);
  EXPECT_NE(damaged.reason.find("trailer"), std::string::npos) << damaged.reason;
  // No PDF at all: the caller reads the file as it is.
  writeAll(path("empty.pdf"), "");
  EXPECT_EQ(extract(path("empty.pdf")).outcome, Extraction::NotPdf);
  writeAll(path("words.pdf"), "Dies ist keine Rechnung.");
  EXPECT_EQ(extract(path("words.pdf")).outcome, Extraction::NotPdf);
  EXPECT_EQ(extract(path("missing.pdf")).outcome, Extraction::Failed);
  EXPECT_EQ(extract(dir_.string()).outcome, Extraction::Failed);
  for (const auto& failed : {extract(kData + "/no-invoice.pdf"), damaged}) {
    EXPECT_EQ(failed.xml, "");
  }
}

TEST_F(ExtractInvoiceXmlTest, LimitHoldsForThePdfAndForItsInvoice) {
  BELVORA_REQUIRE_CORPUS();
  const std::string pdf = kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf";
  EXPECT_EQ(extract(pdf, fs::file_size(pdf) - 1).outcome, Extraction::TooLarge);
  EXPECT_EQ(extract(pdf, fs::file_size(pdf)).outcome, Extraction::Extracted);
  PdfBuilder b;
  b.setEmbeddedFiles(b.leaf({{"x", b.fileSpec("factur-x.xml", kCii)}}));
  writeAll(path("small.pdf"), b.bytes());
  const Extracted refused = extract(path("small.pdf"), kCii.size() - 1);
  EXPECT_EQ(refused.outcome, Extraction::TooLarge);
  EXPECT_EQ(refused.xml, "");
  EXPECT_EQ(extract(path("small.pdf"), kCii.size()).xml, kCii);
}

TEST_F(ExtractInvoiceXmlTest, EveryWorkFileIsPrivateItsOwnAndGoesWithItsObject) {
  std::string first;
  {
    belvora::sys::WorkFile a("zFile.xml");
    belvora::sys::WorkFile b("zFile.xml");
    first = a.path();
    EXPECT_NE(a.path(), b.path());
    EXPECT_EQ(fs::path(a.path()).filename(), "zFile.xml");
    EXPECT_EQ(fs::path(a.path()).parent_path().parent_path(), workFolder());
    for (const auto& folder : {workFolder(), fs::path(a.path()).parent_path()}) {
      EXPECT_EQ(fs::status(folder).permissions() & (fs::perms::group_all | fs::perms::others_all),
                fs::perms::none);
    }
    EXPECT_EQ(fs::status(a.path()).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);
    ASSERT_EQ(ExtractInvoiceXml(kData + "/ubl-inside.pdf", a, 1u << 20).outcome,
              Extraction::Extracted);
    EXPECT_EQ(readAll(a.path()), kUbl);
  }
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(fs::is_empty(workFolder()));
}

TEST_F(ExtractInvoiceXmlTest, DamagedCrossReferenceTableIsRepaired) {
  BELVORA_REQUIRE_CORPUS();
  // A compressed invoice: only the repaired structure can reach it.
  std::string bytes = readAll(kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf");
  auto at = bytes.rfind("startxref");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, std::string::npos, "startxref\n999999\n%%EOF\n");
  auto xref = bytes.find("\nxref");
  if (xref != std::string::npos) bytes.replace(xref + 1, 4, "XXXX");
  writeAll(path("damaged.pdf"), bytes);
  const Extracted extracted = extract(path("damaged.pdf"));
  ASSERT_EQ(extracted.outcome, Extraction::Extracted);
  EXPECT_EQ(rootOf(extracted.xml), "CrossIndustryInvoice");
}

TEST_F(ExtractInvoiceXmlTest, TruncatedPdfsNeverCrashAndNeverYieldBrokenXml) {
  BELVORA_REQUIRE_CORPUS();
  for (const char* name : {"ferd-zf23__XRECHNUNG_Einfach.pdf", "mustang__validXRechnung.pdf",
                           "ferd-zf211__zugferd_2p1_EN16931_Reisekostenabrechnung.pdf"}) {
    const std::string bytes = readAll(kCorpus + "/pdf/" + name);
    for (size_t cut : {size_t{10}, bytes.size() / 4, bytes.size() / 2, bytes.size() - 200}) {
      writeAll(path("cut.pdf"), bytes.substr(0, cut));
      const Extracted extracted = extract(path("cut.pdf"));
      if (extracted.outcome == Extraction::Extracted) {
        EXPECT_EQ(rootOf(extracted.xml), "CrossIndustryInvoice") << name << " cut at " << cut;
      } else {
        EXPECT_EQ(extracted.xml, "");
      }
    }
  }
}

TEST_F(ExtractInvoiceXmlTest, UnreadableStructureFallsBackToTheByteScan) {
  // PDF header, no objects: qpdf gives up, the readable invoice is still found.
  std::string cii = kCii;
  writeAll(path("raw.pdf"), "%PDF-1.4\n%garbage\n" + cii + "\n%%EOF\n");
  std::string expected = cii.substr(0, cii.find("</rsm:CrossIndustryInvoice>") + 27) + "\r\n";
  EXPECT_EQ(extract(path("raw.pdf")).xml, expected);
}

// ---- recognising PDFs ----------------------------------------------------

using IsPdfFileTest = TempDirTest;

TEST_F(IsPdfFileTest, ByEndingInAnyCaseOrByContent) {
  EXPECT_TRUE(IsPdfFile("/nowhere/RE-4711.pdf"));
  EXPECT_TRUE(IsPdfFile("/nowhere/RE-4711.PDF"));
  EXPECT_TRUE(IsPdfFile("/nowhere/RE-4711.Pdf"));
  EXPECT_FALSE(IsPdfFile("/nowhere/RE-4711.xml"));
  writeAll(path("scan.bin"), "%PDF-1.7\n...");
  EXPECT_TRUE(IsPdfFile(path("scan.bin")));
  writeAll(path("invoice.xml"), kCii);
  EXPECT_FALSE(IsPdfFile(path("invoice.xml")));
  writeAll(path("short"), "%PD");
  EXPECT_FALSE(IsPdfFile(path("short")));
  EXPECT_FALSE(IsPdfFile(dir_.string()));
  EXPECT_FALSE(IsPdfFile(""));
}

// ---- content checks ------------------------------------------------------

TEST(LooksLikeInvoiceXml, JudgesRootElementAndNamespace) {
  const std::string cii =
      "xmlns:rsm=\"urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100\"";
  const std::string inv = "xmlns=\"urn:oasis:names:specification:ubl:schema:xsd:Invoice-2\"";
  const std::string cn = "xmlns=\"urn:oasis:names:specification:ubl:schema:xsd:CreditNote-2\"";
  const std::string ciiEnd = "</rsm:CrossIndustryInvoice>";
  const std::map<std::string, bool> cases = {
      {"<rsm:CrossIndustryInvoice " + cii + ">" + ciiEnd, true},
      {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- c -->\n<rsm:CrossIndustryInvoice " + cii + ">" +
           ciiEnd + "\n",
       true},
      {"<!DOCTYPE x [ <!ENTITY a \"b\"> ]><rsm:CrossIndustryInvoice " + cii + ">" + ciiEnd, true},
      {"<rsm:CrossIndustryDocument xmlns:rsm=\"urn:ferd:CrossIndustryDocument:invoice:1p0\">"
       "</rsm:CrossIndustryDocument>",
       true},
      {"<Invoice " + inv + "></Invoice>", true},
      {"<ubl:Invoice xmlns:ubl=\"urn:oasis:names:specification:ubl:schema:xsd:Invoice-2\">"
       "</ubl:Invoice>",
       true},
      {"<CreditNote " + cn + "></CreditNote>", true},
      {"<rsm:CrossIndustryInvoice " + cii + "><rsm:ExchangedDocument>", false},
      {"<Invoice xmlns=\"urn:example:other\"></Invoice>", false},
      {"<CreditNote " + inv + "></CreditNote>", false},
      {"<notes " + cii + "></notes>", false},
      {"<rsm:CrossIndustryInvoice " + cii, false},
      {"<?xml version=\"1.0\"", false},
      {"plain text", false},
      {"", false},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(looksLikeInvoiceXml(text), expected) << text;
  // Judged from the first bytes alone: undecided until the root's start tag is whole.
  const std::map<std::string, RootVerdict> heads = {
      {"", RootVerdict::Undecided},
      {"\xEF\xBB", RootVerdict::Undecided},
      {"<?xml version=\"1.0\"", RootVerdict::Undecided},
      {"<!-- a long comment", RootVerdict::Undecided},
      {"<rsm:CrossIndustryInvoice " + cii.substr(0, 20), RootVerdict::Undecided},
      {"<rsm:CrossIndustryInvoice " + cii + ">", RootVerdict::Invoice},
      {"<rsm:CrossIndustryInvoice xmlns:rsm='x' xmlns:a=\"" + cii + "\">", RootVerdict::Other},
      {"<Invoice xmlns:x=\"urn:oasis:names:specification:ubl:schema:xsd:Invoice-2\">",
       RootVerdict::Other},
      {std::string(1000, '\0'), RootVerdict::Other},
      {"   plain text", RootVerdict::Other},
  };
  for (const auto& [head, expected] : heads)
    EXPECT_EQ(looksLikeInvoiceStart(head), expected) << head;
  EXPECT_TRUE(looksLikeInvoiceXml(kCii));
  EXPECT_TRUE(looksLikeInvoiceXml(kUbl));
  EXPECT_FALSE(looksLikeInvoiceXml(kNotes));
}

TEST(ScanInvoiceXml, TakesTheDeclarationNearestBeforeTheClosingTag) {
  const std::string invoice =
      "<?XML VERSION=\"1.0\"?><rsm:CrossIndustryInvoice>x</RSM:CrossIndustryInvoice>";
  auto got = scanInvoiceXml("%PDF-1.4 <?xml version=\"1.0\"?><x:xmpmeta/> stream " + invoice +
                            " endstream");
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, invoice + "\r\n");

  EXPECT_FALSE(scanInvoiceXml("</rsm:CrossIndustryInvoice> <?xml version=\"1.0\"?>"));
  EXPECT_FALSE(scanInvoiceXml("<?xml version=\"1.0\"?><rsm:CrossIndustryInvoice>"));
  EXPECT_FALSE(scanInvoiceXml(""));
}
