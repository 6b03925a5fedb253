#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (address + undefined sanitizers) in
# build-fuzz and runs each for a bounded time, seeded from the invoice corpus.
# Exits non-zero when a target crashes, leaks or times out; the input that
# did it is left in build-fuzz/artifacts/.
#   FUZZ_SECONDS   seconds per target (default 30)
#   BELVORA_TEST_CORPUS  the invoice corpus (default ../shared/corpus; seeds only)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
corpus=${BELVORA_TEST_CORPUS:-$(cd .. && pwd)/shared/corpus}
build=build-fuzz
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBELVORA_FUZZ=ON -DBELVORA_WERROR=OFF -DBELVORA_BUILD_TESTS=OFF -DBELVORA_BUILD_BENCH=OFF \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" -Wno-dev >/dev/null
cmake --build "$build" -j2 --target fuzz_read_xml fuzz_pdf

# Seeds: every XML and PDF invoice of the corpus, plus the made-up PDFs of the tests.
seeds_xml=$build/seeds/xml
seeds_pdf=$build/seeds/pdf
rm -rf "$build/seeds"
mkdir -p "$seeds_xml" "$seeds_pdf" "$build/artifacts" "$build/work/xml" "$build/work/pdf"
find "$corpus" -type f \( -iname '*.xml' \) -size -512k -exec cp -t "$seeds_xml" {} + 2>/dev/null || true
find "$corpus/pdf" tests/data/pdf -type f -iname '*.pdf' -exec cp -t "$seeds_pdf" {} + 2>/dev/null || true
cp "$seeds_pdf"/*.pdf "$seeds_xml"/ 2>/dev/null || true

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run() {
  local target=$1 work=$2 seeds=$3 maxlen=$4
  echo "fuzz: $target for ${seconds}s"
  "$build/fuzz/$target" "$work" "$seeds" -max_total_time="$seconds" -timeout=20 \
    -rss_limit_mb=2560 -max_len="$maxlen" -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target-" 2>"$build/$target.log" ||
    { tail -n 60 "$build/$target.log" >&2; echo "fuzz: $target failed" >&2; return 1; }
  grep -E "^stat::number_of_executed_units|^Done" "$build/$target.log" || true
}

status=0
run fuzz_read_xml "$build/work/xml" "$seeds_xml" 1048576 || status=1
run fuzz_pdf "$build/work/pdf" "$seeds_pdf" 1048576 || status=1
exit $status
