#!/usr/bin/env bash
# Installs what is missing, builds Fennick into build/ and starts it with the
# arguments given (for example: scripts/run.sh /c3).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build --target Fennick
exec build/Fennick "$@"
