// Text, number and date functions and the decimals, over the case table in
// tests/data/text/cases.tsv.

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <charconv>
#include <clocale>
#include <functional>
#include <locale>
#include <map>
#include <sstream>

#include "support/TempDir.h"
#include "text/Decimal.h"
#include "text/Texte.h"

namespace belvora::text {
namespace {

const std::string kNone = "(none)";

// \t \r \n \\ and \xHH as the bytes they stand for.
std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
    } else if (const char c = s[++i]; c == 'x') {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
  }
  return out;
}

// The shortest text that reads back as the same double: equal texts, equal doubles.
std::string Shortest(double d) {
  char buf[64];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, d).ptr);
}

db::Date Day(const std::string& s) {
  db::Date d;
  std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d", &d.year, &d.month, &d.day, &d.hour, &d.minute,
              &d.second);
  return d;
}

db::Value Val(const std::string& s) {
  if (s == "null") return db::Value();
  const std::string v = s.substr(2);
  switch (s[0]) {
    case 'i':
      return std::stoi(v);
    case 'd':
      return std::strtod(v.c_str(), nullptr);
    case 't':
      return Day(v);
    default:
      return v;
  }
}

using Args = std::vector<std::string>;
double Num(const std::string& s) { return std::strtod(s.c_str(), nullptr); }
int Int(const std::string& s) { return std::stoi(s); }
Decimal Dec(const std::string& s) { return *Decimal::parse(s); }
std::string Bool(bool b) { return b ? "true" : "false"; }
template <class T, class F>
std::string Or(const std::optional<T>& v, F text) {
  return v ? text(*v) : kNone;
}
template <class F>
std::string OrError(F f) {
  try {
    return f();
  } catch (const std::exception&) {
    return kNone;
  }
}
std::string Ymd(const db::Date& d) {
  return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

// Each function of the table with its result as text.
const std::map<std::string, std::function<std::string(const Args&)>> kFunctions = {
    {"Decimal",
     [](const Args& a) { return Or(Decimal::parse(a[0]), [](Decimal d) { return d.text(); }); }},
    {"DecimalFromDouble",
     [](const Args& a) {
       return Or(Decimal::fromDouble(Num(a[0])), [&](Decimal d) { return d.text(Int(a[1])); });
     }},
    {"DecimalRounded", [](const Args& a) { return Dec(a[0]).rounded(Int(a[1])).text(Int(a[1])); }},
    {"DecimalFits", [](const Args& a) { return Bool(Dec(a[0]).fits(Int(a[1]))); }},
    {"DecimalBelow", [](const Args& a) { return Bool(Dec(a[0]).below(Int(a[1]))); }},
    {"DecimalCompare",
     [](const Args& a) {
       const auto c = Dec(a[0]) <=> Dec(a[1]);
       return std::string(c < 0 ? "<" : c > 0 ? ">" : Dec(a[0]) == Dec(a[1]) ? "=" : "?");
     }},
    {"DecimalAdd", [](const Args& a) { return (Dec(a[0]) + Dec(a[1])).text(); }},
    {"DecimalSubtract", [](const Args& a) { return (Dec(a[0]) - Dec(a[1])).text(); }},
    {"DecimalMultiply", [](const Args& a) { return (Dec(a[0]) * Dec(a[1])).text(); }},
    {"PercentOf", [](const Args& a) { return PercentOf(Dec(a[0]), Dec(a[1]), Int(a[2])).text(); }},
    {"RoundAmount", [](const Args& a) { return Shortest(RoundAmount(Num(a[0]), Int(a[1]))); }},
    {"RoundHalfEven", [](const Args& a) { return Shortest(RoundHalfEven(Num(a[0]), Int(a[1]))); }},
    {"AmountText", [](const Args& a) { return OrError([&] { return AmountText(Num(a[0])); }); }},
    {"GroupedAmountText",
     [](const Args& a) { return GroupedAmountText(Num(a[0]), a[1][0], a[1][1]); }},
    {"NumberText", [](const Args& a) { return NumberText(Num(a[0])); }},
    {"ParseNumber", [](const Args& a) { return Or(ParseNumber(a[0]), Shortest); }},
    {"ParseDate", [](const Args& a) { return Or(ParseDate(a[0]), Ymd); }},
    {"ParseDateTime",
     [](const Args& a) {
       return Or(ParseDate(a[0]), [](const db::Date& d) {
         return Ymd(d) + " " + std::to_string(d.hour) + ":" + std::to_string(d.minute) + ":" +
                std::to_string(d.second);
       });
     }},
    {"DateText102", [](const Args& a) { return DateText102(Day(a[0])); }},
    {"ShortDateText", [](const Args& a) { return ShortDateText(Day(a[0])); }},
    {"FormatDisplayDate", [](const Args& a) { return FormatDisplayDate(a[0]); }},
    {"ValueToText", [](const Args& a) { return ValueToText(Val(a[0])); }},
    {"CleanXmlText", [](const Args& a) { return CleanXmlText(a[0]); }},
    {"EscapeXmlText", [](const Args& a) { return EscapeXmlText(a[0]); }},
    {"Transliteration",
     [](const Args& a) {
       const auto& t = TransliterationTable();
       const size_t i = std::stoul(a[0]);
       return i < t.size() ? t[i].first + "=" + t[i].second : kNone;
     }},
    {"FormatField",
     [](const Args& a) { return FormatField(Val(a[0]), Val(a[1]), a[2], a[3] == "clean"); }},
    {"FileToBase64", [](const Args& a) { return FileToBase64(a[0]); }},
};

TEST(Texts, CaseTable) {
  std::istringstream lines(test::readAll(std::string(BELVORA_TEST_DATA_DIR) + "/text/cases.tsv"));
  int cases = 0, n = 0;
  for (std::string line; std::getline(lines, line);) {
    ++n;
    if (line.empty() || line[0] == '#') continue;
    Args fields;
    std::istringstream in(line + "\t");
    for (std::string f; std::getline(in, f, '\t');) fields.push_back(Unescape(f));
    SCOPED_TRACE("cases.tsv:" + std::to_string(n) + ": " + line);
    const auto f = kFunctions.find(fields[0]);
    ASSERT_NE(f, kFunctions.end());
    const std::string expected = fields.back();
    EXPECT_EQ(f->second(Args(fields.begin() + 1, fields.end() - 1)), expected);
    ++cases;
  }
  EXPECT_GT(cases, 150);
}

TEST(Decimal, OverflowThrows) {
  const Decimal big = Decimal::fromUnits(std::numeric_limits<std::int64_t>::max(), 0);
  EXPECT_THROW(big + Dec("1"), std::overflow_error);
  EXPECT_THROW(big * Dec("2"), std::overflow_error);
}

TEST(Numbers, IndependentOfTheProcessLocale) {
  struct GermanPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  std::locale previous = std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
  std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when installed
  EXPECT_EQ(AmountText(1234.5), "1234.50");
  EXPECT_EQ(NumberText(12.5), "12.5");
  EXPECT_EQ(ParseNumber("12.5"), 12.5);
  EXPECT_EQ(RoundAmount(2.345, 2), 2.35);
  EXPECT_EQ(FormatField(db::Value(0.5), db::Value("")), "0.5");
  std::setlocale(LC_NUMERIC, savedC.c_str());
  std::locale::global(previous);
}

TEST(Base64, LargeInputIsOneLineAcrossTheChunkBoundary) {
  std::string big(3 * 1024 * 1024 + 5, '\0');  // the chunks are 3 MiB
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 9));
  std::string expected(4 * ((big.size() + 2) / 3) + 1, '\0');
  expected.resize(static_cast<size_t>(EVP_EncodeBlock(
      reinterpret_cast<unsigned char*>(expected.data()),
      reinterpret_cast<const unsigned char*>(big.data()), static_cast<int>(big.size()))));
  EXPECT_EQ(FileToBase64(big), expected);
}

}  // namespace
}  // namespace belvora::text
