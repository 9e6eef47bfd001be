#!/usr/bin/env bash
# Pastes over long stored values of the real console with the keys that follow arriving at once: the console is
# stopped (SIGSTOP) while xdotool sends them in one burst and continued 0.2 s later, as a busy console or a remote
# session that sends keys in bursts would get them. What sqlite3 then reads must be what the same keys store at a
# person's pace: the paste cut to the field's limit, then the keys acting on it.
#
# Starts the console built in BUILD (default: build) on a fresh HOME under Xvfb 1366x768 with openbox at 96 DPI, seeds
# a device with a 100-character name and a 4,998-character Location, a 52-character group and a 46-character address,
# logs in and runs each row on the device editor, the group dialog and User Settings. Prints a line per row and exits 1
# when one stored something else.
#
# Runs in a network namespace of its own where unshare allows it, so the console's fixed ports clash with nothing.
# Needs Xvfb, openbox, xprop (x11-utils), xdotool, xclip and sqlite3 (scripts/install-deps.sh). QV_KEEP=1 keeps the
# work folder.
#   bash scripts/paste-burst-live.sh [BUILD]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/live-console.sh"
build=$(cd "${1:-$top/build}" && pwd)
liveOwnNetwork "$build"
liveNeed Xvfb openbox xprop xdotool xclip sqlite3
liveWorkFolder
export HOME="$work/home" QT_FONT_DPI=96
liveStartXvfb
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

repeat() { printf "%${2}s" '' | tr ' ' "$1"; }
location=$(for _ in $(seq 200); do printf 'Building Block 1 east wing '; done | cut -c1-4998)
name=$(repeat n 100)
group=$(repeat g 52)
address=facilities.office.north@st-mary.example.org.uk
pasted=$(repeat p 224)

cd "$build"
liveStartConsole
liveSql "UPDATE Account SET email = '$address';
    INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, deviceType, position, isKicked) VALUES
    ('$name', 'Velk TM7-B', '02:51:4d:00:00:01', '127.0.0.2', 'IFP/Control Box', '$location', 0);
    INSERT INTO Groups (groupName, groupType) VALUES ('$group', 'Control Box');"
# Started again, so that it reads the group at its start.
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null || true
liveStartConsole
console=${pids[-1]}
# The password field and the Login button of the log-in window, centred on the screen at scale 1.0.
xdotool mousemove 700 421 click 1
sleep 0.3
xdotool type --delay 40 kelvo
xdotool mousemove 683 500 click 1
waitFor '^Quorvin v' >/dev/null
sleep 2

# Puts clip on the clipboard, clicks the field at x y, selects all, then sends the keys (and runs the command) with
# the console stopped.
burst() { # x y clip keys [command]
    printf '%s' "$3" | xclip -selection clipboard
    sleep 0.3
    xdotool mousemove "$1" "$2" click 1
    sleep 0.3
    xdotool key ctrl+a
    sleep 0.3
    kill -STOP "$console"
    # shellcheck disable=SC2086
    xdotool key --delay 0 $4
    if [ -n "${5:-}" ]; then eval "$5"; fi
    sleep 0.2
    kill -CONT "$console"
    sleep 1.5
}
dialogsOpen() { { xdotool search --onlyvisible --name '^Quorvin$' 2>/dev/null || true; } | wc -l; }
closeDialogs() { while [ "$(dialogsOpen)" -gt 0 ]; do xdotool key Escape; sleep 0.5; done; }
failed=0
check() { # title, what was stored, what must be
    if [ "$2" = "$3" ]; then echo "ok    $1: $2"; else echo "FAIL  $1: $2, expected $3"; failed=1; fi
}
stored() { # name|location|group|address
    case $1 in
        name) liveSql 'SELECT length(deviceName) || " " || substr(deviceName, 1, 3) FROM Device' ;;
        location) liveSql 'SELECT length(position) || " " || substr(position, 1, 3) || substr(position, -3) FROM Device' ;;
        group) liveSql 'SELECT group_concat(length(groupName) || " " || substr(groupName, 1, 3)) FROM Groups' ;;
        address) liveSql 'SELECT email FROM Account WHERE aid = 1' ;;
    esac
}

# The device editor, opened by the pencil of the only device on the Settings page: its Location and name fields, its
# Save button.
editorRow() { # title, field (location|name), clip, keys, expected, [command]
    liveSql "UPDATE Device SET deviceName = '$name', position = '$location'"
    xdotool mousemove 460 72 click 1
    sleep 0.8
    xdotool mousemove 1041 313 click 1
    sleep 1.2
    if [ "$2" = location ]; then burst 753 399 "$3" "$4" "${6:-}"; else burst 753 267 "$3" "$4" "${6:-}"; fi
    check "$1" "$(stored "$2")" "$5"
    check "  and the editor closed" "$(dialogsOpen)" 0
    closeDialogs
}
editorRow "Location: Ctrl+V (224), Return" location "$pasted" "ctrl+v Return" "64 pppppp"
editorRow "Location: Ctrl+V, a click on Save" location "$pasted" "ctrl+v" "64 pppppp" "xdotool mousemove 835 565 click 1"
editorRow "Location: Ctrl+V, Z, Return" location "$pasted" "ctrl+v Z Return" "64 pppppp"
editorRow "Location: Ctrl+V, ', room', Return" location "$pasted" "ctrl+v comma space r o o m Return" "64 pppppp"
editorRow "Location: Ctrl+V, BackSpace, Return" location "$pasted" "ctrl+v BackSpace Return" "63 pppppp"
editorRow "Location: Ctrl+V, Ctrl+Z, Return" location "$pasted" "ctrl+v ctrl+z Return" "4998 BuiBui"
editorRow "name: Ctrl+V (50), Return" name "$(repeat q 50)" "ctrl+v Return" "32 qqq"

# The group dialog, its group chosen in its list.
xdotool mousemove 460 72 click 1
sleep 0.8
xdotool mousemove 594 235 click 1
sleep 1.2
xdotool mousemove 513 243 click 1
sleep 0.5
burst 847 243 "$(repeat h 44)" "ctrl+v Return"
check "group name: Ctrl+V (44), Return" "$(stored group)" "32 hhh"
closeDialogs

# User Settings: an address too long for the field is refused whole, at once as at a person's pace; one that fits
# asks for the password.
openSettings() { xdotool mousemove 1010 72 click 1; sleep 1.5; }
openSettings
burst 743 250 maintenance.office.north@school.example.org "ctrl+v Return"
check "address: Ctrl+V (43), Return" "$(stored address)" "$address"
check "  and no password asked" "$(dialogsOpen)" 0
closeDialogs
openSettings
printf '%s' maintenance.office.north@school.example.org | xclip -selection clipboard
xdotool mousemove 743 250 click 1
sleep 0.3
xdotool key ctrl+a
sleep 0.3
xdotool key ctrl+v
sleep 1
xdotool key Return
sleep 1
check "address: Ctrl+V (43) at a person's pace, Return: no password asked" "$(dialogsOpen)" 0
closeDialogs
check "  stored" "$(stored address)" "$address"
openSettings
burst 743 250 ops.north@school.example.org "ctrl+v Return"
check "address: Ctrl+V (28), Return: the password asked" "$(dialogsOpen)" 1
xdotool type --delay 40 kelvo
xdotool key Return
sleep 1
check "  stored" "$(stored address)" ops.north@school.example.org
exit $failed
