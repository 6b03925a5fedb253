// Attachments never replace what the user has, never vanish without a word,
// and names of any length end in a file or a message.
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "ReaderTestSupport.h"
#include "support/SharedArtefacts.h"
#include "text/Texte.h"

namespace fs = std::filesystem;
using namespace belvora;
using belvora::test::Cii;

namespace {

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A reference with content (file-name attribute present, so the identifier
// names the file) and/or an address.
std::string ref(const std::string& id, const std::string& base64, const std::string& uri = "") {
  std::string x =
      "<ram:AdditionalReferencedDocument><ram:IssuerAssignedID>" + id + "</ram:IssuerAssignedID>";
  if (!uri.empty()) x += "<ram:URIID>" + uri + "</ram:URIID>";
  x += "<ram:TypeCode>916</ram:TypeCode>";
  if (!base64.empty()) {
    x += "<ram:AttachmentBinaryObject mimeCode=\"application/pdf\" filename=\"f.pdf\">" + base64 +
         "</ram:AttachmentBinaryObject>";
  }
  return x + "</ram:AdditionalReferencedDocument>";
}

std::string invoice(const std::string& references) {
  return Cii("<ram:ID>RE-1</ram:ID>", "", references, "");
}

// The writer's encoder: independent of the reader's decoder.
std::string base64(const std::string& bytes) { return text::FileToBase64(bytes); }

class AttachmentSafety : public belvora::test::ReaderTest {
 protected:
  std::vector<std::string> questions() {
    std::vector<std::string> q;
    for (const auto& c : fake_->calls)
      if (c.kind == "question") q.push_back(c.text);
    return q;
  }
};

}  // namespace

TEST_F(AttachmentSafety, NeverReplacesAFileItDidNotWrite) {
  std::ofstream(out_ / "erp.sqlite") << "the user's database";
  std::ofstream(out_ / "same.pdf") << "Hallo";
  std::ofstream(out_ / "Reference to K.url") << "the user's shortcut";
  ASSERT_TRUE(read(write(
      "re.xml", invoice(ref("erp.sqlite", base64("hostile")) + ref("same.pdf", base64("Hallo")) +
                        ref("K", "", "https://example.com/k")))));
  EXPECT_EQ(slurp(out_ / "erp.sqlite"), "the user's database");
  EXPECT_EQ(slurp(out_ / "erp_2.sqlite"), "hostile");
  EXPECT_EQ(slurp(out_ / "Reference to K.url"), "the user's shortcut");
  EXPECT_EQ(slurp(out_ / "Reference to K_2.url"),
            "[InternetShortcut]\r\nURL=https://example.com/k\r\n");
  // The same bytes under the same name: kept, no second copy.
  EXPECT_EQ(outputFiles(), (std::vector<std::string>{"Reference to K.url", "Reference to K_2.url",
                                                     "erp.sqlite", "erp_2.sqlite", "same.pdf"}));
  EXPECT_TRUE(fake_->messages().empty());
  EXPECT_FALSE(settings_.attachmentsLost);
  EXPECT_EQ(questions(), std::vector<std::string>{"Open export folder?"});
}

TEST_F(AttachmentSafety, LongNamesEndInAFileThatFitsAndKeepsItsExtension) {
  // The invoice lies in the output folder under a 255-byte name; one
  // attachment carries that name, one a far longer name cut to it.
  const std::string taken = std::string(251, 'a') + ".xml";
  std::string refs = ref(taken, base64("new")) + ref(std::string(400, 'a') + ".xml", base64("x"));
  // Names whose temporary name would pass the limit.
  for (std::size_t length = 248; length <= 255; ++length) {
    refs += ref(std::string(length - 4, 'b' + static_cast<char>(length - 248)) + ".pdf",
                base64("len " + std::to_string(length)));
  }
  const std::string xml = invoice(refs);
  std::ofstream(out_ / taken) << xml;
  ASSERT_TRUE(readEnds((out_ / taken).string(), 20)) << "the read did not end";
  EXPECT_EQ(slurp(out_ / taken), xml);
  std::set<std::string> contents;
  for (const auto& name : outputFiles()) {
    EXPECT_LE(name.size(), 255u) << name;
    const std::string ext = name.substr(name.size() - 4);
    EXPECT_TRUE(ext == ".pdf" || ext == ".xml") << name;
    contents.insert(slurp(out_ / name));
  }
  EXPECT_EQ(outputFiles().size(), 11u);
  for (std::size_t length = 248; length <= 255; ++length) {
    EXPECT_EQ(contents.count("len " + std::to_string(length)), 1u) << length;
  }
  EXPECT_EQ(contents.count("new"), 1u);
  EXPECT_EQ(contents.count("x"), 1u);
}

TEST_F(AttachmentSafety, SearchForAFreeNameIsBoundedAndEndsWithAMessage) {
  std::ofstream(out_ / "voll.pdf") << "0";
  for (int n = 2; n <= 1000; ++n) std::ofstream(out_ / ("voll_" + std::to_string(n) + ".pdf")) << n;
  ASSERT_TRUE(readEnds(write("probe.xml", invoice(ref("voll.pdf", base64("neu")))), 20));
  ASSERT_TRUE(read(write("re.xml", invoice(ref("voll.pdf", base64("neu")))), "DE"));
  EXPECT_TRUE(settings_.attachmentsLost);
  ASSERT_EQ(fake_->messages().size(), 1u);
  EXPECT_EQ(fake_->messages()[0].text,
            "Diese Anhänge wurden nicht in " + out_.string() +
                " gespeichert:\r\nvoll.pdf: kein freier Dateiname (voll_2.pdf … voll_1000.pdf "
                "sind vergeben)");
  EXPECT_TRUE(questions().empty());
  EXPECT_EQ(outputFiles().size(), 1000u);
}

TEST_F(AttachmentSafety, EveryLostAttachmentIsNamedWithItsReason) {
  const std::string refs = ref("kaputt.pdf", "JVBER!i0xLjQK") + ref("gut.pdf", base64("gut")) +
                           ref("Lokal", "", "file:///etc/passwd") +
                           ref("Skript", "", "javascript:alert(1)") +
                           ref("Web", "", "HTTPS://example.com/a");
  // English, and the folder is still offered: one file was written. The
  // invoice is shown; the loss is the read's failure.
  ASSERT_TRUE(read(write("re.xml", invoice(refs)), "GB"));
  EXPECT_TRUE(settings_.attachmentsLost);
  EXPECT_EQ(view_.txtRechnungdaten[reader::InvoiceNumber], "RE-1");
  EXPECT_TRUE(view_.saveEnabled);
  ASSERT_EQ(fake_->messages().size(), 1u);
  EXPECT_EQ(fake_->messages()[0].title, "Note");
  EXPECT_EQ(fake_->messages()[0].icon, ui::Icon::Exclamation);
  EXPECT_EQ(fake_->messages()[0].text,
            "These attachments were not saved in " + out_.string() +
                ":\r\nkaputt.pdf: the content is not valid Base64\r\n"
                "Lokal: the address file:///etc/passwd is not linked (only http and https)\r\n"
                "Skript: the address javascript:alert(1) is not linked (only http and https)");
  EXPECT_EQ(outputFiles(), (std::vector<std::string>{"Reference to Web.url", "gut.pdf"}));
  EXPECT_EQ(questions(), std::vector<std::string>{"Open export folder?"});

  // Nothing written: no question about the folder.
  fake_->calls.clear();
  fs::remove_all(out_);
  fs::create_directory(out_);
  ASSERT_TRUE(read(write("re2.xml", invoice(ref("kaputt.pdf", "JVBER!i0xLjQK"))), "DE"));
  EXPECT_TRUE(settings_.attachmentsLost);
  ASSERT_EQ(fake_->messages().size(), 1u);
  EXPECT_EQ(fake_->messages()[0].text,
            "Diese Anhänge wurden nicht in " + out_.string() +
                " gespeichert:\r\nkaputt.pdf: der Inhalt ist kein gültiges Base64");
  EXPECT_TRUE(questions().empty());
  EXPECT_TRUE(outputFiles().empty());
}

TEST_F(AttachmentSafety, ContentAndAddressBothReachTheFolder) {
  BELVORA_REQUIRE_CORPUS();
  const fs::path example =
      fs::path(belvora::test::CorpusDir()) / "en16931" / "cii" / "CII_example2.xml";
  ASSERT_TRUE(read(example.string()));
  // Every reference with content gives a file, every http(s) address a shortcut.
  std::size_t shortcuts = 0;
  std::size_t files = 0;
  for (const auto& name : outputFiles()) {
    (name.rfind("Reference to ", 0) == 0 ? shortcuts : files)++;
  }
  const std::string xml = slurp(example);
  auto count = [&xml](const std::string& what) {
    std::size_t n = 0;
    for (auto at = xml.find(what); at != std::string::npos; at = xml.find(what, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(files, count("<ram:AttachmentBinaryObject"));
  EXPECT_EQ(shortcuts, count("<ram:URIID>http"));
  EXPECT_GT(files, 0u);
  EXPECT_GT(shortcuts, 0u);
}
