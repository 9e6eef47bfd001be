#!/usr/bin/env bash
# Checks with a real PulseAudio that the SOS alarm falls back to the beep when its sound server stops answering or goes
# away, and comes back through the server once it answers again, while the warning is open.
#
# Starts a PulseAudio of its own (a null sink, its socket in the work folder) and the console built in BUILD (default:
# build) on a fresh HOME under Xvfb, logs in and connects one simulated panel. Each case raises an SOS and watches the
# server's streams (pactl subscribe: each pass of the alarm's loop opens a stream of its own) and the console's log:
#   stop:PASS:AT:FOR   the server stopped (SIGSTOP) AT s after pass PASS of the alarm's loop opened, for FOR s, then
#                      continued (SIGCONT): held 2.5 s or less, the alarm must not fall back; held longer, a beep must
#                      start within 5 s of the stop (3.5 s for one in the first half second of the first pass), the
#                      beep is a must for a stop over 5 s, and the alarm must play through the server again within
#                      5 s after it answers, its warning still open;
#   kill:AFTER         the server ended (pulseaudio -k) 2 s into the alarm and started again AFTER s later: the beep at
#                      once, and the alarm through the new server within 10 s of its start;
#   stress:FOR         the alarm raised and played for FOR s beside stress-ng (cpu on every core, io, vm): it must
#                      never fall back.
#   end:PASS:AT:HOW:AFTER  the server ended AT s after pass PASS of the alarm's loop opened, HOW being kill (SIGKILL)
#                      or k (pulseaudio -k), and started again AFTER s later: the beep within 5 s of its end, and the
#                      alarm through the new server within 10 s of its start;
#   first:N:AFTER      the server killed (SIGKILL) as the SOS's Nth connection to it appears, as the alarm first
#                      opens, and started again AFTER s later: the same;
#   again:EVENT:DELAY  the server killed 2 s into the alarm and started again 3 s later, then killed once more DELAY s
#                      after the console's first connection to it (EVENT client: the player found it) or its first
#                      stream (EVENT stream: the alarm played again appeared), and a third started 3 s later: the
#                      alarm through the third within 10 s of its start;
#   undecodable        a text file under the alarm's name: the beep within 3.5 s, the log names the file, and the
#                      console asks the server nothing more while the warning stays open.
# No case but the last may blame the alarm's file.
# Then it answers the warning and checks that no stream and no beep follows. Every case checks that the alarm never
# plays as two streams at once. It prints a line per case with what it measured and exits 1 when a check fails.
#
# Runs in a network namespace of its own where unshare allows it, so the console's fixed ports (1688, 1988, 33333)
# clash with nothing; otherwise they must be free. Needs Xvfb, xdotool, sqlite3, pulseaudio, pactl (pulseaudio-utils)
# and stress-ng (scripts/install-deps.sh). QV_KEEP=1 keeps the work folder (HOME with the log, the server's events).
#   bash scripts/alarm-sound-server.sh [BUILD [CASE ...]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/live-console.sh"
build=$(cd "${1:-$top/build}" && pwd)
shift || true
liveOwnNetwork "$build" "$@"
liveNeed Xvfb xdotool sqlite3 pulseaudio pactl stress-ng
cases=("$@")
if [ ${#cases[@]} -eq 0 ]; then
    cases=(stop:2:1.0:1.0 stop:2:2.0:1.5 stop:2:0.5:2.0 stop:2:2.0:2.5 stop:2:2.0:8 stop:2:2.0:3.3 stop:2:2.5:3.4
        stop:2:0.5:4.8 stop:1:0.3:6 kill:7 stress:60
        end:2:3.85:kill:7 end:2:3.90:kill:7 end:2:3.95:kill:7 end:2:3.85:k:7 end:2:3.90:k:7 end:2:3.95:k:7
        first:1:7 first:2:7 first:3:7
        again:client:0 again:client:0.05 again:client:0.1 again:stream:0 again:stream:0.05 again:stream:0.1
        undecodable)
fi

liveWorkFolder
server=""
events=""
stress=""
cleanup() {
    [ -n "$stress" ] && kill "$stress" 2>/dev/null || true
    [ -n "$events" ] && kill "$events" 2>/dev/null || true
    [ -n "$server" ] && kill "$server" 2>/dev/null && kill -CONT "$server" 2>/dev/null || true
    liveCleanUp
}
trap cleanup EXIT

export HOME="$work/home" QT_FONT_DPI=96
liveStartXvfb
now() { date +%s.%3N; }
log() { cat "$HOME"/Documents/Velk/Log/Quorvin/Quorvin-*.log 2>/dev/null || true; }
# The log's lines that hold the text, each as "<epoch seconds> <line>".
logTimes() { # text
    { log | grep -F -- "$1" || true; } | while read -r day time rest; do echo "$(date -d "$day ${time%.*}" +%s).${time#*.} $rest"; done
}
# The first time in the output of a command at or after `since`, empty when none.
firstAfter() { # since, command ...
    local since=$1
    shift
    "$@" | awk -v since="$since" '$1 >= since { print $1; exit }'
}

# The server, and its events stamped with the time they came; a kill armed ahead (armKill) is fired from them.
startServer() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 -L module-null-sink -L module-native-protocol-unix \
        >>"$work/pulseaudio.log" 2>&1 &
    server=$!
    echo "$server" >"$work/server.pid"
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl subscribe > >(while read -r line; do
        [ -e "$work/trigger" ] && fireKill "$line"
        echo "$(now) $line"
    done >>"$work/events") 2>/dev/null &
    events=$!
}
stopServer() { # [kill: SIGKILL, else pulseaudio -k]
    kill "$events" 2>/dev/null || true
    if [ "${1:-k}" = kill ]; then kill -9 "$server"; else pulseaudio -k 2>/dev/null || kill "$server"; fi
    { wait "$server"; } 2>/dev/null || true
    server=""
    echo "$(now) server ended" >>"$work/events"
}
# At the COUNT-th server event that holds PATTERN, DELAY s later, the server is killed (SIGKILL); the moment goes to
# work/kills.
armKill() { # pattern, count, delay
    echo "$1|$2|$3" >"$work/trigger"
}
fireKill() { # event line
    local pattern count delay
    IFS='|' read -r pattern count delay <"$work/trigger"
    [[ "$1" == *"$pattern"* ]] || return 0
    if [ "$count" -gt 1 ]; then
        echo "$pattern|$((count - 1))|$delay" >"$work/trigger"
        return 0
    fi
    rm -f "$work/trigger"
    {
        [ "$delay" = 0 ] || sleep "$delay"
        kill -9 "$(cat "$work/server.pid")" 2>/dev/null
        now >>"$work/kills"
    } &
}
# Waits up to 20 s for the armed kill, sets `stopped` to its moment (empty when none came) and forgets the server.
awaitKill() { # since
    stopped=""
    for _ in $(seq 200); do
        stopped=$(awk -v since="$1" '$1 >= since { print $1; exit }' "$work/kills" 2>/dev/null || true)
        [ -n "$stopped" ] && break
        sleep 0.1
    done
    rm -f "$work/trigger"
    [ -n "$stopped" ] || return 0
    { wait "$server"; } 2>/dev/null || true
    kill "$events" 2>/dev/null || true
    server=""
    echo "$stopped server ended" >>"$work/events"
}
# The times streams opened at or after `since`; a pass opens a short-lived stream and then the one it plays on.
passStarts() { # since
    awk -v since="$1" '/new. on sink-input/ && $1 >= since { if ($1 - last > 0.5) print $1; last = $1 }' "$work/events"
}
# The most streams the server held at once since `since`, and how many it holds now. A server started again may take
# the console's stream before its events are watched: the count never falls below none, and what plays now is asked.
streams() { # since
    awk -v since="$1" '$1 < since { next } /new. on sink-input/ { n++; if (n > most) most = n }
        /remove. on sink-input/ { if (n > 0) n-- } /server ended/ { n = 0 } END { printf "%d ", most }' "$work/events"
    pactl list short sink-inputs 2>/dev/null | wc -l
}
# Arithmetic on fractions of a second.
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }
holds() { awk "BEGIN { exit !($1) }"; }
sleepUntil() { # epoch seconds
    local left
    left=$(calc "$1 - $(now)")
    if holds "$left > 0"; then sleep "$left"; fi
}
since() { awk "BEGIN { printf \"%.2f\", $1 - $2 }"; }

