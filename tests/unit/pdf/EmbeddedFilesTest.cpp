#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/pdf/EmbeddedFiles.h"
#include "platform/sys/WorkFile.h"
#include "reader/ExtractInvoiceXml.h"
#include "support/PdfBuilder.h"
#include "support/SharedArtefacts.h"
#include "unit/reader/CaseTable.h"

namespace fs = std::filesystem;
using namespace belvora::pdf;
using belvora::reader::ExtractInvoiceXml;
using belvora::reader::Extraction;
using belvora::reader::IsPdfFile;
using belvora::test::PdfBuilder;
using belvora::test::readAll;
using belvora::test::writeAll;
using Names = std::vector<std::string>;

namespace {

const std::string kCorpus = belvora::test::CorpusDir();
const std::string kData = std::string(BELVORA_TEST_DATA_DIR) + "/pdf/";
const std::string kCii = readAll(kCorpus + "/en16931/cii/CII_example3.xml");
const std::string kUbl = readAll(kCorpus + "/en16931/ubl/ubl-tc434-example6.xml");
const std::string kNotes =
    "<?xml version=\"1.0\"?>\n<notes xmlns=\"urn:example:notes\"><note>Tor 3</note></notes>\n";

// Extracts into a work file of its own and reads it back before it goes.
struct Extracted {
  Extraction outcome;
  std::string reason;
  std::string xml;
};
Extracted extract(const std::string& pdf, std::uint64_t maxSize = 256u << 20) {
  belvora::sys::WorkFile work("zFile.xml");
  auto r = ExtractInvoiceXml(pdf, work, maxSize);
  return {r.outcome, r.reason, readAll(work.path())};
}

// Root element (local name) of a well-formed document, parsed without the
// library under test; empty when it does not parse.
std::string rootOf(const std::string& xml) {
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "x.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return {};
  std::string name = reinterpret_cast<const char*>(xmlDocGetRootElement(doc)->name);
  xmlFreeDoc(doc);
  return name;
}

}  // namespace

// Every hybrid PDF of the corpus gives the invoice its producer embedded,
// as SOURCES.tsv notes it (embedded=, profile=, typecode=, filter=).
TEST(CorpusPdfs, ExtractTheInvoiceTheProducerEmbedded) {
  BELVORA_REQUIRE_CORPUS();
  std::ifstream sources(kCorpus + "/SOURCES.tsv");
  std::size_t listed = 0;
  for (std::string line; std::getline(sources, line);) {
    if (!line.starts_with("pdf/")) continue;
    ++listed;
    const std::string file = kCorpus + "/" + line.substr(0, line.find('\t'));
    SCOPED_TRACE(file);
    const std::string notes = line.substr(line.rfind('\t') + 1);
    auto note = [&notes](const std::string& key) {
      const auto at = notes.find(key + "=");
      if (at == std::string::npos) return std::string();
      const auto from = at + key.size() + 1;
      return notes.substr(from, notes.find(';', from) - from);
    };
    const std::string bytes = readAll(file);
    const Names names = embeddedFileNames(bytes);
    EXPECT_NE(std::find(names.begin(), names.end(), note("embedded")), names.end());
    auto found = findInvoiceXml(bytes);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->name, note("embedded"));
    const Extracted extracted = extract(file);
    ASSERT_EQ(extracted.outcome, Extraction::Extracted);
    EXPECT_EQ(extracted.xml, found->data);
    EXPECT_EQ(rootOf(extracted.xml), note("profile").starts_with("urn:ferd:")
                                         ? "CrossIndustryDocument"
                                         : "CrossIndustryInvoice");
    EXPECT_NE(extracted.xml.find(note("profile")), std::string::npos);
    EXPECT_NE(extracted.xml.find("TypeCode>" + note("typecode") + "<"), std::string::npos);
    // A scan of the raw bytes finds a compressed invoice nowhere: the reason
    // the embedded files are read through the PDF structure.
    if (note("filter") != "none") {
      EXPECT_FALSE(scanInvoiceXml(bytes));
    }
  }
  std::size_t onDisk = 0;
  for (const auto& e : fs::directory_iterator(kCorpus + "/pdf"))
    onDisk += e.path().extension() == ".pdf";
  EXPECT_EQ(listed, onDisk);
  EXPECT_GE(onDisk, 37u);
}

// ---- choice among several embedded files ---------------------------------

