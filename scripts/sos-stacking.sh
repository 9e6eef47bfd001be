#!/usr/bin/env bash
# Checks under a real window manager that SOS warnings stay above the console's main window.
#
# Starts the console built in BUILD (default: build) on a fresh HOME under Xvfb 1366x768 with openbox,
# logs in, lets two simulated panels raise an SOS a few seconds apart, and then brings the main window
# up in each way an operator can: a click on the blocked window, a second start of the console, an
# activation as a taskbar or Alt+Tab asks for it, a bare raise, minimising the older warning and
# minimising the main window.
# After each step it prints the window manager's stacking (bottom to top) with each window's name,
# owner and state, and checks that both warnings lie above the main window and that the newer one
# lies above the older one. Exits 1 when a check fails.
#
# The console listens on its usual ports (1688, 1988, 33333 on 0.0.0.0): don't run it beside another
# console. Needs Xvfb, openbox, xprop (x11-utils), xdotool and sqlite3 (scripts/install-deps.sh).
#   bash scripts/sos-stacking.sh [BUILD]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/live-console.sh"
build=$(cd "${1:-$top/build}" && pwd)
for tool in Xvfb openbox xprop xdotool sqlite3; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 2; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    liveStop
    rm -rf "$work"
}
trap cleanup EXIT

export HOME="$work/home"
liveStartXvfb
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# The console must connect after the window manager is up, or it never learns the frames of its windows.
for _ in $(seq 300); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || { cat "$work/openbox.log" >&2; echo "openbox did not come up" >&2; exit 2; }

hex() { printf '0x%x' "$1"; }
clients() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g'; }

cd "$build" # the console finds its translations under lang/ here
liveStartConsole
# The e-mail question of a first log-in is not part of this check; two panels to raise the alerts.
liveSql "UPDATE Account SET email = 'ops@school.example';
    INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, deviceType, position, isKicked) VALUES
    ('Panel-001', 'Velk TM7-B', '02:51:4d:00:00:01', '127.0.0.2', 'IFP/Control Box', 'Room 1', 0),
    ('Panel-002', 'Velk TM7-B', '02:51:4d:00:00:02', '127.0.0.3', 'IFP/Control Box', 'Room 2', 0);"
# The password field and the Login button of the 395 x 499 log-in window at scale 1.0.
liveLogIn 205 288 196 369
main=$(hex "$(waitFor '^Quorvin v')")

liveStartPanels 2
warnings() {
    for w in $(clients); do
        if [ "$w" != "$main" ] && [ "$(xprop -id "$w" WM_NAME)" = 'WM_NAME(STRING) = "Quorvin"' ]; then echo "$w"; fi
    done
}
sos() { # panel number, warnings expected
    echo "sos $1" >&3
    for _ in $(seq 150); do [ "$(warnings | wc -l)" -ge "$2" ] && return 0; sleep 0.1; done
    echo "the SOS of panel $1 showed no warning; the panels said:" >&2
    cat "$work/panels.log" >&2
    exit 2
}
sos 1 1
older=$(warnings)
sleep 2
sos 2 2
newer=$(warnings | grep -v "$older")
sleep 1

failed=0
show() { # title
    echo
    echo "== $1"
    echo "\$ xprop -root _NET_CLIENT_LIST_STACKING"
    xprop -root _NET_CLIENT_LIST_STACKING
    local position=0 mainAt=-1 olderAt=-1 newerAt=-1 role
    for w in $(clients); do
        case "$w" in
        "$main") role="main window" mainAt=$position ;;
        "$older") role="older warning (Panel-001)" olderAt=$position ;;
        "$newer") role="newer warning (Panel-002)" newerAt=$position ;;
        *) role="other" ;;
        esac
        echo "  $w  $(xprop -id "$w" WM_NAME | sed 's/^WM_NAME([A-Z_]*) = //')  $role;" \
            "$(xprop -id "$w" WM_TRANSIENT_FOR | sed 's/.*# /transient for /; s/.*not found.*/no owner/');" \
            "$(xprop -id "$w" _NET_WM_STATE | sed 's/_NET_WM_STATE(ATOM) = //; s/.*not found.*//; s/^_NET_WM_STATE(ATOM)$//')"
        position=$((position + 1))
    done
    echo "  active: $(xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //')"
    hidden=$(xprop -id "$older" _NET_WM_STATE; xprop -id "$newer" _NET_WM_STATE)
    if [ "$olderAt" -gt "$mainAt" ] && [ "$newerAt" -gt "$olderAt" ] && ! grep -q HIDDEN <<<"$hidden"; then
        echo "  ok: both warnings shown above the main window, the newer one on top"
    else
        echo "  FAILED: a warning lies under the main window or is minimised, or the older one lies over the newer one"
        failed=1
    fi
}

show "two warnings open, Panel-001's first (main window $main)"
xdotool mousemove 300 400 click 1
sleep 1
show "after a click on the blocked main window (xdotool mousemove 300 400 click 1)"
./Quorvin >/dev/null 2>&1 && status=0 || status=$?
sleep 1
show "after a second start of the console (exit code $status)"
xdotool windowactivate "$main" 2>/dev/null || true
sleep 1
show "after the main window is activated as a taskbar or Alt+Tab asks (xdotool windowactivate $main)"
xdotool windowraise "$main"
sleep 1
show "after the main window is raised (xdotool windowraise $main)"
xdotool windowminimize "$older"
sleep 1.5
show "after the older warning is minimised (xdotool windowminimize $older)"
xdotool windowminimize "$main"
sleep 1.5
show "after the main window is minimised (xdotool windowminimize $main)"
exit $failed
