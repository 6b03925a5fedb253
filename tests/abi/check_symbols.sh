#!/usr/bin/env bash
# The dynamic symbols the library defines must be exactly the checked-in list:
# an accidental export (an internal class, an inlined template, a symbol of a
# static library) fails here, and so does a lost one.
#   check_symbols.sh LIBRARY LIST
set -euo pipefail
library=$1
list=$2

actual=$(nm -D --defined-only "$library" | awk '{ print $NF }' | LC_ALL=C sort -u)
expected=$(grep -v -e '^#' -e '^$' "$list" | LC_ALL=C sort -u)
if [ "$actual" = "$expected" ]; then
  echo "$(wc -l <<<"$actual") symbols, as listed"
  exit 0
fi
echo "exported symbols of $library differ from $list" >&2
comm -13 <(echo "$expected") <(echo "$actual") | sed 's/^/  exported, not listed: /' >&2
comm -23 <(echo "$expected") <(echo "$actual") | sed 's/^/  listed, not exported: /' >&2
echo "(c++filt shows the C++ names; update the list only for an intended change of the ABI)" >&2
exit 1