TEST(FindInvoiceXml, TakesTheInvoiceByContentNotByAPreferredNameAlone) {
  BELVORA_REQUIRE_CORPUS();  // the invoices inside come from the corpus
  struct Case {
    std::string file;
    Names names;
    std::string found;  // empty: no invoice
    std::string data;
  } cases[] = {
      {"content-only.pdf", {"notes.xml", "rechnung-2024.xml"}, "rechnung-2024.xml", kCii},
      {"preferred-decoy.pdf", {"factur-x.xml", "rechnung-2024.xml"}, "rechnung-2024.xml", kCii},
      {"ubl-inside.pdf", {"ubl-invoice.xml"}, "ubl-invoice.xml", kUbl},
      {"no-invoice.pdf", {"notes.xml"}, "", ""},
  };
  for (const auto& c : cases) {
    const std::string bytes = readAll(kData + c.file);
    EXPECT_EQ(embeddedFileNames(bytes), c.names) << c.file;
    auto found = findInvoiceXml(bytes);
    EXPECT_EQ(found ? found->name : "", c.found) << c.file;
    EXPECT_EQ(found ? found->data : "", c.data) << c.file;
  }
  EXPECT_THROW(findInvoiceXml(""), Unreadable);
  EXPECT_THROW(findInvoiceXml("just some words"), Unreadable);
}

TEST(FindInvoiceXml, PreferredNamesInAnyLetterCaseAndInTheirOrder) {
  BELVORA_REQUIRE_CORPUS();
  PdfBuilder b;
  const std::string zf1 = readAll(kCorpus + "/cii/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.xml");
  b.setEmbeddedFiles(b.leaf({{"a", b.fileSpec("aaa-invoice.xml", kUbl)},
                             {"b", b.fileSpec("ZUGFeRD-invoice.xml", zf1)},
                             {"c", b.fileSpec("FACTUR-X.XML", kCii)}}));
  auto found = findInvoiceXml(b.bytes());
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "FACTUR-X.XML");
  EXPECT_EQ(found->data, kCii);
}

TEST(FindInvoiceXml, WalksUnsortedNestedNameTreesCyclesAndAssociatedFiles) {
  BELVORA_REQUIRE_CORPUS();  // the invoices inside come from the corpus
  PdfBuilder b;
  auto first = b.leaf({{"mm", b.fileSpec("z.txt", "text")}});
  auto root = b.node({first, b.leaf({{"zz", b.fileSpec("notes.xml", kNotes)},
                                     {"aa", b.fileSpec("zugferd-invoice.xml", kCii)}})});
  // A kid pointing back at the root must not send the walk round in circles.
  first.replaceKey("/Kids", QPDFObjectHandle::newArray({root}));
  b.setEmbeddedFiles(root);
  const std::string bytes = b.bytes();
  EXPECT_EQ(embeddedFileNames(bytes), (Names{"z.txt", "notes.xml", "zugferd-invoice.xml"}));
  auto found = findInvoiceXml(bytes);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "zugferd-invoice.xml");

  PdfBuilder af;
  af.setAssociatedFiles({af.fileSpec("factur-x.xml", kCii)});
  EXPECT_EQ(embeddedFileNames(af.bytes()), Names{"factur-x.xml"});
  ASSERT_TRUE(findInvoiceXml(af.bytes()));
  // Listed in both places: counted once.
  PdfBuilder both;
  auto s = both.fileSpec("factur-x.xml", kCii);
  both.setEmbeddedFiles(both.leaf({{"factur-x.xml", s}}));
  both.setAssociatedFiles({s});
  EXPECT_EQ(embeddedFileNames(both.bytes()).size(), 1u);
}

TEST(FindInvoiceXml, CandidatesAreJudgedByTheirFirstBytes) {
  BELVORA_REQUIRE_CORPUS();  // the invoices inside come from the corpus
  // Bombs of zeros and of blanks are passed over after their head, and so
  // is a cut-off invoice; the whole one after them is taken.
  PdfBuilder b;
  const std::string zeros = belvora::test::deflateFilled("", '\0', 64u << 20);
  const std::string blanks = belvora::test::deflateFilled("", ' ', 64u << 20);
  b.setEmbeddedFiles(b.leaf({{"a", b.compressedFileSpec("factur-x.xml", zeros)},
                             {"b", b.compressedFileSpec("b.xml", blanks)},
                             {"c", b.fileSpec("xrechnung.xml", kCii.substr(0, kCii.size() / 2))},
                             {"d", b.fileSpec("d.xml", kCii)}}));
  // A limit far below the bombs' size: they are never decoded whole.
  auto found = findInvoiceXml(b.bytes(), 1u << 20);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->name, "d.xml");
  EXPECT_EQ(found->data, kCii);
}

// ---- the work file -------------------------------------------------------

