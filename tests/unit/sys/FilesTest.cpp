// Atomic replacement, files that never replace anything, bounded input
// files, the private work folder and started programs.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "platform/sys/Files.h"
#include "platform/sys/InputFile.h"
#include "platform/sys/NewFile.h"
#include "support/Expect.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace belvora::sys;
using belvora::test::TempDir;
using belvora::test::writeAll;

// The files' own fsync: counted, and failing with EIO on request (a full or
// broken disk), whoever runs the test.
static std::atomic<int> fsyncCalls{0};
static std::atomic<bool> failFsync{false};
extern "C" int fsync(int fd) {
  ++fsyncCalls;
  if (failFsync) return errno = EIO, -1;
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

std::size_t Entries(const fs::path& dir) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

TEST(AtomicWrite, ReplacesOnlyWhatIsOnDiskAndLeavesNothingElse) {
  TempDir dir;
  const std::string path = dir / "a.xml";
  writeFileAtomically(path, std::string("first\0second", 12));
  EXPECT_EQ(readFile(path), std::string("first\0second", 12));
  const int before = fsyncCalls;
  writeFileAtomically(path, "new");
  EXPECT_GT(fsyncCalls, before) << "on disk before it takes the name";
  EXPECT_EQ(readFile(path), "new");
  EXPECT_EQ(Entries(dir.path()), 1u);
  EXPECT_THROW(readFile(dir / "missing"), std::system_error);
  EXPECT_THROW(readFile("/"), std::system_error);  // a folder opens but cannot be read
}

TEST(AtomicWrite, FailureLeavesTheExistingFileAsItWasAndNoTemporaryFile) {
  const struct {
    const char* name;
    std::string target;  // in the folder
    std::function<void()> write;
  } cases[] = {
      {"fsync fails", "keep.xml", [] { failFsync = true; }},
      {"file size limit", "keep.xml",
       [] {
         const rlimit small{4096, RLIM_INFINITY};
         ::setrlimit(RLIMIT_FSIZE, &small);
       }},
      {"rename onto a folder", "taken", [] {}},
      {"missing folder", "missing/x.xml", [] {}},
  };
  ::signal(SIGXFSZ, SIG_IGN);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    writeAll(dir / "keep.xml", "old");
    fs::create_directories(dir / "taken/child");
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    c.write();
    EXPECT_THROW_HAS(writeFileAtomically(dir / c.target, std::string(100000, 'x')), dir / c.target);
    failFsync = false;
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(readFile(dir / "keep.xml"), "old");
    EXPECT_TRUE(fs::is_directory(dir / "taken/child"));
    EXPECT_EQ(Entries(dir.path()), 2u);
  }
  ::signal(SIGXFSZ, SIG_DFL);
}

TEST(AtomicWrite, NewFilesTakeTheirModeAndRewritesNeverWidenIt) {
  const struct {
    const char* name;
    int existing;  // -1: no file yet
    unsigned mode;
    mode_t umask;
    unsigned expected;
  } cases[] = {
      {"new, ordinary", -1, 0666, 022, 0644},
      {"new, private", -1, 0600, 0, 0600},
      {"new, umask closes more", -1, 0666, 077, 0600},
      {"private file rewritten", 0600, 0666, 022, 0600},
      {"group file under a strict umask", 0640, 0666, 077, 0640},
      {"readable file made private", 0644, 0600, 022, 0600},
      {"executable bits dropped", 0755, 0666, 022, 0644},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string path = dir / "f.conf";
    if (c.existing >= 0) {
      writeAll(path, "old");
      ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(c.existing)), 0);
    }
    const mode_t saved = ::umask(c.umask);
    writeFileAtomically(path, "new", c.mode);
    ::umask(saved);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.expected) << c.name;
    EXPECT_EQ(readFile(path), "new") << c.name;
    EXPECT_EQ(Entries(dir.path()), 1u) << c.name;
  }
}

