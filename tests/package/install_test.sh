#!/usr/bin/env bash
# Installs the build into a scratch prefix, builds the README's C++ and C
# examples against it (once through find_package, once through pkg-config)
# and runs them on the installed template database.
#   install_test.sh BUILD_DIR SOURCE_DIR WORK_DIR LIBDIR VERSION
set -euo pipefail
build=$1 source=$2 work=$3 libdir=$4 version=$5
fail() { echo "install test: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/app" "$work/pc-build"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install failed"; }
for f in "$libdir/libbelvora.so.${version%%.*}" "$libdir/libbelvora.so" "include/belvora/belvora.h" \
         "include/belvora/version.h" "$libdir/cmake/belvora/belvoraConfigVersion.cmake" \
         "$libdir/pkgconfig/belvora.pc" bin/Start share/belvora/VorlageDB.sqlite \
         share/belvora/sql/sqlite/01_xrechnung_tables.sql share/man/man1/Start.1.gz; do
  [ -e "$prefix/$f" ] || fail "$f was not installed"
done
soname=$(objdump -p "$prefix/$libdir/libbelvora.so" | awk '$1 == "SONAME" { print $2 }')
[ "$soname" = "libbelvora.so.${version%%.*}" ] || fail "SONAME is '$soname'"

# The examples exactly as the README shows them: the fenced block after
# each <!-- example: NAME --> line.
extract() {
  awk -v mark="<!-- example: $1 -->" '
    $0 == mark { want = 1; next }
    want && /^```/ { if (inside) exit; inside = 1; next }
    inside { print }' "$source/README.md"
}
for f in app.cpp app.c CMakeLists.txt pkg-config.sh; do
  extract "$f" >"$work/app/$f"
  [ -s "$work/app/$f" ] || fail "README.md has no example $f"
done

cmake -S "$work/app" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >"$work/consumer.log" 2>&1 &&
  cmake --build "$work/cmake-build" >>"$work/consumer.log" 2>&1 ||
  { cat "$work/consumer.log"; fail "the find_package example does not build"; }
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
[ "$(pkg-config --modversion belvora)" = "$version" ] || fail "pkg-config does not report $version"
cp "$work/app/app.cpp" "$work/app/app.c" "$work/pc-build/"
(cd "$work/pc-build" && bash -e "$work/app/pkg-config.sh") >"$work/pc.log" 2>&1 ||
  { cat "$work/pc.log"; fail "the pkg-config example does not build"; }

# The public headers compile cleanly for consumers with strict flags, old
# language levels and hidden visibility of their own.
(cd "$work/pc-build" &&
  for visibility in default hidden; do
    c++ -std=c++11 -Wall -Wextra -pedantic -Werror -fvisibility=$visibility -c app.cpp \
      -o strict.o $(pkg-config --cflags belvora) || exit 1
  done &&
  cc -std=c99 -Wall -Wextra -pedantic -Werror -c app.c -o strict_c.o $(pkg-config --cflags belvora)) \
  >"$work/strict.log" 2>&1 || { cat "$work/strict.log"; fail "the headers warn in a consumer's build"; }

# A newer major version than installed is refused.
mkdir -p "$work/too-new"
printf 'cmake_minimum_required(VERSION 3.16)\nproject(n NONE)\nfind_package(belvora 4 REQUIRED)\n' \
  >"$work/too-new/CMakeLists.txt"
if cmake -S "$work/too-new" -B "$work/too-new/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null 2>&1; then
  fail "find_package(belvora 4) accepted version $version"
fi

export LD_LIBRARY_PATH=$prefix/$libdir BELVORA_UI=console XDG_CONFIG_HOME=$work/config
for program in "$work/cmake-build/app" "$work/cmake-build/app_c" "$work/pc-build/app" "$work/pc-build/app_c"; do
  name=$(basename "$(dirname "$program")")-$(basename "$program")
  cp "$prefix/share/belvora/VorlageDB.sqlite" "$work/$name.sqlite"
  out=$("$program" "$work/$name.sqlite" "$work/$name.xml" 2>"$work/$name.err") ||
    { cat "$work/$name.err"; fail "$name failed"; }
  [ "$out" = "belvora $version: written $work/$name.xml" ] || fail "$name printed '$out'"
  grep -q '<ram:ID>252068</ram:ID>' "$work/$name.xml" || fail "$name wrote no invoice 252068"
done
echo "installed, consumed through find_package and pkg-config, examples ran"
