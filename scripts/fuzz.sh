#!/usr/bin/env bash
# Runs every coverage-guided fuzzer for a bounded time each (default 60 s): the frame decoder, the panel identity
# and the M-SEARCH parser (fuzz_protocol), and the readers of update.cfg, the box and panel manifests, the user and
# device CSV files and the panels' account file (fuzz_<name>, seeds in tests/fuzz/seeds/<name>/).
#   bash scripts/fuzz.sh [seconds] [target...]
# The targets are built with AddressSanitizer and UndefinedBehaviorSanitizer (undefined behaviour ends the run like a
# memory error), and an input that takes longer than FUZZ_INPUT_TIMEOUT seconds (default 30) is reported as slow.
# The slowest input the readers allow, a manifest whose routes reach both limits at once (10,000 routes of 1,000
# steps), took 5 s under the sanitizers on a machine loaded four times over (load 32 on 8 cores).
# Every target runs even when one reports, one at a time; the script ends with a line per target (with the number
# of inputs it ran) and fails when any reported.
# A report's input is kept as crash-*/timeout-*/oom-* in build-fuzz/fuzz-artifacts/<target>/; rerun it with
# build-fuzz/tests/fuzz/fuzz_<target> <file>.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(protocol updatecfg boxmanifest panelmanifest usercsv devicecsv accountfile)
bash "$top/scripts/install-deps.sh"
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get install -y -q clang libclang-rt-14-dev
fi
build="$top/build-fuzz"
input_timeout=${FUZZ_INPUT_TIMEOUT:-30}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$top" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DQUORVIN_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "${launcher[@]}" -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
# The machine is shared: at most four compile jobs, fewer with QUORVIN_JOBS (as scripts/test.sh takes it).
jobs=${QUORVIN_JOBS:-$(nproc)}
[ "$jobs" -gt 4 ] && jobs=4
cmake --build "$build" -j"$jobs" --target "${targets[@]/#/fuzz_}"

summary=()
failed=0
for target in "${targets[@]}"; do
    work="$build/fuzz-corpus/$target"
    artifacts="$build/fuzz-artifacts/$target"
    mkdir -p "$work" "$artifacts"
    if [ "$target" = protocol ]; then seeds="$top/tests/fuzz/corpus"; else seeds="$top/tests/fuzz/seeds/$target"; fi
    cp -n "$seeds"/* "$work/"
    echo "=== fuzz_$target for $seconds s"
    log="$build/fuzz-$target.log"
    set +e
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=4096 -timeout="$input_timeout" \
        -artifact_prefix="$artifacts/" "$work" >"$log" 2>&1
    status=$?
    set -e
    runs=$(grep -Eo 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -1 || true)
    if [ "$status" -eq 0 ]; then
        summary+=("fuzz_$target: no report (${runs:-no run count})")
    else
        failed=1
        # The broken promise (qFatal's line) or the sanitizer's finding, and the input that showed it.
        grep -B3 -m1 -E 'ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer)|runtime error:' "$log" || tail -5 "$log"
        grep -E '^artifact_prefix|Test unit written to' "$log" || true
        summary+=("fuzz_$target: REPORT (exit $status), see $log")
    fi
done
echo "=== summary"
printf '%s\n' "${summary[@]}"
exit $failed
