#!/usr/bin/env bash
# Builds the Debian package of ZARVEX in a build folder of its own: a Release
# build of the game with Debian's usual compiler and linker flags (those of
# dpkg-buildflags, with every hardening feature on), packaged by CPack with
# the program stripped. The build folder keeps the unstripped program, with
# its debugging information, in bin/. Prints the path of the .deb.
#   scripts/build-package.sh [build-folder [cmake options...]]
# The folder defaults to build-deb; options such as -DZARVEX_HOMEPAGE=... or
# -DZARVEX_MAINTAINER=... go to cmake.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-build-deb}
shift || true
mkdir -p "$out"
out=$(cd "$out" && pwd)

# From the source folder, so that the file-prefix map of the flags writes
# paths relative to it into the debugging information.
cd "$src"
flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)
eval "$flags"
# The build folder is mapped as well (and after the source folder, so that
# it wins when it lies inside it): two builds in different folders make the
# same program, byte for byte, build-id included.
map="-ffile-prefix-map=$out=build"
CFLAGS="$CFLAGS $map"
CXXFLAGS="$CXXFLAGS $map"
# The package's time stamps: the last commit's, else the changelog's, never
# the time of the build.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$src" log -1 --format=%ct 2>/dev/null ||
    stat -c %Y "$src/packaging/changelog.in")
fi
export SOURCE_DATE_EPOCH

log="$out/build-package.log"
run() { "$@" >>"$log" 2>&1 || { tail -n 40 "$log" >&2; echo "build-package: failed: $*" >&2; exit 1; }; }
: >"$log"
# Given on every run (not only through the environment at the first
# configure), so that a folder configured before gets them too. CMake has no
# CPPFLAGS: they go in front of the compilers' flags.
run cmake -S "$src" -B "$out" -DCMAKE_BUILD_TYPE=Release -DZARVEX_TESTS=OFF -DZARVEX_BENCH=OFF \
  -DCMAKE_C_FLAGS="$CPPFLAGS $CFLAGS" -DCMAKE_CXX_FLAGS="$CPPFLAGS $CXXFLAGS" \
  -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" "$@"
run cmake --build "$out" --target zarvex zarvex_icons -j"$(nproc)"
rm -rf "$out/package"
(cd "$out" && run cpack -G DEB -B "$out/package")
ls "$out/package/"*.deb
