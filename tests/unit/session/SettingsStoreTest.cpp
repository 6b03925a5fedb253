#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/settings/IniFile.h"
#include "platform/settings/SettingsStore.h"
#include "platform/sys/Files.h"
#include "support/TempDir.h"

using namespace belvora::settings;
using belvora::test::TempDir;

namespace {

// Points the settings store at a private folder for one test.
class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1); }
  void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }
  std::string file() const { return dir / "belvora/belvora.conf"; }
  TempDir dir;
};

}  // namespace

TEST(Scramble, IsItsOwnInverseAndKeepsOnlyTheKeyCharacter) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  std::string scrambled = Scramble(all);
  ASSERT_EQ(scrambled.size(), all.size());
  EXPECT_EQ(Scramble(scrambled), all);
  int unchanged = 0;
  for (size_t i = 0; i < all.size(); ++i)
    if (scrambled[i] == all[i]) {
      ++unchanged;
      EXPECT_EQ(all[i], 'K') << "only the key character stays";
    }
  EXPECT_EQ(unchanged, 1);
  EXPECT_EQ(Scramble("Data Source=/srv/erp.sqlite"), Scramble("Data Source=/srv/erp.sqlite"));
  EXPECT_EQ(Scramble(""), "");
}

TEST(IniValue, EscapingKeepsEveryByteAndTheLineStructure) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  std::string stored = EscapeIniValue(Scramble(all));
  for (unsigned char c : stored) {
    EXPECT_GT(c, 0x20);
    EXPECT_LT(c, 0x7F);
    EXPECT_NE(c, ';');
    EXPECT_NE(c, '#');
  }
  EXPECT_EQ(Scramble(UnescapeIniValue(stored)), all);
  EXPECT_EQ(EscapeIniValue("True"), "True");
  EXPECT_EQ(EscapeIniValue("a b\\c"), "a\\x20b\\x5Cc");
  EXPECT_EQ(UnescapeIniValue("\\x4a\\xZZ\\x4"), "J\\xZZ\\x4") << "broken escapes stay as text";
}

TEST(IniFile, ChangesOnlyTheKeyItSetsAndKeepsEverythingElse) {
  auto ini = IniFile::parse(
      "; written by hand\n"
      "[Other]\n"
      "DLLCode4=keep me\n"
      "\n"
      "[settings]\n"
      "dllcode4 = old\n"
      "Colour=blue\n"
      "\n"
      "[Last]\n"
      "x=1\n");
  ini.set("Settings", "DLLCode4", "new");
  ini.set("Settings", "DLLCode7", "False");
  ini.set("Fresh", "k", "v");
  EXPECT_EQ(ini.text(),
            "; written by hand\n"
            "[Other]\n"
            "DLLCode4=keep me\n"
            "\n"
            "[settings]\n"
            "DLLCode4=new\n"
            "Colour=blue\n"
            "DLLCode7=False\n"
            "\n"
            "[Last]\n"
            "x=1\n"
            "\n"
            "[Fresh]\n"
            "k=v\n");
  EXPECT_EQ(ini.get("SETTINGS", "colour"), "blue");
  EXPECT_EQ(ini.get("Other", "DLLCode4"), "keep me");
  EXPECT_EQ(ini.get("Settings", "missing"), std::nullopt);
  EXPECT_EQ(IniFile::parse("a=1\r\n[S]\r\nb = 2 \r\n").get("S", "b"), "2");
}

TEST_F(SettingsStoreTest, FileLivesUnderXdgConfigHomeOrHomeConfig) {
  EXPECT_EQ(SettingsFilePath(), file());
  const char* home = std::getenv("HOME");
  std::string savedHome = home ? home : "";
  ::setenv("XDG_CONFIG_HOME", "relative/path", 1);
  ::setenv("HOME", "/home/anna", 1);
  EXPECT_EQ(SettingsFilePath(), "/home/anna/.config/belvora/belvora.conf");
  if (home)
    ::setenv("HOME", savedHome.c_str(), 1);
  else
    ::unsetenv("HOME");
}

