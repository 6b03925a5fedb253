#pragma once

#include <string>

namespace belvora::test {

// Makes a file or folder read-only for this process and the programs it
// starts, whoever runs the test. Root ignores file modes, so there it is a
// read-only bind mount in a private mount namespace (gone with the
// process); other users get the write bits removed. Undone on destruction.
class ReadOnlyPath {
 public:
  // writableFile: a file inside the folder that stays writable itself (the
  // folder alone refuses new files).
  explicit ReadOnlyPath(std::string path, std::string writableFile = {});
  ~ReadOnlyPath();
  ReadOnlyPath(const ReadOnlyPath&) = delete;
  ReadOnlyPath& operator=(const ReadOnlyPath&) = delete;

  // Empty when the path is read-only now; else why it could not be made so,
  // for GTEST_SKIP.
  const std::string& failure() const { return failure_; }

 private:
  bool mountReadOnly();
  bool removeWriteBits();

  std::string path_;
  std::string writableFile_;
  std::string alias_;  // a writable view of the folder, for writableFile
  std::string failure_;
  unsigned savedMode_ = 0;
  bool mounted_ = false;
  bool fileMounted_ = false;
  bool chmodded_ = false;
};

}  // namespace belvora::test
