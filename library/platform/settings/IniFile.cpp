#include "platform/settings/IniFile.h"

#include "platform/sys/Ascii.h"
#include "platform/sys/Files.h"

namespace belvora::settings {
namespace {

// "[name]" -> name; nullopt for any other line.
std::optional<std::string_view> sectionOf(std::string_view line) {
  line = ascii::TrimSpace(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return ascii::TrimSpace(line.substr(1, line.size() - 2));
}

bool isComment(std::string_view line) {
  line = ascii::TrimSpace(line);
  return line.empty() || line.front() == ';' || line.front() == '#';
}

// "key=value" -> key; nullopt when the line holds no assignment.
std::optional<std::string_view> keyOf(std::string_view line) {
  if (isComment(line)) return std::nullopt;
  auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return ascii::TrimSpace(line.substr(0, eq));
}

}  // namespace

IniFile IniFile::load(const std::string& path) {
  if (!sys::fileExists(path)) return IniFile{};
  return parse(sys::readFile(path));
}

IniFile IniFile::parse(std::string_view text) {
  IniFile ini;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ini.lines_.emplace_back(line);
    start = end + 1;
  }
  return ini;
}

std::optional<std::string> IniFile::get(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const auto& line : lines_) {
    if (auto s = sectionOf(line)) {
      inSection = ascii::EqualsNoCase(*s, section);
      continue;
    }
    if (!inSection) continue;
    if (auto k = keyOf(line); k && ascii::EqualsNoCase(*k, key)) {
      auto eq = line.find('=');
      return std::string(ascii::TrimSpace(std::string_view(line).substr(eq + 1)));
    }
  }
  return std::nullopt;
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
  std::string entry = std::string(key) + "=" + std::string(value);
  bool inSection = false;
  // Where a new key goes: after the last non-blank line of the section.
  std::optional<size_t> insertAt;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (auto s = sectionOf(lines_[i])) {
      if (inSection) break;
      inSection = ascii::EqualsNoCase(*s, section);
      if (inSection) insertAt = i + 1;
      continue;
    }
    if (!inSection) continue;
    if (auto k = keyOf(lines_[i]); k && ascii::EqualsNoCase(*k, key)) {
      lines_[i] = entry;
      return;
    }
    if (!ascii::TrimSpace(lines_[i]).empty()) insertAt = i + 1;
  }
  if (insertAt) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(*insertAt), entry);
    return;
  }
  if (!lines_.empty() && !ascii::TrimSpace(lines_.back()).empty()) lines_.emplace_back();
  std::string header(1, '[');
  header.append(section).push_back(']');
  lines_.push_back(std::move(header));
  lines_.push_back(std::move(entry));
}

std::string IniFile::text() const {
  std::string out;
  for (const auto& line : lines_) {
    out += line;
    out += '\n';
  }
  return out;
}

void IniFile::save(const std::string& path) const { sys::writeFileAtomically(path, text(), 0600); }

std::string EscapeIniValue(std::string_view raw) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(raw.size());
  for (unsigned char c : raw) {
    bool plain = c > 0x20 && c < 0x7F && c != '\\' && c != ';' && c != '#';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string UnescapeIniValue(std::string_view stored) {
  auto hexValue = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::string out;
  out.reserve(stored.size());
  for (size_t i = 0; i < stored.size(); ++i) {
    if (stored[i] == '\\' && i + 3 < stored.size() && stored[i + 1] == 'x') {
      int hi = hexValue(stored[i + 2]);
      int lo = hexValue(stored[i + 3]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 3;
        continue;
      }
    }
    out += stored[i];
  }
  return out;
}

}  // namespace belvora::settings
