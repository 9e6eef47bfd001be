#!/usr/bin/env bash
# Firmware runs of the real console whose devices' results are lost, come late, or come while the connection they
# started on is gone. Each device must be judged by what it reports (a result, or the version it is back at), never by
# a drop alone.
#
# Starts otafixture (2 MiB packages, its [Ota] keys in a fresh HOME), the console built in BUILD (default: build) under
# Xvfb, seeds the devices and two "every chosen device" firmware schedules, two and four minutes ahead, logs in and
# starts one panelsim process per device (--reboot-delay 6000). The first schedule holds three control boxes:
#   LateOk, LateFail            two-step routes whose first result is sent 2 s after the return at the first step's
#                               version; LateFail's second step answers -1 (--fail-from-update 2): Failed at the first
#                               step's version. The second START must come only after that late result;
#   Woken                       off when the run starts: the run sends it Wake-on-LAN, the script starts its panelsim
#                               then, as a wake-up would; its link closes 5 s after its START and it connects again at
#                               once at its old version, installing on, its result 40 s after the START. It must get
#                               no power-off (0x1001) before that result, though the others end long before.
# The second schedule holds the rest:
#   BoxNew, BoxTwo, PanelNew, PanelTwo  control boxes (upgrade type 0) and panels with an image each step (type 1)
#                               closing after their progress report in place of the result (--restart-before-result),
#                               back at the new version: the only step, both steps of a two-step route; each judged
#                               within 30 s of its return;
#   BoxOld                      the same, the step not taken (--ota-result fail): back at its old version and silent,
#                               Failed when its step's 600 s result wait ends, not before;
#   PanelOld                    the same as a panel, its -1 sent 3 s after it is back (--late-result): Failed then;
#   Blip1, Blip5, Blip15, Blip30, Reset5, Open5, PanelBlip, AudioBlip
#                               a link that closes (FIN; reset; left open and silent while a new connection comes) 1,
#                               5, 15 or 30 s after the START (the progress report at 20 s, the result at 40 s), back
#                               at once at the old version, installing on; then a restart into the new version;
#   Idle                        answers no keep-alive for 120 s after its START (an agent blocked while it writes its
#                               image): the console's own idle rule closes it after 90 s, it connects again at its old
#                               version, reports progress at 120 s and its result at 240 s;
#   BoxResult                   a box that sends its result and restarts (--reboot-after-ota);
#   AudioStays                  an audio box that installs without a restart.
# Prints the report rows as they change, then for each device its row, what its panel did when, and the console's
# judgements; exits 1 when a row ends otherwise than expected, a device expected Successfully read Failed on the way, a
# restarting device was judged more than 30 s after its return, BoxOld was judged before its wait ended, a second START
# came before a late first result, or the woken box was powered off before its result.
#
# Runs in a network namespace of its own where unshare allows it, so the console's fixed ports (1688, 1988, 33333) and
# otafixture's 18080 clash with nothing; otherwise they must be free, and the woken box is left out (its Wake-on-LAN
# would go to the network's broadcast address). Needs Xvfb, xdotool and sqlite3 (scripts/install-deps.sh). Takes about
# 20 minutes. QV_KEEP=1 keeps the work folder (HOME with the log and database, the panels' output).
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

