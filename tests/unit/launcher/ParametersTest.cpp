#include <gtest/gtest.h>
#include <stdlib.h>

#include <regex>

#include "Environment.h"
#include "Parameters.h"
#include "Usage.h"
#include "platform/settings/SettingsStore.h"
#include "support/TempDir.h"

using namespace start;

// The parameters as "name=value;" in name order, or "none" when none was found.
std::string Parsed(const std::string& text) {
  Parameters p;
  const bool found = ParseParameterString(text, p);
  std::string out = found ? "" : "none";
  for (const auto& [name, value] : p) out += name + "=" + value + ";";
  return out;
}

TEST(ParseParameterString, SplitsNamedFieldsAtPipesAndTheFirstEquals) {
  const std::pair<std::string, std::string> cases[] = {
      // Names trimmed and lower-cased, values trimmed and keeping their case.
      {" ACTION = Einlesen |  InputXML =  /home/anna/In Box/RE 1.xml | Language=DE ",
       "action=Einlesen;inputxml=/home/anna/In Box/RE 1.xml;language=DE;"},
      // Only the first equals separates; a later name wins.
      {"sql=SELECT a=b FROM t|connect=Data Source=/x.db;Mode=ro|table=one|TABLE=two",
       "connect=Data Source=/x.db;Mode=ro;sql=SELECT a=b FROM t;table=two;"},
      // Fields without name or equals are ignored; present but empty is kept.
      {"junk||=x|sqlparam=|action=erstellen|", "action=erstellen;sqlparam=;"},
      {"", "none"},
      {"   ", "none"},
      {"||||", "none"},
      {"ERSTELLEN", "none"},
      {"=value|  = x", "none"},
      {"a b c | d", "none"}};
  for (const auto& [text, parsed] : cases) EXPECT_EQ(Parsed(text), parsed) << text;
  Parameters p{{"action", "Einlesen"}, {"sqlparam", ""}};
  EXPECT_EQ(Upper(GetParameter(&p, "Action")), "EINLESEN");
  EXPECT_EQ(GetParameter(&p, "sqlparam", "default"), "") << "present but empty";
  EXPECT_EQ(GetParameter(&p, "embedded", "none"), "none");
  EXPECT_EQ(GetParameter(nullptr, "action", "fallback"), "fallback");
}

TEST(ParseFlag, KnownWordsAndTheDefaultForEverythingElse) {
  for (const char* yes : {"TRUE", "true", " 1 ", "j", "Ja"})
    EXPECT_TRUE(ParseFlag(yes, false)) << yes;
  for (const char* no : {"FALSE", "false", "0", "N", " nein "})
    EXPECT_FALSE(ParseFlag(no, true)) << no;
  for (const char* other : {"", "maybe", "yes", "2", "-1"}) {
    EXPECT_FALSE(ParseFlag(other, false)) << other;
    EXPECT_TRUE(ParseFlag(other, true)) << other;
  }
}

TEST(Usage, DescriptionAndExamplesAsTheWindowShowsThem) {
  // The file shows the examples with the default temporary folder.
  std::string lines =
      belvora::test::readAll(BELVORA_TEST_DATA_DIR "/launcher/usage-description.txt");
  const std::string temp = TempFolder();
  for (size_t at = 0; (at = lines.find("=/tmp/", at)) != std::string::npos; at += temp.size() + 2)
    lines.replace(at + 1, 4, temp);
  EXPECT_EQ(UsageDescription("\r\n"), std::regex_replace(lines, std::regex("\n"), "\r\n"));

  const auto& ex = UsageExamples();
  std::string captions;
  for (const auto& e : ex) captions += e.caption + ";";
  EXPECT_EQ(captions, "ERSTELLEN (SQL);EINLESEN;SUPPORT;ERSTELLEN (Procedure);");
  EXPECT_EQ(UsageExampleText(ex[2], "\r\n"), "action=support|\r\nsupportmail=support@example.com|");
  EXPECT_EQ(UsageExampleText(2, "\n"), UsageExampleText(ex[2], "\n"));
  EXPECT_THROW(UsageExampleText(4, "\n"), std::out_of_range);
  // Every example, as the window shows it (line breaks included), is a
  // parameter string the launcher understands, with the keys it reads.
  for (size_t i = 0; i < ex.size(); ++i) {
    Parameters p;
    ASSERT_TRUE(ParseParameterString(UsageExampleText(i, "\r\n"), p)) << ex[i].caption;
    EXPECT_FALSE(GetParameter(&p, "action").empty());
    for (const auto& [name, value] : p) EXPECT_EQ(name.find_first_of("\r\n "), std::string::npos);
  }
  Parameters p;
  ParseParameterString(UsageExampleText(1, "\r\n"), p);
  EXPECT_EQ(GetParameter(&p, "inputxml"), TempFolder() + "/Rechnung123.xml")
      << "the key Start reads";
  EXPECT_EQ(GetParameter(&p, "inputputxml", "absent"), "absent");
}

TEST(Environment, StartReadsTheLibrarysSettingsFile) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string keep = saved ? saved : "";
  for (const char* value : {"/srv/conf", "relative", ""}) {
    ::setenv("XDG_CONFIG_HOME", value, 1);
    EXPECT_EQ(SettingsFilePath(), belvora::settings::SettingsFilePath()) << value;
  }
  saved ? ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}
