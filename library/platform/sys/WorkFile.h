#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace belvora::sys {

// A file that lives exactly as long as this object: created exclusively
// (mode 0600) in a folder of its own inside privateWorkDir(), so reads in
// other threads and processes never meet it; the destructor removes the
// file and its folder, whatever happened meanwhile.
class WorkFile {
 public:
  // Throws std::system_error when the folder or the file cannot be created.
  explicit WorkFile(std::string_view name);
  ~WorkFile();
  WorkFile(const WorkFile&) = delete;
  WorkFile& operator=(const WorkFile&) = delete;

  const std::string& path() const { return path_; }
  std::uint64_t size() const { return size_; }

  // Appends bytes; throws std::system_error naming the file.
  void write(std::string_view bytes);
  // Drops what was written so far.
  void clear();
  // Closes the file after the last write; throws when that fails.
  void close();

 private:
  std::string folder_;
  std::string path_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

}  // namespace belvora::sys