first=$(date -d '+2 min' '+%Y-%m-%d %H:%M')
second=$(date -d '+4 min' '+%Y-%m-%d %H:%M')
blip="--ota-time 40000 --reboot-after-ota --reconnect-delay 500 --drop-while-installing"
# name|model|firmware|panel firmware|serial|address|panelsim options|expected status (3 Failed, 4 Successfully)|version
# |schedule|what is measured
fleet=(
    "BoxOld|Velk TM7-B|2.5.2052.0|2.5.2052.0|2|127.0.4.3|--restart-before-result --ota-result fail|3|2.5.2052.0|2|wait"
    "BoxNew|Velk TM7-B|2.5.2052.0|2.5.2052.0|1|127.0.4.2|--restart-before-result|4|2.5.2053.0|2|lost"
    "BoxTwo|Velk TM7-B|2.5.2051.0|2.5.2051.0|3|127.0.4.4|--restart-before-result|4|2.5.2053.0|2|lost"
    "BoxResult|Velk TM7-B|2.5.2052.0|2.5.2052.0|4|127.0.4.5|--reboot-after-ota|4|2.5.2053.0|2|"
    "PanelNew|Velk TM B-Series|2.5.1051.0|00.01.00.06|5|127.0.4.6|--restart-before-result|4|2.5.1052.0|2|lost"
    "PanelOld|Velk TM B-Series|2.5.1051.0|00.01.00.06|6|127.0.4.7|--restart-before-result --ota-result fail --late-result 3000|3|2.5.1051.0|2|lost"
    "PanelTwo|Velk TM B-Series|2.5.1050.0|00.01.00.05|7|127.0.4.8|--restart-before-result|4|2.5.1052.0|2|lost"
    "AudioStays|QML8|8.0.0000.04|8.0.0000.04|8|127.0.4.9||4|8.0.0000.05|2|"
    "LateOk|Velk TM7-B|2.5.2051.0|2.5.2051.0|9|127.0.4.10|--restart-before-result --late-result 2000|4|2.5.2053.0|1|late"
    "LateFail|Velk TM7-B|2.5.2051.0|2.5.2051.0|10|127.0.4.11|--restart-before-result --late-result 2000 --fail-from-update 2|3|2.5.2052.0|1|late"
    "Blip1|Velk TM7-B|2.5.2052.0|2.5.2052.0|11|127.0.4.12|$blip 1000|4|2.5.2053.0|2|blip"
    "Blip5|Velk TM7-B|2.5.2052.0|2.5.2052.0|12|127.0.4.13|$blip 5000|4|2.5.2053.0|2|blip"
    "Blip15|Velk TM7-B|2.5.2052.0|2.5.2052.0|13|127.0.4.14|$blip 15000|4|2.5.2053.0|2|blip"
    "Blip30|Velk TM7-B|2.5.2052.0|2.5.2052.0|14|127.0.4.15|$blip 30000|4|2.5.2053.0|2|blip"
    "Reset5|Velk TM7-B|2.5.2052.0|2.5.2052.0|15|127.0.4.16|$blip 5000 --drop-kind reset|4|2.5.2053.0|2|blip"
    "Open5|Velk TM7-B|2.5.2052.0|2.5.2052.0|16|127.0.4.17|$blip 5000 --drop-kind open|4|2.5.2053.0|2|blip"
    "PanelBlip|Velk TM B-Series|2.5.1051.0|00.01.00.06|17|127.0.4.18|$blip 5000|4|2.5.1052.0|2|blip"
    "AudioBlip|QML8|8.0.0000.04|8.0.0000.04|18|127.0.4.19|$blip 5000|4|8.0.0000.05|2|blip"
    "Idle|Velk TM7-B|2.5.2052.0|2.5.2052.0|19|127.0.4.20|--silent-install 120000 --ota-time 240000 --reboot-after-ota --reconnect-delay 1000|4|2.5.2053.0|2|idle"
    "Woken|Velk TM7-B|2.5.2052.0|2.5.2052.0|20|127.0.4.21|$blip 5000|4|2.5.2053.0|1|woken"
)
if [ -z "${QV_NETNS:-}" ]; then
    echo "== not in a network namespace of its own: the woken box is left out"
    unset 'fleet[${#fleet[@]}-1]'
fi
# The Device record's type of a model: the QML audio boxes, else control boxes and panels alike.
deviceType() { # model
    if [[ $1 == Q* ]]; then echo "Audio Box"; else echo "Control Box"; fi
}
sql="UPDATE Account SET email = 'ops@school.example';
INSERT INTO OtaSchedule (osid, scheduleTarget, date, time, status, isEnable) VALUES
    (1, 2, '${first% *}', '${first#* }', 1, 1), (2, 2, '${second% *}', '${second#* }', 1, 1);"
