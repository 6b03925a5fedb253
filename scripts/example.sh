#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and creates invoice 252068 from
# the template database through the launcher; prints the written file's path.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
bash scripts/setup.sh

# The same build folder and type as the test command, so that one reuses it.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBELVORA_BUILD_TESTS=OFF \
  -DBELVORA_BUILD_BENCH=OFF -DBELVORA_SANITIZE=OFF -Wno-dev >/dev/null
cmake --build build -j"$(nproc)"

mkdir -p "$repo/out"
export BELVORA_UI=console
# A run before this one left the file: replace it instead of keeping it.
export BELVORA_ANSWER=yes
build/launcher/Start "action=erstellen|outputxml=$repo/out/RG252068.xml|connect=Data Source=$repo/build/testprog/source/VorlageDB.sqlite|sql=Select * from VorlageXRechnung|sqlparam=252068|usesqlparam=FALSE|table=tblDocuments"
echo "$repo/out/RG252068.xml"
