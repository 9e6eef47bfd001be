#!/usr/bin/env bash
# Moves the running console's wall clock with libfaketime, as a set clock or a night asleep does, and checks that the
# broadcasts due meanwhile are sent.
#
# Starts the console built in BUILD (default: build) on a fresh HOME under Xvfb, its wall clock faked by libfaketime
# from a file of offsets (the monotonic clock, on which Qt's timers run, left alone), logs in, and connects two
# simulated panels. Three broadcasts to both panels: weekly on Monday and Wednesday at 10:00, once on Wednesday
# 2024-05-08 at 10:30, and weekly on Thursday and Friday at 10:00. The console starts on Monday 2024-05-06 09:58
# (Europe/Berlin); the clock is moved on to Tuesday 17:59 (Monday's 10:00 was missed: it moves on to Wednesday), to
# Wednesday 09:59:50 (sent at 10:00), to Wednesday 11:15 (the 10:30 passed earlier that day: sent at once), and to
# Friday 10:05 (Thursday's 10:00 was missed, Friday's passed earlier that day: sent at once, dated Friday). Prints the
# console's log lines, what the panels received and the broadcast rows, and exits 1 when a broadcast was not sent as
# it should be.
#
# Runs in a network namespace of its own where unshare allows it, so the console's fixed ports (1688, 1988, 33333)
# clash with nothing; otherwise they must be free. Needs Xvfb, xdotool, sqlite3 and libfaketime
# (scripts/install-deps.sh). Never touches the machine's clock. QV_KEEP=1 keeps the work folder (HOME with the log
# and database, the panels' output) and names it at the end.
#   bash scripts/clock-jump-live.sh [BUILD]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/live-console.sh"
build=$(cd "${1:-$top/build}" && pwd)
liveOwnNetwork "$build"
liveNeed Xvfb xdotool sqlite3
faketime=""
for lib in /usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1 /usr/lib/*/faketime/libfaketime.so.1; do
    [ -e "$lib" ] && { faketime=$lib; break; }
done
[ -n "$faketime" ] || { echo "missing libfaketime: run scripts/install-deps.sh" >&2; exit 2; }

liveWorkFolder

export TZ=Europe/Berlin HOME="$work/home"
# The logger starts a file per date, so the faked days leave several.
logLines() { cat "$HOME"/Documents/Velk/Log/Quorvin/Quorvin-*.log 2>/dev/null || true; }
offsetFile="$work/faketime"
# The console's wall clock reads `when` (local time) from now on, running on from there.
setClock() {
    local offset=$(($(date -d "$1" +%s) - $(date +%s)))
    printf '%+d\n' "$offset" >"$offsetFile.new"
    mv "$offsetFile.new" "$offsetFile"
    mark=$(logLines | wc -l)
    echo "== $(date +%T) real: the console's clock set to $1 (offset ${offset} s)"
}
mark=0
setClock "2024-05-06 09:58:00"

export QT_FONT_DPI=96
liveStartXvfb

waitLog() { # text, seconds: a line written since the clock was last set
    for _ in $(seq $(($2 * 10))); do
        logLines | tail -n +$((mark + 1)) | grep -qF -- "$1" && return 0
        sleep 0.1
    done
    echo "no log line \"$1\" within $2 s" >&2
    return 1
}

cd "$build" # the console finds its translations under lang/ here
liveStartConsole LD_PRELOAD="$faketime" FAKETIME_TIMESTAMP_FILE="$offsetFile" FAKETIME_NO_CACHE=1 \
    FAKETIME_DONT_FAKE_MONOTONIC=1
# Two capable panels and the two broadcasts to both, as the editor stores them; the e-mail question of a first log-in
# answered.
liveSql "UPDATE Account SET email = 'ops@school.example';
    INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, displayClientVersion, deviceType, position,
        isKicked) VALUES
    ('Panel-001', 'Velk TM7-B', '02:51:4d:00:00:01', '127.0.0.2', '1.1.1030.30', 'IFP/Control Box', 'Room 1', 0),
    ('Panel-002', 'Velk TM7-B', '02:51:4d:00:00:02', '127.0.0.3', '1.1.1030.30', 'IFP/Control Box', 'Room 2', 0);
    INSERT INTO Broadcast (status, displayType, contentText, audioSelection, wakeOnLan, repeat, durationMin,
        durationSec, target, isNow, startDate, time, repeatSun, repeatMon, repeatTue, repeatWed, repeatThu, repeatFri,
        repeatSat) VALUES
    (2, 0, 'Weekly assembly', 0, 0, 0, 0, 30, 2, 0, '2024-04-01', '10:00', 0, 1, 0, 1, 0, 0, 0),
    (2, 0, 'Fire drill', 0, 0, 0, 0, 30, 2, 0, '2024-05-08', '10:30', 0, 0, 0, 0, 0, 0, 0),
    (2, 0, 'Staff briefing', 0, 0, 0, 0, 30, 2, 0, '2024-04-01', '10:00', 0, 0, 0, 0, 1, 1, 0);
    INSERT INTO DeviceBroadcast (did, bid) SELECT d.did, b.bid FROM Device d, Broadcast b;"
# The password field and the Login button of the 380 x 480 log-in window at scale 1.0.
liveLogIn 174 270 190 356
waitFor '^Quorvin v' >/dev/null || { echo "the log-in did not open the main window" >&2; exit 2; }

liveStartPanels 2 --display-version 1.1.1030.30 --model "Velk TM7-B" --verbose
waitLog "checkBroadcastTask, will start next after secs" 10

failed=0
step() { # text, seconds: waits for the log line, or counts a failure
    if waitLog "$1" "$2"; then echo "  ok: $1"; else failed=1; fi
}
setClock "2024-05-07 17:59:00"
step "SystemClock: the wall clock moved" 5
step "checkBroadcastTask, start missed: 2024-05-06 10:00, bid: 1, next start: 2024-05-08 10:00" 5
setClock "2024-05-08 09:59:50"
step "checkBroadcastTask, will start next after secs" 5
step "prepareBroadcastTaskForExe: 1" 20
step "saveCompletedBroadcast: 1" 20
setClock "2024-05-08 11:15:00"
step "prepareBroadcastTaskForExe: 2" 5
step "saveCompletedBroadcast: 2" 20
setClock "2024-05-10 10:05:00"
step "checkBroadcastTask, start missed: 2024-05-09 10:00, bid: 3, next start: 2024-05-10 10:00" 5
step "prepareBroadcastTaskForExe: 3" 5
step "saveCompletedBroadcast: 3" 20
sleep 1

echo
echo "== the console's log, clock and broadcast lines"
logLines | { grep -E "SystemClock|checkBroadcastTask|prepareBroadcastTaskForExe|saveCompletedBroadcast|TaskFinished" || true; } |
    sed 's/^/  /'
echo "== what the panels received (panelsim, real time)"
{ grep -E "BROADCAST" "$work/panels.log" || echo "nothing"; } | sed 's/^/  /'
echo "== the broadcasts (status 2 upcoming, 3 completed) and their report rows (status 1 delivered)"
liveSql -header -column "SELECT b.bid, b.status, b.contentText, b.startDate, b.time,
        (SELECT group_concat(r.status) FROM BroadcastReport r WHERE r.bid = b.bid) AS report
    FROM Broadcast b ORDER BY b.bid;" | sed 's/^/  /'
received=$(grep -c "BROADCAST_DATA " "$work/panels.log" || true)
completedOn() { # date: the runs dated that day that reached both panels
    liveSql "SELECT count(*) FROM Broadcast b WHERE b.status = 3 AND b.startDate = '$1' AND
        (SELECT count(*) FROM BroadcastReport r WHERE r.bid = b.bid AND r.status = 1) = 2;"
}
wednesday=$(completedOn 2024-05-08)
friday=$(completedOn 2024-05-10)
echo "== broadcast records received by the panels: $received (expected 6); runs completed with both panels:" \
    "$wednesday on Wednesday (expected 2), $friday on Friday (expected 1)"
if [ "$received" -ne 6 ] || [ "$wednesday" -ne 2 ] || [ "$friday" -ne 1 ]; then failed=1; fi
[ "$failed" -eq 0 ] && echo "ok" || echo "FAILED"
exit $failed
