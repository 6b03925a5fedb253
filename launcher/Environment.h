#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What Start needs from its surroundings. Start reaches the library only
// through its public header, so the little it needs of the settings file is
// read here.
namespace start {

// $XDG_CONFIG_HOME/belvora/belvora.conf, with ~/.config when the variable is
// unset or not an absolute path: the library's settings file.
std::string SettingsFilePath();
// A key of the settings file (section and key without regard to letter
// case, the value trimmed); nullopt when the file, section or key is missing.
std::optional<std::string> ReadSetting(std::string_view section, std::string_view key);

// $TMPDIR, else /tmp.
std::string TempFolder();
// The template database of the test program: beside Start in source/, in the
// build tree, or in the installed share folder.
std::string TemplateDatabasePath();

// Starts a program with an argument vector, without a shell and without
// waiting; its end is collected so that no zombie stays. False when it
// cannot be started.
bool StartDetached(const std::vector<std::string>& argv);

}  // namespace start
