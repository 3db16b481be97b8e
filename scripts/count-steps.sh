#!/usr/bin/env bash
# Counts the game's steps a second on a real X server, as a player meets
# them: the real binary on Xvfb with openbox, a battle of 12 seconds from the
# first SPACE to ESC, its steps counted from the game's own replay of it
# (last.zvxr) against the wall clock. The game clock holds 60 steps a second
# at every size; this says whether it does on this machine, now.
#
#   scripts/count-steps.sh [binary]          (default: build/bin/zarvex)
#
# The steps are read with build/bin/zarvex_replay_steps (built with the
# game), from the game's own replay reader.
#
# Sizes: 1600x1000 in a window, 2560x1440 and 3840x2160 full screen (F11).
# Environment: COUNT_DISPLAY=N to use display :N (default: a free one),
# COUNT_SECONDS=12 the battle's length, COUNT_SIZES to choose the sizes, e.g.
# "1600x1000:window 3840x2160:full". Prints one line a size; exits 1 when a
# size is outside 60 +- 1.5 steps a second, 77 when Xvfb, openbox or xdotool
# is missing. A timing check: figures on a loaded machine are worth little,
# so it is not part of the test suite.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
binary=${1:-$here/build/bin/zarvex}
seconds=${COUNT_SECONDS:-12}
sizes=${COUNT_SIZES:-"1600x1000:window 2560x1440:full 3840x2160:full"}

for tool in Xvfb openbox xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
[ -x "$binary" ] || { echo "no game binary at $binary"; exit 2; }
steps_tool=${COUNT_STEPS_TOOL:-$here/build/bin/zarvex_replay_steps}
[ -x "$steps_tool" ] || { echo "no replay reader at $steps_tool (build the zarvex_replay_steps target)"; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

now() { date +%s.%N; }

status=0
for spec in $sizes; do
  size=${spec%%:*}
  mode=${spec##*:}
  display_file=$work/display
  : >"$display_file"
  if [ -n "${COUNT_DISPLAY:-}" ]; then
    Xvfb ":$COUNT_DISPLAY" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    display=":$COUNT_DISPLAY"
  else
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  fi
  xvfb=$!
  pids+=("$xvfb")
  if [ -z "${COUNT_DISPLAY:-}" ]; then
    for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
    display=":$(cat "$display_file")"
  fi
  sleep 1
  DISPLAY=$display openbox >/dev/null 2>&1 &
  wm=$!
  pids+=("$wm")
  sleep 1

  # A home of its own: no settings, no Hall of Fame, no replays of the player's.
  home=$work/home-$size
  mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
  env -u WAYLAND_DISPLAY DISPLAY=$display QT_QPA_PLATFORM=xcb HOME="$home" XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home/runtime" "$binary" >"$work/game.log" 2>&1 &
  game=$!
  pids+=("$game")
  export DISPLAY=$display
  window=$(xdotool search --sync --onlyvisible --name '^ZARVEX v1.01$' 2>/dev/null | head -1)
  xdotool windowactivate --sync "$window" >/dev/null 2>&1
  sleep 1
  if [ "$mode" = full ]; then
    xdotool key --window "$window" F11
    sleep 2
  fi

  t0=$(now)
  xdotool key --window "$window" space
  sleep 1
  xdotool key --window "$window" space
  sleep "$((seconds - 1))"
  xdotool key --window "$window" Escape
  t1=$(now)
  # The name box of the Hall of Fame: the offered name will do.
  replay=""
  for _ in $(seq 100); do
    replay=$(find "$home" -name last.zvxr 2>/dev/null | head -1)
    [ -n "$replay" ] && break
    xdotool key Return 2>/dev/null
    sleep 0.2
  done
  xdotool key --window "$window" ctrl+q >/dev/null 2>&1
  sleep 0.5
  kill "$game" "$wm" "$xvfb" 2>/dev/null
  wait "$game" "$wm" "$xvfb" 2>/dev/null
  unset DISPLAY

  if [ -z "$replay" ]; then
    echo "$size $mode: no replay was written"
    status=1
    continue
  fi
  steps=$("$steps_tool" "$replay") || { echo "$size $mode: the replay cannot be read"; status=1; continue; }
  awk -v s="$steps" -v t0="$t0" -v t1="$t1" -v size="$size" -v mode="$mode" 'BEGIN {
    rate = s / (t1 - t0)
    ok = rate >= 58.5 && rate <= 61.5
    printf "%s %s: %d steps in %.2f s: %.1f steps a second%s\n", size, mode, s, t1 - t0, rate, ok ? "" : " (outside 60 +- 1.5)"
    exit ok ? 0 : 1
  }' || status=1
done
echo "load: $(uptime | sed 's/.*load average: //')"
exit $status
