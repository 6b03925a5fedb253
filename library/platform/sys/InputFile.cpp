#include "platform/sys/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace belvora::sys {

InputFile::InputFile(const std::string& path, std::uint64_t maxSize)
    : path_(path), maxSize_(maxSize) {
  // Non-blocking: opening a FIFO without a writer would wait for ever.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) {
    throw InputFileError(InputFileError::Unreadable,
                         "cannot open '" + path + "': " + std::strerror(errno));
  }
  struct stat st {};
  if (::fstat(fd_, &st) != 0) {
    const int err = errno;
    ::close(fd_);
    throw InputFileError(InputFileError::Unreadable,
                         "cannot read '" + path + "': " + std::strerror(err));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd_);
    throw InputFileError(InputFileError::NotRegular, "'" + path + "' is not a regular file");
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
  if (size_ > maxSize) {
    ::close(fd_);
    throw InputFileError(InputFileError::TooLarge, "'" + path + "' is too large");
  }
  ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

InputFile::~InputFile() { ::close(fd_); }

std::string InputFile::readAll() {
  std::string bytes(static_cast<std::size_t>(size_), '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) {
      // Grown since it was opened: read on, within the limit.
      if (bytes.size() >= maxSize_) {
        char probe;
        const ssize_t n = ::pread(fd_, &probe, 1, static_cast<off_t>(used));
        if (n == 0) break;
        throw InputFileError(InputFileError::TooLarge, "'" + path_ + "' is too large");
      }
      bytes.resize(std::min<std::uint64_t>(maxSize_, bytes.size() + (std::size_t{1} << 16)));
    }
    const ssize_t n =
        ::pread(fd_, bytes.data() + used, bytes.size() - used, static_cast<off_t>(used));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      throw InputFileError(InputFileError::Unreadable,
                           "cannot read '" + path_ + "': " + std::strerror(errno));
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace belvora::sys