TEST(ExtractInvoiceXml, OutcomeAndWorkFileForEachKindOfFile) {
  BELVORA_REQUIRE_CORPUS();  // the invoices inside come from the corpus
  belvora::test::TempDir dir;
  writeAll(dir / "damaged.pdf", "%PDF-1.7\n\x01\x02 trailer <<>>\n");
  writeAll(dir / "empty.pdf", "");
  writeAll(dir / "words.pdf", "Dies ist keine Rechnung.");
  // PDF header, no objects: qpdf gives up, the readable invoice is still found.
  writeAll(dir / "raw.pdf", "%PDF-1.4\n%garbage\n" + kCii + "\n%%EOF\n");
  PdfBuilder b;
  b.setEmbeddedFiles(b.leaf({{"x", b.fileSpec("factur-x.xml", kCii)}}));
  writeAll(dir / "small.pdf", b.bytes());
  // The PDF is within the limit, the invoice it inflates to is not.
  ASSERT_LT(fs::file_size(dir / "small.pdf"), kCii.size() / 2);
  const std::uint64_t all = 256u << 20;
  const struct {
    std::string path;
    std::uint64_t limit;
    Extraction outcome;
    std::string xml;  // the work file afterwards
  } cases[] = {
      {kData + "no-invoice.pdf", all, Extraction::NoInvoice, ""},
      {dir / "damaged.pdf", all, Extraction::Unreadable, ""},
      // No PDF at all: the caller reads the file as it is.
      {dir / "empty.pdf", all, Extraction::NotPdf, ""},
      {dir / "words.pdf", all, Extraction::NotPdf, ""},
      {dir / "missing.pdf", all, Extraction::Failed, ""},
      {dir.path().string(), all, Extraction::Failed, ""},
      {dir / "raw.pdf", all, Extraction::Extracted,
       kCii.substr(0, kCii.find("</rsm:CrossIndustryInvoice>") + 27) + "\r\n"},
      {dir / "small.pdf", kCii.size() - 1, Extraction::TooLarge, ""},
      {dir / "small.pdf", kCii.size(), Extraction::Extracted, kCii},
  };
  for (const auto& c : cases) {
    const Extracted e = extract(c.path, c.limit);
    EXPECT_EQ(e.outcome, c.outcome) << c.path << " " << c.limit;
    EXPECT_EQ(e.xml, c.xml) << c.path << " " << c.limit;
  }
  EXPECT_NE(extract(dir / "damaged.pdf").reason.find("trailer"), std::string::npos);
}

TEST(ExtractInvoiceXml, EveryWorkFileIsPrivateItsOwnAndGoesWithItsObject) {
  BELVORA_REQUIRE_CORPUS();  // the invoices inside come from the corpus
  belvora::test::TempDir tmp;
  const std::string oldTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
  ::setenv("TMPDIR", tmp.path().c_str(), 1);  // the work folder is this test's own
  const fs::path workFolder = tmp.path() / ("belvora-" + std::to_string(::getuid()));
  std::string first;
  {
    belvora::sys::WorkFile a("zFile.xml");
    belvora::sys::WorkFile b("zFile.xml");
    first = a.path();
    EXPECT_NE(a.path(), b.path());
    EXPECT_EQ(fs::path(a.path()).filename(), "zFile.xml");
    EXPECT_EQ(fs::path(a.path()).parent_path().parent_path(), workFolder);
    for (const auto& p : {workFolder, fs::path(a.path()).parent_path(), fs::path(a.path())}) {
      EXPECT_EQ(fs::status(p).permissions() & (fs::perms::group_all | fs::perms::others_all),
                fs::perms::none)
          << p;
    }
    ASSERT_EQ(ExtractInvoiceXml(kData + "ubl-inside.pdf", a, 1u << 20).outcome,
              Extraction::Extracted);
    EXPECT_EQ(readAll(a.path()), kUbl);
  }
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(fs::is_empty(workFolder));
  oldTmp.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", oldTmp.c_str(), 1);
}

