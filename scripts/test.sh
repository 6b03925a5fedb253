#!/usr/bin/env bash
# The whole test suite: dependencies, a warnings-as-errors Release build (the
# user's build type, whose -O3 raises warnings others do not) with every test
# (SQLite, PostgreSQL through ODBC, corpus, validation, Qt windows offscreen,
# install, package and ABI), a sanitizer build with the tests, a thread
# sanitizer build of the concurrency tests, the format check and a short
# fuzz run. Ends with the
# skipped tests and their reasons; under CI a test that misses the corpus or
# the validation artefacts fails instead of skipping.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
start=$SECONDS
phase() { echo "== $* ($((SECONDS - start)) s)"; }
# The build must leave the source tree as it found it.
tree_state() { git status --porcelain --ignored --untracked-files=all 2>/dev/null | grep -v -E ' (build[^/]*|out)/' || true; }
before=$(tree_state)

jobs=$(nproc)
export BELVORA_UI=console

# A private PostgreSQL server for the ODBC tests, stopped again on exit.
eval "$(bash scripts/postgres.sh start)"
trap 'bash scripts/postgres.sh stop >/dev/null 2>&1 || true' EXIT
export BELVORA_REQUIRE_PG=1

phase "build (Release)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBELVORA_WERROR=ON \
  -DBELVORA_BUILD_TESTS=ON -DBELVORA_BUILD_BENCH=ON -DBELVORA_SANITIZE=OFF -Wno-dev >/dev/null
cmake --build build -j"$jobs"
phase "tests"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 900 \
  --output-junit "$PWD/build/ctest-junit.xml"

phase "sanitizer build (address, undefined)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELVORA_SANITIZE=ON -DBELVORA_WERROR=ON \
  -DBELVORA_BUILD_TESTS=ON -DBELVORA_BUILD_BENCH=OFF -Wno-dev >/dev/null
cmake --build build-asan -j"$jobs"
# psqlodbc leaks a little on every failed statement; that is not ours to fix.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$PWD/tests/data/db/lsan.supp \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 900 -LE "slow|package" \
  --output-junit "$PWD/build-asan/ctest-junit.xml"

phase "thread sanitizer build (concurrency tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELVORA_SANITIZE_THREAD=ON \
  -DBELVORA_BUILD_TESTS=ON -DBELVORA_BUILD_BENCH=OFF -Wno-dev >/dev/null
cmake --build build-tsan -j"$jobs" --target test_session_threads
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j"$jobs" --timeout 600 -R '^IndependentObjects\.'

phase "source tree untouched"
after=$(tree_state)
if [ "$after" != "$before" ]; then
  echo "the build or the tests wrote into the source tree:" >&2
  diff <(echo "$before") <(echo "$after") >&2 || true
  exit 1
fi

phase "format"
files=$(git ls-files '*.cpp' '*.h' '*.c')
if ! clang-format --dry-run --Werror $files; then
  echo "clang-format: files above need formatting" >&2
  exit 1
fi

if [ -f scripts/fuzz.sh ]; then
  phase "fuzz"
  bash scripts/fuzz.sh
fi
phase "skipped tests"
python3 scripts/skipped.py build/ctest-junit.xml build-asan/ctest-junit.xml
phase "all checks passed"
