#!/usr/bin/env bash
# The test command run beside a CPU load, to find tests that hold only on an idle machine.
#
#   bash scripts/loaded-test.sh [runs]     default 5 runs of scripts/test.sh, each beside stress-ng
#
# The load is three times the number of processors, and the suite runs with twice as many jobs as there are
# processors. Every load process is bounded by a time-out and killed when its run ends. Stops at the first failed run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
cores=$(nproc)
if ! command -v stress-ng >/dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends stress-ng
fi
for run in $(seq 1 "$runs"); do
    timeout 7200 stress-ng --cpu $((3 * cores)) --timeout 7200 --quiet &
    load=$!
    echo "loaded run $run of $runs: stress-ng --cpu $((3 * cores)), load $(cut -d' ' -f1-3 /proc/loadavg)"
    status=0
    QUORVIN_JOBS=$((2 * cores)) bash "$top/scripts/test.sh" || status=$?
    kill "$load" 2>/dev/null || true
    wait "$load" 2>/dev/null || true
    echo "loaded run $run of $runs: exit $status, load $(cut -d' ' -f1-3 /proc/loadavg)"
    [ "$status" -eq 0 ] || exit "$status"
done
