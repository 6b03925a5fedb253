// Files created without replacing anything, and input files that must be
// regular and bounded.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sys/InputFile.h"
#include "platform/sys/NewFile.h"

namespace fs = std::filesystem;
using namespace belvora::sys;

namespace {

class Folder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "belvora-newfile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string slurp(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::size_t entries() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }
  fs::path dir_;
};

}  // namespace

TEST_F(Folder, NewFileNeverReplacesAndLeavesNoTemporaryFile) {
  std::ofstream(dir_ / "taken.pdf") << "old";
  fs::create_directory(dir_ / "folder.pdf");
  fs::create_symlink("/etc/passwd", dir_ / "link.pdf");
  {
    NewFile file(dir_.string(), "new");
    EXPECT_FALSE(file.placeAs("taken.pdf"));
    EXPECT_FALSE(file.placeAs("folder.pdf"));
    EXPECT_FALSE(file.placeAs("link.pdf"));
    EXPECT_TRUE(file.placeAs("free.pdf"));
  }
  EXPECT_EQ(slurp("taken.pdf"), "old");
  EXPECT_EQ(slurp("free.pdf"), "new");
  { NewFile unplaced(dir_.string(), "gone"); }
  EXPECT_EQ(entries(), 4u);  // taken, folder, link, free: no temporary file left
  // A 255-byte name is fine: the temporary name does not grow with it.
  NewFile longName(dir_.string(), "x");
  EXPECT_TRUE(longName.placeAs(std::string(255, 'n')));
  EXPECT_EQ(maxNameBytes(dir_.string()), 255u);
  EXPECT_THROW(NewFile((dir_ / "missing").string(), "x"), std::system_error);
}

TEST_F(Folder, HasContentComparesRegularFilesOnly) {
  std::ofstream(dir_ / "a") << "Hallo";
  fs::create_symlink(dir_ / "a", dir_ / "link");
  EXPECT_TRUE(hasContent((dir_ / "a").string(), "Hallo"));
  EXPECT_FALSE(hasContent((dir_ / "a").string(), "Hallo!"));
  EXPECT_FALSE(hasContent((dir_ / "a").string(), "Hallp"));
  EXPECT_FALSE(hasContent((dir_ / "link").string(), "Hallo"));
  EXPECT_FALSE(hasContent((dir_ / "missing").string(), ""));
}

TEST_F(Folder, InputFilesAreRegularAndWithinTheLimit) {
  std::ofstream(dir_ / "ten") << "0123456789";
  EXPECT_EQ(InputFile((dir_ / "ten").string(), 10).readAll(), "0123456789");
  const std::string fifo = (dir_ / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::uint64_t limit;
    InputFileError::Kind kind;
  } cases[] = {
      {(dir_ / "ten").string(), 9, InputFileError::TooLarge},
      {fifo, 100, InputFileError::NotRegular},
      {"/dev/zero", 100, InputFileError::NotRegular},
      {dir_.string(), 100, InputFileError::NotRegular},
      {(dir_ / "missing").string(), 100, InputFileError::Unreadable},
  };
  for (const auto& c : cases) {
    try {
      InputFile file(c.path, c.limit);
      ADD_FAILURE() << c.path << " was opened";
    } catch (const InputFileError& e) {
      EXPECT_EQ(e.kind(), c.kind) << c.path << ": " << e.what();
    }
  }
}
