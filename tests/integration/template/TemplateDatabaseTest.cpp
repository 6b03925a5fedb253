// The template database and the SQL scripts it is built from: the scripts
// generated from the column catalogue, scripts that can run again, sample
// rows whose line amounts add up and whose identifiers carry valid check
// digits. The documents created from it: TemplateInvoicesTest.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "../session/SourceRows.h"
#include "TemplateSupport.h"

namespace belvora::test::tpl {
namespace {

// The scripts of sql/ and the column table of README.md against what the
// catalogue generates. With BELVORA_UPDATE_GENERATED=1 they are written instead.
TEST(GeneratedFiles, FollowTheCatalogue) {
  const std::string root = std::string(BELVORA_SOURCE_DIR) + "/";
  const std::string readme = ReadBytes(root + "README.md");
  const std::string begin = "<!-- BEGIN column table, generated from the catalogue -->\n";
  const auto from = readme.find(begin), to = readme.find("<!-- END column table -->");
  ASSERT_NE(from, std::string::npos) << "README.md has no column table";
  ASSERT_NE(to, std::string::npos);
  const std::pair<std::string, std::string> expected[] = {
      {root + "sql/sqlite/01_xrechnung_tables.sql", TablesScript(Dialect::Sqlite)},
      {root + "sql/postgresql/01_xrechnung_tables.sql", TablesScript(Dialect::Postgres)},
      {root + "sql/postgresql/02_xrechnung_sample.sql",
       PostgresSampleScript(ReadBytes(root + "sql/sqlite/02_xrechnung_sample.sql"))},
      {root + "README.md",
       readme.substr(0, from + begin.size()) + ColumnReferenceTable() + readme.substr(to)}};
  const char* update = std::getenv("BELVORA_UPDATE_GENERATED");
  for (const auto& [path, text] : expected) {
    if (update && std::string(update) == "1") writeAll(path, text);
    EXPECT_EQ(ReadBytes(path), text)
        << path << " differs from what the catalogue gives; run this test with "
        << "BELVORA_UPDATE_GENERATED=1 to write it";
  }
}

TEST(SqlScripts, SqliteScriptsCanRunAgainAndBuildTheTemplate) {
  ASSERT_TRUE(OnPath("sqlite3")) << "the sqlite3 program is needed (Debian package sqlite3)";
  TempDir dir;
  for (int pass = 1; pass <= 2; ++pass)
    for (const char* script :
         {"01_xrechnung_tables.sql", "02_xrechnung_sample.sql", "incoming.sql"}) {
      const RunResult r = RunProgram({"sqlite3", "-bail", dir / "scripts.sqlite"},
                                     std::string(BELVORA_SOURCE_DIR) + "/sql/sqlite/" + script);
      ASSERT_EQ(r.status, 0) << script << " (pass " << pass << "): " << r.out;
    }
  const std::string expected =
      RunProgram({"sqlite3", "-readonly", BELVORA_TEMPLATE_DB, ".dump"}).out;
  EXPECT_NE(expected.find("CREATE TABLE VorlageXRechnung"), std::string::npos);
  EXPECT_EQ(RunProgram({"sqlite3", "-readonly", dir / "scripts.sqlite", ".dump"}).out, expected);
}

std::vector<Row> SampleRows() {
  return ReadRows(*db::open("Data Source=" BELVORA_TEMPLATE_DB), "SELECT * FROM xRechnung");
}

double Number(const db::Value& v) {
  return v.kind() == db::Value::Kind::Real ? v.real() : static_cast<double>(v.integer());
}
std::int64_t Cents(const db::Value& v) { return v.isNull() ? 0 : std::llround(Number(v) * 100); }

TEST(SampleRows, LineAmountsAreQuantityTimesPriceWithLineChargesAndAllowances) {
  std::map<std::string, std::int64_t> stated, computed;  // by invoice and line
  for (const Row& r : SampleRows()) {
    const std::string line = Text(r.at("BT1")) + " line " + Text(r.at("BT126"));
    const std::string kind = Text(r.at("ROWKIND"));
    if (kind.empty()) {
      stated[line] = Cents(r.at("BT131"));
      computed[line] += std::llround(Number(r.at("BT129")) * Cents(r.at("BT146")));
    }
    if (kind == "LINEALLOWANCE") computed[line] -= Cents(r.at("BT136"));
    if (kind == "LINECHARGE") computed[line] += Cents(r.at("BT141"));
  }
  EXPECT_EQ(stated.size(), 15u);
  EXPECT_EQ(computed, stated);
}

// ISO 7064 MOD 97-10 of a text whose letters count as 10..35.
int Mod97(const std::string& text) {
  int r = 0;
  for (unsigned char ch : text) {
    if (!std::isdigit(ch) && !std::isupper(ch)) return -1;
    r = std::isdigit(ch) ? (r * 10 + ch - '0') % 97 : (r * 100 + ch - 'A' + 10) % 97;
  }
  return r;
}

bool Valid(const std::string& kind, const std::string& id) {
  auto matches = [&](const char* pattern) { return std::regex_match(id, std::regex(pattern)); };
  if (kind == "IBAN")
    return matches("[A-Z]{2}[0-9]{2}[A-Z0-9]{11,30}") &&
           (!id.starts_with("DE") || id.size() == 22) && Mod97(id.substr(4) + id.substr(0, 4)) == 1;
  if (kind == "BIC") return matches("[A-Z]{4}[A-Z]{2}[A-Z0-9]{2}([A-Z0-9]{3})?");
  if (kind == "mail") return matches(R"([^@\s]+@[^@\s]+\.[a-z]+)");
  if (kind == "Leitweg-ID") {
    if (!matches("[0-9]{2,12}(-[0-9A-Z]{1,30})?-[0-9]{2}")) return false;
    const std::string body = std::regex_replace(id.substr(0, id.size() - 3), std::regex("-"), "");
    return 98 - Mod97(body + "00") == std::stoi(id.substr(id.size() - 2));
  }
  // DE, two check digits, three characters of business code (not part of the
  // check), the national identifier of eleven characters.
  if (kind == "creditor")
    return matches("DE[0-9]{2}[A-Z0-9]{3}0[0-9]{10}") &&
           98 - Mod97(id.substr(7) + "DE00") == std::stoi(id.substr(2, 2));
  // German VAT identifier: ISO 7064 MOD 11,10.
  if (!matches("DE[0-9]{9}")) return false;
  int product = 10;
  for (int i = 2; i < 10; ++i) {
    const int sum = (id[i] - '0' + product) % 10;
    product = (2 * (sum == 0 ? 10 : sum)) % 11;
  }
  return (11 - product) % 10 == id[10] - '0';
}

TEST(SampleRows, IdentifiersCarryValidCheckDigits) {
  // The checks find a wrong check digit.
  for (const auto& [kind, good, bad] :
       {std::tuple{"IBAN", "DE89370400440532013000", "DE88370400440532013000"},
        {"IBAN", "CH9300762011623852957", "CH9300762011623852958"},
        {"VAT", "DE136695976", "DE136695975"},
        {"Leitweg-ID", "04011000-1234512345-06", "04011000-1234512345-07"},
        {"Leitweg-ID", "991-33333TEST-33", "991-33333TEST-34"},
        {"creditor", "DE98ZZZ09999999999", "DE97ZZZ09999999999"}}) {
    EXPECT_TRUE(Valid(kind, good)) << good;
    EXPECT_FALSE(Valid(kind, bad)) << bad;
  }
  // Column, kind; the first row of an invoice must hold those marked required.
  const std::tuple<const char*, const char*, bool> columns[] = {
      {"BT84", "IBAN", false},     {"BT86", "BIC", false}, {"BT91", "IBAN", false},
      {"BT90", "creditor", false}, {"BT31", "VAT", true},  {"BT34", "mail", true},
      {"BT43", "mail", true},      {"BT49", "mail", true}, {"BT58", "mail", true}};
  std::vector<std::pair<std::string, std::string>> checks;  // kind, value
  for (const Row& r : SampleRows()) {
    const bool first = r.at("ROWNO").integer() == 1;
    for (const auto& [column, kind, required] : columns)
      if (!Text(r.at(column)).empty() || (first && required))
        checks.emplace_back(kind, Text(r.at(column)));
    // Buyer VAT identifiers of other countries and buyer references that
    // are no Leitweg-ID are not checked.
    const std::string buyerVat = Text(r.at("BT48")), reference = Text(r.at("BT10"));
    if (buyerVat.starts_with("DE")) checks.emplace_back("VAT", buyerVat);
    if (!reference.empty() && std::isdigit(static_cast<unsigned char>(reference[0])))
      checks.emplace_back("Leitweg-ID", reference);
  }
  EXPECT_GE(checks.size(), 40u);
  for (const auto& [kind, value] : checks) EXPECT_TRUE(Valid(kind, value)) << kind << " " << value;
}

}  // namespace
}  // namespace belvora::test::tpl
