#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace belvora::sys {

// A file written under a short temporary name in a folder and then given
// its final name without ever replacing anything that is there: a name
// that exists is refused, never overwritten. The temporary name has a fixed
// length, so the final name may use every byte the file system allows.
class NewFile {
 public:
  // Writes the bytes (which must outlive the object) to a hidden temporary
  // file in the folder, mode 0666 less the umask, and flushes them to disk.
  // Throws std::system_error naming the folder.
  NewFile(const std::string& folder, std::string_view bytes);
  // Removes the temporary file unless it was placed.
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Gives the file the name in the folder. False when the name is taken
  // (nothing changes then); throws std::system_error for any other failure.
  bool placeAs(const std::string& name);

 private:
  bool createExclusively(const std::string& target);

  std::string folder_;
  std::string_view bytes_;
  std::string temp_;
  bool placed_ = false;
};

// The longest file name in bytes that the folder's file system takes; 255
// when it cannot be told.
std::size_t maxNameBytes(const std::string& folder);

// True when path (not followed when it is a link) is a regular file that
// holds exactly these bytes.
bool hasContent(const std::string& path, std::string_view bytes);

}  // namespace belvora::sys