TEST(ExtractInvoiceXml, PdfLimitAndARepairedCrossReferenceTable) {
  BELVORA_REQUIRE_CORPUS();
  // A compressed invoice: only the repaired structure can reach it.
  const std::string pdf = kCorpus + "/pdf/ferd-zf23__XRECHNUNG_Einfach.pdf";
  // The limit holds for the PDF file itself too.
  EXPECT_EQ(extract(pdf, fs::file_size(pdf) - 1).outcome, Extraction::TooLarge);
  EXPECT_EQ(extract(pdf, fs::file_size(pdf)).outcome, Extraction::Extracted);
  std::string bytes = readAll(pdf);
  const auto at = bytes.rfind("startxref");
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at, std::string::npos, "startxref\n999999\n%%EOF\n");
  if (const auto xref = bytes.find("\nxref"); xref != std::string::npos)
    bytes.replace(xref + 1, 4, "XXXX");
  belvora::test::TempDir dir;
  writeAll(dir / "damaged.pdf", bytes);
  const Extracted extracted = extract(dir / "damaged.pdf");
  ASSERT_EQ(extracted.outcome, Extraction::Extracted);
  EXPECT_EQ(rootOf(extracted.xml), "CrossIndustryInvoice");
}

TEST(ExtractInvoiceXml, TruncatedPdfsNeverCrashAndNeverYieldBrokenXml) {
  BELVORA_REQUIRE_CORPUS();
  belvora::test::TempDir dir;
  for (const char* name : {"ferd-zf23__XRECHNUNG_Einfach.pdf", "mustang__validXRechnung.pdf",
                           "ferd-zf211__zugferd_2p1_EN16931_Reisekostenabrechnung.pdf"}) {
    const std::string bytes = readAll(kCorpus + "/pdf/" + name);
    for (size_t cut : {size_t{10}, bytes.size() / 4, bytes.size() / 2, bytes.size() - 200}) {
      writeAll(dir / "cut.pdf", bytes.substr(0, cut));
      const Extracted e = extract(dir / "cut.pdf");
      EXPECT_EQ(e.outcome == Extraction::Extracted ? rootOf(e.xml) : e.xml,
                e.outcome == Extraction::Extracted ? "CrossIndustryInvoice" : "")
          << name << " cut at " << cut;
    }
  }
}

TEST(IsPdfFile, ByEndingInAnyCaseOrByContent) {
  belvora::test::TempDir dir;
  writeAll(dir / "scan.bin", "%PDF-1.7\n...");
  writeAll(dir / "invoice.xml", kCii);
  writeAll(dir / "short", "%PD");
  for (const std::string& yes :
       {std::string("/nowhere/RE-4711.pdf"), std::string("/nowhere/RE-4711.PDF"),
        std::string("/nowhere/RE-4711.Pdf"), dir / "scan.bin"}) {
    EXPECT_TRUE(IsPdfFile(yes)) << yes;
  }
  for (const std::string& no : {std::string("/nowhere/RE-4711.xml"), dir / "invoice.xml",
                                dir / "short", dir.path().string(), std::string()}) {
    EXPECT_FALSE(IsPdfFile(no)) << no;
  }
}

// ---- content checks ------------------------------------------------------

TEST(LooksLikeInvoiceXml, JudgesRootElementAndNamespace) {
  BELVORA_REQUIRE_CORPUS();  // the invoices inside come from the corpus
  const char* const kHeads[] = {"head invoice", "head other", "head undecided"};  // RootVerdict
  const auto cases = belvora::test::ReadCaseTable(kData + "roots.tsv");
  for (const auto& c : cases) {
    EXPECT_EQ(c[0].starts_with("whole") ? (looksLikeInvoiceXml(c[1]) ? "whole yes" : "whole no")
                                        : kHeads[static_cast<int>(looksLikeInvoiceStart(c[1]))],
              c[0])
        << c[1];
  }
  EXPECT_EQ(cases.size(), 24u);
  EXPECT_EQ(looksLikeInvoiceStart(std::string(1000, '\0')), RootVerdict::Other);
  EXPECT_TRUE(looksLikeInvoiceXml(kCii));
  EXPECT_TRUE(looksLikeInvoiceXml(kUbl));
  EXPECT_FALSE(looksLikeInvoiceXml(kNotes));
}

TEST(ScanInvoiceXml, TakesTheDeclarationNearestBeforeTheClosingTag) {
  const std::string invoice =
      "<?XML VERSION=\"1.0\"?><rsm:CrossIndustryInvoice>x</RSM:CrossIndustryInvoice>";
  EXPECT_EQ(scanInvoiceXml("%PDF-1.4 <?xml version=\"1.0\"?><x:xmpmeta/> stream " + invoice +
                           " endstream"),
            invoice + "\r\n");
  EXPECT_FALSE(scanInvoiceXml("</rsm:CrossIndustryInvoice> <?xml version=\"1.0\"?>"));
  EXPECT_FALSE(scanInvoiceXml("<?xml version=\"1.0\"?><rsm:CrossIndustryInvoice>"));
  EXPECT_FALSE(scanInvoiceXml(""));
}
