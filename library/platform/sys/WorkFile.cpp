#include "platform/sys/WorkFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/sys/Files.h"

namespace belvora::sys {
namespace {
[[noreturn]] void fail(const std::string& what, const std::string& path, int err) {
  throw std::system_error(err, std::generic_category(), what + " '" + path + "'");
}
}  // namespace

WorkFile::WorkFile(std::string_view name) {
  std::string pattern = privateWorkDir() + "/read-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) fail("cannot create", pattern, errno);
  folder_ = pattern;
  path_ = folder_ + "/" + std::string(name);
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    const int err = errno;
    ::rmdir(folder_.c_str());
    fail("cannot create", path_, err);
  }
}

WorkFile::~WorkFile() {
  if (fd_ >= 0) ::close(fd_);
  ::unlink(path_.c_str());
  ::rmdir(folder_.c_str());
}

void WorkFile::write(std::string_view bytes) {
  if (fd_ < 0) fail("cannot write", path_, EBADF);
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail("cannot write", path_, n < 0 ? errno : EIO);
    bytes.remove_prefix(static_cast<std::size_t>(n));
    size_ += static_cast<std::uint64_t>(n);
  }
}

void WorkFile::clear() {
  if (fd_ < 0) fail("cannot write", path_, EBADF);
  if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0)
    fail("cannot write", path_, errno);
  size_ = 0;
}

void WorkFile::close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) fail("cannot write", path_, errno);
}

}  // namespace belvora::sys
