#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "reader/AttachmentFiles.h"

namespace fs = std::filesystem;
using namespace belvora::reader;

namespace {

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class AttachmentFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("belvora-attach-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

}  // namespace

TEST(ReaderSafeBaseName, ReducesNamesFromTheDocumentToABaseName) {
  EXPECT_EQ(SafeBaseName("Rechnung.pdf"), "Rechnung.pdf");
  EXPECT_EQ(SafeBaseName("../../x"), "x");
  EXPECT_EQ(SafeBaseName("/etc/passwd"), "passwd");
  EXPECT_EQ(SafeBaseName("C:\\Temp\\..\\Anhang.pdf"), "Anhang.pdf");
  EXPECT_EQ(SafeBaseName(std::string("a\nb\tc\x7f\x01.pdf")), "abc.pdf");
  EXPECT_EQ(SafeBaseName("  Leistungsnachweis.pdf  "), "Leistungsnachweis.pdf");
  EXPECT_EQ(SafeBaseName("Größe Übersicht.csv"), "Größe Übersicht.csv");
  for (const char* unusable : {"", "  ", ".", "..", "../..", "/", "dir/", "\x01\x02"}) {
    EXPECT_EQ(SafeBaseName(unusable), "") << unusable;
  }
}

TEST(ReaderSafeBaseName, LongNamesKeepTheirExtensionAndWholeCharacters) {
  std::string longName;
  for (int i = 0; i < 200; ++i) longName += "ä";  // 400 bytes
  const std::string base = SafeBaseName(longName + ".pdf");
  EXPECT_LE(base.size(), 255u);
  EXPECT_EQ(base.substr(base.size() - 4), ".pdf");
  EXPECT_EQ(base.size() % 2, 0u);  // "ä" is two bytes: none cut in half
}

TEST(ReaderMimeExtension, KnownTableAndTheRuleForOtherCodes) {
  EXPECT_EQ(MimeExtension("application/pdf"), ".pdf");
  EXPECT_EQ(MimeExtension("image/jpg"), ".jpg");
  EXPECT_EQ(MimeExtension("image/jpeg"), ".jpeg");
  EXPECT_EQ(MimeExtension("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"),
            ".xlsx");
  EXPECT_EQ(MimeExtension("application/vnd.oasis.opendocument.spreadsheet"), ".ods");
  EXPECT_EQ(MimeExtension("text/plain"), "text_plain");
  EXPECT_EQ(MimeExtension("Application/PDF"), "Application_PDF");  // compared exactly
  EXPECT_EQ(MimeExtension(""), "");
}

TEST(ReaderBase64, DecodesWithLineBreaksAndRefusesEverythingElse) {
  EXPECT_EQ(DecodeBase64("SGFsbG8gV2VsdA==").value(), "Hallo Welt");
  EXPECT_EQ(DecodeBase64("SGFs\r\nbG8g\nV2Vs dA==\n").value(), "Hallo Welt");
  EXPECT_EQ(DecodeBase64("SGFsbG8=").value(), "Hallo");
  EXPECT_EQ(DecodeBase64("").value(), "");
  EXPECT_EQ(DecodeBase64("AAEC/w==").value(), std::string("\x00\x01\x02\xff", 4));
  for (const char* bad : {"SGFsbG8", "SGF$bG8=", "SG=sbG8=", "SGFsbG8===", "====", "SGFs-G8="}) {
    EXPECT_FALSE(DecodeBase64(bad).has_value()) << bad;
  }
}

TEST_F(AttachmentFilesTest, SaveBase64ReplacesAnExistingFileAndKeepsItOnFailure) {
  const fs::path target = dir_ / "Anhang.pdf";
  std::ofstream(target) << "alt";
  EXPECT_FALSE(SaveBase64ToFile("kein base64!", target.string()));
  EXPECT_EQ(slurp(target), "alt");
  EXPECT_TRUE(SaveBase64ToFile("JVBERi0xLjQK", target.string()));
  EXPECT_EQ(slurp(target), "%PDF-1.4\n");
  EXPECT_FALSE(SaveBase64ToFile("JVBERi0xLjQK", (dir_ / "missing" / "x.pdf").string()));
}

TEST_F(AttachmentFilesTest, UrlShortcutNameAndContent) {
  const std::string path =
      CreateUrlShortcut(dir_.string(), "Katalog", "https://example.com/katalog.pdf");
  EXPECT_EQ(path, (dir_ / "Reference to Katalog.url").string());
  EXPECT_EQ(slurp(path), "[InternetShortcut]\r\nURL=https://example.com/katalog.pdf\r\n");
  // A name with directories stays in the folder; a target cannot add lines.
  const std::string hostile =
      CreateUrlShortcut(dir_.string(), "../../x", "https://a.example/\r\nIconFile=/etc/passwd");
  EXPECT_EQ(hostile, (dir_ / "Reference to x.url").string());
  EXPECT_EQ(slurp(hostile), "[InternetShortcut]\r\nURL=https://a.example/IconFile=/etc/passwd\r\n");
  EXPECT_THROW(CreateUrlShortcut((dir_ / "missing").string(), "K", "https://a.example/"),
               std::system_error);
}
