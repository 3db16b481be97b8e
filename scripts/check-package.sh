#!/usr/bin/env bash
# Checks the installed tree of a build folder and the Debian package:
# - the install tree: the layout (program, sounds, the games/ link, desktop
#   entry, icons, metainfo, manual page, copyright file, changelog), that the
#   desktop entry and the metainfo validate, and that the desktop entry's
#   command starts the game;
# - the package, built by scripts/build-package.sh in <build-folder>/deb with
#   the same homepage and maintainer: lintian reports no error and no warning,
#   its fields and contents are complete (the copyright file names
#   miniaudio, which the program contains, with its licenses; the description
#   reads as written), the program in it is stripped and starts from the
#   unpacked package, and a second package built in another folder is the
#   same file byte for byte.
#   scripts/check-package.sh <build-folder>
# Needs lintian, appstream, desktop-file-utils, dpkg-dev, file and man-db
# (scripts/install-deps.sh --test installs them).
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "check-package: $*" >&2; exit 1; }

# The game must come up and keep running (timeout ends it: status 124).
starts() {
  local status=0
  XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen timeout 3 "$@" >/dev/null 2>&1 || status=$?
  [ "$status" -eq 124 ] || fail "$* did not keep running (status $status)"
}

cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
homepage=$(cached ZARVEX_HOMEPAGE)
maintainer=$(cached ZARVEX_MAINTAINER)
if [ -z "$homepage" ] || [ -z "$maintainer" ]; then
  fail "$build is not a configured ZARVEX build folder"
fi

# Prints appstreamcli's findings; fails on anything above an informational
# remark (errors E:, warnings W:; infos I: and pedantic remarks P: pass).
validate_metainfo() {
  local out status=0
  out=$(appstreamcli validate --pedantic --no-net "$1" 2>&1) || status=$?
  echo "$out"
  if grep -q '^[EW]:' <<<"$out" || [ "$status" -ne 0 ]; then
    fail "the metainfo does not validate cleanly"
  fi
}

# --- the install tree ---
cmake --install "$build" --prefix "$work/prefix" >/dev/null
p="$work/prefix"
[ -x "$p/lib/zarvex/bin/zarvex" ] || fail "no program in lib/zarvex/bin"
[ "$(ls "$p/share/games/zarvex/"*.wav | wc -l)" -eq 15 ] || fail "not fifteen sounds in share/games/zarvex"
[ "$(readlink "$p/lib/zarvex/Resources")" = "../../share/games/zarvex" ] ||
  fail "lib/zarvex/Resources is not the relative link to share/games/zarvex"
[ "$(readlink "$p/games/zarvex")" = "../lib/zarvex/bin/zarvex" ] || fail "games/zarvex is not the relative link"
[ ! -e "$p/bin/zarvex" ] || fail "bin/zarvex is installed as well"
desktop="$p/share/applications/org.zarvex.Zarvex.desktop"
metainfo="$p/share/metainfo/org.zarvex.Zarvex.metainfo.xml"
for f in "$desktop" "$metainfo" "$p/share/man/man6/zarvex.6.gz" \
  "$p/share/doc/zarvex/copyright" "$p/share/doc/zarvex/changelog.gz"; do
  [ -f "$f" ] || fail "no ${f#"$p/"}"
done
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$p/share/icons/hicolor/${size}x${size}/apps/org.zarvex.Zarvex.png" ] || fail "no ${size}px icon"
done
desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
echo "check-package: desktop-file-validate: the desktop entry is valid"
echo "check-package: appstreamcli validate --pedantic --no-net:"
validate_metainfo "$metainfo"
grep -qF "<url type=\"homepage\">$homepage</url>" "$metainfo" || fail "the metainfo does not name $homepage"
grep -q "<project_license>MIT</project_license>" "$metainfo" || fail "the metainfo does not name the MIT license"

# Start the game the way a desktop does: the entry's command, field codes
# (%f, %U, ...) dropped.
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | sed -E 's/ ?%[a-zA-Z]//g')
[ "$exec_line" = "$p/games/zarvex" ] || fail "the desktop entry runs '$exec_line', not $p/games/zarvex"
# shellcheck disable=SC2086  # the command line as the desktop splits it
starts $exec_line

# --- the package ---
# One set of time stamps for both packages built below, even if a commit
# lands in between.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$scripts/.." log -1 --format=%ct 2>/dev/null ||
    stat -c %Y "$scripts/../packaging/changelog.in")
  export SOURCE_DATE_EPOCH
