#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include "platform/sys/Clock.h"
#include "platform/sys/Files.h"

namespace fs = std::filesystem;
using namespace belvora::sys;

namespace {
class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("belvora-sys-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  fs::path dir_;
};
}  // namespace

TEST_F(TempFolder, AtomicWriteCreatesAndReplacesWithoutLeftovers) {
  std::string path = (dir_ / "a.xml").string();
  writeFileAtomically(path, std::string("first\0second", 12));
  EXPECT_EQ(readFile(path), std::string("first\0second", 12));
  writeFileAtomically(path, "new");
  EXPECT_EQ(readFile(path), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(TempFolder, FailedWriteLeavesTheExistingFileAsItWas) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
  std::string path = (dir_ / "keep.xml").string();
  writeFileAtomically(path, "old");
  fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_THROW(writeFileAtomically(path, "new"), std::system_error);
  fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(readFile(path), "old");
}

TEST_F(TempFolder, FailedRenameRemovesTheTemporaryFile) {
  fs::create_directories(dir_ / "taken" / "child");
  EXPECT_THROW(writeFileAtomically((dir_ / "taken").string(), "x"), std::system_error);
  EXPECT_TRUE(fs::is_directory(dir_ / "taken" / "child"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(TempFolder, WriteIntoMissingFolderThrowsNamingThePath) {
  std::string path = (dir_ / "missing" / "x.xml").string();
  try {
    writeFileAtomically(path, "x");
    FAIL() << "no error";
  } catch (const std::system_error& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
}

TEST(Files, ReadErrorsAreReportedNotSwallowed) {
  EXPECT_THROW(readFile("/nonexistent/belvora/x"), std::system_error);
  // A folder opens but cannot be read.
  EXPECT_THROW(readFile("/"), std::system_error);
}

TEST(Files, PrivateWorkDirIsOwnedAndClosedToOthers) {
  std::string saved = getenv("TMPDIR") ? getenv("TMPDIR") : "";
  fs::path base = fs::temp_directory_path() / ("belvora-work-" + std::to_string(::getpid()));
  fs::create_directories(base);
  ::setenv("TMPDIR", base.c_str(), 1);
  std::string dir = privateWorkDir();
  struct stat st {};
  ASSERT_EQ(::stat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, ::getuid());
  ::chmod(dir.c_str(), 0777);
  EXPECT_EQ(privateWorkDir(), dir);
  ASSERT_EQ(::stat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  if (saved.empty())
    ::unsetenv("TMPDIR");
  else
    ::setenv("TMPDIR", saved.c_str(), 1);
  fs::remove_all(base);
}

TEST_F(TempFolder, NewFilesTakeTheirModeAndRewritesNeverWidenIt) {
  struct Case {
    const char* name;
    int existing;  // -1: no file yet
    unsigned mode;
    mode_t umask;
    unsigned expected;
  };
  const Case cases[] = {
      {"new, ordinary", -1, 0666, 022, 0644},
      {"new, private", -1, 0600, 0, 0600},
      {"new, umask closes more", -1, 0666, 077, 0600},
      {"private file rewritten", 0600, 0666, 022, 0600},
      {"group file under a strict umask", 0640, 0666, 077, 0640},
      {"readable file made private", 0644, 0600, 022, 0600},
      {"executable bits dropped", 0755, 0666, 022, 0644},
  };
  for (const Case& c : cases) {
    std::string path = (dir_ / "f.conf").string();
    fs::remove(path);
    if (c.existing >= 0) {
      writeFileAtomically(path, "old");
      ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(c.existing)), 0);
    }
    mode_t saved = ::umask(c.umask);
    writeFileAtomically(path, "new", c.mode);
    ::umask(saved);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.expected) << c.name;
    EXPECT_EQ(readFile(path), "new") << c.name;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(TempFolder, StartedProgramIsNotWaitedForAndLeavesNoZombie) {
  EXPECT_FALSE(startProgram({"/nonexistent/belvora-program"}));
  EXPECT_FALSE(startProgram({}));
  std::string pidFile = (dir_ / "pid").string();
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(startProgram({"sh", "-c", "echo $$ > " + pidFile + "; sleep 1"}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
  std::string pid;
  for (int i = 0; i < 100 && pid.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (fs::exists(pidFile)) pid = readFile(pidFile);
  }
  ASSERT_FALSE(pid.empty());
  pid.pop_back();
  // Once it ended, nothing of it is left: no zombie waiting to be collected.
  std::string stat = "/proc/" + pid + "/stat";
  for (int i = 0; i < 150 && fs::exists(stat); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(fs::exists(stat)) << readFile(stat);
}

TEST(Clock, PinnedDateForTests) {
  using namespace std::chrono;
  setTodayForTesting(year{2024} / March / 5);
  EXPECT_EQ(today(), year_month_day(year{2024} / March / 5));
  setTodayForTesting(std::nullopt);
  EXPECT_TRUE(today().ok());
}
