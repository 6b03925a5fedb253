// A source that cannot become a valid invoice: each bad value, each broken
// rule gives one message and a false result; no file is written, no row
// stored, and Start ends with status 1. The reader's own tests name every
// kind of bad value; these follow a few through the whole run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "SessionFixture.h"
#include "belvora/clsXRechnung.h"
#include "session/CreationMessages.h"
#include "support/Process.h"

namespace belvora::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const std::string kSql = "Select * from xRechnung";
const std::string kBadValues = "Note|!|The data source holds values that cannot be used:\r\n";
const std::string kRules =
    "Note|!|The invoice breaks rules of EN 16931 and XRechnung 3.0 and was not created:\r\n";

// Rows 1 to 4 of invoice 252068 are its lines.
std::string Row(int row, const std::string& set) {
  return "UPDATE VorlageXRechnung SET " + set +
         " WHERE BT1 = '252068' AND RowNo = " + std::to_string(row);
}

class BadSource : public SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* v = std::getenv(name);
      saved_.emplace_back(name, v ? std::optional<std::string>(v) : std::nullopt);
      ::unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_)
      value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    SessionFixture::TearDown();
  }

  // Creates invoice 252068; the one message shown.
  std::string createFails() {
    ui->calls.clear();
    clsXRechnung x;
    EXPECT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
    EXPECT_FALSE(x.CreateXRechnung());
    EXPECT_TRUE(outIsEmpty()) << "no file, no temporary file";
    EXPECT_THAT(storedDocuments(), IsEmpty());
    const auto messages = shown();
    EXPECT_EQ(messages.size(), 1u);
    return messages.empty() ? "" : messages[0];
  }

  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(BadSource, EachBadValueOrBrokenRuleGivesOneMessageAndWritesNothing) {
  const struct {
    std::string sql, expected, also = "";  // the message starts with `expected`, holds `also`
  } cases[] = {
      {Row(2, "BT131 = 'inf'"), kBadValues + "BT131, row 2: \"inf\" is not a number\r\n"},
      {Row(1, "BT152 = '1e30'"),
       kBadValues +
           "BT152, row 1: \"1000000000000000000000000000000\" is too large (at most 13 digits "
           "before the decimal point)"},
      {Row(2, "BT131 = '298.805'"), kBadValues + "BT131, row 2: \"298.805\" has more than two "
                                                 "decimals"},
      {Row(1, "BT9 = ''"),
       kBadValues + "BT9, row 1: \"\" is empty (a date, or NULL where there is none)"},
      {Row(3, "BT152 = NULL"), kRules + "BR-48: ",
       "\r\nBR-S-05: In an Invoice line (BG-25) where the Invoiced item VAT category code "
       "(BT-151) is \"Standard rated\" the Invoiced item VAT rate (BT-152) shall be greater than "
       "zero (BT-152, line 3)\r\n"},
      {Row(1, "BT109 = 933.66"), kRules + "BELVORA-TOTALS: "},
      {"INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT25) VALUES (6, 'PRECEDING', "
       "'252068', 'R-1'), (7, 'PRECEDING', '252068', 'R-2')",
       "Note|!|The invoice cannot be written in the CII syntax:\r\nCII holds one preceding "
       "invoice reference (BG-3); the invoice has 2."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    std::filesystem::remove(dbPath);
    std::filesystem::copy_file(BELVORA_TEMPLATE_DB, dbPath);
    exec(c.sql);
    const std::string message = createFails();
    EXPECT_THAT(message, StartsWith(c.expected));
    EXPECT_THAT(message, HasSubstr(c.also));
  }
}

TEST_F(BadSource, ANullDueDateIsAbsent) {
  exec(Row(1, "BT9 = NULL"));
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
  ASSERT_TRUE(x.CreateXRechnung()) << first();
  const std::string file = readAll(out("a.xml"));
  EXPECT_EQ(file.find("DueDateDateTime"), std::string::npos);
  EXPECT_EQ(file.find("18991230"), std::string::npos);
}

TEST_F(BadSource, RulesSpeakTheLanguageOfTheEnvironment) {
  const struct {
    const char *all, *messages, *lang;
    bool german;
  } envs[] = {{nullptr, nullptr, "de_DE.UTF-8", true}, {"C", nullptr, "de_DE.UTF-8", false},
              {nullptr, "de_AT", "en_US.UTF-8", true}, {"", "", "DE", true},
              {"", "en_GB", "de_DE", false},           {nullptr, nullptr, nullptr, false}};
  for (const auto& e : envs) {
    const char* values[] = {e.all, e.messages, e.lang};
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (int i = 0; i < 3; ++i) values[i] ? ::setenv(names[i], values[i], 1) : ::unsetenv(names[i]);
    EXPECT_EQ(session::GermanMessages(), e.german)
        << (e.all ? e.all : "-") << " " << (e.messages ? e.messages : "-") << " "
        << (e.lang ? e.lang : "-");
  }
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  ::setenv("LANG", "de_DE.UTF-8", 1);
  exec(Row(1, "BT109 = 933.66"));
  const std::string message = createFails();
  EXPECT_THAT(message, StartsWith("Hinweis|!|Die Rechnung verletzt Regeln der EN 16931 und der "
                                  "XRechnung 3.0 und wurde nicht erstellt:\r\nBELVORA-TOTALS: "));
  EXPECT_THAT(message, HasSubstr("\r\nBitte pr\xC3\xBC"
                                 "fen Sie Ihre Datenquelle!"));
}

TEST_F(BadSource, ManyViolationsAreListedUpToALimit) {
  std::vector<model::Violation> many(
      session::kMaxViolationsListed + 7,
      model::Violation{"BR-S-05", "BT-152", 4, "No rate.", "Kein Satz."});
  const std::string text = session::ViolationsMessage(many, false);
  EXPECT_THAT(text, HasSubstr("BR-S-05: No rate. (BT-152, line 4)\r\n"));
  EXPECT_THAT(text, HasSubstr("\r\n... and 7 more (107 in all)\r\n"));
  EXPECT_EQ(session::ViolationsMessage(many, true).find("line 4"), std::string::npos);
}

TEST_F(BadSource, StartEndsWithStatusOneForABadSource) {
  exec(Row(2, "BT131 = 'inf'"));
  test::Run run{{BELVORA_START_EXE, "action=erstellen|outputxml=" + out("RG.xml") + "|connect=" +
                                        connect() + "|sql=" + kSql + "|sqlparam=252068"},
                {"BELVORA_UI=console"}};
  run.mergeErr = true;
  const RunResult result = RunProcess(run);
  EXPECT_EQ(result.status, 1) << result.out;
  EXPECT_THAT(result.out, HasSubstr("BT131, row 2: \"inf\" is not a number"));
  EXPECT_TRUE(outIsEmpty());
  EXPECT_THAT(storedDocuments(), IsEmpty());
}

}  // namespace
}  // namespace belvora::test