fi
deb=$("$scripts/build-package.sh" "$build/deb" -DZARVEX_HOMEPAGE="$homepage" -DZARVEX_MAINTAINER="$maintainer")
echo "check-package: lintian --display-info --display-experimental --pedantic $(basename "$deb"):"
lint=$(lintian --display-info --display-experimental --pedantic --show-overrides "$deb" 2>&1 |
  grep -v '^running with root privileges' || true)
if [ -n "$lint" ]; then echo "$lint"; fi
if grep -q '^[EW]:' <<<"$lint"; then
  fail "lintian reports errors or warnings on $(basename "$deb")"
fi

info=$(dpkg-deb --field "$deb")
field() { sed -n "s/^$1: //p" <<<"$info"; }
grep -q "libqt6widgets6" <<<"$(field Depends)" || fail "the package does not depend on Qt"
grep -q "fonts-dejavu-core" <<<"$(field Depends)" || fail "the package does not depend on a font"
grep -q "libsdl2-2.0-0" <<<"$(field Depends)" || fail "the package does not depend on SDL2 (game controllers)"
[ "$(field Maintainer)" = "$maintainer" ] || fail "the package's maintainer is not $maintainer"
[ "$(field Homepage)" = "$homepage" ] || fail "the package's homepage is not $homepage"
[ "$(field Section)" = games ] || fail "the package is not in section games"
[ "$(dpkg-deb --field "$deb" Description | wc -l)" -gt 2 ] || fail "the package has no extended description"
# The extended description is packaging/description.txt as written: no
# markup escapes, paragraphs kept.
described=$(dpkg-deb --field "$deb" Description | tail -n +2 | sed 's/^ //; s/^\.$//')
[ "$described" = "$(cat "$scripts/../packaging/description.txt")" ] ||
  fail "the package's description is not packaging/description.txt as written: $described"

u="$work/unpacked"
dpkg-deb -x "$deb" "$u"
[ "$(readlink "$u/usr/games/zarvex")" = "../lib/zarvex/bin/zarvex" ] || fail "package: no /usr/games link"
[ ! -e "$u/usr/bin/zarvex" ] || fail "package: /usr/bin/zarvex is there as well"
[ "$(ls "$u/usr/lib/zarvex/Resources/"*.wav | wc -l)" -eq 15 ] || fail "package: not fifteen sounds"
file -L "$u/usr/games/zarvex" | grep -q ', stripped' || fail "package: the program is not stripped"
file "$build/deb/bin/zarvex" | grep -q 'with debug_info, not stripped' ||
  fail "the package's build folder lost the unstripped program"
desktop-file-validate "$u/usr/share/applications/org.zarvex.Zarvex.desktop" ||
  fail "package: the desktop entry does not validate"
[ "$(sed -n 's/^Exec=//p' "$u/usr/share/applications/org.zarvex.Zarvex.desktop")" = /usr/games/zarvex ] ||
  fail "package: the desktop entry does not run /usr/games/zarvex"
head -n 1 "$u/usr/share/doc/zarvex/copyright" |
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "package: the copyright file is not machine-readable"
# The program contains miniaudio: the copyright file names it, its author
# and both of its licenses, with their texts.
copyright="$u/usr/share/doc/zarvex/copyright"
for line in '^Files: miniaudio.h$' '^Copyright: [0-9]* *David Reid' '^License: Unlicense or MIT-0$' \
  '^License: Unlicense$' '^License: MIT-0$' 'miniaudio [0-9.]*, the sound' 'released into the public domain'; do
  grep -q "$line" "$copyright" || fail "package: the copyright file lacks '$line'"
done
[ "$(readlink "$u/usr/lib/zarvex/Resources")" = "../../share/games/zarvex" ] ||
  fail "package: usr/lib/zarvex/Resources is not the link to usr/share/games/zarvex"
[ "$("$u/usr/games/zarvex" --version)" = "zarvex 1.01" ] || fail "package: --version does not print 'zarvex 1.01'"
starts "$u/usr/games/zarvex"

# Reproducible: the same package from a build in another folder.
again=$("$scripts/build-package.sh" "$work/again" -DZARVEX_HOMEPAGE="$homepage" -DZARVEX_MAINTAINER="$maintainer")
if ! cmp -s "$deb" "$again"; then
  dpkg-deb -x "$again" "$work/unpacked-again"
  diff -r "$u" "$work/unpacked-again" >&2 || true
  diff <(dpkg-deb -I "$deb"; dpkg-deb -c "$deb") <(dpkg-deb -I "$again"; dpkg-deb -c "$again") >&2 || true
  fail "a package built in another folder differs from $(basename "$deb")"
fi
echo "check-package: install tree and $(basename "$deb") are complete, lintian-clean, start, and build again byte for byte"
