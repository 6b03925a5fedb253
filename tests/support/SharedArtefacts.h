#pragma once

// The invoice corpus and the validation artefacts live outside the checkout
// (../shared by default). A test that needs them starts with
// BELVORA_REQUIRE_CORPUS() or BELVORA_REQUIRE_VALIDATION(): without them it
// is skipped with the reason, so a plain clone still passes; under CI
// (environment CI set) a missing artefact fails the test instead.
#include <gtest/gtest.h>

#include <string>

namespace belvora::test {

// $BELVORA_TEST_CORPUS, else the folder configured at build time.
std::string CorpusDir();
// $BELVORA_VALIDATION, else the folder configured at build time.
std::string ValidationDir();

// Empty when the artefact can be used, else the reason it cannot.
std::string CorpusMissing();
std::string ValidationMissing();

bool RunningInCi();

}  // namespace belvora::test

#define BELVORA_REQUIRE_ARTEFACT_(reason)                                          \
  do {                                                                             \
    if (const std::string belvoraWhy_ = (reason); !belvoraWhy_.empty()) {          \
      if (::belvora::test::RunningInCi()) FAIL() << belvoraWhy_ << " (CI is set)"; \
      GTEST_SKIP() << belvoraWhy_;                                                 \
    }                                                                              \
  } while (false)

#define BELVORA_REQUIRE_CORPUS() BELVORA_REQUIRE_ARTEFACT_(::belvora::test::CorpusMissing())
#define BELVORA_REQUIRE_VALIDATION() BELVORA_REQUIRE_ARTEFACT_(::belvora::test::ValidationMissing())
