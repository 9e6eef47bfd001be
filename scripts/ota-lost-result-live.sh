#!/usr/bin/env bash
# A firmware run of the real console whose devices' final results never reach it: they close after their progress
# report and come back 6 s later. Each must be judged by the version it reports when back, within 30 s of its return.
#
# Starts otafixture (2 MiB packages, its [Ota] keys in a fresh HOME), the console built in BUILD (default: build) under
# Xvfb, seeds eight devices and an "every chosen device" firmware schedule two minutes ahead, logs in and starts one
# panelsim process per device (--reboot-delay 6000):
#   BoxNew, BoxOld, BoxTwo      control boxes (upgrade type 0) closing after their progress report in place of the
#                               result (--restart-before-result): the only step installed, the only step not taken
#                               (--ota-result fail), both steps of a two-step route installed;
#   PanelNew, PanelOld, PanelTwo the same as panels with an image each step (upgrade type 1);
#   BoxResult                   a box that sends its result and restarts (--reboot-after-ota);
#   AudioStays                  an audio box that installs without a restart.
# Prints the report rows as they change, the devices' returns and the console's judgements, and exits 1 when a row
# ends otherwise than expected or a returning device was judged more than 30 s after its return.
#
# Runs in a network namespace of its own where unshare allows it, so the console's fixed ports (1688, 1988, 33333) and
# otafixture's 18080 clash with nothing; otherwise they must be free. Needs Xvfb, xdotool and sqlite3
# (scripts/install-deps.sh). QV_KEEP=1 keeps the work folder (HOME with the log and database, the panels' output).
#   bash scripts/ota-lost-result-live.sh [BUILD]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/live-console.sh"
build=$(cd "${1:-$top/build}" && pwd)
liveOwnNetwork "$build"
liveNeed Xvfb xdotool sqlite3
liveWorkFolder
export HOME="$work/home" QT_FONT_DPI=96
mkdir -p "$HOME/.local/share/Quorvin"
"$build/tools/otafixture/otafixture" --folder "$work/ota" --port 18080 --size-kib 2048 \
    --settings "$HOME/.local/share/Quorvin/settings.ini" >"$work/otafixture.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do grep -q "Wrote \[Ota\]" "$work/otafixture.log" && break; sleep 0.1; done
liveStartXvfb
cd "$build" # the console finds its translations under lang/ here
liveStartConsole

# name|model|firmware|panel firmware|serial|address|panelsim options|expected status (3 Failed, 4 Successfully)|version
fleet=(
    "BoxNew|Velk TM7-B|2.5.2052.0|2.5.2052.0|1|127.0.4.2|--restart-before-result|4|2.5.2053.0"
    "BoxOld|Velk TM7-B|2.5.2052.0|2.5.2052.0|2|127.0.4.3|--restart-before-result --ota-result fail|3|2.5.2052.0"
    "BoxTwo|Velk TM7-B|2.5.2051.0|2.5.2051.0|3|127.0.4.4|--restart-before-result|4|2.5.2053.0"
    "BoxResult|Velk TM7-B|2.5.2052.0|2.5.2052.0|4|127.0.4.5|--reboot-after-ota|4|2.5.2053.0"
    "PanelNew|Velk TM B-Series|2.5.1051.0|00.01.00.06|5|127.0.4.6|--restart-before-result|4|2.5.1052.0"
    "PanelOld|Velk TM B-Series|2.5.1051.0|00.01.00.06|6|127.0.4.7|--restart-before-result --ota-result fail|3|2.5.1051.0"
    "PanelTwo|Velk TM B-Series|2.5.1050.0|00.01.00.05|7|127.0.4.8|--restart-before-result|4|2.5.1052.0"
    "AudioStays|QML8|8.0.0000.04|8.0.0000.04|8|127.0.4.9||4|8.0.0000.05"
)
# The Device record's type of a model: the QML audio boxes, else control boxes and panels alike.
deviceType() { # model
    if [[ $1 == Q* ]]; then echo "Audio Box"; else echo "Control Box"; fi
}
start=$(date -d '+2 min' '+%Y-%m-%d %H:%M')
sql="UPDATE Account SET email = 'ops@school.example';
INSERT INTO OtaSchedule (osid, scheduleTarget, date, time, status, isEnable) VALUES (1, 2, '${start% *}',
    '${start#* }', 1, 1);"
