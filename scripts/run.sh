#!/usr/bin/env bash
# Installs what is missing, builds the console with the simulated panel and the sample update server that the README's
# tours start beside it, and starts the console.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$top/build" -j"$(nproc)" --target Quorvin panelsim otafixture
# The console finds its translations under lang/ of the working folder.
cd "$top/build"
exec ./Quorvin "$@"