startServer
cd "$build" # the console finds its translations under lang/ here
liveStartConsole
liveSql "UPDATE Account SET email = 'ops@school.example';
    INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, deviceType, position, isKicked) VALUES
    ('Panel-001', 'Velk TM7-B', '02:51:4d:00:00:01', '127.0.0.2', 'IFP/Control Box', 'Room 1', 0);"
liveLogIn 205 288 196 369
waitFor '^Quorvin v' >/dev/null || { echo "the log-in did not open the main window" >&2; exit 2; }
liveStartPanels 1

warning() { xdotool search --onlyvisible --name '^Quorvin$' 2>/dev/null | head -1; }
# "No action required" on the warning, as the operator answers it.
answer() {
    local w X Y
    w=$(warning)
    eval "$(xdotool getwindowgeometry --shell "$w")"
    xdotool mousemove $((X + 250)) $((Y + 231)) click 1
}

failed=0
fail() {
    echo "  FAILED: $*"
    failed=1
}
alarm="$HOME/.local/share/Quorvin/Audio/Sos_Alert_Audio.mp3"
for case in "${cases[@]}"; do
    IFS=: read -r kind a b c d <<<"$case"
    sleep 6 # past the 5 s in which the panel's next SOS counts as a repeat of the one answered
    [ "$kind" = first ] && armKill "Event 'new' on client" "$a" 0
    if [ "$kind" = undecodable ]; then
        cp "$alarm" "$work/alarm.mp3"
        for _ in $(seq 200); do echo "Sound the alarm"; done >"$alarm"
    fi
    if [ "$kind" = stress ]; then
        # Loaded before the alarm begins: its first pass too.
        stress-ng --cpu 0 --io 2 --vm 2 --vm-bytes 10% --timeout "$((a + 2))s" >/dev/null 2>&1 &
        stress=$!
        sleep 2
    fi
    start=$(now)
    echo "sos 1" >&3
    for _ in $(seq 100); do [ -n "$(warning)" ] && break; sleep 0.1; done
    [ -n "$(warning)" ] || { fail "$case: the SOS showed no warning"; continue; }
    stopped="" answered="" line="" ended=""
    case "$kind" in
    stop)
        for _ in $(seq 300); do [ "$(passStarts "$start" | wc -l)" -ge "$a" ] && break; sleep 0.02; done
        pass=$(passStarts "$start" | sed -n "${a}p")
        [ -n "$pass" ] || { fail "$case: pass $a never opened a stream"; continue; }
        sleepUntil "$(calc "$pass + $b")"
        kill -STOP "$server"
        stopped=$(now)
        sleep "$c"
        kill -CONT "$server"
        answered=$(now)
        ;;
    kill)
        sleep 2
        stopServer
        stopped=$(now)
        sleep "$a"
        startServer
        answered=$(now)
        ;;
    end)
        for _ in $(seq 300); do [ "$(passStarts "$start" | wc -l)" -ge "$a" ] && break; sleep 0.02; done
        pass=$(passStarts "$start" | sed -n "${a}p")
        [ -n "$pass" ] || { fail "$case: pass $a never opened a stream"; continue; }
        sleepUntil "$(calc "$pass + $b")"
        stopped=$(now)
        stopServer "$c"
        line="ended $(since "$stopped" "$pass") s into the pass;"
        sleep "$d"
        startServer
        answered=$(now)
        ;;
    first)
        awaitKill "$start" 2>/dev/null # bash tells of the killed server otherwise
        [ -n "$stopped" ] || { fail "$case: the SOS made no connection $a to the server"; continue; }
        line="killed $(since "$stopped" "$start") s after the SOS;"
        sleep "$b"
        startServer
        answered=$(now)
        ;;
    again)
        sleep 2
        stopServer kill
        ended=$(now)
        sleep 3
        [ "$a" = client ] && armKill "Event 'new' on client" 1 "$b" || armKill "Event 'new' on sink-input" 1 "$b"
        again=$(now)
        startServer
        awaitKill "$again" 2>/dev/null
        [ -n "$stopped" ] || { fail "$case: the console did not come back to the second server"; continue; }
        seen=$(awk -v since="$again" -v what="new. on $([ "$a" = client ] && echo client || echo sink-input)" \
            '$1 >= since && $0 ~ what { print $1; exit }' "$work/events")
        line="killed again $(since "$stopped" "${seen:-$stopped}") s after its $a appeared;"
        sleep 3
        startServer
        answered=$(now)
        ;;
    stress) wait "$stress" || true ;;
    esac
    case "$kind" in end | first | again | undecodable) sleep 10 ;; *) sleep 6 ;; esac
    beep=$(firstAfter "$start" logTimes "sounding the desktop beep instead of the alarm")
    back=$(firstAfter "${answered:-${stopped:-$start}}" logTimes "the alarm sounds again, the desktop beep stops")
    blamed=$(firstAfter "$start" logTimes "the file cannot be decoded")
    # Connections to the server since half a second after the beep, before this script makes its own.
    asked=$(awk -v since="$(calc "${beep:-$start} + 0.5")" '$1 >= since && /new. on client/' "$work/events" | wc -l)
    read -r most open < <(streams "$start")
    line="$case: ${line:-}"
    [ -n "$beep" ] && line="$line beep $(since "$beep" "${ended:-${stopped:-$start}}") s after the stop;" ||
        line="$line no beep;"
    [ -n "$back" ] && line="$line alarm back $(since "$back" "$answered") s after the server answered;"
    line="$line most streams at once $most, $open playing"
    [ "$(warning)" ] && line="$line, the warning open" || line="$line, NO WARNING"
    echo "$line"
    [ "$most" -le 1 ] || fail "$case: two streams at once"
    [ "$open" -eq 1 ] || [ "$kind" = undecodable ] || fail "$case: the alarm does not play through the server"
    [ -n "$(warning)" ] || fail "$case: the warning was gone"
    [ -z "$blamed" ] || [ "$kind" = undecodable ] || fail "$case: the alarm's file was blamed"
    within() { holds "$1 - $2 <= $3"; } # time, since, seconds
    case "$kind" in
    end | first)
        [ -n "$beep" ] && within "$beep" "$stopped" 5 || fail "$case: no beep within 5 s of the end"
        [ -n "$back" ] && within "$back" "$answered" 10 || fail "$case: the alarm did not come back within 10 s"
        ;;
    again)
        [ -n "$back" ] && within "$back" "$answered" 10 || fail "$case: the alarm did not come back within 10 s"
        ;;
    undecodable)
        [ -n "$beep" ] && within "$beep" "$start" 3.5 || fail "$case: no beep within 3.5 s"
        [ -n "$blamed" ] || fail "$case: the log does not name the file"
        [ "$open" -eq 0 ] || fail "$case: a stream plays"
        echo "  connections to the server after the beep: $asked"
        [ "$asked" -eq 0 ] || fail "$case: the server was asked again"
        ;;
    stress) [ -z "$beep" ] || fail "$case: the alarm fell back to the beep" ;;
    stop)
        if holds "$c <= 2.5"; then
            [ -z "$beep" ] || fail "$case: the alarm fell back to the beep"
        elif [ -n "$beep" ]; then
            # A stop in the first half second of the alarm is told within 3.5 s, any other within 5 s.
            limit=5
            [ "$a" = 1 ] && holds "$b <= 0.5" && limit=3.5
            within "$beep" "$stopped" "$limit" || fail "$case: the beep came late"
            [ -n "$back" ] && within "$back" "$answered" 5 || fail "$case: the alarm did not come back within 5 s"
        elif holds "$c > 5"; then
            fail "$case: no beep"
        fi
        ;;
    kill)
        [ -n "$beep" ] && within "$beep" "$stopped" 1 || fail "$case: no beep at once"
        [ -n "$back" ] && within "$back" "$answered" 10 || fail "$case: the alarm did not come back within 10 s"
        ;;
    esac
    answer
    done=$(now)
    [ "$kind" = undecodable ] && cp "$work/alarm.mp3" "$alarm"
    sleep 5
    read -r most open < <(streams "$start")
    [ "$open" -eq 0 ] || fail "$case: a stream plays on after the answer"
    [ "$(awk -v since="$(calc "$done + 0.5")" '$1 >= since && /new. on sink-input/' "$work/events" | wc -l)" -eq 0 ] ||
        fail "$case: a stream opened after the answer"
    [ -z "$(firstAfter "$done" logTimes "sounding the desktop beep")" ] || fail "$case: a beep after the answer"
    [ -z "$(warning)" ] || fail "$case: the warning stayed open after the answer"
done
exit $failed
