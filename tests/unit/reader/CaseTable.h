#pragma once

// Test cases kept in a data file: one case a line, its fields separated by
// tabs; lines starting with "#" are comments. In a field \n, \r, \t, \xNN
// and \\ stand for those bytes.

#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace belvora::test {

inline std::string unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] == '\\' && i + 1 < text.size() ? text[++i] : '\0';
    if (c == 'x') {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += c == '\0' ? text[i] : c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
  }
  return out;
}

inline std::vector<std::vector<std::string>> ReadCaseTable(const std::string& path) {
  std::vector<std::vector<std::string>> cases;
  std::istringstream table(readAll(path));
  for (std::string line; std::getline(table, line);) {
    if (line.starts_with("#")) continue;
    auto& fields = cases.emplace_back();
    std::istringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(unescape(field));
    if (line.ends_with('\t')) fields.emplace_back();
  }
  return cases;
}

}  // namespace belvora::test
