// A source that cannot become a valid invoice: each bad value, each broken
// rule gives one message and a false result; no file is written, no row
// stored, and Start ends with status 1.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <filesystem>

#include "SessionFixture.h"
#include "belvora/clsXRechnung.h"
#include "session/CreationMessages.h"

using belvora::clsXRechnung;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

const std::string kSql = "Select * from xRechnung";
const std::string kBadValues = "The data source holds values that cannot be used:\r\n";
const std::string kRules =
    "The invoice breaks rules of EN 16931 and XRechnung 3.0 and was not created:\r\n";

struct Case {
  const char* what;
  const char* set;  // SET clause for one row of invoice 252068
  int row;
  std::string expected;   // the message starts with it
  const char* also = "";  // and holds this
};

// Rows 1 to 4 of invoice 252068 are its lines.
const Case kCases[] = {
    {"text inf in an amount", "BT131 = 'inf'", 2,
     kBadValues + "BT131, row 2: \"inf\" is not a number"},
    {"text abc in a price", "BT146 = 'abc'", 3,
     kBadValues + "BT146, row 3: \"abc\" is not a number"},
    {"1e30 in a rate", "BT152 = '1e30'", 1,
     kBadValues +
         "BT152, row 1: \"1000000000000000000000000000000\" is too large (at most 13 digits "
         "before the decimal point)"},
    {"REAL infinity in an amount", "BT131 = 9e999", 2,
     kBadValues + "BT131, row 2: \"Infinity\" is not a finite number"},
    {"REAL minus infinity in a quantity", "BT129 = -9e999", 4,
     kBadValues + "BT129, row 4: \"-Infinity\" is not a finite number"},
    {"an impossible date", "BT2 = '2025-02-30'", 1,
     kBadValues + "BT2, row 1: \"2025-02-30\" is not a date"},
    {"the year 0", "BT9 = '0000-01-01'", 1,
     kBadValues + "BT9, row 1: \"0000-01-01\" is not a date"},
    {"an amount of 10^13", "BT131 = 10000000000000", 2,
     kBadValues +
         "BT131, row 2: \"10000000000000\" is too large (at most 13 digits before the decimal "
         "point)"},
    {"an amount beyond cents", "BT131 = '298.805'", 2,
     kBadValues + "BT131, row 2: \"298.805\" has more than two decimals"},
    {"an empty due date", "BT9 = ''", 1,
     kBadValues + "BT9, row 1: \"\" is empty (a date, or NULL where there is none)"},
    {"a NULL rate on one line", "BT152 = NULL", 3, kRules + "BR-48: ",
     "\r\nBR-S-05: In an Invoice line (BG-25) where the Invoiced item VAT category code (BT-151) "
     "is \"Standard rated\" the Invoiced item VAT rate (BT-152) shall be greater than zero "
     "(BT-152, line 3)\r\n"},
    {"a stated total the lines do not give", "BT109 = 933.66", 1, kRules + "BELVORA-TOTALS: "},
    {"a group row naming no line", "RowKind = 'ATTRIBUTE', BT126 = '9', BT160 = 'Farbe'", 5,
     kBadValues + "BT126, row 5: \"9\" names no invoice line of this invoice"},
};

class BadSource : public belvora::test::SessionFixture {
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

  void breakRow(const Case& c) {
    exec(std::string("UPDATE VorlageXRechnung SET ") + c.set +
         " WHERE BT1 = '252068' AND RowNo = " + std::to_string(c.row));
  }
  bool outIsEmpty() { return std::filesystem::is_empty(dir / "out"); }

  // Runs Start for invoice 252068; its exit status and what it printed.
  std::pair<int, std::string> start(const std::string& selector, const std::string& embedded = {}) {
    std::string command = "BELVORA_UI=console '" + std::string(BELVORA_START_EXE) +
                          "' 'action=erstellen|outputxml=" + out("RG.xml") +
                          "|connect=" + connect() + "|sql=" + kSql + "|sqlparam=" + selector +
                          (embedded.empty() ? "" : "|embedded=" + embedded) + "' 2>&1";
    FILE* p = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) output.append(buffer, n);
    const int status = ::pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
  }

  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(BadSource, EachBadValueOrBrokenRuleGivesOneMessageAndWritesNothing) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(dbPath);
    std::filesystem::copy_file(BELVORA_TEMPLATE_DB, dbPath);
    breakRow(c);
    ui->calls.clear();
    clsXRechnung x;
    ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
    EXPECT_FALSE(x.CreateXRechnung());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "Note");
    EXPECT_EQ(messages()[0].icon, belvora::ui::Icon::Exclamation);
    EXPECT_THAT(messages()[0].text, StartsWith(c.expected));
    EXPECT_THAT(messages()[0].text, HasSubstr(c.also));
    EXPECT_TRUE(outIsEmpty()) << "no file, no temporary file";
    EXPECT_TRUE(storedDocuments().empty());
  }
}

