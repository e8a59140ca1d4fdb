#!/usr/bin/env bash
# Installs what the suite needs to build and test on Debian 12. Safe to run again.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl1-mesa-dev
  libxlsxwriter-dev
  libsqlite3-dev sqlite3 libpq-dev
  postgresql  # the database tests start a throwaway server of their own
  libgtest-dev libgmock-dev libbenchmark-dev
  lintian desktop-file-utils poppler-utils fakeroot dpkg-dev file
  clang clang-format libclang-rt-14-dev
  python3 python3-openpyxl python3-pandas  # pandas: the manual's loading examples
  xvfb xauth
  time
  # The Windows build of the command lines, and Wine to test it; GoogleTest's
  # sources (googletest) are cross-built for its tests.
  g++-mingw-w64-x86-64-posix wine64 googletest
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
