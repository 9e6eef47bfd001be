#!/usr/bin/env bash
# Runs the coverage-guided fuzzer over the frame decoder, the panel identity and the M-SEARCH
# parser for a bounded time (default 60 s): bash scripts/fuzz.sh [seconds]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
bash "$top/scripts/install-deps.sh"
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get install -y -q clang libclang-rt-14-dev
fi
build="$top/build-fuzz"
cmake -S "$top" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DQUORVIN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address"
cmake --build "$build" -j"$(nproc)" --target fuzz_protocol
work="$build/fuzz-corpus"
mkdir -p "$work"
cp -n "$top"/tests/fuzz/corpus/* "$work/"
"$build/tests/fuzz/fuzz_protocol" -max_total_time="$seconds" -max_len=4096 "$work"
