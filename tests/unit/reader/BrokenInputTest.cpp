// Broken and hostile inputs, one file each under tests/data/reader/broken:
// each gives its message (or none) and its result, never a crash, and never
// writes outside the output folder.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ReaderTestSupport.h"

namespace fs = std::filesystem;
using namespace belvora;

namespace {

struct BrokenCase {
  const char* file;
  bool result;
  // How the single message starts ("{path}" stands for the file, "{out}"
  // for the output folder); empty: no message at all.
  std::string message;
  std::vector<std::string> written;  // files in the output folder afterwards
  bool lost = false;                 // attachments were reported as lost
};

// The start of the parse error message.
std::string parseMessage(const std::string& reason, int line) {
  return "XML-Error:\r\nDescription: " + reason + "\r\nLine: " + std::to_string(line) +
         "\r\nColumne: ";
}

void replace(std::string& text, const std::string& key, const std::string& value) {
  if (const auto at = text.find(key); at != std::string::npos) text.replace(at, key.size(), value);
}

std::ostream& operator<<(std::ostream& os, const BrokenCase& c) { return os << c.file; }

class BrokenInput : public belvora::test::ReaderTest,
                    public ::testing::WithParamInterface<BrokenCase> {};

}  // namespace

TEST_P(BrokenInput, GivesItsMessageAndResult) {
  const BrokenCase& c = GetParam();
  const fs::path file = fs::path(BELVORA_TEST_DATA_DIR) / "reader" / "broken" / c.file;
  EXPECT_EQ(read(file.string(), "GB"), c.result);
  EXPECT_EQ(view_.saveEnabled, c.result);
  EXPECT_EQ(settings_.attachmentsLost, c.lost);
  const auto messages = fake_->messages();
  if (c.message.empty()) {
    EXPECT_TRUE(messages.empty()) << messages.front().text;
  } else {
    ASSERT_EQ(messages.size(), 1u);
    std::string head = c.message;
    replace(head, "{path}", file.string());
    replace(head, "{out}", out_.string());
    EXPECT_EQ(messages[0].text.substr(0, head.size()), head) << messages[0].text;
    EXPECT_EQ(messages[0].icon, c.lost ? ui::Icon::Exclamation : ui::Icon::Critical);
    // Nothing of a local file ever reaches the view or the message.
    EXPECT_EQ(messages[0].text.find("root:"), std::string::npos);
  }
  EXPECT_EQ(view_.txtRechnungdaten[reader::InvoiceNumber].find("root:"), std::string::npos);
  EXPECT_EQ(outputFiles(), c.written);
  // Only the output folder and the input copy live in the scratch folder.
  for (const auto& entry : fs::directory_iterator(dir_)) {
    const auto name = entry.path().filename().string();
    EXPECT_TRUE(name == "out" || name == "bin") << "written outside: " << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenInput,
    ::testing::Values(
        BrokenCase{"missing.xml",
                   false,
                   parseMessage("cannot open '{path}': No such file or directory", 0),
                   {}},
        BrokenCase{"empty.xml", false, parseMessage("Document is empty", 1), {}},
        BrokenCase{"truncated.xml",
                   false,
                   parseMessage("Premature end of data in tag Content line 28", 28),
                   {}},
        BrokenCase{"not-xml.txt", false, parseMessage("Start tag expected, '<' not found", 1), {}},
        BrokenCase{
            "bomb.xml", false, parseMessage("Entity expansion exceeds the allowed size", 14), {}},
        BrokenCase{"xxe.xml", false, parseMessage("External entity \"xxe\" is not allowed", 3), {}},
        BrokenCase{"xxe-parameter.xml",
                   false,
                   parseMessage("External entity \"remote\" is not allowed", 3),
                   {}},
        BrokenCase{"no-invoice.pdf", false, "The PDF file carries no invoice: ", {}},
        BrokenCase{"truncated.pdf", false, "The PDF file cannot be read: ", {}},
        BrokenCase{"invalid-base64.xml",
                   true,
                   "These attachments were not saved in {out}:\r\n"
                   "kaputt.pdf: the content is not valid Base64\r\n"
                   "abgeschnitten.pdf: the content is not valid Base64",
                   {"gut.pdf"},
                   true},
        BrokenCase{"hostile-names.xml",
                   true,
                   "",
                   {"Anhang.pdf", "Reference to evil.url", "passwd", "x", "x.pdf"}}),
    [](const ::testing::TestParamInfo<BrokenCase>& info) {
      std::string name;
      for (char c : std::string(info.param.file)) name += std::isalnum(c) ? c : '_';
      return name;
    });

TEST(BrokenInputMissing, MissingFileMessageNamesThePath) {
  belvora::test::ScopedFakeInteraction fake;
  reader::ReaderSettings settings;
  settings.invoiceFile = "/nonexistent/belvora/RE-4711.xml";
  reader::ViewModel view;
  EXPECT_FALSE(reader::ReadXML(settings, view));
  ASSERT_EQ(fake->messages().size(), 1u);
  const std::string text = fake->messages()[0].text;
  EXPECT_EQ(text.rfind("XML-Error:\r\nDescription: ", 0), 0u) << text;
  EXPECT_NE(text.find("/nonexistent/belvora/RE-4711.xml"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\nLine: 0\r\nColumne: 0\r\n"), std::string::npos) << text;
}
