#include "text/Texte.h"

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <system_error>

namespace belvora::text {

namespace {

// ---- Decimal arithmetic on the 15-digit value of a double -----------------

// sign * digits * 10^exponent; digits has no leading zeros ("0" for zero).
struct Decimal {
  bool negative = false;
  std::string digits = "0";
  int exponent = 0;
};

Decimal ToDecimal(double value) {
  Decimal d;
  if (value == 0) return d;
  d.negative = value < 0;
  // 15 significant digits, correctly rounded from the binary value.
  char buf[64];
  auto r =
      std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
  std::string_view s(buf, static_cast<size_t>(r.ptr - buf));  // d.ddddddddddddddde+XX
  auto e = s.find('e');
  d.digits.assign(1, s[0]);
  d.digits.append(s.substr(2, e - 2));
  int exp10 = 0;
  std::from_chars(s.data() + e + 1 + (s[e + 1] == '+' ? 1 : 0), s.data() + s.size(), exp10);
  d.exponent = exp10 - static_cast<int>(d.digits.size() - 1);
  while (d.digits.size() > 1 && d.digits.back() == '0') {
    d.digits.pop_back();
    ++d.exponent;
  }
  return d;
}

enum class Rounding { HalfAwayFromZero, HalfEven };

// Rounds to `decimals` places (exponent >= -decimals afterwards).
void RoundDecimal(Decimal& d, int decimals, Rounding mode) {
  if (d.exponent >= -decimals) return;
  size_t drop = static_cast<size_t>(-decimals - d.exponent);
  std::string kept;
  std::string dropped;
  if (drop >= d.digits.size()) {
    kept = "0";
    dropped = std::string(drop - d.digits.size(), '0') + d.digits;
  } else {
    kept = d.digits.substr(0, d.digits.size() - drop);
    dropped = d.digits.substr(d.digits.size() - drop);
  }
  bool up = false;
  if (mode == Rounding::HalfAwayFromZero) {
    up = dropped[0] >= '5';
  } else {
    if (dropped[0] > '5') {
      up = true;
    } else if (dropped[0] == '5') {
      bool exactHalf = dropped.find_first_not_of('0', 1) == std::string::npos;
      up = !exactHalf || ((kept.back() - '0') % 2 == 1);
    }
  }
  if (up) {
    size_t i = kept.size();
    while (i > 0) {
      --i;
      if (kept[i] == '9') {
        kept[i] = '0';
      } else {
        ++kept[i];
        break;
      }
      if (i == 0) kept.insert(kept.begin(), '1');
    }
  }
  size_t nz = kept.find_first_not_of('0');
  kept = nz == std::string::npos ? "0" : kept.substr(nz);
  d.digits = kept;
  d.exponent = -decimals;
  if (d.digits == "0") d.negative = false;
}

// Fixed-point text with at least `minDecimals` decimals (more when the value
// has them), no exponent.
std::string FixedText(const Decimal& d, int minDecimals) {
  std::string digits = d.digits;
  int exp = d.exponent;
  if (exp > 0) {
    digits.append(static_cast<size_t>(exp), '0');
    exp = 0;
  }
  int decimals = -exp;
  if (decimals < minDecimals) {
    digits.append(static_cast<size_t>(minDecimals - decimals), '0');
    decimals = minDecimals;
  }
  if (digits.size() <= static_cast<size_t>(decimals))
    digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
  std::string out;
  out.reserve(digits.size() + 2);
  bool zero = digits.find_first_not_of('0') == std::string::npos;
  if (d.negative && !zero) out += '-';
  out.append(digits, 0, digits.size() - static_cast<size_t>(decimals));
  if (decimals > 0) {
    out += '.';
    out.append(digits, digits.size() - static_cast<size_t>(decimals));
  }
  return out;
}

double ParseFixed(const std::string& text) {
  double v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

double RoundWith(double value, int decimals, Rounding mode) {
  if (!std::isfinite(value) || decimals < -28 || decimals > 28) return value;
  Decimal d = ToDecimal(value);
  RoundDecimal(d, decimals, mode);
  return ParseFixed(FixedText(d, 0));
}

// ---- UTF-8 and XML ------------------------------------------------------------

// Length of the valid UTF-8 sequence at s[i] that XML can hold, 0 when the
// bytes there are not one (a stray byte, an overlong form, a surrogate,
// U+FFFE/U+FFFF).
size_t Utf8Length(std::string_view s, size_t i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[i + k]); };
  unsigned char c = b(0);
  if (c < 0x80) return 1;
  size_t n = 0;
  char32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(k) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
  if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
  if (cp == 0xFFFE || cp == 0xFFFF) return 0;
  return n;
}

constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";

bool IsRemovedControl(unsigned char c) { return c < 32 && c != 9 && c != 10 && c != 13; }

void AppendEscaped(std::string& out, char c) {
  switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&apos;";
      break;
    default:
      out += c;
  }
}

// Replacement for the two-byte sequences C2 xx / C3 xx of the table, by the
// second byte; nullptr when the letter stays.
struct TwoByteIndex {
  std::array<const std::string*, 64> c2{};
  std::array<const std::string*, 64> c3{};
  const std::string* euro = nullptr;
};

const TwoByteIndex& Index() {
  static const TwoByteIndex index = [] {
    TwoByteIndex ix;
    for (const auto& [key, replacement] : TransliterationTable()) {
      auto k0 = static_cast<unsigned char>(key[0]);
      if (key.size() == 2 && k0 == 0xC2)
        ix.c2[static_cast<unsigned char>(key[1]) & 0x3F] = &replacement;
      else if (key.size() == 2 && k0 == 0xC3)
        ix.c3[static_cast<unsigned char>(key[1]) & 0x3F] = &replacement;
      else
        ix.euro = &replacement;  // the only three-byte key
    }
    return ix;
  }();
  return index;
}

std::string MakeXmlSafe(std::string_view text, bool transliterate) {
  const TwoByteIndex* index = transliterate ? &Index() : nullptr;
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  size_t i = 0;
  while (i < text.size()) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      if (!IsRemovedControl(c)) AppendEscaped(out, static_cast<char>(c));
      ++i;
      continue;
    }
    size_t n = Utf8Length(text, i);
    if (n == 0) {
      out += kReplacementChar;
      ++i;
      continue;
    }
    const std::string* replacement = nullptr;
    if (index) {
      if (n == 2 && c == 0xC2)
        replacement = index->c2[static_cast<unsigned char>(text[i + 1]) & 0x3F];
      else if (n == 2 && c == 0xC3)
        replacement = index->c3[static_cast<unsigned char>(text[i + 1]) & 0x3F];
      else if (n == 3 && text.substr(i, 3) == "\xE2\x82\xAC")
        replacement = index->euro;
    }
    if (replacement)
      out += *replacement;
    else
      out.append(text, i, n);
    i += n;
  }
  return out;
}

bool IsDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

int ToInt(std::string_view s) {
  int v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

bool ValidDate(int y, int m, int d) {
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  using namespace std::chrono;
  return year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}}
      .ok();
}

// "hh:mm" or "hh:mm:ss", optional fraction and zone; empty text is no time.
bool ParseTime(std::string_view s, db::Date& date) {
  if (s.empty()) return true;
  if (s.size() < 5 || s[2] != ':' || !IsDigits(s.substr(0, 2)) || !IsDigits(s.substr(3, 2)))
    return false;
  date.hour = ToInt(s.substr(0, 2));
  date.minute = ToInt(s.substr(3, 2));
  std::string_view rest = s.substr(5);
  if (!rest.empty() && rest[0] == ':') {
    if (rest.size() < 3 || !IsDigits(rest.substr(1, 2))) return false;
    date.second = ToInt(rest.substr(1, 2));
    rest = rest.substr(3);
  }
  if (!rest.empty() && rest[0] == '.') {
    size_t k = 1;
    while (k < rest.size() && rest[k] >= '0' && rest[k] <= '9') ++k;
    if (k == 1) return false;
    rest = rest.substr(k);
  }
  if (rest == "Z") rest = {};
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
    std::string_view zone = rest.substr(1);
    bool ok = (zone.size() == 5 && zone[2] == ':' && IsDigits(zone.substr(0, 2)) &&
               IsDigits(zone.substr(3, 2))) ||
              (zone.size() == 4 && IsDigits(zone)) || (zone.size() == 2 && IsDigits(zone));
    if (!ok) return false;
    rest = {};
  }
  return rest.empty() && date.hour < 24 && date.minute < 60 && date.second < 61;
}

// Appends v with leading zeros to `width` digits, then `separator` if any.
void AppendPadded(std::string& out, int v, int width, char separator = '\0') {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  auto len = static_cast<int>(r.ptr - buf);
  if (len < width) out.append(static_cast<size_t>(width - len), '0');
  out.append(buf, static_cast<size_t>(len));
  if (separator) out += separator;
}

db::Date ZeroDateAsDayZero(const db::Date& date) {
  if (date.year != 0) return date;
  db::Date zero;
  zero.year = 1899;
  zero.month = 12;
  zero.day = 30;
  return zero;
}

}  // namespace

// ---- Text -----------------------------------------------------------------

const std::vector<std::pair<std::string, std::string>>& TransliterationTable() {
  // Written as UTF-8 byte escapes so the source stays ASCII.
  static const std::vector<std::pair<std::string, std::string>> table = {
      {"\xC3\x84", "Ae"},      {"\xC3\x96", "Oe"},    {"\xC3\x9C", "Ue"},  // Ä Ö Ü
      {"\xC3\x81", "A"},       {"\xC3\x89", "E"},     {"\xC3\x8D", "I"},   // Á É Í
      {"\xC3\x93", "O"},       {"\xC3\x9A", "U"},     {"\xC3\x80", "A"},   // Ó Ú À
      {"\xC3\x88", "E"},       {"\xC3\x8C", "I"},     {"\xC3\x92", "O"},   // È Ì Ò
      {"\xC3\x99", "U"},       {"\xC3\x82", "A"},     {"\xC3\x8A", "E"},   // Ù Â Ê
      {"\xC3\x8E", "I"},       {"\xC3\x94", "O"},     {"\xC3\x9B", "U"},   // Î Ô Û
      {"\xC3\x83", "A"},       {"\xC3\x91", "N"},     {"\xC3\x87", "C"},   // Ã Ñ Ç
      {"\xE2\x82\xAC", "EUR"}, {"\xC2\xA3", "libra"}, {"\xC3\x9F", "ss"},  // € £ ß
      {"\xC3\xA4", "ae"},      {"\xC3\xB6", "oe"},    {"\xC3\xBC", "ue"},  // ä ö ü
      {"\xC3\xA1", "a"},       {"\xC3\xA9", "e"},     {"\xC3\xAD", "i"},   // á é í
      {"\xC3\xB3", "o"},       {"\xC3\xBA", "u"},     {"\xC3\xA0", "a"},   // ó ú à
      {"\xC3\xA8", "e"},       {"\xC3\xAC", "i"},     {"\xC3\xB2", "o"},   // è ì ò
      {"\xC3\xB9", "u"},       {"\xC3\xA2", "a"},     {"\xC3\xAA", "e"},   // ù â ê
      {"\xC3\xAE", "i"},       {"\xC3\xB4", "o"},     {"\xC3\xBB", "u"},   // î ô û
      {"\xC3\xA3", "a"},       {"\xC3\xB1", "n"},     {"\xC3\xA7", "c"},   // ã ñ ç
  };
  return table;
}

std::string CleanXmlText(std::string_view text) { return MakeXmlSafe(text, true); }

std::string EscapeXmlText(std::string_view text) { return MakeXmlSafe(text, false); }

// ---- Numbers --------------------------------------------------------------

double RoundAmount(double value, int decimals) {
  return RoundWith(value, decimals, Rounding::HalfAwayFromZero);
}

double RoundHalfEven(double value, int decimals) {
  return RoundWith(value, decimals, Rounding::HalfEven);
}

std::string AmountText(double value) {
  if (!std::isfinite(value))
    throw std::runtime_error("Overflow: the amount is not a finite number");
  Decimal d = ToDecimal(value);
  RoundDecimal(d, 2, Rounding::HalfAwayFromZero);
  return FixedText(d, 2);
}

std::string GroupedAmountText(double value, char decimalSeparator, char groupSeparator) {
  std::string plain = AmountText(value);
  size_t sign = plain[0] == '-' ? 1 : 0;
  size_t point = plain.find('.');
  std::string out(plain, 0, sign);
  size_t intLen = point - sign;
  for (size_t k = 0; k < intLen; ++k) {
    if (k > 0 && (intLen - k) % 3 == 0) out += groupSeparator;
    out += plain[sign + k];
  }
  out += decimalSeparator;
  out.append(plain, point + 1);
  return out;
}

std::string NumberText(double value) {
  if (!std::isfinite(value)) throw std::runtime_error("Overflow: the number is not finite");
  return FixedText(ToDecimal(value), 0);
}

std::optional<double> ParseNumber(std::string_view text) {
  text = TrimBlanks(text);
  if (text.empty()) return std::nullopt;
  std::string s(text);
  if (s.find('.') == std::string::npos)
    for (char& c : s)
      if (c == ',') c = '.';
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (*first == '+') ++first;
  if (first == last || *first == '+' || (first != s.data() && *first == '-')) return std::nullopt;
  // Only digits, one sign, a point and an exponent: no "inf", "nan", hex.
  for (const char* p = first; p != last; ++p) {
    char c = *p;
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
      return std::nullopt;
  }
  double v = 0;
  auto r = std::from_chars(first, last, v);
  if (r.ec != std::errc() || r.ptr != last || !std::isfinite(v)) return std::nullopt;
  return v;
}

double ValueToNumber(const db::Value& value, std::string_view column) {
  switch (value.kind()) {
    case db::Value::Kind::Integer:
      return static_cast<double>(value.integer());
    case db::Value::Kind::Real:
      return value.real();
    case db::Value::Kind::Text:
      if (auto v = ParseNumber(value.text())) return *v;
      throw std::runtime_error("Type mismatch: column '" + std::string(column) +
                               "' holds no number ('" + value.text() + "')");
    case db::Value::Kind::Null:
      throw std::runtime_error("Invalid use of Null: column '" + std::string(column) + "' is NULL");
    default:
      throw std::runtime_error("Type mismatch: column '" + std::string(column) +
                               "' holds no number");
  }
}

// ---- Dates ----------------------------------------------------------------

std::optional<db::Date> ParseDate(std::string_view text) {
  text = TrimBlanks(text);
  db::Date d;
  if (text.size() >= 10 && text[4] == '-' && text[7] == '-' && IsDigits(text.substr(0, 4)) &&
      IsDigits(text.substr(5, 2)) && IsDigits(text.substr(8, 2))) {
    d.year = ToInt(text.substr(0, 4));
    d.month = ToInt(text.substr(5, 2));
    d.day = ToInt(text.substr(8, 2));
    std::string_view rest = text.substr(10);
    if (!rest.empty()) {
      if (rest[0] != ' ' && rest[0] != 'T') return std::nullopt;
      rest = rest.substr(1);
      if (!ParseTime(rest, d)) return std::nullopt;
    }
  } else {
    // d.m.yyyy with one or two digits for day and month
    size_t p1 = text.find('.');
    size_t p2 = p1 == std::string_view::npos ? p1 : text.find('.', p1 + 1);
    if (p2 == std::string_view::npos) return std::nullopt;
    std::string_view ds = text.substr(0, p1);
    std::string_view ms = text.substr(p1 + 1, p2 - p1 - 1);
    std::string_view rest = text.substr(p2 + 1);
    size_t yl = 0;
    while (yl < rest.size() && rest[yl] >= '0' && rest[yl] <= '9') ++yl;
    std::string_view ys = rest.substr(0, yl);
    rest = rest.substr(yl);
    if (!IsDigits(ds) || ds.size() > 2 || !IsDigits(ms) || ms.size() > 2 || ys.size() != 4)
      return std::nullopt;
    d.day = ToInt(ds);
    d.month = ToInt(ms);
    d.year = ToInt(ys);
    if (!rest.empty()) {
      if (rest[0] != ' ') return std::nullopt;
      if (!ParseTime(TrimBlanks(rest), d)) return std::nullopt;
    }
  }
  if (!ValidDate(d.year, d.month, d.day)) return std::nullopt;
  return d;
}

db::Date ValueToDate(const db::Value& value, std::string_view column) {
  switch (value.kind()) {
    case db::Value::Kind::Date:
      return value.date();
    case db::Value::Kind::Text:
      if (auto d = ParseDate(value.text())) return *d;
      throw std::runtime_error("Type mismatch: column '" + std::string(column) +
                               "' holds no date ('" + value.text() + "')");
    case db::Value::Kind::Null:
      throw std::runtime_error("Invalid use of Null: column '" + std::string(column) + "' is NULL");
    default:
      throw std::runtime_error("Type mismatch: column '" + std::string(column) + "' holds no date");
  }
}

std::string DateText102(const db::Date& date) {
  db::Date d = ZeroDateAsDayZero(date);
  std::string out;
  AppendPadded(out, d.year, 4);
  AppendPadded(out, d.month, 2);
  AppendPadded(out, d.day, 2);
  return out;
}

std::string ShortDateText(const db::Date& date) {
  db::Date d = ZeroDateAsDayZero(date);
  std::string out;
  AppendPadded(out, d.day, 2, '.');
  AppendPadded(out, d.month, 2, '.');
  AppendPadded(out, d.year, 4);
  return out;
}

