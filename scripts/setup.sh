#!/usr/bin/env bash
# Installs what building and testing the package needs, from Debian's
# packages only. Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libexpat1-dev libgtest-dev libgmock-dev googletest libbenchmark-dev
  libpugixml-dev libtinyxml2-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64
  dpkg-dev xz-utils ca-certificates locales valgrind python3
  osslsigncode openssl ansible
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
