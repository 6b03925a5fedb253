#include <gtest/gtest.h>

#include <filesystem>

#include <set>

#include "reader/AttachmentFiles.h"
#include "reader/ReaderCommon.h"
#include "support/FakeInteraction.h"

namespace fs = std::filesystem;
using namespace belvora::reader;

namespace {

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

TEST(ReaderFitName, ShortensKeepingExtensionSuffixAndWholeCharacters) {
  struct Case {
    std::string name;
    std::size_t max;
    int number;
    std::string expected;
  } cases[] = {
      {"Anhang.pdf", 255, 1, "Anhang.pdf"},
      {"Anhang.pdf", 255, 2, "Anhang_2.pdf"},
      {"Anhang", 255, 12, "Anhang_12"},
      {"archiv.tar.gz", 255, 3, "archiv.tar_3.gz"},
      {".profile", 255, 2, ".profile_2"},
      {"Anhang.pdf", 8, 1, "Anha.pdf"},
      {"Anhang.pdf", 8, 2, "An_2.pdf"},
      {"Größe.pdf", 9, 1, "Grö.pdf"},  // "ß" is two bytes: not cut in half
      // An ending of more than 16 bytes is no extension.
      {"x.eine-sehr-lange-endung", 12, 2, "x.eine-seh_2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitName(c.name, c.max, c.number), c.expected) << c.name << " " << c.number;
    EXPECT_LE(FitName(c.name, c.max, c.number).size(), c.max);
  }
  // Every number gives a name of its own, however long the original.
  const std::string longName = std::string(300, 'a') + ".pdf";
  std::set<std::string> names;
  for (int n = 1; n <= 1000; ++n) names.insert(FitName(longName, 255, n));
  EXPECT_EQ(names.size(), 1000u);
}

TEST(ReaderShortcut, OnlyWebAddressesAndNoExtraLines) {
  for (const char* web : {"http://a.example/", "https://a.example/x?y", "HTTPS://A.EXAMPLE"}) {
    EXPECT_TRUE(IsWebAddress(web)) << web;
  }
  for (const char* other : {"file:///etc/passwd", "javascript:alert(1)", "ftp://a.example/",
                            "smb://server/share", "a.example/http://", "", "https:/a"}) {
    EXPECT_FALSE(IsWebAddress(other)) << other;
  }
  EXPECT_EQ(ShortcutName("Katalog"), "Reference to Katalog.url");
  EXPECT_EQ(ShortcutName("../../x"), "Reference to x.url");
  EXPECT_EQ(ShortcutText("https://a.example/\r\nIconFile=/etc/passwd"),
            "[InternetShortcut]\r\nURL=https://a.example/IconFile=/etc/passwd\r\n");
}

TEST_F(AttachmentFilesTest, FolderThatCannotBeWrittenLosesEveryAttachmentWithTheReason) {
  AttachmentFolder folder((dir_ / "missing").string(), "GB");
  EXPECT_FALSE(folder.saveBase64("SGFsbG8=", "a.pdf"));
  EXPECT_FALSE(folder.saveShortcut("K", "https://a.example/"));
  EXPECT_FALSE(folder.saveBase64("SGFsbG8=", ".."));
  EXPECT_FALSE(folder.saveShortcut("", "mailto:a@example.com"));
  EXPECT_EQ(folder.saved(), 0u);
  belvora::test::ScopedFakeInteraction fake;
  folder.report();
  ASSERT_EQ(fake->messages().size(), 1u);
  EXPECT_EQ(fake->messages()[0].text, "These attachments were not saved in " +
                                          (dir_ / "missing").string() +
                                          ":\r\na.pdf: No such file or directory\r\n"
                                          "Reference to K.url: No such file or directory\r\n"
                                          "..: no usable file name\r\n"
                                          "(no name): the address mailto:a@example.com is not "
                                          "linked (only http and https)");
  EXPECT_TRUE(fs::is_empty(dir_));
}
