#!/usr/bin/env bash
# The whole test suite: dependencies, a warnings-as-errors build with every
# test (SQLite, PostgreSQL through ODBC, corpus, validation), a sanitizer
# build with the same tests, the format check and a short fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
export BELVORA_UI=console

# A private PostgreSQL server for the ODBC tests, stopped again on exit.
eval "$(bash scripts/postgres.sh start)"
trap 'bash scripts/postgres.sh stop >/dev/null 2>&1 || true' EXIT
export BELVORA_REQUIRE_PG=1

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBELVORA_BUILD_TESTS=ON \
  -DBELVORA_BUILD_BENCH=ON -DBELVORA_SANITIZE=OFF -Wno-dev >/dev/null
cmake --build build -j"$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600

echo "== sanitizer build (address, undefined)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELVORA_SANITIZE=ON \
  -DBELVORA_BUILD_TESTS=ON -DBELVORA_BUILD_BENCH=OFF -Wno-dev >/dev/null
cmake --build build-asan -j"$jobs"
# psqlodbc leaks a little on every failed statement; that is not ours to fix.
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$PWD/tests/data/db/lsan.supp \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 900 -LE slow

echo "== thread sanitizer build (concurrency tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBELVORA_SANITIZE_THREAD=ON \
  -DBELVORA_BUILD_TESTS=ON -DBELVORA_BUILD_BENCH=OFF -Wno-dev >/dev/null
cmake --build build-tsan -j"$jobs" --target test_session_threads
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure -j"$jobs" --timeout 600 -R '^IndependentObjects\.'

echo "== format"
files=$(git ls-files '*.cpp' '*.h' '*.c')
if ! clang-format --dry-run --Werror $files; then
  echo "clang-format: files above need formatting" >&2
  exit 1
fi

if [ -f scripts/fuzz.sh ]; then
  echo "== fuzz"
  bash scripts/fuzz.sh
fi
echo "== all checks passed"
