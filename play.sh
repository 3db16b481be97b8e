#!/usr/bin/env bash
# Installs what is missing, builds ZARVEX (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target zarvex -j"$(nproc)"
exec ./build/bin/zarvex
