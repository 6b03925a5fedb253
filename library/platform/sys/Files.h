#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace belvora::sys {

// Whole-file helpers. Failures throw std::system_error whose what() names
// the path and the system's description.
// kind names the file in the message ("cannot read attachment '...'").
std::string readFile(const std::string& path, std::string_view kind = {});
bool fileExists(const std::string& path);
bool isDirectory(const std::string& path);

// Writes through a temporary file in the same folder and renames it over the
// target, so a failed write leaves an existing file as it was. A new file
// gets mode less the umask; an existing file keeps its permissions, cut down
// to mode, so that a rewrite never widens them.
void writeFileAtomically(const std::string& path, std::string_view bytes, unsigned mode = 0666);
// The same for a file made of several pieces, written one after the other
// without joining them in memory first.
void writeFileAtomically(const std::string& path, std::initializer_list<std::string_view> pieces,
                         unsigned mode = 0666);

// $TMPDIR, else /tmp.
std::string tempDir();
// A private per-user folder (mode 0700) inside tempDir(), created on demand.
std::string privateWorkDir();
// $USER, else the account name of the process.
std::string userName();

// The process's account (user name and home folder) from the password database.
struct Account {
  std::string name;
  std::string home;
};
std::optional<Account> account();
// Folder of the running program (/proc/self/exe).
std::string programDir();

// Opens a file, folder or web address with xdg-open, without a shell and
// without waiting. Returns false when the helper could not be started.
bool openExternal(const std::string& target);
// Starts a program with an argument vector, without a shell and without waiting.
bool startProgram(const std::vector<std::string>& argv);

}  // namespace belvora::sys
