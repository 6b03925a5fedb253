#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace belvora::db {

// The key=value pairs of an ADO/ODBC style connection string. Keys compare
// without regard to ASCII case and surrounding blanks; a value may be wrapped
// in {...} (with "}}" for a literal brace) or in single or double quotes, so
// that it can hold ';'.
class ConnectionString {
 public:
  // Throws Error on an unterminated brace or quote. The text is never part of
  // a message, since it may hold a password.
  static ConnectionString parse(std::string_view text);

  // The value of the last occurrence of key, if any (later pairs win, as in ADO).
  std::optional<std::string> find(std::string_view key) const;
  bool has(std::string_view key) const { return find(key).has_value(); }

  const std::vector<std::pair<std::string, std::string>>& pairs() const { return pairs_; }

 private:
  std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace belvora::db
