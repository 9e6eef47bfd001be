# shellcheck shell=bash disable=SC2154
# The steps shared by the scripts that drive a real console under Xvfb (scripts/clock-jump-live.sh,
# scripts/ota-lost-result-live.sh, scripts/alarm-sound-server.sh, scripts/sos-stacking.sh). Sourced, not run: it only
# defines functions. They use the caller's `work` (its work folder), `pids` (the processes to end on exit) and HOME,
# and run the console and panelsim from the build folder, which must be the current one (the console finds its
# translations under lang/ there).

# Runs the calling script again, with the build folder and the rest as its arguments, in a network namespace of its
# own where unshare allows it, loopback up there, so the console's fixed ports clash with nothing; otherwise they must
# be free.
liveOwnNetwork() { # build folder, [argument ...]
    if [ -z "${QV_NETNS:-}" ] && unshare -rn true 2>/dev/null; then
        exec unshare -rn env QV_NETNS=1 bash "$0" "$@"
    fi
    if [ -n "${QV_NETNS:-}" ]; then
        ip link set lo up
    fi
}

# Exits 2 unless every tool named is on PATH.
liveNeed() { # tool ...
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 2; }
    done
}

# Makes the work folder (`work`); on exit ends what the script started and removes the folder, or with QV_KEEP=1
# keeps it and names it.
liveWorkFolder() {
    work=$(mktemp -d)
    pids=()
    trap liveCleanUp EXIT
}
liveCleanUp() {
    liveStop
    if [ -n "${QV_KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}

# Ends what the script started and closes the panels' command pipe (descriptor 3).
liveStop() {
    exec 3>&- 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}

# Starts Xvfb 1366x768 on the first free display, exports DISPLAY, XDG_RUNTIME_DIR (in the work folder) and
# QT_QPA_PLATFORM=xcb, makes HOME and waits until the display answers.
liveStartXvfb() {
    local display=90
    while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
    export DISPLAY=":$display" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    Xvfb "$DISPLAY" -screen 0 1366x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
}

# Prints the id of the first window whose name matches the pattern, waiting up to 15 s for it.
waitFor() { # name pattern
    for _ in $(seq 150); do
        xdotool search --name "$1" 2>/dev/null | head -1 && return 0
        sleep 0.1
    done
    echo "no window named $1" >&2
    return 1
}

# Starts the console (the arguments, NAME=value each, go into its environment) with its output in the work folder,
# and waits for its log-in window (its id in `login`) and its database file (its path in `db`).
liveStartConsole() { # [NAME=value ...]
    env "$@" ./Quorvin >"$work/console.log" 2>&1 &
    pids+=($!)
    login=$(waitFor '^Orvanta$')
    db="$HOME/.local/share/Quorvin/dbManagement/QuorvinDatabase.db"
    for _ in $(seq 50); do [ -s "$db" ] && break; sleep 0.1; done
}

# sqlite3 on the console's database (`db`), waiting up to 10 s while the console writes to it: without a busy
# time-out a read that met one of its writes failed at once ("database is locked").
liveSql() { # [sqlite3 option ...] SQL
    sqlite3 -cmd '.timeout 10000' "${@:1:$#-1}" "$db" "${!#}"
}

# Logs in with the operator's password: a click on the password field, the password typed, a click on the Login
# button; the places are given from the log-in window's top left corner.
liveLogIn() { # field x, field y, button x, button y
    local X Y
    eval "$(xdotool getwindowgeometry --shell "$login")"
    xdotool mousemove $((X + $1)) $((Y + $2)) click 1
    sleep 0.3
    xdotool type --delay 40 kelvo
    xdotool mousemove $((X + $3)) $((Y + $4)) click 1
}

# Starts simulated panels against the console (panelsim; further options after the count) with the operator's
# password, their commands read from descriptor 3 and their output in work/panels.log, and waits until all are
# connected.
liveStartPanels() { # count [panelsim option ...]
    local count=$1
    shift
    mkfifo "$work/commands"
    ./tools/panelsim/panelsim --console 127.0.0.1:1688 --count "$count" --password kelvo "$@" <"$work/commands" \
        >"$work/panels.log" 2>&1 &
    pids+=($!)
    exec 3>"$work/commands"
    for _ in $(seq 150); do
        [ "$(grep -c ' connected (console' "$work/panels.log")" -ge "$count" ] && break
        sleep 0.1
    done
}
