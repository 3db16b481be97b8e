#!/usr/bin/env bash
# Runs the window tests on a virtual X server (Xvfb) with a window manager
# (openbox), once per screen size. Exits 77 (skipped) where they are not
# installed; they come with scripts/install-deps.sh --test.
#   run-under-x.sh <test binary> WxH...
set -u
test_binary=$1
shift
command -v Xvfb >/dev/null && command -v openbox >/dev/null || {
  echo "Xvfb or openbox is not installed: skipped"
  exit 77
}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
status=0
for size in "$@"; do
  # A display number of our own: Xvfb picks a free one and tells it.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  pids+=("$xvfb")
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  display=":$(cat "$work/display")"
  DISPLAY=$display openbox >/dev/null 2>&1 &
  wm=$!
  pids+=("$wm")
  sleep 1
  echo "screen $size on $display"
  mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
  DISPLAY=$display QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime" "$test_binary" || status=1
  kill "$wm" "$xvfb" 2>/dev/null
  wait "$wm" "$xvfb" 2>/dev/null
  : >"$work/display"
done
exit $status