TEST_F(BadSource, ATermTheSyntaxCannotHoldIsNamedAndWritesNothing) {
  exec(
      "INSERT INTO VorlageXRechnung (RowNo, RowKind, BT1, BT25) VALUES (6, 'PRECEDING', '252068', "
      "'R-1'), (7, 'PRECEDING', '252068', 'R-2')");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Note");
  EXPECT_THAT(messages()[0].text,
              StartsWith("The invoice cannot be written in the CII syntax:\r\nCII holds one "
                         "preceding invoice reference (BG-3); the invoice has 2."));
  EXPECT_TRUE(outIsEmpty());
  EXPECT_TRUE(storedDocuments().empty());
}

TEST_F(BadSource, MissingEmbeddedFileIsNamedAndWritesNothing) {
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false, dir / "nope.pdf"));
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, kBadValues + "EmbeddedFile: \"" + dir / "nope.pdf" +
                                    "\" does not exist or is no file\r\n"
                                    "Please check your data source!");
  EXPECT_TRUE(outIsEmpty());
  EXPECT_TRUE(storedDocuments().empty());
}

TEST_F(BadSource, ANullDueDateIsAbsent) {
  exec("UPDATE VorlageXRechnung SET BT9 = NULL WHERE BT1 = '252068' AND RowNo = 1");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
  ASSERT_TRUE(x.CreateXRechnung()) << (messages().empty() ? "" : messages()[0].text);
  const std::string file = belvora::sys::readFile(out("a.xml"));
  EXPECT_EQ(file.find("DueDateDateTime"), std::string::npos);
  EXPECT_EQ(file.find("18991230"), std::string::npos);
}

TEST_F(BadSource, RulesSpeakTheLanguageOfTheEnvironment) {
  struct Env {
    const char *all, *messages, *lang;
    bool german;
  };
  const Env envs[] = {{nullptr, nullptr, "de_DE.UTF-8", true}, {"C", nullptr, "de_DE.UTF-8", false},
                      {nullptr, "de_AT", "en_US.UTF-8", true}, {"", "", "DE", true},
                      {"", "en_GB", "de_DE", false},           {nullptr, nullptr, nullptr, false}};
  for (const Env& e : envs) {
    const char* values[] = {e.all, e.messages, e.lang};
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (int i = 0; i < 3; ++i) values[i] ? ::setenv(names[i], values[i], 1) : ::unsetenv(names[i]);
    EXPECT_EQ(belvora::session::GermanMessages(), e.german)
        << (e.all ? e.all : "-") << " " << (e.messages ? e.messages : "-") << " "
        << (e.lang ? e.lang : "-");
  }

  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");
  ::setenv("LANG", "de_DE.UTF-8", 1);
  exec("UPDATE VorlageXRechnung SET BT109 = 933.66 WHERE BT1 = '252068' AND RowNo = 1");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Hinweis");
  EXPECT_THAT(messages()[0].text,
              StartsWith("Die Rechnung verletzt Regeln der EN 16931 und der XRechnung 3.0 und "
                         "wurde nicht erstellt:\r\nBELVORA-TOTALS: "));
  EXPECT_THAT(messages()[0].text, HasSubstr("\r\nBitte pr\xC3\xBC"
                                            "fen Sie Ihre Datenquelle!"));
}

TEST_F(BadSource, ManyViolationsAreListedUpToALimit) {
  std::vector<belvora::model::Violation> many(
      belvora::session::kMaxViolationsListed + 7,
      belvora::model::Violation{"BR-S-05", "BT-152", 4, "No rate.", "Kein Satz."});
  const std::string text = belvora::session::ViolationsMessage(many, false);
  EXPECT_THAT(text, HasSubstr("BR-S-05: No rate. (BT-152, line 4)\r\n"));
  EXPECT_THAT(text, HasSubstr("\r\n... and 7 more (107 in all)\r\n"));
  EXPECT_EQ(belvora::session::ViolationsMessage(many, true).find("line 4"), std::string::npos);
}

TEST_F(BadSource, StartEndsWithStatusOneForABadSourceAndThreeWithoutRows) {
  breakRow(kCases[0]);
  auto [status, output] = start("252068");
  EXPECT_EQ(status, 1) << output;
  EXPECT_THAT(output, HasSubstr("BT131, row 2: \"inf\" is not a number"));
  std::tie(status, output) = start("252069", dir / "nope.pdf");
  EXPECT_EQ(status, 1) << output;
  EXPECT_THAT(output, HasSubstr("nope.pdf\" does not exist or is no file"));
  std::tie(status, output) = start("999999");
  EXPECT_EQ(status, 3) << output;
  EXPECT_THAT(output, HasSubstr("No rows were found for the selector \"999999\"."));
  EXPECT_TRUE(outIsEmpty());
  EXPECT_TRUE(storedDocuments().empty());
}

}  // namespace
