#!/usr/bin/env bash
# Tries the README's commands on a fresh machine, as a new player would:
#  1. debootstrap makes a minimal Debian root (12 by default) in a folder of
#     its own, from the Debian mirror that this machine's apt sources name;
#  2. the checkout's files (what git tracks, as they are now) are copied in;
#  3. ./play.sh runs there as root, under an X server (Xvfb, openbox) of
#     this machine: it must install what playing needs, build the game and
#     show the game's window with its first frame (the title screen);
#  4. Ctrl+Q closes the game, and play.sh ends with status 0.
# With --test it then runs ./test.sh in the same root (all of it, unless
# ZARVEX_SKIP_SANITIZERS / ZARVEX_SKIP_FUZZ / ZARVEX_FUZZ_SECONDS say
# otherwise, as on any machine).
# It needs root (it asks sudo for it), the network to Debian's archive and a
# few minutes (the game's build is most of them). A download that fails is
# tried once more. The root is removed at the end;
# ZARVEX_KEEP_CLEAN_ROOT=1 keeps it for a look.
#   scripts/check-fresh-machine.sh [--debian 12|13] [--test]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
say() { echo "fresh-machine: $*"; }
fail() { echo "fresh-machine: FAILED: $*" >&2; exit 1; }

release=12 run_tests=0
while [ $# -gt 0 ]; do
  case $1 in
    --debian) release=${2:-}; shift 2 ;;
    --test) run_tests=1; shift ;;
    *) echo "usage: scripts/check-fresh-machine.sh [--debian 12|13] [--test]" >&2; exit 2 ;;
  esac
done
case $release in
  12 | 13) ;;
  *) echo "fresh-machine: no Debian release '$release' (use 12 or 13)" >&2; exit 2 ;;
esac

if [ "$(id -u)" -ne 0 ]; then
  exec sudo env ZARVEX_KEEP_CLEAN_ROOT="${ZARVEX_KEEP_CLEAN_ROOT:-0}" \
    ZARVEX_SKIP_SANITIZERS="${ZARVEX_SKIP_SANITIZERS:-0}" ZARVEX_SKIP_FUZZ="${ZARVEX_SKIP_FUZZ:-0}" \
    ZARVEX_FUZZ_SECONDS="${ZARVEX_FUZZ_SECONDS:-60}" "$0" --debian "$release" $([ "$run_tests" = 1 ] && echo --test)
fi
"$src/scripts/install-deps.sh" --clean-root

root=$(mktemp -d /var/tmp/zarvex-fresh-root.XXXXXX)
chmod 755 "$root"
work=$(mktemp -d)
xvfb_pid="" wm_pid="" play_pid=""
# shellcheck source=scripts/clean-root-lib.sh
. "$src/scripts/clean-root-lib.sh"
suite=$(suite_of "$release")
cleanup() {
  local pid
  [ -n "$play_pid" ] && pkill -P "$play_pid" 2>/dev/null || true
  for pid in "$play_pid" "$wm_pid" "$xvfb_pid"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null || true; fi
  done
  # Whatever the game's build left running inside the root.
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill "$pid" 2>/dev/null
  done
  finish_root
}
trap cleanup EXIT
in_root() { chroot "$root" env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 "$@"; }

started=$(date +%s)
elapsed() { echo "$(($(date +%s) - started)) s"; }

# --- 1. the fresh machine ---
say "debootstrap: a minimal Debian $release ($suite) root in $root"
make_root "$suite"
say "the root has $(in_root dpkg-query -W | wc -l) packages ($(elapsed))"

# --- 2. the checkout ---
mkdir -p "$root/home/player/zarvex"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -C "$root/home/player/zarvex" -xf -
say "copied $(find "$root/home/player/zarvex" -type f | wc -l) files of the checkout to /home/player/zarvex"

# --- 3. ./play.sh until the game shows its first frame ---
start_x 1600x1000
play() {
  in_root env DISPLAY="$DISPLAY" /bin/bash -c 'cd /home/player/zarvex && ./play.sh' \
    >"$work/play.log" 2>&1 &
  play_pid=$!
  say "./play.sh runs (installing, building, starting the game; the log is kept until the end)"
  wid=""
  while kill -0 "$play_pid" 2>/dev/null; do
    wid=$(xdotool search --onlyvisible --name '^ZARVEX v1\.01$' 2>/dev/null | head -n 1 || true)
    [ -n "$wid" ] && return 0
    sleep 1
  done
  wait "$play_pid" || true
  play_pid=""
  return 1
}
if ! play; then
  if grep -qE 'Failed to fetch|Unable to fetch|Temporary failure|Could not resolve|Connection (failed|timed out)' \
    "$work/play.log"; then
    say "a download failed; trying ./play.sh once more"
    play || { tail -n 40 "$work/play.log" >&2; fail "./play.sh ended without showing the game's window"; }
  else
    tail -n 40 "$work/play.log" >&2
    fail "./play.sh ended without showing the game's window"
  fi
fi
say "the game's window is up ($(elapsed)); installed in the root: $(grep -cE '^Setting up ' "$work/play.log") packages"

# The first frame: the title screen is black sky with the game's name in
# colour, so a picture with no lit pixel is none.
shot="$work/first-frame.png"
lit=0
for _ in $(seq 20); do
  sleep 1
  import -window "$wid" "$shot" 2>/dev/null || continue
  lit=$(convert "$shot" -colorspace Gray -threshold 20% -format '%[fx:int(mean*w*h)]' info: 2>/dev/null || echo 0)
  [ "$lit" -gt 1000 ] && break
done
[ "$lit" -gt 1000 ] || fail "the game's window shows no picture (its last screenshot: $lit lit pixels)"
geometry=$(xdotool getwindowgeometry "$wid" | awk '/Geometry/ {print $2}')
say "the first frame is shown: a ${geometry} window with $lit lit pixels"
if [ "${ZARVEX_KEEP_CLEAN_ROOT:-0}" = 1 ]; then cp "$shot" "$root/first-frame.png"; fi

xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || xdotool windowfocus --sync "$wid" || true
xdotool key --clearmodifiers ctrl+q
status=0
for _ in $(seq 50); do kill -0 "$play_pid" 2>/dev/null || break; sleep 0.2; done
wait "$play_pid" || status=$?
play_pid=""
[ "$status" -eq 0 ] || { tail -n 40 "$work/play.log" >&2; fail "the game did not quit with status 0 (status $status)"; }
say "Ctrl+Q closed the game; ./play.sh ended with status 0 ($(elapsed))"
kill "$wm_pid" "$xvfb_pid" 2>/dev/null || true
wait "$wm_pid" "$xvfb_pid" 2>/dev/null || true
wm_pid="" xvfb_pid=""

# --- 4. on request, every test ---
if [ "$run_tests" = 1 ]; then
  say "./test.sh runs in the root (this takes long)"
  in_root env ZARVEX_SKIP_SANITIZERS="${ZARVEX_SKIP_SANITIZERS:-0}" ZARVEX_SKIP_FUZZ="${ZARVEX_SKIP_FUZZ:-0}" \
    ZARVEX_FUZZ_SECONDS="${ZARVEX_FUZZ_SECONDS:-60}" /bin/bash -c 'cd /home/player/zarvex && ./test.sh' \
    >"$work/test.log" 2>&1 || { tail -n 80 "$work/test.log" >&2; fail "./test.sh failed"; }
  grep -E 'tests passed|tests failed' "$work/test.log" | tail -n 2 | sed 's/^/fresh-machine: /'
  say "./test.sh passed ($(elapsed))"
fi
say "all checks passed on a fresh Debian $release"
