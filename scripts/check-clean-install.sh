#!/usr/bin/env bash
# Installs the Debian package into a clean Debian 12 root and checks that the
# game works as installed, the way a player gets it:
#  1. debootstrap makes a minimal Debian 12 root (plus ALSA's library, which
#     every desktop has) with a player account, in a folder of its own, from
#     the Debian mirror that this machine's apt sources name;
#  2. `apt-get install ./zarvex_*.deb` inside it pulls in every runtime
#     dependency (Qt, the font);
#  3. /usr/games/zarvex keeps running on the offscreen platform and opens its
#     fifteen sounds and a font (seen with strace);
#  4. under Xvfb, driven with xdotool like a player (SPACE, SPACE, ESC, then
#     Return in the name box), the game writes its Hall of Fame into the XDG
#     data home, and quits with Ctrl+Q, status 0;
#  5. `apt-get remove` leaves none of the package's files, and purging it with
#     the dependencies it brought leaves the root as it was before, but for
#     the player's own data.
# It needs root (it asks sudo for it), a few minutes and the network to the
# Debian archive, so ./test.sh does not run it.
#   scripts/check-clean-install.sh [zarvex_*.deb]
# Without a package it builds one with scripts/build-package.sh (build-deb/).
# The root is made in a new folder /var/tmp/zarvex-clean-root.* and removed
# at the end; ZARVEX_KEEP_CLEAN_ROOT=1 keeps it for a look.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
say() { echo "clean-install: $*"; }
fail() { echo "clean-install: FAILED: $*" >&2; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
  "$src/scripts/install-deps.sh" --clean-root
  deb=${1:-$("$src/scripts/build-package.sh" "$src/build-deb")}
  exec sudo env ZARVEX_KEEP_CLEAN_ROOT="${ZARVEX_KEEP_CLEAN_ROOT:-0}" "$0" "$(realpath "$deb")"
fi
"$src/scripts/install-deps.sh" --clean-root
deb=$(realpath "${1:-$("$src/scripts/build-package.sh" "$src/build-deb")}")
[ -f "$deb" ] || fail "no package $deb"

root=$(mktemp -d /var/tmp/zarvex-clean-root.XXXXXX)
chmod 755 "$root"  # the root folder of the root: everyone may enter it
work=$(mktemp -d)
xvfb_pid="" wm_pid="" game_pid=""

# shellcheck source=scripts/clean-root-lib.sh
. "$src/scripts/clean-root-lib.sh"
cleanup() {
  local pid
  for pid in "$game_pid" "$wm_pid" "$xvfb_pid"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  done
  finish_root
}
trap cleanup EXIT

in_root() { chroot "$root" "$@"; }
# The player's programs: their own account, a clean environment, and the
# XDG data home in a folder of its own to show that the game honours it.
player_env=(
  env -i HOME=/home/player USER=player LOGNAME=player PATH=/usr/local/bin:/usr/bin:/bin:/usr/games
  XDG_DATA_HOME=/home/player/data XDG_RUNTIME_DIR=/home/player/run LANG=C.UTF-8
)
# shellcheck disable=SC2016  # dpkg-query's own ${fields}
packages_in_root() { in_root dpkg-query -W -f '${db:Status-Abbrev} ${Package} ${Version}\n' | grep '^ii' | sort; }
as_player() { chroot --userspec=player:player "$root" "${player_env[@]}" "$@"; }

# --- 1. the clean root ---
say "debootstrap: a minimal Debian 12 root in $root (takes minutes)"
make_root bookworm libasound2
in_root apt-get -q update >"$work/update.log" 2>&1 || { tail -n 20 "$work/update.log" >&2; fail "apt-get update in the root"; }
in_root useradd --create-home --comment "Zed Player" --shell /bin/sh player
# The player's own set-up: the root has no sound card, so ALSA's default
# device is the null device; the game opens it like any other and loads its
# sounds. The runtime folder is what a login session would give.
printf 'pcm.!default { type null }\nctl.!default { type hw card 0 }\n' >"$root/home/player/.asoundrc"
in_root install -d -m 700 -o player -g player /home/player/run
in_root chown player:player /home/player/.asoundrc

# Everything but the kernel's file systems, /tmp, the player's home, and
# apt's and dpkg's logs, backups and caches.
skip=(\( -path ./proc -o -path ./dev -o -path ./sys -o -path ./run -o -path ./tmp -o -path ./home/player
  -o -path ./var/log -o -path ./var/cache/apt -o -path ./var/cache/debconf -o -path ./var/cache/ldconfig
  -o -path ./var/lib/apt/extended_states -o -name '*-old' \) -prune)
# The state of the root: every path with its type, mode, owner and link
# target; every file's checksum; the installed packages.
snapshot() {
  (cd "$root" && find . -xdev "${skip[@]}" -o -printf '%p %y %m %u:%g %l\n' | sort) >"$1.tree"
  (cd "$root" && find . -xdev "${skip[@]}" -o -type f -print0 | sort -z | xargs -0 sha256sum | sort) >"$1.sums"
  packages_in_root >"$1.packages"
}
# Paths, outside the player's home, that are named after the game or whose
# content mentions it.
traces() {
  (cd "$root" && find . -xdev "${skip[@]}" -o -iname '*zarvex*' -print)
  (cd "$root" && { find . -xdev "${skip[@]}" -o -type f -print0 | xargs -0 grep -lis zarvex || true; })
}
snapshot "$work/before"
say "the root has $(wc -l <"$work/before.packages") packages, from the Debian mirror of this machine's apt sources"

# --- 2. install the package as a player would ---
name=$(basename "$deb")
cp "$deb" "$root/tmp/$name"
chmod 644 "$root/tmp/$name"
in_root sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y -q ./$name" >"$work/install.log" 2>&1 ||
  { tail -n 30 "$work/install.log" >&2; fail "apt-get install ./$name"; }
packages_in_root >"$work/installed.packages"
pulled=$(comm -13 "$work/before.packages" "$work/installed.packages" | awk '{print $2}')
say "apt-get install ./$name: $(wc -l <<<"$pulled") packages new in the root, among them" \
  "$(grep -E '^(zarvex|libqt6widgets6|libqt6gui6|libqt6core6|fonts-dejavu-core|libfontconfig1|libxcb1)$' <<<"$pulled" | tr '\n' ' ')"
for p in zarvex libqt6widgets6 fonts-dejavu-core; do
  grep -qx "$p" <<<"$pulled" || fail "the install did not bring $p"
done
in_root dpkg -L zarvex | sort >"$work/zarvex.files"
snapshot "$work/installed"
[ "$(readlink -f "$root/usr/games/zarvex")" = "$root/usr/lib/zarvex/bin/zarvex" ] ||
  fail "/usr/games/zarvex does not lead to /usr/lib/zarvex/bin/zarvex"

# --- 3. offscreen: it runs, finds its sounds and a font ---
status=0
strace -f -qq -e trace=openat,open -e status=successful -o "$work/strace.log" \
  chroot --userspec=player:player "$root" "${player_env[@]}" QT_QPA_PLATFORM=offscreen \
  timeout 6 /usr/games/zarvex >"$work/offscreen.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || { cat "$work/offscreen.log" >&2; fail "/usr/games/zarvex did not keep running (status $status)"; }
sounds=$(grep -oE '"/usr/lib/zarvex/(bin/\.\./)?Resources/[a-z0-9_]+\.wav"' "$work/strace.log" |
  grep -oE '[a-z0-9_]+\.wav' | sort -u)
fonts=$(grep -oE '"/usr/share/fonts/[^"]+\.(ttf|otf|pfb|pcf|pcf\.gz)"' "$work/strace.log" | tr -d '"' | sort -u |
  xargs -r -n1 basename | tr '\n' ' ')
say "offscreen: /usr/games/zarvex kept running 6 s and opened $(wc -w <<<"$sounds") sounds from" \
  "/usr/lib/zarvex/Resources/ and the fonts ${fonts:-(none)}"
[ "$(wc -w <<<"$sounds")" -eq 15 ] || fail "the game did not open its fifteen sounds: $(tr '\n' ' ' <<<"$sounds")"
[ -n "$fonts" ] || fail "the game opened no font"

# --- 4. a game under Xvfb, driven like a player, ends in the Hall of Fame ---
start_x 1280x1024
display=$DISPLAY

as_player DISPLAY="$display" /usr/games/zarvex >"$work/game.log" 2>&1 &
game_pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^ZARVEX v1\.01$' | head -n 1) ||
  fail "no game window appeared"
press() {
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || xdotool windowfocus --sync "$wid"
  xdotool key --clearmodifiers "$1"
  sleep "${2:-1}"
}
sleep 2
press space 2   # the title: start a game
press space 2   # the sector panel: begin the wave
press Escape 1  # end the game
box=$(timeout 60 xdotool search --sync --onlyvisible --name 'HIGH SCORE UNLOCKED' | head -n 1) ||
  fail "the game did not ask for a name for the Hall of Fame"
xdotool windowactivate --sync "$box" >/dev/null 2>&1 || xdotool windowfocus --sync "$box"
xdotool key Return  # take the suggested name, the player's full name
scores="$root/home/player/data/zvx_highscores.dat"
for _ in $(seq 50); do [ -s "$scores" ] && break; sleep 0.2; done
[ -s "$scores" ] || fail "no Hall of Fame in the XDG data home"
grep -qa "Zed Player" "$scores" || fail "the Hall of Fame does not hold the player's name"
say "under Xvfb: SPACE, SPACE, ESC and Return in \"HIGH SCORE UNLOCKED!\" wrote" \
  "/home/player/data/zvx_highscores.dat (XDG_DATA_HOME), $(stat -c %s "$scores") bytes, with \"Zed Player\""
sleep 1
press ctrl+q 0
status=0
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.2; done
wait "$game_pid" || status=$?
game_pid=""
[ "$status" -eq 0 ] || { cat "$work/game.log" >&2; fail "the game did not quit with status 0 (status $status)"; }
say "Ctrl+Q quit the game with status 0"
kill "$wm_pid" "$xvfb_pid" 2>/dev/null || true
wait "$wm_pid" "$xvfb_pid" 2>/dev/null || true
wm_pid="" xvfb_pid=""

# --- 5. remove, then purge with what it brought: nothing left ---
in_root env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q zarvex >"$work/remove.log" 2>&1 ||
  { tail -n 20 "$work/remove.log" >&2; fail "apt-get remove zarvex"; }
snapshot "$work/removed"
left=$(traces | tr '\n' ' ')
[ -z "$left" ] || fail "after apt-get remove zarvex these still have the game's name in them: $left"
# Since the install, nothing has appeared or changed outside the player's
# home (playing wrote nowhere else), and nothing has gone but the package's
# own paths, dpkg's records of it, what lay in its own folders, and the
# caches that triggers keep for folders it used (hicolor's icon cache).
new=$(comm -13 "$work/installed.tree" "$work/removed.tree")
[ -z "$new" ] || fail "new since the install, outside the player's home: $new"
gone=$(comm -23 "$work/installed.tree" "$work/removed.tree" | awk '{print substr($1, 2)}')
gone_dirs=$(comm -23 "$work/installed.tree" "$work/removed.tree" | awk '$2 == "d" {print substr($1, 2) "/"}')
while read -r f; do
  [ -n "$f" ] || continue
  grep -qxF "$f" "$work/zarvex.files" && continue
  [[ $f == /var/lib/dpkg/info/zarvex.* ]] && continue
  [[ $f == *.cache ]] && grep -qxF "$(dirname "$f")" "$work/zarvex.files" && continue
  while read -r d; do [ -n "$d" ] && [[ $f == "$d"* ]] && continue 2; done <<<"$gone_dirs"
  fail "apt-get remove zarvex took away $f, which is not the package's"
done <<<"$gone"
say "apt-get remove zarvex: no file, link or folder of it is left, nothing outside the player's home" \
  "mentions it or appeared since the install"

# The package has no configuration files, so nothing of it is left to
# purge (dpkg says so when asked); the packages it brought go with
# autoremove.
{ in_root dpkg --purge zarvex &&
  in_root env DEBIAN_FRONTEND=noninteractive apt-get autoremove --purge -y -q; } >"$work/purge.log" 2>&1 ||
  { tail -n 20 "$work/purge.log" >&2; fail "dpkg --purge zarvex; apt-get autoremove --purge"; }
snapshot "$work/after"
diff -u "$work/before.packages" "$work/after.packages" >&2 ||
  fail "after apt-get autoremove --purge the root's packages differ from the clean root's"
[ -z "$(comm -23 "$work/before.tree" "$work/after.tree")" ] || fail "paths of the clean root went missing"
left=$(traces | tr '\n' ' ')
[ -z "$left" ] || fail "after the purge these have the game's name in them: $left"
# What still differs from the clean root must have come with the install
# itself. zarvex has no maintainer scripts, so that is the work of the
# Debian packages that came in as its dependencies (systemd and D-Bus add
# system users and a machine id, and leave them on purge).
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qvE '^\./(control|md5sums)?$' &&
  fail "the package has maintainer scripts"
residue=$( { comm -13 "$work/before.tree" "$work/after.tree" | awk '{print $1}'
  comm -13 "$work/before.sums" "$work/after.sums" | awk '{print $2}'; } | sort -u)
installed_changes=$( { comm -13 "$work/before.tree" "$work/installed.tree" | awk '{print $1}'
  comm -13 "$work/before.sums" "$work/installed.sums" | awk '{print $2}'; } | sort -u)
stray=$(comm -23 <(echo "$residue") <(echo "$installed_changes") | sed '/^$/d')
[ -z "$stray" ] || fail "differs from the clean root, and not from the dependencies' installation: $stray"
say "apt-get autoremove --purge: the same $(wc -l <"$work/after.packages") packages as the clean root, nothing" \
  "mentions the game; left from the dependencies' own installation: $(tr '\n' ' ' <<<"$residue" | sed 's|\./|/|g')"
say "the player's own data stays in /home/player:" \
  "$(cd "$root/home/player" && find . -type f ! -name .asoundrc ! -name '.bash*' ! -name .profile | sort | tr '\n' ' ')"
say "all checks passed"
