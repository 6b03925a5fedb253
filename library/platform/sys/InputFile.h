#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace belvora::sys {

// Why an input file was refused: its kind says which check failed, what()
// names the path (and the system's reason where there is one).
class InputFileError : public std::runtime_error {
 public:
  enum Kind { Unreadable, NotRegular, TooLarge };
  InputFileError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// A file opened for reading only when it is a regular file (links followed)
// of at most maxSize bytes. Opening never blocks on a FIFO or a device and
// never reads from one.
class InputFile {
 public:
  // Throws InputFileError.
  InputFile(const std::string& path, std::uint64_t maxSize);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  int fd() const { return fd_; }
  std::uint64_t size() const { return size_; }
  // The whole content; a file that grew past maxSize meanwhile is refused.
  std::string readAll();

 private:
  std::string path_;
  std::uint64_t maxSize_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace belvora::sys
