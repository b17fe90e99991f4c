#!/usr/bin/env bash
# Cross-builds a static libexpat for 64-bit Windows from Debian's own expat
# source package and installs it under the prefix given as $1.
# Debian ships no mingw build of expat, so the Windows deliverables get the
# same upstream release as the native build, built the same way.
set -euo pipefail

prefix=${1:?usage: build-expat-windows.sh INSTALL_PREFIX}
toolchain=${2:-$(cd "$(dirname "$0")" && pwd)/mingw-w64-x86_64.cmake}
if [ -f "$prefix/lib/cmake/expat-done" ]; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A private apt state with a deb-src line, so the machine's own lists stay as
# they are and no root rights are needed for the download.
mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial" "$work/src"
cat > "$work/apt/sources.list" <<SRC
deb-src http://deb.debian.org/debian bookworm main
SRC
aptopts=(-o "Dir::Etc::SourceList=$work/apt/sources.list"
         -o "Dir::Etc::SourceParts=-"
         -o "Dir::State::Lists=$work/apt/lists"
         -o "Dir::Cache=$work/apt/cache"
         -o "Debug::NoLocking=1"
         -o "APT::Sandbox::User=$(id -un)")
apt-get "${aptopts[@]}" -qq update
(cd "$work/src" && apt-get "${aptopts[@]}" -qq source --download-only expat)
dsc=$(ls "$work"/src/expat_*.dsc | head -n 1)
(cd "$work/src" && dpkg-source --no-check -x "$dsc" expat-src >/dev/null)

srcdir="$work/src/expat-src"
# Debian's 2.5.0 template leaves these two switches without a value, which
# breaks the cross build's feature tests.
sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/; s/^#cmakedefine XML_NS$/#cmakedefine XML_NS 1/' \
  "$srcdir/expat/expat_config.h.cmake"

cmake -S "$srcdir/expat" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF \
  -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF >/dev/null
cmake --build "$work/build" >/dev/null
cmake --install "$work/build" >/dev/null
touch "$prefix/lib/cmake/expat-done"
echo "expat for Windows installed in $prefix"
