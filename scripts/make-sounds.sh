#!/usr/bin/env bash
# Makes the console's four built-in sounds (resource/audio/*.mp3) from plain tones.
# The MP3s are committed, so the build never needs this; run it only to change a sound.
# Needs sox and lame (Debian: apt-get install sox lame).
set -euo pipefail

out="$(cd "$(dirname "$0")/.." && pwd)/resource/audio"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

rate=22050
tone() { # tone FILE SECONDS WAVE FREQ FADE_IN FADE_OUT
    sox -R -n -r "$rate" -c 1 -b 16 "$1" synth "$2" "$3" "$4" fade q "$5" "$2" "$6"
}
silence() { sox -R -n -r "$rate" -c 1 -b 16 "$1" trim 0 "$2"; }
encode() { lame --quiet -t -m m -b 64 --noreplaygain --tt "$2" --ta "Quorvin" "$work/$1.wav" "$out/$1.mp3"; }

# The alarm: a two-tone siren, 960 Hz and 770 Hz, four half-second steps. It plays in a loop, so it
# starts and ends on a short fade to join without a click.
for i in 1 2; do
    tone "$work/hi$i.wav" 0.5 square 960 0.01 0.01
    tone "$work/lo$i.wav" 0.5 square 770 0.01 0.01
done
sox -R "$work/hi1.wav" "$work/lo1.wav" "$work/hi2.wav" "$work/lo2.wav" "$work/sos.wav" vol 0.5
mv "$work/sos.wav" "$work/Sos_Alert_Audio.wav"
encode Sos_Alert_Audio "SOS alarm"

# Broadcast sound 1: three rising notes (C5, E5, G5) with a soft decay.
tone "$work/n1.wav" 0.35 sine 523.25 0.01 0.2
tone "$work/n2.wav" 0.35 sine 659.25 0.01 0.2
tone "$work/n3.wav" 0.9 sine 783.99 0.01 0.7
sox -R "$work/n1.wav" "$work/n2.wav" "$work/n3.wav" "$work/Default_Audio_1.wav" vol 0.8
encode Default_Audio_1 "Chime"

# Broadcast sound 2: a two-note door bell (E5 then C5).
tone "$work/d1.wav" 0.6 sine 659.25 0.01 0.45
tone "$work/d2.wav" 1.1 sine 523.25 0.01 0.9
sox -R "$work/d1.wav" "$work/d2.wav" "$work/Default_Audio_2.wav" vol 0.8
encode Default_Audio_2 "Door bell"

# Broadcast sound 3: an attention signal, three short beeps at 880 Hz, then a longer one.
tone "$work/b.wav" 0.15 sine 880 0.005 0.03
silence "$work/s.wav" 0.12
tone "$work/l.wav" 0.6 sine 880 0.005 0.3
sox -R "$work/b.wav" "$work/s.wav" "$work/b.wav" "$work/s.wav" "$work/b.wav" "$work/s.wav" "$work/l.wav" \
    "$work/Default_Audio_3.wav" vol 0.8
encode Default_Audio_3 "Attention"

ls -l "$out"
