#!/usr/bin/env bash
# Builds the Debian packages, checks their dependencies and lintian's
# verdict, unpacks them into a scratch root and runs the installed Start on
# the installed template database.
#   package_test.sh BUILD_DIR WORK_DIR VERSION
set -euo pipefail
build=$1 work=$2 version=$3
fail() { echo "package test: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/root"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/debs" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
arch=$(dpkg --print-architecture)
deb() { echo "$work/debs/${1}_${version}-1_$arch.deb"; }
for p in libbelvora3 libbelvora-dev belvora-tools; do
  [ -f "$(deb $p)" ] || fail "no package $p (cpack made: $(ls "$work/debs"))"
done

depends() { dpkg-deb -f "$(deb "$1")" Depends; }
for lib in libqpdf libxml2 libodbc libsqlite3 libssl; do
  depends libbelvora3 | grep -q "$lib" || fail "libbelvora3 does not depend on $lib: $(depends libbelvora3)"
done
for p in libbelvora-dev belvora-tools; do
  depends $p | grep -qF "libbelvora3 (= $version-1)" || fail "$p does not depend on libbelvora3: $(depends $p)"
done
dpkg-deb -c "$(deb libbelvora3)" | grep -q '/libbelvora\.so$' && fail "libbelvora3 holds the development link"

# Errors fail; warnings and notes are shown.
lintian --fail-on error --tag-display-limit 0 "$work"/debs/*.deb >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log"; fail "lintian reports errors"; }
cat "$work/lintian.log"

for p in libbelvora3 libbelvora-dev belvora-tools; do dpkg-deb -x "$(deb $p)" "$work/root"; done
root=$work/root
libdir=$(dirname "$(find "$root" -name "libbelvora.so.${version%%.*}")")
export LD_LIBRARY_PATH=$libdir BELVORA_UI=console XDG_CONFIG_HOME=$work/config
[ -f "$root/usr/share/man/man1/Start.1.gz" ] || fail "no manual page for Start"
"$root/usr/bin/Start" --help >"$work/help.txt" || fail "Start --help ended non-zero"
grep -q '^Aufruf: Start' "$work/help.txt" || fail "Start --help printed no usage"
[ "$("$root/usr/bin/Start" --version)" = "Start $version (libbelvora $version)" ] ||
  fail "Start --version printed '$("$root/usr/bin/Start" --version)'"

cp "$root/usr/share/belvora/VorlageDB.sqlite" "$work/erp.sqlite"
"$root/usr/bin/Start" "action=erstellen|outputxml=$work/RG252068.xml|connect=Data Source=$work/erp.sqlite|sql=Select * from VorlageXRechnung|sqlparam=252068|usesqlparam=FALSE|table=tblDocuments" \
  2>"$work/start.err" || { cat "$work/start.err"; fail "the installed Start failed"; }
grep -q '<ram:ID>252068</ram:ID>' "$work/RG252068.xml" || fail "the installed Start wrote no invoice"
echo "packages built, lintian clean of errors, installed Start created invoice 252068"
