#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (run as root or with sudo).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev sqlite3 unixodbc unixodbc-dev odbc-postgresql libsqliteodbc
  libxml2-dev libxml2-utils libqpdf-dev qpdf libssl-dev
  libcurl4-openssl-dev openssl python3-aiosmtpd
  qt6-base-dev fonts-dejavu-core
  postgresql
  default-jre-headless libsaxonhe-java
  clang libclang-rt-14-dev clang-format
  dpkg-dev file lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
