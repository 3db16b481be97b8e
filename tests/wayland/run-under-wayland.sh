#!/usr/bin/env bash
# Starts the real game under a headless Wayland compositor with a desktop
# panel (weston's headless backend and desktop shell), natively on Wayland,
# once per screen, takes a screenshot and finds the title screen's canvas on
# it: all four edges on the screen, below the panel, with the canvas's shape.
# Where the screen has room (1920 x 1080), the canvas shows at 100 %.
# Exits 77 (skipped) where weston, its screenshooter, ImageMagick or Qt's
# Wayland plugin is missing, or no compositor starts.
#   run-under-wayland.sh <zarvex binary> WxH[@scale]...
# ZARVEX_WAYLAND_SHOTS=<folder> keeps the screenshots there.
set -u
game=$1
shift
skip() {
  echo "skipped: $*"
  exit 77
}
for tool in weston weston-screenshooter convert; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh --test installs it)"
done

# Pixels to take screenshots of: weston 10 calls its CPU renderer so, later
# versions --renderer=pixman.
pixman=--use-pixman
weston --help 2>&1 | grep -q -- '--renderer=' && pixman=--renderer=pixman

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# weston's panel, in logical pixels.
panel=32
# The title screen's sky.
sky='srgb(6,5,15)'

# The first and last place in a profile (a plain PGM of one row or one
# column) where a good part of the pixels (30 %) are the sky's.
span() {
  tr -s ' \n' '\n\n' | grep -v '^$' | tail -n +5 |
    awk '$1 > 76 { if (first == "") first = NR - 1; last = NR - 1 } END { if (first != "") print first, last }'
}

# The canvas's rectangle (W H X Y) in a screenshot of W x H pixels, below the
# first `top` rows (the panel): the columns and rows that are largely sky. The
# text on the canvas and dark pixels elsewhere do not count.
sky_box() {
  local shot=$1 width=$2 height=$3 top=$4 mask="$run/mask.png" x0 x1 y0 y1
  convert "$shot" -crop "+0+$top" +repage -fuzz 2% -fill white -opaque "$sky" -fuzz 0 -fill black +opaque white \
    "$mask" 2>/dev/null || return
  read -r x0 x1 < <(convert "$mask" -scale "${width}x1!" -compress none pgm:- | span)
  read -r y0 y1 < <(convert "$mask" -scale "1x$((height - top))!" -compress none pgm:- | span)
  [ -n "${x1:-}" ] && [ -n "${y1:-}" ] && echo "$((x1 - x0 + 1)) $((y1 - y0 + 1)) $x0 $((y0 + top))"
}

status=0
n=0
for arg in "$@"; do
  n=$((n + 1))
  size=${arg%@*}
  scale=1
  [ "$arg" != "$size" ] && scale=${arg#*@}
  width=${size%x*}
  height=${size#*x}
  run="$work/$n"
  mkdir -p "$run/runtime" "$run/shots" && chmod 700 "$run/runtime"
  socket="wayland-zvx-$$-$n"
  # The headless backend takes the output's size in logical pixels.
  XDG_RUNTIME_DIR="$run/runtime" weston --backend=headless-backend.so "$pixman" \
    --width=$((width / scale)) --height=$((height / scale)) --scale="$scale" \
    --shell=desktop-shell.so --no-config --idle-time=0 --debug --socket="$socket" \
    >"$run/weston.log" 2>&1 &
  compositor=$!
  pids+=("$compositor")
  for _ in $(seq 50); do [ -S "$run/runtime/$socket" ] && break; sleep 0.1; done
  [ -S "$run/runtime/$socket" ] || skip "weston did not start: $(tail -n 3 "$run/weston.log")"
  sleep 1  # the panel

  env -u DISPLAY XDG_RUNTIME_DIR="$run/runtime" WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland \
    XDG_CONFIG_HOME="$run/config" XDG_DATA_HOME="$run/data" "$game" >"$run/game.log" 2>&1 &
  player=$!
  pids+=("$player")

  # Screenshots until the canvas shows whole, for at most about 15 s.
  verdict="" w="" h="" x="" y=""
  for _ in $(seq 30); do
    sleep 0.5
    if ! kill -0 "$player" 2>/dev/null; then
      grep -q qt6-wayland "$run/game.log" && skip "Qt's Wayland plugin is not installed"
      verdict="the game ended: $(cat "$run/game.log")"
      break
    fi
    rm -f "$run/shots/"*.png
    (cd "$run/shots" && XDG_RUNTIME_DIR="$run/runtime" WAYLAND_DISPLAY="$socket" weston-screenshooter) >/dev/null 2>&1
    shot=$(ls "$run/shots/"*.png 2>/dev/null | head -n 1)
    [ -n "$shot" ] || { verdict="weston took no screenshot"; continue; }
    top=$((panel * scale))
    read -r w h x y < <(sky_box "$shot" "$width" "$height" "$top")
    [ -n "$y" ] || { verdict="no canvas on the screen"; continue; }
    verdict="canvas ${w}x${h} at $x,$y on a ${width}x${height} screen (panel down to $top)"
    # Inside the screen and below the panel, with the canvas's own shape
    # (5:3, to a pixel or two of scaling): no row or column cut off.
    if [ "$y" -le "$top" ] || [ $((x + w)) -gt "$width" ] || [ $((y + h)) -gt "$height" ] ||
      [ $((w * 3 - h * 5)) -gt 12 ] || [ $((h * 5 - w * 3)) -gt 12 ]; then
      verdict="$verdict: not whole on the screen"
      continue
    fi
    # At 100 % where the window fits with room to spare; else the window
    # takes the screen's free area (most of it).
    if [ $((1320 * scale)) -le "$width" ] && [ $((928 * scale)) -le "$height" ]; then
      [ "$h" -eq $((768 * scale)) ] || { verdict="$verdict: not at 100 %"; continue; }
    elif [ $((h * 10)) -lt $(((height - top) * 7)) ]; then
      verdict="$verdict: smaller than the screen's free area allows"
      continue
    fi
    verdict="ok: canvas ${w}x${h} at $x,$y"
    break
  done
  echo "screen $arg: $verdict"
  [ "${verdict%%:*}" = ok ] || status=1
  if [ -n "${ZARVEX_WAYLAND_SHOTS:-}" ] && [ -n "${shot:-}" ] && [ -f "$shot" ]; then
    mkdir -p "$ZARVEX_WAYLAND_SHOTS" && cp "$shot" "$ZARVEX_WAYLAND_SHOTS/wayland-$arg.png"
  fi
  kill "$player" "$compositor" 2>/dev/null
  wait "$player" "$compositor" 2>/dev/null
done
exit $status
