#include "platform/sys/Files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

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

void writeFileAtomically(const std::string& path, std::string_view bytes) {
  writeFileAtomically(path, {bytes});
}

void writeFileAtomically(const std::string& path, std::initializer_list<std::string_view> pieces) {
  fs::path target(path);
  fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
  std::string name = ".";
  name += target.filename().string();
  name += ".XXXXXX";
  std::string pattern = (dir / name).string();
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) fail("cannot create", path, errno);
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
  // Keep the permissions an ordinary new file would get.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    int err = errno;
    ::unlink(pattern.c_str());
    fail("cannot write", path, err);
  }
  if (::rename(pattern.c_str(), path.c_str()) != 0) {
    int err = errno;
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

std::string userName() {
  if (const char* u = std::getenv("USER"); u && *u) return u;
  if (const passwd* pw = ::getpwuid(::geteuid())) return pw->pw_name;
  return {};
}

std::string programDir() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string(".") : exe.parent_path().string();
}

bool startProgram(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // Double fork: the program is adopted by init, so no zombie is left
  // behind and the caller does not wait for it.
  int pipefd[2];
  if (::pipe2(pipefd, O_CLOEXEC) != 0) return false;
  pid_t child = ::fork();
  if (child < 0) {
    ::close(pipefd[0]);
    ::close(pipefd[1]);
    return false;
  }
  if (child == 0) {
    ::close(pipefd[0]);
    pid_t grandchild = ::fork();
    if (grandchild == 0) {
      ::execvp(args[0], args.data());
      char failed = 1;
      [[maybe_unused]] auto n = ::write(pipefd[1], &failed, 1);
      ::_exit(127);
    }
    ::_exit(grandchild < 0 ? 1 : 0);
  }
  ::close(pipefd[1]);
  int status = 0;
  ::waitpid(child, &status, 0);
  char failed = 0;
  bool execFailed = ::read(pipefd[0], &failed, 1) == 1;
  ::close(pipefd[0]);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && !execFailed;
}

bool openExternal(const std::string& target) { return startProgram({"xdg-open", target}); }

}  // namespace belvora::sys
