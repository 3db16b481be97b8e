#!/usr/bin/env bash
# Checks the installed tree and the Debian package made from a build folder:
# the layout (binary, sounds, the bin symlink, desktop entry, icons,
# metainfo), that the desktop entry and the metainfo validate, and that the
# game starts from the installed tree and from the unpacked package.
#   scripts/check-package.sh <build-folder>
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "check-package: $*" >&2; exit 1; }

# The game must come up and keep running (timeout ends it: status 124).
starts() {
  local exe=$1 status=0
  XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen timeout 3 "$exe" >/dev/null 2>&1 || status=$?
  [ "$status" -eq 124 ] || fail "$exe did not keep running (status $status)"
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
p="$work/prefix"
[ -x "$p/lib/zarvex/bin/zarvex" ] || fail "no binary in lib/zarvex/bin"
[ "$(ls "$p/lib/zarvex/Resources/"*.wav | wc -l)" -eq 15 ] || fail "not fifteen sounds in lib/zarvex/Resources"
[ "$(readlink "$p/bin/zarvex")" = "../lib/zarvex/bin/zarvex" ] || fail "bin/zarvex is not the relative symlink"
[ -f "$p/share/applications/org.zarvex.Zarvex.desktop" ] || fail "no desktop entry"
[ -f "$p/share/metainfo/org.zarvex.Zarvex.metainfo.xml" ] || fail "no metainfo"
for size in 32 48 64 128 256; do
  [ -f "$p/share/icons/hicolor/${size}x${size}/apps/org.zarvex.Zarvex.png" ] || fail "no ${size}px icon"
done
desktop-file-validate "$p/share/applications/org.zarvex.Zarvex.desktop"
appstreamcli validate --no-net --explain "$p/share/metainfo/org.zarvex.Zarvex.metainfo.xml" >/dev/null ||
  fail "the metainfo does not validate"
starts "$p/bin/zarvex"

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work/deb/"*.deb)
info=$(dpkg-deb --info "$deb")
grep -q "Depends: .*libqt6widgets6" <<<"$info" || fail "the package does not depend on Qt"
dpkg-deb -x "$deb" "$work/unpacked"
[ "$(readlink "$work/unpacked/usr/bin/zarvex")" = "../lib/zarvex/bin/zarvex" ] || fail "package: no bin symlink"
starts "$work/unpacked/usr/bin/zarvex"
echo "check-package: install tree and $(basename "$deb") are complete and start"
