#pragma once

#include <filesystem>
#include <string>

namespace belvora::test {

// A fresh folder under the temporary folder, removed with everything in it
// (also what a test left read-only).
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  std::string operator/(const std::string& name) const { return file(name); }

 private:
  std::filesystem::path path_;
};

// The bytes of a file ("" when it cannot be read), and a file's new content.
std::string readAll(const std::filesystem::path& path);
void writeAll(const std::filesystem::path& path, std::string_view bytes);

}  // namespace belvora::test