for entry in "${fleet[@]}"; do
    IFS='|' read -r name model fw panel serial ip _ _ _ schedule _ <<<"$entry"
    type=$(deviceType "$model")
    sql+="
INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, fwVersion, panelFwVersion, deviceType, isKicked)
    VALUES ('$name', '$model', '$(printf '02:51:4d:00:00:%02x' "$serial")', '$ip', '$fw', '$panel', '$type', 0);
INSERT INTO DeviceOtaSchedule (did, osid) SELECT did, $schedule FROM Device WHERE deviceName = '$name';
INSERT INTO OtaScheduleReport (did, osid, status, fwVersion) SELECT did, $schedule, 1, '$fw' FROM Device
    WHERE deviceName = '$name';"
done
liveSql "$sql"
# The password field and the Login button of the 380 x 480 log-in window at scale 1.0.
liveLogIn 174 270 190 356
waitFor '^Quorvin v' >/dev/null || { echo "the log-in did not open the main window" >&2; exit 2; }
startPanel() { # fleet entry
    local name model fw panel serial ip options type
    IFS='|' read -r name model fw panel serial ip options _ _ _ _ <<<"$1"
    type=$(deviceType "$model")
    # shellcheck disable=SC2086 # the options are words
    ./tools/panelsim/panelsim --console 127.0.0.1:1688 --count 1 --first-serial "$serial" --base-ip "$ip" \
        --name-prefix "$name-" --model "$model" --device-type "$type" --fw "$fw" --panel-fw "$panel" \
        --password kelvo --no-wol --reboot-delay 6000 $options </dev/null >"$work/panel-$name.log" 2>&1 &
    pids+=($!)
}
woken=""
for entry in "${fleet[@]}"; do
    if [[ $entry == *"|woken" ]]; then woken=$entry; else startPanel "$entry"; fi
done
echo "== $(date +%T) the schedules start at $first and $second"

