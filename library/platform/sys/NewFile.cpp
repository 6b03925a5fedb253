#include "platform/sys/NewFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace belvora::sys {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
  throw std::system_error(err, std::generic_category(), what + " '" + path + "'");
}

std::string join(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

void writeAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail("cannot write", path, n < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Writes, flushes and closes; the file is removed when any of it fails.
void fill(int fd, std::string_view bytes, const std::string& path) {
  try {
    writeAll(fd, bytes, path);
    if (::fsync(fd) != 0) fail("cannot write", path, errno);
  } catch (...) {
    ::close(fd);
    ::unlink(path.c_str());
    throw;
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(path.c_str());
    fail("cannot write", path, err);
  }
}

}  // namespace

NewFile::NewFile(const std::string& folder, std::string_view bytes)
    : folder_(folder), bytes_(bytes) {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 32; ++attempt) {
    unsigned char random[12];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
      fail("cannot write into", folder, errno);
    std::string name = ".belvora-";
    for (unsigned char r : random) name += kChars[r % 36];
    temp_ = join(folder, name + ".part");
    const int fd =
        ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      const int err = errno;
      temp_.clear();
      fail("cannot write into", folder, err);
    }
    try {
      fill(fd, bytes, temp_);
    } catch (...) {
      temp_.clear();
      throw;
    }
    return;
  }
  temp_.clear();
  fail("cannot write into", folder, EEXIST);
}

NewFile::~NewFile() {
  if (!placed_ && !temp_.empty()) ::unlink(temp_.c_str());
}

bool NewFile::createExclusively(const std::string& target) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0 && errno == EEXIST) return false;
  if (fd < 0) fail("cannot create", target, errno);
  fill(fd, bytes_, target);
  return true;
}

bool NewFile::placeAs(const std::string& name) {
  if (placed_ || temp_.empty()) fail("cannot create", join(folder_, name), EINVAL);
  const std::string target = join(folder_, name);
  // Atomic and never replacing: the name either gets the whole file or
  // stays as it was.
  if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    placed_ = true;
    return true;
  }
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) fail("cannot create", target, errno);
  // File systems without that rename: a hard link does the same.
  if (::link(temp_.c_str(), target.c_str()) == 0) {
    ::unlink(temp_.c_str());
    placed_ = true;
    return true;
  }
  if (errno == EEXIST) return false;
  if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
    fail("cannot create", target, errno);
  // Nor hard links (FAT): create the name exclusively and write it there.
  if (!createExclusively(target)) return false;
  ::unlink(temp_.c_str());
  placed_ = true;
  return true;
}

std::size_t maxNameBytes(const std::string& folder) {
  const long max = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return max > 0 ? static_cast<std::size_t>(max) : 255;
}

bool hasContent(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
              static_cast<std::uint64_t>(st.st_size) == bytes.size();
  char buffer[65536];
  std::size_t at = 0;
  while (same) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      same = n == 0 && at == bytes.size();
      break;
    }
    const auto got = static_cast<std::size_t>(n);
    same = at + got <= bytes.size() && bytes.substr(at, got) == std::string_view(buffer, got);
    at += got;
  }
  ::close(fd);
  return same;
}

}  // namespace belvora::sys
