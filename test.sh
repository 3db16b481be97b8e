#!/usr/bin/env bash
# Installs what is missing, builds ZARVEX with its tests and runs every test
# headless; then builds and runs the whole suite once more under
# AddressSanitizer and UndefinedBehaviorSanitizer, and fuzzes the readers of
# the Hall of Fame file and of the sound files for a bounded time.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh --test

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZARVEX_TESTS=ON -DZARVEX_BENCH=ON -DZARVEX_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 900
./scripts/check-package.sh build

if [ "${ZARVEX_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARVEX_SANITIZE=ON -DZARVEX_BENCH=OFF \
    -DZARVEX_WERROR=ON >/dev/null
  cmake --build build-asan -j"$jobs"
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 1800
fi

if [ "${ZARVEX_SKIP_FUZZ:-0}" != 1 ]; then
  fuzz_seconds=${ZARVEX_FUZZ_SECONDS:-60}
  cmake -S . -B build-fuzz -DZARVEX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build build-fuzz -j"$jobs"
  rm -rf build-fuzz/seeds
  build-fuzz/bin/make_seeds build-fuzz/seeds/highscores build-fuzz/seeds/wav build-fuzz/seeds/replay
  for target in highscores wav replay; do
    mkdir -p "build-fuzz/corpus/$target"
    echo "Fuzzing the $target reader for ${fuzz_seconds} s"
    if ! "build-fuzz/bin/fuzz_$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix=build-fuzz/ -print_final_stats=1 \
      "build-fuzz/corpus/$target" "build-fuzz/seeds/$target" 2>&1 | tail -n 60; then
      echo "fuzzing the $target reader found a fault (its input is in build-fuzz/)" >&2
      exit 1
    fi
  done
fi
