#include "platform/sys/Files.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>
#include <vector>

extern char** environ;

namespace belvora::sys {
namespace fs = std::filesystem;

namespace {
[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
  throw std::system_error(err, std::generic_category(), what + " '" + path + "'");
}
}  // namespace

std::string readFile(const std::string& path, std::string_view kind) {
  // Appended rather than `" " + std::string(kind)`: GCC 12 at -O3 sees a
  // false overlap in the inlined insert (-Wrestrict).
  std::string suffix;
  if (!kind.empty()) {
    suffix += ' ';
    suffix += kind;
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail("cannot open" + suffix, path, errno);
  std::string out;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    out.reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      fail("cannot read" + suffix, path, err);
    }
    out.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool isDirectory(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

void writeFileAtomically(const std::string& path, std::string_view bytes, unsigned mode) {
  writeFileAtomically(path, {bytes}, mode);
}

namespace {

// A new file beside the target under a random name, created with its final
// permissions: no umask juggling, which would race with other threads.
int createTemporary(const std::string& path, unsigned mode, std::string& tempPath) {
  fs::path target(path);
  fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  struct stat st {};
  bool keep = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  mode_t wanted = static_cast<mode_t>(mode & 0777);
  if (keep) wanted &= st.st_mode & 0777;
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 32; ++attempt) {
    unsigned char random[8];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
      fail("cannot create", path, errno);
    // Appended piece by piece: "." + string trips a false -Wrestrict at -O3.
    std::string name = ".";
    name += target.filename().string();
    name += '.';
    for (unsigned char r : random) name += kChars[r % 36];
    tempPath = (dir / name).string();
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, wanted);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      fail("cannot create", path, errno);
    }
    // The umask may have taken more than the existing file had.
    if (keep && ::fchmod(fd, wanted) != 0) {
      int err = errno;
      ::close(fd);
      ::unlink(tempPath.c_str());
      fail("cannot create", path, err);
    }
    return fd;
  }
  fail("cannot create", path, EEXIST);
}

}  // namespace

void writeFileAtomically(const std::string& path, std::initializer_list<std::string_view> pieces,
                         unsigned mode) {
  std::string pattern;
  int fd = createTemporary(path, mode, pattern);
  for (std::string_view bytes : pieces) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
      ssize_t n = ::write(fd, p, left);
      if (n < 0) {
        if (errno == EINTR) continue;
        int err = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        fail("cannot write", path, err);
      }
      p += n;
      left -= static_cast<size_t>(n);
    }
  }
  int err = ::fsync(fd) != 0 ? errno : 0;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    ::unlink(pattern.c_str());
    fail("cannot write", path, err);
  }
  if (::rename(pattern.c_str(), path.c_str()) != 0) {
    err = errno;
    ::unlink(pattern.c_str());
    fail("cannot replace", path, err);
  }
}

std::string tempDir() {
  const char* t = std::getenv("TMPDIR");
  return (t && *t) ? std::string(t) : std::string("/tmp");
}

std::string privateWorkDir() {
  fs::path dir = fs::path(tempDir()) / ("belvora-" + std::to_string(::getuid()));
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) fail("cannot create", dir, errno);
  struct stat st {};
  if (::lstat(dir.c_str(), &st) != 0) fail("cannot inspect", dir, errno);
  // Refuse a folder that someone else planted or that others can enter.
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) fail("unsafe work folder", dir, EPERM);
  if ((st.st_mode & 0077) != 0 && ::chmod(dir.c_str(), 0700) != 0)
    fail("cannot protect", dir, errno);
  return dir.string();
}

std::optional<Account> account() {
  // getpwuid_r: objects in several threads may ask at once.
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  while (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
         buffer.size() < (1u << 20))
    buffer.resize(buffer.size() * 2);
  if (!found) return std::nullopt;
  return Account{found->pw_name ? found->pw_name : "", found->pw_dir ? found->pw_dir : ""};
}

std::string userName() {
  if (const char* u = std::getenv("USER"); u && *u) return u;
  if (auto a = account()) return a->name;
  return {};
}

std::string programDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

bool startProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return false;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // posix_spawn reports a program that cannot be executed as its result and
  // is safe in threaded hosts, unlike fork.
  pid_t pid = 0;
  if (::posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return false;
  // Not waited for here; a thread of its own collects its exit, so that no
  // zombie stays behind in a long-running host.
  try {
    std::thread([pid] {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // Without a thread the child is collected when this process ends.
  }
  return true;
}

bool openExternal(const std::string& target) { return startProgram({"xdg-open", target}); }

}  // namespace belvora::sys