for entry in "${fleet[@]}"; do
    IFS='|' read -r name model fw panel serial ip _ _ _ <<<"$entry"
    type=$(deviceType "$model")
    sql+="
INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, fwVersion, panelFwVersion, deviceType, isKicked)
    VALUES ('$name', '$model', '$(printf '02:51:4d:00:00:%02x' "$serial")', '$ip', '$fw', '$panel', '$type', 0);
INSERT INTO DeviceOtaSchedule (did, osid) SELECT did, 1 FROM Device WHERE deviceName = '$name';
INSERT INTO OtaScheduleReport (did, osid, status, fwVersion) SELECT did, 1, 1, '$fw' FROM Device
    WHERE deviceName = '$name';"
done
liveSql "$sql"
# The password field and the Login button of the 380 x 480 log-in window at scale 1.0.
liveLogIn 174 270 190 356
waitFor '^Quorvin v' >/dev/null || { echo "the log-in did not open the main window" >&2; exit 2; }
for entry in "${fleet[@]}"; do
    IFS='|' read -r name model fw panel serial ip options _ _ <<<"$entry"
    type=$(deviceType "$model")
    # shellcheck disable=SC2086 # the options are words
    ./tools/panelsim/panelsim --console 127.0.0.1:1688 --count 1 --first-serial "$serial" --base-ip "$ip" \
        --name-prefix "$name-" --model "$model" --device-type "$type" --fw "$fw" --panel-fw "$panel" \
        --password kelvo --no-wol --reboot-delay 6000 $options </dev/null >"$work/panel-$name.log" 2>&1 &
    pids+=($!)
done
echo "== $(date +%T) the schedule starts at $start"

declare -A changedAt
last=""
status=1
for _ in $(seq 3000); do # at most 25 minutes
    rows=$(liveSql "SELECT d.deviceName || '|' || r.status || '|' || r.fwVersion FROM OtaScheduleReport r
        JOIN Device d ON d.did = r.did ORDER BY d.deviceName")
    status=$(liveSql "SELECT status FROM OtaSchedule WHERE osid = 1")
    if [ "$rows" != "$last" ]; then
        now=$(date +%T.%3N)
        echo "  $now schedule $status: $(echo "$rows" | tr '\n' ' ')"
        while IFS='|' read -r name rowStatus version; do
            [[ "$last" == *"$name|$rowStatus|$version"* ]] || changedAt[$name]=$now
        done <<<"$rows"
        last=$rows
    fi
    [ "$status" = 3 ] || [ "$status" = 4 ] && break
    sleep 0.5
done

seconds() { awk -F: '{ printf "%.3f", $1 * 3600 + $2 * 60 + $3 }' <<<"$1"; }
failed=0
echo "== each device: its report row, its last return (panelsim) and when its row took its final value (console)"
for entry in "${fleet[@]}"; do
    IFS='|' read -r name _ _ _ _ _ options wantStatus wantVersion <<<"$entry"
    row=$(liveSql "SELECT r.status || '|' || r.fwVersion FROM OtaScheduleReport r JOIN Device d
        ON d.did = r.did WHERE d.deviceName = '$name'")
    back=$(grep " connected (console" "$work/panel-$name.log" | tail -1 | cut -d' ' -f1)
    verdict="ok"
    [ "$row" = "$wantStatus|$wantVersion" ] || verdict="FAILED (expected $wantStatus|$wantVersion)"
    late=""
    if [[ "$options" == *restart-before-result* ]]; then
        late=$(awk -v a="$(seconds "$back")" -v b="$(seconds "${changedAt[$name]}")" 'BEGIN { printf "%.1f", b - a }')
        awk -v d="$late" 'BEGIN { exit !(d > 30) }' && verdict="FAILED (judged $late s after its return)"
        late=", judged $late s after"
    fi
    [ "$verdict" = "ok" ] || failed=1
    echo "  $name: row $row, back $back$late, row final at ${changedAt[$name]}: $verdict"
done
echo "== the schedule: $status (3 Failed, 4 Successfully; expected 3: BoxOld and PanelOld did not take the update)"
[ "$status" = 3 ] || failed=1
echo "== the console's judgements"
grep -hE "back at|did not take|the START never|did not come back|restarting after|otaResultTimeout" \
    "$HOME"/Documents/Velk/Log/Quorvin/Quorvin-*.log | cut -c12-200 | sed 's/^/  /'
[ "$failed" -eq 0 ] && echo "ok" || echo "FAILED"
exit $failed
