#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/settings/IniFile.h"
#include "platform/settings/SettingsStore.h"
#include "support/TempDir.h"

using namespace belvora::settings;
using belvora::test::readAll;
using belvora::test::writeAll;

namespace {

unsigned Mode(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 0777;
}

// Points the settings store at a private folder for one test.
class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1); }
  void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }
  std::string file() const { return dir / "belvora/belvora.conf"; }
  belvora::test::TempDir dir;
};

TEST(Scramble, IsItsOwnInverseKeepsOnlyTheKeyCharacterAndIsStoredAsPrintableText) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::string scrambled = Scramble(all);
  ASSERT_EQ(scrambled.size(), all.size());
  EXPECT_EQ(Scramble(scrambled), all);
  for (size_t i = 0; i < all.size(); ++i)
    EXPECT_EQ(scrambled[i] == all[i], all[i] == 'K') << "only the key character stays: " << i;
  EXPECT_EQ(Scramble(""), "");
  const std::string stored = EscapeIniValue(scrambled);
  for (unsigned char c : stored) EXPECT_TRUE(c > 0x20 && c < 0x7F && c != ';' && c != '#') << c;
  EXPECT_EQ(UnescapeIniValue(stored), scrambled);
  EXPECT_EQ(EscapeIniValue("True"), "True");
  EXPECT_EQ(EscapeIniValue("a b\\c"), "a\\x20b\\x5Cc");
  EXPECT_EQ(UnescapeIniValue("\\x4a\\xZZ\\x4"), "J\\xZZ\\x4") << "broken escapes stay as text";
}

TEST(IniFile, ChangesOnlyTheKeyItSetsAndKeepsEverythingElse) {
  const std::string data = std::string(BELVORA_TEST_DATA_DIR) + "/settings/";
  auto ini = IniFile::parse(readAll(data + "by-hand.ini"));
  ini.set("Settings", "DLLCode4", "new");
  ini.set("Settings", "DLLCode7", "False");
  ini.set("Fresh", "k", "v");
  EXPECT_EQ(ini.text(), readAll(data + "by-hand-changed.ini"));
  EXPECT_EQ(ini.get("SETTINGS", "colour"), "blue");
  EXPECT_EQ(ini.get("Other", "DLLCode4"), "keep me");
  EXPECT_EQ(ini.get("Settings", "missing"), std::nullopt);
  EXPECT_EQ(IniFile::parse("a=1\r\n[S]\r\nb = 2 \r\n").get("S", "b"), "2");
}

TEST_F(SettingsStoreTest, FileLivesUnderXdgConfigHomeOrHomeConfig) {
  EXPECT_EQ(SettingsFilePath(), file());
  const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("XDG_CONFIG_HOME", "relative/path", 1);
  ::setenv("HOME", "/home/anna", 1);
  EXPECT_EQ(SettingsFilePath(), "/home/anna/.config/belvora/belvora.conf");
  savedHome.empty() ? ::unsetenv("HOME") : ::setenv("HOME", savedHome.c_str(), 1);
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
  EXPECT_EQ(Scramble(UnescapeIniValue(*ini.get("Settings", "DLLCode6"))), v.exportPath);
  EXPECT_EQ(Scramble(*ReadStoredSetting(kKeyConnection)), v.connection);
  EXPECT_EQ(Scramble(*ReadStoredSetting(kKeyDataObject)), v.dataObject);
  EXPECT_EQ(ReadStoredSetting("DLLCode8"), std::nullopt) << "embedded file and table: not stored";
  const std::string text = readAll(file());
  EXPECT_EQ(text.find("geheim"), std::string::npos) << "stored scrambled";
  EXPECT_EQ(text.rfind("[Settings]\n", 0), 0u);
  size_t previous = 0;
  for (const char* key : {"DLLCode4=", "DLLCode5=", "DLLCode6=", "DLLCode7=", "DLLCode9="}) {
    EXPECT_LT(previous, text.find(key)) << key;
    previous = text.find(key);
  }
}

TEST_F(SettingsStoreTest, QueryFlagAloneAndForeignContentSurvives) {
  std::filesystem::create_directories(dir / "belvora");
  const std::string foreign = "[Window]\nwidth=800\n[Settings]\nDLLCode4=untouched\nMine=1\n";
  writeAll(file(), foreign);
  SettingValues v;
  v.queryParameter = "True";
  SaveQueryParameterFlag(v);
  EXPECT_EQ(readAll(file()), foreign + "DLLCode7=True\n");
  SaveAllSettings(SettingValues{});
  auto ini = IniFile::load(file());
  EXPECT_EQ(ini.get("Window", "width"), "800");
  EXPECT_EQ(ini.get("Settings", "Mine"), "1");
  EXPECT_EQ(ini.get("Settings", "DLLCode4"), "") << "empty connection replaces the old value";
}

TEST_F(SettingsStoreTest, FileAndFolderStayPrivateWhateverTheUmask) {
  // A permissive umask must not open the file that holds connection strings.
  const mode_t saved = ::umask(0);
  SaveAllSettings(SettingValues{});
  ::umask(saved);
  EXPECT_EQ(Mode(file()), 0600u);
  EXPECT_EQ(Mode(dir / "belvora"), 0700u);
  // A file an older version left readable is closed on the next save.
  ASSERT_EQ(::chmod(file().c_str(), 0644), 0);
  SaveQueryParameterFlag(SettingValues{});
  EXPECT_EQ(Mode(file()), 0600u);
}

TEST_F(SettingsStoreTest, UnwritableFolderIsReported) {
  // A plain file where the configuration folder should be: fails for root too.
  writeAll(dir / "plain", "x");
  ::setenv("XDG_CONFIG_HOME", (dir / "plain").c_str(), 1);
  EXPECT_THROW(SaveAllSettings(SettingValues{}), std::system_error);
  EXPECT_EQ(readAll(dir / "plain"), "x");
}

}  // namespace
