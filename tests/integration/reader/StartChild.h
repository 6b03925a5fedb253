#pragma once

// Runs Start with the action "EINLESEN" in a child process with bounded
// address space, so that a fault fails the test instead of exhausting the
// machine; the view is on standard output, questions and messages on
// standard error.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>

#include "ReaderTestSupport.h"
#include "platform/db/Connection.h"
#include "support/Process.h"
#include "support/SharedArtefacts.h"
#include "unit/pdf/PdfTestSupport.h"

namespace belvora::test {

inline constexpr std::size_t kMB = std::size_t{1} << 20;

class StartChild : public ::testing::Test {
 protected:
  RunResult run(std::vector<std::string> argv, const std::vector<std::string>& extraEnv = {}) {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Sanitizers reserve terabytes of address space: no limit there.
    argv.insert(argv.begin(), {"/usr/bin/prlimit", "--as=" + std::to_string(2048 * kMB), "--"});
#endif
    belvora::test::Run r{argv,
                         {"BELVORA_UI=console", "BELVORA_VIEW=json", "BELVORA_ANSWER=no",
                          "USER=buchhaltung", "TMPDIR=" + dir.path().string(), "PATH=/usr/bin:/bin",
                          "XDG_CONFIG_HOME=" + (dir / "config")},
                         true};
    r.env.insert(r.env.end(), extraEnv.begin(), extraEnv.end());
    return RunProcess(r);
  }
  RunResult start(const std::string& parameters, const std::vector<std::string>& extraEnv = {}) {
    return run({BELVORA_START_EXE, parameters}, extraEnv);
  }
  std::string read(const std::string& input, const std::string& more = "") {
    return "action=einlesen|language=GB|connect=" + connect + "|inputxml=" + input + more;
  }
  // What the reads left in the private work folder (none: nothing).
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    std::error_code none;
    for (const auto& e : std::filesystem::recursive_directory_iterator(
             dir.path() / ("belvora-" + std::to_string(::getuid())), none))
      names.push_back(e.path().string());
    return names;
  }
  std::size_t count(const std::string& table) {
    return rowsOf(*db::open(connect), "SELECT * FROM " + table).size();
  }
  // The largest resident set of the children so far, in KB.
  static long peakKB() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
  }

  TempDir dir;
  std::string connect = makeDatabase(Backend::Sqlite, dir);
};

// CII_example5 cut before its document part, so that filler can go between.
inline std::string ciiPart(bool head) {
  const std::string cii = readAll(CorpusDir() + "/en16931/cii/CII_example5.xml");
  const auto cut = cii.find("<rsm:ExchangedDocument>");
  return head ? cii.substr(0, cut) : cii.substr(cut);
}

}  // namespace belvora::test
