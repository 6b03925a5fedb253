// Reads of the files in tests/data/reader, each compared with everything it
// should leave (view, dialogs, output files) in tests/data/reader/expected.

#include "ReaderTestSupport.h"

namespace fs = std::filesystem;
using namespace belvora;
using namespace belvora::reader;

namespace {

struct GoldenCase {
  std::string input;           // under tests/data/reader
  std::string language;        // the expected outcome is expected/<file name>.<language>[-<folder>]
  std::string folder = "out";  // the output folder; "" for none
  std::vector<std::pair<std::string, std::string>> before = {};  // files already in the folder
};

std::string goldenName(const GoldenCase& c) {
  return fs::path(c.input).filename().string() + "." + c.language +
         (c.folder == "out" ? "" : "-" + (c.folder.empty() ? "none" : c.folder));
}

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << goldenName(c); }

class GoldenRead : public test::ReaderTest, public ::testing::WithParamInterface<GoldenCase> {};

}  // namespace

TEST_P(GoldenRead, LeavesTheExpectedViewDialogsAndFiles) {
  const GoldenCase& c = GetParam();
  for (const auto& [name, text] : c.before) test::writeAll(out_ / name, text);
  // Left by an earlier read: only the payee's bank details may stay.
  for (const auto& f : fieldCatalogue()) *view_.field(f.array, f.index) = "alt";
  for (auto* grid : {&view_.lvTable, &view_.lvUst, &view_.lvAbzuege}) grid->addRow("alt");
  settings_.outputFolder = c.folder.empty() ? "" : (dir_ / c.folder).string();
  const bool result = read(test::ReaderData(c.input), c.language);
  const std::string golden = "expected/" + goldenName(c);
  EXPECT_EQ("result " + std::to_string(result) + "\n" + outcome(),
            test::readAll(test::ReaderData(golden)))
      << golden;
  // Nothing is written beside the output folder.
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const auto name = entry.path().filename().string();
    EXPECT_TRUE(name == "out" || name == "bin") << "written outside: " << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, GoldenRead,
    ::testing::Values(
        // CII: header, parties, payment, totals, lines, taxes and allowances.
        GoldenCase{"cii.xml", "DE"}, GoldenCase{"cii.xml", "GB"},
        GoldenCase{"cii-attachments.xml", "GB"}, GoldenCase{"cii-sparse.xml", "DE"},
        // Files of the user and of earlier reads stay; same bytes are not copied twice.
        GoldenCase{.input = "cii-taken.xml",
                   .language = "GB",
                   .before = {{"erp.sqlite", "the user's database"},
                              {"same.pdf", "Hallo"},
                              {"Reference to K.url", "the user's shortcut"},
                              {"Externfile.pdf", "from an earlier read"}}},
        GoldenCase{"cii-lost.xml", "GB"}, GoldenCase{"cii-lost.xml", "DE"},
        // UBL credit note, its attachments, and the Invoice as the Peppol view.
        GoldenCase{"ubl-creditnote.xml", "DE"}, GoldenCase{"ubl-creditnote.xml", "GB"},
        GoldenCase{"ubl-attachments.xml", "GB"}, GoldenCase{"peppol-invoice.xml", "DE"},
        // Without an output folder nothing is written; a missing one is reported.
        GoldenCase{"peppol-invoice.xml", "GB", ""},
        GoldenCase{"peppol-invoice.xml", "DE", "gibt-es-nicht"},
        GoldenCase{"really.pdf", "DE", "gibt-es-nicht"},
        // The root element decides the syntax, by name and namespace.
        GoldenCase{"root-cii-ubl-element.xml", "GB"}, GoldenCase{"root-invoice.xml", "GB"},
        GoldenCase{"root-creditnote.xml", "GB"},
        GoldenCase{"root-invoice-wrong-namespace.xml", "GB"},
        GoldenCase{"root-wrong-name.xml", "GB"}, GoldenCase{"root-invoice-inside.xml", "GB"},
        GoldenCase{"root-plain.xml", "GB"},
        // Neither syntax, no invoice, unreadable, hostile.
        GoldenCase{"zf1.xml", "GB"}, GoldenCase{"notes.xml", "GB"}, GoldenCase{"html.xml", "DE"},
        GoldenCase{"mismatch.xml", "DE"}, GoldenCase{"mismatch.xml", "FR"},
        GoldenCase{"utf32be.xml", "GB"}, GoldenCase{"utf32be.xml", "DE"},
        GoldenCase{"utf32le.xml", "GB"}, GoldenCase{"utf32le.xml", "DE"},
        GoldenCase{"damaged.pdf", "GB"}, GoldenCase{"damaged.pdf", "DE"},
        GoldenCase{"really.pdf", "GB"}, GoldenCase{"broken/missing.xml", "GB"},
        GoldenCase{"broken/empty.xml", "GB"}, GoldenCase{"broken/truncated.xml", "GB"},
        GoldenCase{"broken/not-xml.txt", "GB"}, GoldenCase{"broken/bomb.xml", "GB"},
        GoldenCase{"broken/xxe.xml", "GB"}, GoldenCase{"broken/xxe-parameter.xml", "GB"},
        GoldenCase{"broken/no-invoice.pdf", "GB"}, GoldenCase{"broken/no-invoice.pdf", "DE"},
        GoldenCase{"broken/truncated.pdf", "GB"}, GoldenCase{"broken/invalid-base64.xml", "GB"},
        GoldenCase{"broken/hostile-names.xml", "GB"}),
    [](const auto& info) {
      std::string name = goldenName(info.param);
      for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });
