#include "platform/db/Text.h"

#include <charconv>
#include <cstdio>

#include "platform/db/Connection.h"

namespace belvora::db {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads exactly n digits at pos.
bool digits(std::string_view s, size_t pos, size_t n, int& out) {
  if (pos + n > s.size()) return false;
  int v = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!isDigit(s[pos + i])) return false;
    v = v * 10 + (s[pos + i] - '0');
  }
  out = v;
  return true;
}

int daysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0)) return 29;
  return days[month - 1];
}

bool isIdentifier(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || isDigit(c) || c == '_';
    if (!ok) return false;
  }
  return true;
}

}  // namespace

std::optional<Date> parseIsoDate(std::string_view s) {
  Date d;
  if (!digits(s, 0, 4, d.year) || s.size() < 10 || s[4] != '-' || !digits(s, 5, 2, d.month) ||
      s[7] != '-' || !digits(s, 8, 2, d.day))
    return std::nullopt;
  if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > daysInMonth(d.year, d.month))
    return std::nullopt;
  size_t pos = 10;
  if (pos < s.size()) {
    if (s[pos] != ' ' && s[pos] != 'T') return std::nullopt;
    ++pos;
    if (!digits(s, pos, 2, d.hour) || pos + 2 >= s.size() || s[pos + 2] != ':' ||
        !digits(s, pos + 3, 2, d.minute))
      return std::nullopt;
    pos += 5;
    if (pos < s.size() && s[pos] == ':') {
      if (!digits(s, pos + 1, 2, d.second)) return std::nullopt;
      pos += 3;
      if (pos < s.size() && s[pos] == '.') {
        ++pos;
        const size_t start = pos;
        while (pos < s.size() && isDigit(s[pos])) ++pos;
        if (pos == start) return std::nullopt;
      }
    }
    if (d.hour > 23 || d.minute > 59 || d.second > 59) return std::nullopt;
    // A zone suffix: "Z", "+01", "+01:00", "-0530".
    if (pos < s.size()) {
      std::string_view zone = s.substr(pos);
      if (zone == "Z") return d;
      if (zone[0] != '+' && zone[0] != '-') return std::nullopt;
      for (size_t i = 1; i < zone.size(); ++i)
        if (!isDigit(zone[i]) && zone[i] != ':') return std::nullopt;
      if (zone.size() < 3) return std::nullopt;
    }
  }
  return d;
}

std::string formatIsoDate(const Date& d) {
  char buf[40];
  if (d.hour == 0 && d.minute == 0 && d.second == 0)
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
  else
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                  d.minute, d.second);
  return buf;
}

std::optional<double> parseReal(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return v;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return v;
}

std::u16string utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    char32_t cp = 0xFFFD;
    size_t len = 1;
    if (b < 0x80) {
      cp = b;
    } else {
      size_t need = 0;
      char32_t min = 0;
      if ((b & 0xE0) == 0xC0) {
        need = 1, cp = b & 0x1F, min = 0x80;
      } else if ((b & 0xF0) == 0xE0) {
        need = 2, cp = b & 0x0F, min = 0x800;
      } else if ((b & 0xF8) == 0xF0) {
        need = 3, cp = b & 0x07, min = 0x10000;
      }
      bool ok = need > 0;
      for (size_t k = 1; ok && k <= need; ++k) {
        if (i + k >= s.size()) {
          ok = false;
          break;
        }
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        cp = (cp << 6) | (c & 0x3F);
      }
      if (ok && cp >= min && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF)) {
        len = need + 1;
      } else {
        cp = 0xFFFD;
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size() + s.size() / 2);
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // unpaired surrogate
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

TableName splitTableName(const std::string& name) {
  TableName result;
  const size_t dot = name.find('.');
  if (dot == std::string::npos) {
    result.table = name;
  } else {
    result.schema = name.substr(0, dot);
    result.table = name.substr(dot + 1);
  }
  if ((dot != std::string::npos && !isIdentifier(result.schema)) || !isIdentifier(result.table))
    throw Error("invalid table name: " + name);
  return result;
}

}  // namespace belvora::db