declare -A changedAt seen
last=""
status=1
for _ in $(seq 3600); do # at most 30 minutes
    rows=$(liveSql "SELECT d.deviceName || '|' || r.status || '|' || r.fwVersion FROM OtaScheduleReport r
        JOIN Device d ON d.did = r.did ORDER BY r.osid, d.deviceName")
    status=$(liveSql "SELECT group_concat(status, ' ') FROM OtaSchedule ORDER BY osid")
    if [ -n "$woken" ] && [[ $status == 2* ]]; then
        echo "  $(date +%T.%3N) schedule 1 runs: the woken box is switched on"
        startPanel "$woken"
        woken=""
    fi
    if [ "$rows" != "$last" ]; then
        now=$(date +%T.%3N)
        echo "  $now schedules $status: $(echo "$rows" | tr '\n' ' ')"
        while IFS='|' read -r name rowStatus version; do
            [[ "$last" == *"$name|$rowStatus|$version"* ]] || changedAt[$name]=$now
            seen[$name]+=" $rowStatus"
        done <<<"$rows"
        last=$rows
    fi
    [[ $status =~ ^[34]\ [34]$ ]] && break
    sleep 0.5
done

seconds() { awk -F: '{ printf "%.3f", $1 * 3600 + $2 * 60 + $3 }' <<<"$1"; }
# Seconds from one time of day to another; "never" when the second did not happen.
since() {
    if [ -z "$2" ]; then echo never; return; fi
    awk -v a="$(seconds "$1")" -v b="$(seconds "$2")" -v f="${3:-%.1f}" 'BEGIN { printf f, b - a }'
}
# The time of the first (the nth, the last) line of a panel's output holding the text.
stamp() { # name, text, [n | last]
    local lines
    lines=$(grep -F -- "$2" "$work/panel-$1.log" || true)
    [ -n "$lines" ] || return 0
    if [ "${3:-}" = last ]; then tail -1 <<<"$lines"; else sed -n "${3:-1}p" <<<"$lines"; fi | cut -d' ' -f1
}
failed=0
echo "== each device: its report row, what its panel did (s after its first START) and when its row took its final value"
for entry in "${fleet[@]}"; do
    IFS='|' read -r name _ _ _ _ _ _ wantStatus wantVersion _ kind <<<"$entry"
    row=$(liveSql "SELECT r.status || '|' || r.fwVersion FROM OtaScheduleReport r JOIN Device d
        ON d.did = r.did WHERE d.deviceName = '$name'")
    start=$(stamp "$name" "OTA started")
    final=${changedAt[$name]:-}
    verdict="ok"
    [ "$row" = "$wantStatus|$wantVersion" ] || verdict="FAILED (expected $wantStatus|$wantVersion)"
    [ "$wantStatus" = 4 ] && [[ ${seen[$name]:-} == *3* ]] && verdict="FAILED (read Failed on the way)"
    notes=""
    case $kind in
    lost)
        back=$(stamp "$name" " connected (console" last)
        late=$(since "$back" "$final")
        awk -v d="$late" 'BEGIN { exit !(d > 30) }' && verdict="FAILED (judged $late s after its return)"
        notes="back +$(since "$start" "$back"), judged $late s after" ;;
    wait)
        progress=$(stamp "$name" "OTA progress" last)
        waited=$(since "$progress" "$final")
        awk -v d="$waited" 'BEGIN { exit !(d < 570) }' && verdict="FAILED (judged $waited s after its last report)"
        notes="back +$(since "$start" "$(stamp "$name" " connected (console" last)"), judged $waited s after its last report" ;;
    late)
        back=$(stamp "$name" " connected (console" 2)
        sent=$(stamp "$name" "sending the result its restart kept back")
        early=$(awk -v a="$back" -v b="$sent" '/OTA started/ && $1 > a && $1 < b' "$work/panel-$name.log" | wc -l)
        next=$(awk -v t="$sent" '/OTA started/ && $1 > t { print $1; exit }' "$work/panel-$name.log")
        [ "$early" -eq 0 ] && [ -n "$next" ] || verdict="FAILED (second START before the late result)"
        notes="back +$(since "$start" "$back"), late result +$(since "$start" "$sent")"
        notes+=", second START $(since "$sent" "${next:-$sent}" %.3f) s after it" ;;
    blip | woken)
        notes="drop +$(since "$start" "$(stamp "$name" "installing, ")"), back +$(since "$start" \
            "$(awk '/installing, /{d=1} d && / connected \(console/ { print $1; exit }' "$work/panel-$name.log")")"
        notes+=", result +$(since "$start" "$(stamp "$name" "OTA done")")"
        if [ "$kind" = woken ]; then
            off=$(stamp "$name" "power off")
            done=$(stamp "$name" "OTA done")
            notes+=", power-off +$(since "$start" "$off")"
            if [ -z "$off" ]; then
                verdict="FAILED (never powered off)"
            elif [ -z "$done" ] || [[ $off < $done ]]; then
                verdict="FAILED (powered off before its result)"
            fi
        fi ;;
    idle)
        notes="closed by the console +$(since "$start" "$(stamp "$name" " disconnected")")"
        notes+=", back +$(since "$start" "$(stamp "$name" " connected (console" 2)")"
        notes+=", progress +$(since "$start" "$(stamp "$name" "OTA progress")")"
        notes+=", result +$(since "$start" "$(stamp "$name" "OTA done")")" ;;
    esac
    [ "$verdict" = "ok" ] || failed=1
    echo "  $name: row $row (seen:${seen[$name]:-}), START at $start${notes:+, $notes}, row final at $final: $verdict"
done
echo "== the schedules: $status (3 Failed, 4 Successfully; expected 3 3: LateFail, then BoxOld and PanelOld fail)"
[ "$status" = "3 3" ] || failed=1
echo "== the console's judgements"
grep -hE "back at|did not take|the START never|did not come back|restarting after|dropped while installing|not counted|no result came|otaResultTimeout:|idle timeout|send shutdown" \
    "$HOME"/Documents/Velk/Log/Quorvin/Quorvin-*.log | cut -c12-220 | sed 's/^/  /'
[ "$failed" -eq 0 ] && echo "ok" || echo "FAILED"
exit $failed
