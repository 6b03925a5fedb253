#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace belvora::settings {

// A small INI file editor that keeps every line it does not change as it
// was: comments, blank lines, other sections and other keys survive a
// rewrite untouched. Section and key names compare without regard to ASCII
// letter case.
class IniFile {
 public:
  // Loads path; a missing file is an empty document. Read errors throw
  // std::system_error.
  static IniFile load(const std::string& path);
  static IniFile parse(std::string_view text);

  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  // Replaces the key's value in place, or adds the key at the end of its
  // section, or adds the section at the end of the file.
  void set(std::string_view section, std::string_view key, std::string_view value);

  std::string text() const;
  // Writes text() through a temporary file and a rename. A new file gets
  // mode 0600: it may hold passwords. An existing one is never opened wider.
  void save(const std::string& path) const;

 private:
  std::vector<std::string> lines_;
};

// Values are stored with every byte outside the printable ASCII range (and
// the characters an INI reader would take as syntax) written as \xHH, so a
// scrambled value never breaks the file's line structure.
std::string EscapeIniValue(std::string_view raw);
std::string UnescapeIniValue(std::string_view stored);

}  // namespace belvora::settings
