#include "support/SharedArtefacts.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace belvora::test {
namespace {

std::string fromEnvironment(const char* name, const char* configured) {
  const char* value = std::getenv(name);
  return value && *value ? std::string(value) : std::string(configured);
}

bool onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

// CTest runs each test through --gtest_filter. Where the corpus appeared or
// went away after the tests were listed, a corpus-wide test's filter selects
// nothing, and the entry would pass without testing anything.
class NothingSelected : public ::testing::EmptyTestEventListener {
  void OnTestIterationStart(const ::testing::UnitTest& unit, int) override {
    const std::string filter = GTEST_FLAG_GET(filter);
    if (unit.test_to_run_count() > 0 || filter == "*") return;
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::cerr << "no test matches --gtest_filter=" << filter
              << ": the test list is stale (the invoice corpus changed since it was made); "
                 "remove "
              << self.string() << " and build again\n";
    std::_Exit(1);
  }
};

const bool kNothingSelectedFails = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new NothingSelected);
  return true;
}();

}  // namespace

std::string CorpusDir() { return fromEnvironment("BELVORA_TEST_CORPUS", BELVORA_CORPUS_DIR); }

std::string ValidationDir() {
  return fromEnvironment("BELVORA_VALIDATION", BELVORA_VALIDATION_DIR);
}

std::string CorpusMissing() {
  std::error_code ec;
  if (std::filesystem::is_directory(CorpusDir(), ec)) return {};
  return "needs the invoice corpus, not found at '" + CorpusDir() +
         "': set BELVORA_TEST_CORPUS to its folder";
}

std::string ValidationMissing() {
  const std::string check = ValidationDir() + "/check";
  if (::access(check.c_str(), X_OK) != 0)
    return "needs the validation artefacts, '" + check +
           "' not found: set BELVORA_VALIDATION to their folder";
  if (!onPath("java"))
    return "needs java for the EN 16931 validation (Debian package default-jre-headless)";
  return {};
}

bool RunningInCi() {
  const char* ci = std::getenv("CI");
  return ci && *ci && std::string(ci) != "false" && std::string(ci) != "0";
}

}  // namespace belvora::test
