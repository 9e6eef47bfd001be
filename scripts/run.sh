#!/usr/bin/env bash
# Installs what is missing, builds the console and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build" -j"$(nproc)" --target Quorvin
# The console finds its translations under lang/ of the working folder.
cd "$top/build"
exec ./Quorvin "$@"
