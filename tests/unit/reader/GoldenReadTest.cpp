// Reads of the files in tests/data/reader/read and .../broken, each compared
// with everything it should leave (view, dialogs, output files): one case
// for each file expected/<input>.<language>[-<output folder>]. Files under
// before/<input>/ lie in the output folder before the read.

#include <set>

#include "ReaderTestSupport.h"

namespace fs = std::filesystem;
using namespace belvora;
using namespace belvora::reader;

namespace {

struct GoldenCase {
  std::string golden, input, language;
  std::string folder = "out";  // "none": no output folder
};
void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.golden; }

std::vector<GoldenCase> goldenCases() {
  std::vector<GoldenCase> cases;
  for (const auto& entry : fs::directory_iterator(test::ReaderData("expected"))) {
    const std::string name = entry.path().filename().string();
    const auto dot = name.rfind('.');
    const auto dash = name.find('-', dot);
    GoldenCase c{name, name.substr(0, dot), name.substr(dot + 1, dash - dot - 1)};
    if (dash != std::string::npos) c.folder = name.substr(dash + 1);
    const bool read = fs::exists(test::ReaderData("read/" + c.input));
    c.input = (read ? "read/" : "broken/") + c.input;
    cases.push_back(c);
  }
  std::sort(cases.begin(), cases.end(), [](auto& a, auto& b) { return a.golden < b.golden; });
  return cases;
}

class GoldenRead : public test::ReaderTest, public ::testing::WithParamInterface<GoldenCase> {};

}  // namespace

TEST_P(GoldenRead, LeavesTheExpectedViewDialogsAndFiles) {
  const GoldenCase& c = GetParam();
  const fs::path before = test::ReaderData("before/" + fs::path(c.input).filename().string());
  if (fs::exists(before)) fs::copy(before, out_);
  // Left by an earlier, failed read: only the payee's bank details may stay.
  view_.saveEnabled = false;
  for (const auto& f : fieldCatalogue()) *view_.field(f.array, f.index) = "alt";
  for (auto* grid : {&view_.lvTable, &view_.lvUst, &view_.lvAbzuege}) grid->addRow("alt");
  settings_.outputFolder = c.folder == "none" ? "" : (dir_ / c.folder).string();
  const bool result = read(test::ReaderData(c.input), c.language);
  EXPECT_EQ("result " + std::to_string(result) + "\n" + outcome(),
            test::readAll(test::ReaderData("expected/" + c.golden)));
  // Nothing is written beside the output folder.
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const auto name = entry.path().filename().string();
    EXPECT_TRUE(name == "out" || name == "bin") << "written outside: " << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, GoldenRead, ::testing::ValuesIn(goldenCases()),
                         [](const auto& info) {
                           std::string name = info.param.golden;
                           for (char& c : name) c = std::isalnum((unsigned char)c) ? c : '_';
                           return name;
                         });

TEST(GoldenReadCases, EveryInputFileHasItsCases) {
  std::set<std::string> inputs;
  for (const auto& c : goldenCases()) inputs.insert(c.input);
  for (const char* folder : {"read", "broken"}) {
    for (const auto& entry : fs::directory_iterator(test::ReaderData(folder))) {
      EXPECT_TRUE(inputs.count(folder + ("/" + entry.path().filename().string()))) << entry.path();
    }
  }
  EXPECT_EQ(goldenCases().size(), 45u);
}