std::string ShortDateText(std::chrono::year_month_day date) {
  db::Date d;
  d.year = static_cast<int>(date.year());
  d.month = static_cast<int>(static_cast<unsigned>(date.month()));
  d.day = static_cast<int>(static_cast<unsigned>(date.day()));
  return ShortDateText(d);
}

std::string FormatDisplayDate(std::string_view text) {
  std::string s(text);
  if (s.size() == 10) std::erase(s, '-');
  auto part = [&](size_t from, size_t count) {
    return from < s.size() ? s.substr(from, count) : std::string();
  };
  return part(6, 2) + "." + part(4, 2) + "." + part(0, 4);
}

// ---- Database values --------------------------------------------------------

std::string ValueToText(const db::Value& value) {
  switch (value.kind()) {
    case db::Value::Kind::Null:
      return {};
    case db::Value::Kind::Integer:
      return std::to_string(value.integer());
    case db::Value::Kind::Real:
      return NumberText(value.real());
    case db::Value::Kind::Text:
      return value.text();
    case db::Value::Kind::Date: {
      const db::Date& d = value.date();
      std::string s;
      AppendPadded(s, d.year, 4, '-');
      AppendPadded(s, d.month, 2, '-');
      AppendPadded(s, d.day, 2);
      if (d.hour || d.minute || d.second) {
        s += ' ';
        AppendPadded(s, d.hour, 2, ':');
        AppendPadded(s, d.minute, 2, ':');
        AppendPadded(s, d.second, 2);
      }
      return s;
    }
    case db::Value::Kind::Blob: {
      const db::Blob& b = value.blob();
      return std::string(b.begin(), b.end());
    }
  }
  return {};
}

namespace {

std::string ApplyPattern(const db::Value& original, const std::string& text,
                         std::string_view pattern) {
  auto number = [&]() -> std::optional<double> {
    if (original.kind() == db::Value::Kind::Integer) return static_cast<double>(original.integer());
    if (original.kind() == db::Value::Kind::Real) return original.real();
    if (original.kind() == db::Value::Kind::Text || original.kind() == db::Value::Kind::Null)
      return ParseNumber(text);
    return std::nullopt;
  };
  auto date = [&]() -> std::optional<db::Date> {
    if (original.kind() == db::Value::Kind::Date) return original.date();
    if (original.kind() == db::Value::Kind::Text || original.kind() == db::Value::Kind::Null)
      return ParseDate(text);
    return std::nullopt;
  };
  if (pattern == "0.00" || pattern == "0.00 ") {
    auto v = number();
    if (!v) return text;
    return AmountText(*v) + (pattern.size() == 5 ? " " : "");
  }
  if (pattern == "#,##0.00") {
    auto v = number();
    return v ? GroupedAmountText(*v) : text;
  }
  if (pattern == "yyyymmdd") {
    auto d = date();
    return d ? DateText102(*d) : text;
  }
  if (pattern == "dd.MM.yyyy") {
    auto d = date();
    return d ? ShortDateText(*d) : text;
  }
  throw std::invalid_argument("unsupported format pattern '" + std::string(pattern) + "'");
}

}  // namespace

std::string FormatField(const db::Value& value, const db::Value& fallback, std::string_view pattern,
                        bool clean) {
  std::string text = value.isNull() ? std::string() : ValueToText(value);
  std::string_view trimmed = TrimBlanks(text);
  if (!trimmed.empty()) {
    std::string result = clean ? CleanXmlText(trimmed) : std::string(trimmed);
    if (pattern.empty()) return result;
    return ApplyPattern(value, result, pattern);
  }
  std::string def(TrimBlanks(ValueToText(fallback)));
  if (pattern.empty()) return def;
  return ApplyPattern(fallback, def, pattern);
}

// ---- Files ------------------------------------------------------------------

std::string FileToBase64(std::string_view bytes) {
  size_t total = (bytes.size() + 2) / 3 * 4;
  std::string out(total + 1, '\0');  // room for the terminator EVP writes
  // EVP_EncodeBlock takes an int length: encode in chunks of whole triples.
  constexpr size_t kChunk = 3 * 1024 * 1024;
  size_t written = 0;
  for (size_t pos = 0; pos < bytes.size(); pos += kChunk) {
    size_t n = std::min(kChunk, bytes.size() - pos);
    int len = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data() + written),
                              reinterpret_cast<const unsigned char*>(bytes.data() + pos),
                              static_cast<int>(n));
    written += static_cast<size_t>(len);
  }
  out.resize(total);
  return out;
}

}  // namespace belvora::text
