#!/usr/bin/env bash
# Applies each fault patch in turn, builds, runs the fast tests and reports
# whether the suite caught it. A developer tool, not part of CI.
# Usage: scripts/faults/run.sh [BUILD_DIR]   (default: build-dev)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$(realpath -m "${1:-build-dev}")
faults=scripts/faults
logs=$build/faults
export BELVORA_UI=console

if [ ! -f "$build/CMakeCache.txt" ]; then
  echo "no configured build in $build" >&2
  exit 2
fi
# The patches are reversed on the way out; that is only safe on a clean library.
if [ -n "$(git status --porcelain -- library)" ]; then
  echo "library/ has uncommitted changes; commit or stash them first" >&2
  exit 2
fi
mkdir -p "$logs"

applied=""
restore() {
  if [ -n "$applied" ]; then
    git -C "$root" apply -R "$applied" || echo "could not reverse $applied; fix the tree by hand" >&2
    applied=""
  fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

# Prints the names of the fast tests that fail, sorted. The tests get a
# temporary folder of their own: a fault that writes beside a test's folder
# must not leave files that fail later runs or other people's tests.
failing_tests() {
  local log=$build/Testing/Temporary/LastTestsFailed.log tmp
  rm -f "$log"
  tmp=$(mktemp -d /tmp/belvora-faults.XXXXXX)
  TMPDIR=$tmp ctest --test-dir "$build" -LE "slow|package" -j2 --timeout 300 -Q \
    --output-log "$1" || true
  rm -rf "$tmp"
  # Lines are "number:name  # GetParam() = ..."; the name is enough.
  if [ -f "$log" ]; then cut -d: -f2- "$log" | sed 's/  # .*//' | sort; fi
}

# Tests that fail on the clean tree say nothing about a fault.
cmake --build "$build" -j2 >"$logs/clean.build.log" 2>&1
failing_tests "$logs/clean.ctest.log" >"$logs/clean.failed"
if [ -s "$logs/clean.failed" ]; then
  echo "failing on the clean tree (not counted below): $(paste -sd' ' "$logs/clean.failed")"
fi

bad=0
for patch in "$faults"/[0-9][0-9]-*.patch; do
  name=$(basename "$patch" .patch)
  mapfile -t files < <(git apply --numstat "$patch" | cut -f3)
  if [ -n "$(git status --porcelain -- "${files[@]}")" ]; then
    echo "$name: ${files[*]} not clean" >&2
    exit 2
  fi
  if ! git apply "$patch"; then
    printf '%-24s BROKEN  does not apply\n' "$name"
    bad=1
    continue
  fi
  applied=$patch
  start=$SECONDS
  if ! cmake --build "$build" -j2 >"$logs/$name.build.log" 2>&1; then
    restore
    printf '%-24s BROKEN  build failed, see %s\n' "$name" "$logs/$name.build.log"
    bad=1
    continue
  fi
  failing_tests "$logs/$name.ctest.log" | comm -23 - "$logs/clean.failed" >"$logs/$name.failed"
  restore
  mapfile -t failed <"$logs/$name.failed"
  took=$((SECONDS - start))
  if [ "${#failed[@]}" -gt 0 ]; then
    printf '%-24s CAUGHT  %4d failing (%3d s)  %s\n' "$name" "${#failed[@]}" "$took" \
      "${failed[*]:0:3}"
  else
    printf '%-24s MISSED     0 failing (%3d s)\n' "$name" "$took"
    bad=1
  fi
done

echo "rebuilding the clean tree"
cmake --build "$build" -j2 >"$logs/final.build.log" 2>&1
exit "$bad"
