#include "Environment.h"

#include <pwd.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>

extern char** environ;

namespace start {
namespace fs = std::filesystem;
namespace {

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string homeDir() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

}  // namespace

std::string SettingsFilePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  fs::path base = xdg && *xdg == '/' ? fs::path(xdg) : fs::path(homeDir()) / ".config";
  return (base / "belvora" / "belvora.conf").string();
}

std::optional<std::string> ReadSetting(std::string_view section, std::string_view key) {
  std::ifstream in(SettingsFilePath());
  bool inSection = false;
  std::string raw;
  while (std::getline(in, raw)) {
    std::string_view line = trimBlanks(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      inSection = sameName(trimBlanks(line.substr(1, line.size() - 2)), section);
      continue;
    }
    if (!inSection || line.empty() || line.front() == ';' || line.front() == '#') continue;
    auto eq = line.find('=');
    if (eq != std::string_view::npos && sameName(trimBlanks(line.substr(0, eq)), key))
      return std::string(trimBlanks(line.substr(eq + 1)));
  }
  return std::nullopt;
}

std::string TempFolder() {
  const char* t = std::getenv("TMPDIR");
  return t && *t ? std::string(t) : std::string("/tmp");
}

std::string TemplateDatabasePath() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  fs::path dir = ec ? fs::current_path(ec) : exe.parent_path();
  const fs::path candidates[] = {
      dir / "source" / "VorlageDB.sqlite",
      dir / ".." / "testprog" / "source" / "VorlageDB.sqlite",
      dir / ".." / "share" / "belvora" / "source" / "VorlageDB.sqlite",
  };
  for (const auto& c : candidates)
    if (fs::is_regular_file(c, ec)) return c.lexically_normal().string();
  return candidates[2].lexically_normal().string();
}

bool StartDetached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return false;
  // The window may stay open long after the program ended.
  try {
    std::thread([pid] {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // Collected when Start ends.
  }
  return true;
}

}  // namespace start