TEST_F(SettingsStoreTest, SavesAllFiveKeysScrambledInOrderInAPrivateFolder) {
  SettingValues v;
  v.connection = "Driver={PostgreSQL Unicode};Pwd=geheim;";
  v.dataObject = "Select * from xRechnung";
  v.exportPath = "/mnt/d/Rechnungen/RG1.xml";
  v.queryParameter = "False";
  v.importQuestion = true;
  v.embeddedFile = "/tmp/a.pdf";
  v.tableName = "tblDocuments";
  SaveAllSettings(v);

  auto ini = IniFile::load(file());
  EXPECT_EQ(ini.get("Settings", "DLLCode7"), "False");
  EXPECT_EQ(ini.get("Settings", "DLLCode9"), "True");
  EXPECT_EQ(Scramble(UnescapeIniValue(*ini.get("Settings", "DLLCode6"))),
            "/mnt/d/Rechnungen/RG1.xml");
  EXPECT_EQ(Scramble(*ReadStoredSetting(kKeyConnection)), v.connection);
  EXPECT_EQ(Scramble(*ReadStoredSetting(kKeyDataObject)), v.dataObject);
  EXPECT_EQ(ReadStoredSetting("DLLCode8"), std::nullopt) << "embedded file and table: not stored";

  std::string text = belvora::sys::readFile(file());
  EXPECT_EQ(text.find("geheim"), std::string::npos) << "stored scrambled";
  EXPECT_LT(text.find("DLLCode4="), text.find("DLLCode5="));
  EXPECT_LT(text.find("DLLCode5="), text.find("DLLCode6="));
  EXPECT_LT(text.find("DLLCode6="), text.find("DLLCode7="));
  EXPECT_LT(text.find("DLLCode7="), text.find("DLLCode9="));
  EXPECT_EQ(text.rfind("[Settings]\n", 0), 0u);

  struct stat st {};
  ASSERT_EQ(::stat((dir / "belvora").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(SettingsStoreTest, QueryFlagAloneAndForeignContentSurvives) {
  std::filesystem::create_directories(dir / "belvora");
  std::ofstream(file()) << "[Window]\nwidth=800\n[Settings]\nDLLCode4=untouched\nMine=1\n";
  SettingValues v;
  v.queryParameter = "True";
  SaveQueryParameterFlag(v);
  EXPECT_EQ(belvora::sys::readFile(file()),
            "[Window]\nwidth=800\n[Settings]\nDLLCode4=untouched\nMine=1\nDLLCode7=True\n");
  SaveAllSettings(SettingValues{});
  auto ini = IniFile::load(file());
  EXPECT_EQ(ini.get("Window", "width"), "800");
  EXPECT_EQ(ini.get("Settings", "Mine"), "1");
  EXPECT_EQ(ini.get("Settings", "DLLCode4"), "") << "empty connection replaces the old value";
}

TEST_F(SettingsStoreTest, FileAndFolderStayPrivateWhateverTheUmask) {
  // A permissive umask must not open the file that holds connection strings.
  mode_t saved = ::umask(0);
  SaveAllSettings(SettingValues{});
  ::umask(saved);
  struct stat st {};
  ASSERT_EQ(::stat(file().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((dir / "belvora").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // A file an older version left readable is closed on the next save.
  ASSERT_EQ(::chmod(file().c_str(), 0644), 0);
  SaveQueryParameterFlag(SettingValues{});
  ASSERT_EQ(::stat(file().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SettingsStoreTest, UnwritableFolderIsReported) {
  // A plain file where the configuration folder should be: fails for root too.
  std::ofstream(dir / "plain") << "x";
  ::setenv("XDG_CONFIG_HOME", (dir / "plain").c_str(), 1);
  EXPECT_THROW(SaveAllSettings(SettingValues{}), std::system_error);
  EXPECT_EQ(belvora::sys::readFile(dir / "plain"), "x");
}