TEST(NewFile, NeverReplacesAndLeavesNoTemporaryFile) {
  TempDir dir;
  writeAll(dir / "taken.pdf", "old");
  fs::create_directory(dir / "folder.pdf");
  fs::create_symlink("/etc/passwd", dir / "link.pdf");
  {
    NewFile file(dir.path(), "new");
    EXPECT_FALSE(file.placeAs("taken.pdf"));
    EXPECT_FALSE(file.placeAs("folder.pdf"));
    EXPECT_FALSE(file.placeAs("link.pdf"));
    EXPECT_TRUE(file.placeAs("free.pdf"));
  }
  EXPECT_EQ(readFile(dir / "taken.pdf"), "old");
  EXPECT_EQ(readFile(dir / "free.pdf"), "new");
  { NewFile unplaced(dir.path(), "gone"); }
  failFsync = true;
  EXPECT_THROW(NewFile(dir.path(), "not on disk"), std::system_error);
  failFsync = false;
  EXPECT_EQ(Entries(dir.path()), 4u);  // taken, folder, link, free: no temporary file left
  // A 255-byte name is fine: the temporary name does not grow with it.
  EXPECT_TRUE(NewFile(dir.path(), "x").placeAs(std::string(255, 'n')));
  EXPECT_EQ(maxNameBytes(dir.path()), 255u);
  EXPECT_THROW(NewFile(dir / "missing", "x"), std::system_error);
  // Content comparison follows no link.
  fs::create_symlink(dir / "free.pdf", dir / "link2");
  EXPECT_TRUE(hasContent(dir / "free.pdf", "new"));
  for (const char* other : {"new!", "nex", ""}) EXPECT_FALSE(hasContent(dir / "free.pdf", other));
  EXPECT_FALSE(hasContent(dir / "link2", "new"));
  EXPECT_FALSE(hasContent(dir / "missing", ""));
}

TEST(InputFile, IsRegularAndWithinTheLimit) {
  TempDir dir;
  writeAll(dir / "ten", "0123456789");
  EXPECT_EQ(InputFile(dir / "ten", 10).readAll(), "0123456789");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const struct {
    std::string path;
    std::uint64_t limit;
    InputFileError::Kind kind;
  } cases[] = {
      {dir / "ten", 9, InputFileError::TooLarge},
      {dir / "fifo", 100, InputFileError::NotRegular},
      {"/dev/zero", 100, InputFileError::NotRegular},
      {dir.path(), 100, InputFileError::NotRegular},
      {dir / "missing", 100, InputFileError::Unreadable},
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

TEST(PrivateWorkDir, IsOwnedAndClosedToOthers) {
  TempDir base;
  const std::string saved = getenv("TMPDIR") ? getenv("TMPDIR") : "";
  ::setenv("TMPDIR", base.path().c_str(), 1);
  const std::string dir = privateWorkDir();
  ::chmod(dir.c_str(), 0777);
  EXPECT_EQ(privateWorkDir(), dir);
  saved.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", saved.c_str(), 1);
  struct stat st {};
  ASSERT_EQ(::stat(dir.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, ::getuid());
}

TEST(StartProgram, IsNotWaitedForAndLeavesNoZombie) {
  EXPECT_FALSE(startProgram({"/nonexistent/belvora-program"}));
  EXPECT_FALSE(startProgram({}));
  TempDir dir;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(startProgram({"sh", "-c", "echo $$ > " + dir / "pid" + "; sleep 1"}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(800));
  std::string pid;
  for (int i = 0; i < 100 && pid.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pid = belvora::test::readAll(dir / "pid");
  }
  ASSERT_FALSE(pid.empty());
  // Once it ended, nothing of it is left: no zombie waiting to be collected.
  const std::string stat = "/proc/" + pid.substr(0, pid.size() - 1) + "/stat";
  for (int i = 0; i < 150 && fs::exists(stat); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(fs::exists(stat)) << readFile(stat);
}

}  // namespace
