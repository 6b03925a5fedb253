#include "platform/settings/SettingsStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "platform/settings/IniFile.h"
#include "platform/sys/Files.h"

namespace belvora::settings {
namespace {

// The scrambling key. Changing it makes every stored value unreadable.
constexpr char kScrambleKey = 'K';

std::string homeDir() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (auto a = sys::account(); a && !a->home.empty()) return a->home;
  return "/";
}

void ensureFolder(const std::filesystem::path& dir) {
  std::error_code ec;
  if (std::filesystem::is_directory(dir, ec)) return;
  if (dir.has_parent_path() && dir.parent_path() != dir) ensureFolder(dir.parent_path());
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
    throw std::system_error(errno, std::generic_category(), "cannot create '" + dir.string() + "'");
}

// Serialises the read-modify-write of the file: a mutex for the threads of
// this process, an flock on the folder for other processes.
class SettingsLock {
 public:
  explicit SettingsLock(const std::filesystem::path& folder) : guard_(mutex()) {
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
      throw std::system_error(errno, std::generic_category(),
                              "cannot open '" + folder.string() + "'");
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd_);
      throw std::system_error(err, std::generic_category(),
                              "cannot lock '" + folder.string() + "'");
    }
  }
  ~SettingsLock() { ::close(fd_); }
  SettingsLock(const SettingsLock&) = delete;
  SettingsLock& operator=(const SettingsLock&) = delete;

 private:
  static std::mutex& mutex() {
    static std::mutex m;
    return m;
  }
  std::lock_guard<std::mutex> guard_;
  int fd_ = -1;
};

void save(const SettingValues& v, bool all) {
  std::filesystem::path file(SettingsFilePath());
  ensureFolder(file.parent_path());
  SettingsLock lock(file.parent_path());
  IniFile ini = IniFile::load(file.string());
  auto put = [&](const char* key, std::string_view value) {
    ini.set(kSection, key, EscapeIniValue(value));
  };
  if (all) {
    put(kKeyConnection, Scramble(v.connection));
    put(kKeyDataObject, Scramble(v.dataObject));
    put(kKeyExportPath, Scramble(v.exportPath));
  }
  put(kKeyQueryParameter, v.queryParameter);
  if (all) put(kKeyImportQuestion, FlagText(v.importQuestion));
  ini.save(file.string());
}

}  // namespace

std::string FlagText(bool flag) { return flag ? "True" : "False"; }

std::string Scramble(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c != kScrambleKey) c = static_cast<char>(c ^ kScrambleKey);
  return out;
}

std::string SettingsFilePath() {
  std::filesystem::path base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/')
    base = xdg;
  else
    base = std::filesystem::path(homeDir()) / ".config";
  return (base / kApplicationName / (std::string(kApplicationName) + ".conf")).string();
}

void SaveAllSettings(const SettingValues& values) { save(values, true); }
void SaveQueryParameterFlag(const SettingValues& values) { save(values, false); }

std::optional<std::string> ReadStoredSetting(std::string_view key) {
  auto value = IniFile::load(SettingsFilePath()).get(kSection, key);
  if (!value) return std::nullopt;
  return UnescapeIniValue(*value);
}

}  // namespace belvora::settings
