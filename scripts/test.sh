#!/usr/bin/env bash
# The test command (and what CI runs): installs what is missing, checks the formatting of every C++ file, builds
# everything with warnings as errors and runs every test, then builds the tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs them once more. Stops at the first failure with a non-zero exit; on success
# the last thing printed is CTest's summary of the sanitizer run.
#
#   bash scripts/test.sh          everything
#   bash scripts/test.sh --fast   the normal build and one run of the suite (no formatting check, no sanitizers)
#
# QUORVIN_BUILD_DIR (default build/) and QUORVIN_SANITIZE_BUILD_DIR (default build-sanitize/) name the build
# folders, QUORVIN_JOBS (default: the number of processors) the parallel jobs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
fast=0
case "${1:-}" in
    --fast) fast=1 ;;
    "") ;;
    *)
        echo "usage: scripts/test.sh [--fast]" >&2
        exit 2
        ;;
esac
jobs=${QUORVIN_JOBS:-$(nproc)}
build=${QUORVIN_BUILD_DIR:-$top/build}
sanitize=${QUORVIN_SANITIZE_BUILD_DIR:-$top/build-sanitize}
export QT_QPA_PLATFORM=offscreen

bash "$top/scripts/install-deps.sh"
if [ "$fast" -eq 0 ]; then
    bash "$top/scripts/check-format.sh"
fi

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVIN_WERROR=ON -DQUORVIN_SANITIZE=OFF
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 600
if [ "$fast" -eq 1 ]; then
    exit 0
fi

# Only what CTest runs is built again; any report stops the test that made it. Leaks are not looked for: Qt's
# offscreen platform plugin leaks its screen at exit, and the console keeps its singletons and some windows for the
# life of the process on purpose; this pass is about memory errors and undefined behaviour.
cmake -S "$top" -B "$sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVIN_WERROR=OFF -DQUORVIN_SANITIZE=ON
cmake --build "$sanitize" -j"$jobs" --target quorvin_tests
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
exec ctest --test-dir "$sanitize" --output-on-failure -j"$jobs" --timeout 900
