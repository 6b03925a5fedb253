#include <gtest/gtest.h>
#include <stdlib.h>

#include "Environment.h"
#include "Parameters.h"
#include "Usage.h"
#include "platform/settings/SettingsStore.h"

using namespace start;

TEST(ParseParameterString, NamesAreTrimmedLowerCasedAndValuesKeepTheirCase) {
  Parameters p;
  ASSERT_TRUE(ParseParameterString(
      " ACTION = Einlesen |  InputXML =  /home/anna/In Box/RE 1.xml | Language=DE ", p));
  EXPECT_EQ(p.size(), 3u);
  EXPECT_EQ(GetParameter(&p, "action"), "Einlesen");
  EXPECT_EQ(Upper(GetParameter(&p, "Action")), "EINLESEN");
  EXPECT_EQ(GetParameter(&p, "inputxml"), "/home/anna/In Box/RE 1.xml");
  EXPECT_EQ(GetParameter(&p, "LANGUAGE"), "DE");
}

TEST(ParseParameterString, OnlyTheFirstEqualsSeparatesAndLaterNamesWin) {
  Parameters p;
  ASSERT_TRUE(ParseParameterString(
      "sql=SELECT a=b FROM t|connect=Data Source=/x.db;Mode=ro|table=one|TABLE=two", p));
  EXPECT_EQ(GetParameter(&p, "sql"), "SELECT a=b FROM t");
  EXPECT_EQ(GetParameter(&p, "connect"), "Data Source=/x.db;Mode=ro");
  EXPECT_EQ(GetParameter(&p, "table"), "two");
}

TEST(ParseParameterString, FieldsWithoutNameOrEqualsAreIgnored) {
  Parameters p;
  for (const char* text : {"", "   ", "||||", "ERSTELLEN", "=value|  = x", "a b c | d"}) {
    EXPECT_FALSE(ParseParameterString(text, p)) << text;
    EXPECT_TRUE(p.empty()) << text;
  }
  ASSERT_TRUE(ParseParameterString("junk||=x|sqlparam=|action=erstellen|", p));
  EXPECT_EQ(p.size(), 2u);
  EXPECT_EQ(GetParameter(&p, "sqlparam", "default"), "") << "present but empty";
  EXPECT_EQ(GetParameter(&p, "embedded", "none"), "none");
  EXPECT_EQ(GetParameter(nullptr, "action", "fallback"), "fallback");
}

TEST(ParseFlag, KnownWordsAndTheDefaultForEverythingElse) {
  for (const char* yes : {"TRUE", "true", " 1 ", "j", "Ja"}) {
    EXPECT_TRUE(ParseFlag(yes, false)) << yes;
  }
  for (const char* no : {"FALSE", "false", "0", "N", " nein "}) {
    EXPECT_FALSE(ParseFlag(no, true)) << no;
  }
  for (const char* other : {"", "maybe", "yes", "2", "-1"}) {
    EXPECT_FALSE(ParseFlag(other, false)) << other;
    EXPECT_TRUE(ParseFlag(other, true)) << other;
  }
}

TEST(Usage, DescriptionAndExamplesAsTheWindowShowsThem) {
  std::string d = UsageDescription("\r\n");
  EXPECT_EQ(
      d.rfind("Parameterangaben zur Erstellung, Einlesen und Support\r\n"
              "Parameterliste: (Alle Datentypen = String)\r\n"
              "Feldtrennzeichen: | (Pipe)\r\n" +
                  std::string(52, '-') + "\r\n1:  Action=ERSTELLEN oder EINLESEN oder SUPPORT\r\n",
              0),
      0u);
  EXPECT_NE(d.find("\r\n7:  Usesqlparam=True oder False zur Ausführung des Parameter\r\n"),
            std::string::npos);
  EXPECT_NE(d.find("\r\n" + std::string(52, '-') + "\r\nParameter - Pflichtangaben:\r\n"),
            std::string::npos);
  EXPECT_EQ(d.substr(d.size() - 16), "SUPPORT: 1, 12\r\n");

  const auto& ex = UsageExamples();
  ASSERT_EQ(ex.size(), 4u);
  EXPECT_EQ(ex[0].caption, "ERSTELLEN (SQL)");
  EXPECT_EQ(ex[1].caption, "EINLESEN");
  EXPECT_EQ(ex[2].caption, "SUPPORT");
  EXPECT_EQ(ex[3].caption, "ERSTELLEN (Procedure)");
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
  if (saved)
    ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
}
