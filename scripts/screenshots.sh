#!/usr/bin/env bash
# Pictures of the windows for the documentation: each window opens on a
# private Xvfb display and is saved as docs/screenshots/<name>.png.
#   bash scripts/screenshots.sh            (build folder: build, or $BUILD_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

tools=(xvfb xauth xdotool imagemagick)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build=${BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -Wno-dev >/dev/null
cmake --build "$build" --target Start Trivex belvora belvora_template_db

out=docs/screenshots
mkdir -p "$out"
work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A template invoice to look at, in a private copy of the template database.
cp "$build/testprog/source/VorlageDB.sqlite" "$work/erp.sqlite"
BELVORA_UI=console XDG_CONFIG_HOME="$work/config" "$build/launcher/Start" \
  "action=erstellen|outputxml=$work/252068.xml|connect=Data Source=$work/erp.sqlite|sql=Select * from VorlageXRechnung|sqlparam=252068|usesqlparam=FALSE|table="

# A free display of our own.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
export BELVORA_UI=qt XDG_CONFIG_HOME="$work/config" LANG=C.UTF-8

app_pid=""
# start TITLE COMMAND...: runs the command and waits for its window.
start() {
  local title=$1
  shift
  "$@" >/dev/null 2>&1 &
  app_pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^${title}\$" | head -1)
  [ -n "$window" ] || { echo "no window \"$title\"" >&2; exit 1; }
  sleep 1
}
shot() {
  import -window "$window" "$out/$1.png"
  echo "$out/$1.png"
}
stop() {
  kill "$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
}
keys() {
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --delay 100 "$@"
  sleep 1
}

einlesen() {
  echo "action=einlesen|inputxml=$work/252068.xml|connect=Data Source=$work/erp.sqlite|table=tblDocuments|language=$1|askimport=FALSE"
}

start "Eingangsrechnung 252068" "$build/launcher/Start" "$(einlesen DE)"
shot viewer-de
keys alt+l alt+x
shot viewer-xml
stop

start "Incoming invoice 252068" "$build/launcher/Start" "$(einlesen GB)"
shot viewer-gb
stop

# The library's dialogs through the C ABI, as a script would open them.
abi() {
  python3 - "$build/library/libbelvora.so" "$1" <<'EOF'
import ctypes, sys
lib = ctypes.CDLL(sys.argv[1])
lib.belvora_create.restype = ctypes.c_void_p
o = ctypes.c_void_p(lib.belvora_create(b"belvora.clsXRechnung"))
if sys.argv[2] == "parameter":
    lib.belvora_ShowParameter(o, b"Data Source=/srv/erp/erp.sqlite", b"Select * from VorlageXRechnung",
                              b"/srv/erp/out/RG252068.xml", ctypes.c_int16(-1), b"/srv/erp/Anlage.pdf",
                              b"tblDocuments", ctypes.c_int16(-1))
elif sys.argv[2] == "about":
    lib.belvora_ShowAbout(o)
lib.belvora_release(o)
EOF
}

start "Parameter" abi parameter
shot parameter
stop

start "About" abi about
shot about
stop

start "Support" "$build/launcher/Start" "action=support|supportmail=support@belvora.example.org"
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool type --delay 20 "Erika Musterfrau"
xdotool key Tab Tab Tab
xdotool type --delay 20 "Die Rechnung 252068 wird vom Portal abgelehnt."
sleep 1
shot support
stop

start "Hinweis" "$build/launcher/Start"
shot usage
stop

start "DLL-Setup" "$build/testprog/Trivex"
shot trivex
stop
