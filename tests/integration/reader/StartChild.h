#pragma once

// Runs Start "EINLESEN" in a child process with bounded address space and
// reports its status, peak memory and output, for input built to hurt.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "ReaderTestSupport.h"
#include "platform/db/Connection.h"
#include "support/SharedArtefacts.h"
#include "unit/pdf/PdfTestSupport.h"

namespace belvora::test {

inline const std::string kHostileCorpus = belvora::test::CorpusDir();
inline constexpr std::size_t kMB = std::size_t{1} << 20;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// Sanitizers reserve terabytes of address space: no limit there.
inline constexpr bool kLimitAddressSpace = false;
#else
inline constexpr bool kLimitAddressSpace = true;
#endif

struct ChildRun {
  int status = -1;
  long peakKB = 0;  // maximum resident set size of the child
  std::string out;
  std::string err;
};

class StartChild : public ::testing::Test {
 protected:
  // Runs argv (Start and its parameter string, or a wrapper around it) in
  // a child with at most `memoryLimit` bytes of address space, so a fault
  // fails the test instead of exhausting the machine.
  ChildRun run(std::vector<std::string> argv, const std::vector<std::string>& extraEnv = {},
               rlim_t memoryLimit = rlim_t{2} << 30) {
    std::vector<std::string> env = {"BELVORA_UI=console", "BELVORA_VIEW=json",
                                    "BELVORA_ANSWER=no",  "TMPDIR=" + dir.path().string(),
                                    "PATH=/usr/bin:/bin", "XDG_CONFIG_HOME=" + (dir / "config")};
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> args, envp;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string outFile = dir / "stdout.txt";
    const std::string errFile = dir / "stderr.txt";
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (kLimitAddressSpace) {
        const rlimit limit{memoryLimit, memoryLimit};
        ::setrlimit(RLIMIT_AS, &limit);
      }
      ::dup2(::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
      ::dup2(::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
      ::execve(args[0], args.data(), envp.data());
      ::_exit(127);
    }
    ChildRun r;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) == pid) {
      r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      r.peakKB = usage.ru_maxrss;
    }
    r.out = readAll(outFile);
    r.err = readAll(errFile);
    return r;
  }
  ChildRun start(const std::string& parameters, const std::vector<std::string>& extraEnv = {}) {
    return run({BELVORA_START_EXE, parameters}, extraEnv);
  }
  std::string read(const std::string& input, const std::string& more = "") {
    return "action=einlesen|language=GB|connect=" + connect + "|inputxml=" + input + more;
  }
  // What the reads left in the private work folder.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    const std::filesystem::path work = dir.path() / ("belvora-" + std::to_string(::getuid()));
    if (!std::filesystem::exists(work)) return names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(work))
      names.push_back(e.path().string());
    return names;
  }
  std::size_t count(const std::string& table) {
    auto c = belvora::db::open(connect);
    return rowsOf(*c, "SELECT * FROM " + table).size();
  }

  belvora::test::TempDir dir;
  std::string connect = belvora::test::makeDatabase(belvora::test::Backend::Sqlite, dir);
};

inline std::string ciiHead() {
  const std::string cii = readAll(kHostileCorpus + "/en16931/cii/CII_example5.xml");
  return cii.substr(0, cii.find("<rsm:ExchangedDocument>"));
}
inline std::string ciiTail() {
  const std::string cii = readAll(kHostileCorpus + "/en16931/cii/CII_example5.xml");
  return cii.substr(cii.find("<rsm:ExchangedDocument>"));
}

}  // namespace belvora::test
