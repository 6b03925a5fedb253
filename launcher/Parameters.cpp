#include "Parameters.h"

namespace start {
namespace {

// Line breaks and tabs count as blanks, so that an example copied from the
// usage window's lines works as one parameter string.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool ParseParameterString(std::string_view text, Parameters& params) {
  params.clear();
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('|', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view field = trimBlanks(text.substr(start, end - start));
    start = end + 1;
    auto eq = field.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view name = trimBlanks(field.substr(0, eq));
    if (name.empty()) continue;
    params[lower(name)] = std::string(trimBlanks(field.substr(eq + 1)));
  }
  return !params.empty();
}

std::string GetParameter(const Parameters* params, std::string_view name,
                         const std::string& defaultValue) {
  if (!params) return defaultValue;
  auto it = params->find(lower(name));
  return it == params->end() ? defaultValue : it->second;
}

bool ParseFlag(std::string_view text, bool defaultValue) {
  std::string v = Upper(trimBlanks(text));
  if (v == "TRUE" || v == "1" || v == "J" || v == "JA") return true;
  if (v == "FALSE" || v == "0" || v == "N" || v == "NEIN") return false;
  return defaultValue;
}

}  // namespace start
