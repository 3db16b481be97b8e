#!/usr/bin/env bash
# Installs what playing needs, builds the game (Release) and starts it.
# Only the game and what it needs at run time (its sounds) are built: the
# tests and benchmarks, and the packages they need, are ./test.sh's.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZARVEX_TESTS=OFF -DZARVEX_BENCH=OFF >"$log" 2>&1; then
  cat "$log" >&2
  echo "play: configuring the build failed (cmake's messages above)" >&2
  exit 1
fi
cmake --build build --target zarvex -j"$(nproc)"
rm -f "$log"
trap - EXIT
exec ./build/bin/zarvex "$@"
