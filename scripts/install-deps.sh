#!/usr/bin/env bash
# Installs what the console needs to build, run and test on Debian 12; does nothing when all is there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qtbase5-dev qtmultimedia5-dev libqt5multimedia5-plugins libqt5sql5-sqlite libsqlite3-dev libqt5svg5-dev
    # Qt Multimedia plays the alarm and the broadcast sounds through GStreamer: its player and MP3 decoder, and the
    # ALSA and PulseAudio outputs (without them the alarm is only the desktop's beep). tests/audio builds a
    # GStreamer sink of its own, with the headers.
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-alsa gstreamer1.0-pulseaudio libgstreamer1.0-dev
    qttools5-dev qttools5-dev-tools clang-format
    fonts-liberation xvfb xauth sqlite3 iproute2 tzdata
    curl
    # The Traditional Chinese interface (and the corner brackets of some English texts) needs CJK glyphs.
    fonts-wqy-microhei
    # Qt's own texts (the file dialogs) in the console's languages.
    qttranslations5-l10n
    # tests/shellkit (shellkit_clock) and scripts/clock-jump-live.sh move the console's wall clock with libfaketime.
    faketime libfaketime
    # scripts/sos-stacking.sh: a real window manager, the stacking it reports, and the operator's clicks;
    # scripts/paste-burst-live.sh: the clipboard it pastes from.
    openbox x11-utils xdotool xclip
    # tests/frame (frame_desktop): a system tray host on the test's own X server.
    trayer
    # scripts/alarm-sound-server.sh: a real sound server to stop, end and start again, its events, and a loaded PC.
    pulseaudio pulseaudio-utils stress-ng
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
