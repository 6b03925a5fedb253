#include "platform/db/ConnectionString.h"

#include "platform/db/Connection.h"
#include "platform/db/Text.h"
#include "platform/sys/Ascii.h"

namespace belvora::db {

ConnectionString ConnectionString::parse(std::string_view text) {
  ConnectionString result;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t eq = text.find_first_of("=;", pos);
    if (eq == std::string_view::npos || text[eq] == ';') {
      // A fragment without '=' (or trailing blanks) carries nothing.
      if (!ascii::TrimSpace(text.substr(pos, eq == std::string_view::npos ? eq : eq - pos)).empty())
        throw Error("invalid connection string: a part has no '=' after its key");
      if (eq == std::string_view::npos) break;
      pos = eq + 1;
      continue;
    }
    std::string key = ascii::Lower(ascii::TrimSpace(text.substr(pos, eq - pos)));
    if (key.empty()) throw Error("invalid connection string: a value has no key");
    pos = eq + 1;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;

    std::string value;
    if (pos < text.size() && (text[pos] == '{' || text[pos] == '"' || text[pos] == '\'')) {
      const char open = text[pos];
      const char close = open == '{' ? '}' : open;
      ++pos;
      bool closed = false;
      while (pos < text.size()) {
        if (text[pos] == close) {
          if (pos + 1 < text.size() && text[pos + 1] == close) {
            value += close;
            pos += 2;
            continue;
          }
          ++pos;
          closed = true;
          break;
        }
        value += text[pos++];
      }
      if (!closed)
        throw Error("invalid connection string: the value of '" + key + "' lacks its closing " +
                    std::string(1, close));
      size_t end = text.find(';', pos);
      if (!ascii::TrimSpace(text.substr(pos, end == std::string_view::npos ? end : end - pos))
               .empty())
        throw Error("invalid connection string: text after the quoted value of '" + key + "'");
      pos = end == std::string_view::npos ? text.size() : end + 1;
    } else {
      size_t end = text.find(';', pos);
      value = std::string(
          ascii::TrimSpace(text.substr(pos, end == std::string_view::npos ? end : end - pos)));
      pos = end == std::string_view::npos ? text.size() : end + 1;
    }
    result.pairs_.emplace_back(std::move(key), std::move(value));
  }
  return result;
}

std::optional<std::string> ConnectionString::find(std::string_view key) const {
  const std::string wanted = ascii::Lower(ascii::TrimSpace(key));
  for (auto it = pairs_.rbegin(); it != pairs_.rend(); ++it)
    if (it->first == wanted) return it->second;
  return std::nullopt;
}

}  // namespace belvora::db
