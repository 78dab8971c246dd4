#!/usr/bin/env bash
# Measures how long a key takes to be heard in wxOrvane: firmware that
# speaks a short phrase at each key (key_speech.asm) runs on a private X
# server with SDL's disk audio driver, which takes the sound at the pace of
# a real device; xdotool presses a key PRESSES times (default 20), 1.5 s
# apart. For each press it prints the time from the script's press to the
# moment the program handed the phrase's first sound to the sound device
# (its event record: "sound onset at"), and the part of it before the
# program saw the key ("host key ... down at"). A real device adds its own
# buffer (200 samples: 25 ms) after that.
#
# usage: measure_latency.sh WXORVANE KEY_SPEECH_FIRMWARE.bin WORKDIR [PRESSES]
#   e.g. wx/tests/measure_latency.sh build/wx/wxOrvane build/wx/tests/key_speech.bin /tmp/latency
set -euo pipefail
program=$(realpath "$1") firmware=$(realpath "$2") work=$(realpath -m "$3") presses=${4:-20}
rm -rf "$work" && mkdir -p "$work/bios" "$work/config" && cd "$work"
cp "$firmware" bios/bios7020.bin
head -c 4096 /dev/zero > bios/7041b.bin

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset -ardelay 60000 3>display 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s display ] && break; sleep 0.1; done
export DISPLAY=:$(cat display) SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw XDG_CONFIG_HOME=$work/config
export SDL_NO_SIGNAL_HANDLERS=1 GSETTINGS_BACKEND=memory WXORVANE_EVENT_LOG=$work/events.log
"$program" 2>/dev/null &
app=$!
for _ in $(seq 100); do grep -q '^ready' events.log 2>/dev/null && break; sleep 0.2; done
win=$(xdotool search --sync --onlyvisible --pid "$app" | head -1)
xdotool windowfocus --sync "$win" mousemove --window "$win" 320 300
sleep 2
: > presses.txt
for _ in $(seq "$presses"); do
    date +%s%3N >> presses.txt
    xdotool key --window "$win" a
    sleep 1.5
done
xdotool windowfocus --sync "$win" key alt+x
wait "$app" || true
grep '^sound onset at' events.log | awk '{print $4}' > onsets.txt
grep '^host key 65 down at' events.log | awk '{print $6}' > keydowns.txt
# Each press with the first onset and key-down after it.
awk 'FILENAME == "onsets.txt" { on[n++] = $1; next }
     FILENAME == "keydowns.txt" { kd[m++] = $1; next }
     { press = $1; o = ""; k = "";
       for (i = 0; i < n; i++) if (on[i] >= press) { o = on[i]; break }
       for (i = 0; i < m; i++) if (kd[i] >= press) { k = kd[i]; break }
       if (o == "" || o - press > 1000) { printf "press %d: no sound\n", ++p; lost++; next }
       printf "press %d: heard after %.0f ms; the program saw the key after %.0f ms and made it heard %.0f ms later\n", ++p, o - press, k - press, o - k
       lat[c] = o - press; own[c++] = o - k }
     function sort(a, n,   i, j, t) { for (i = 0; i < n; i++) for (j = i + 1; j < n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t } }
     END { if (c == 0) exit 1
           sort(lat, c); sort(own, c)
           printf "%d presses heard (%d not)\n", c, lost
           printf "  from the press: min %.0f ms, median %.0f ms, max %.0f ms\n", lat[0], lat[int(c / 2)], lat[c - 1]
           printf "  from the key event in the program: min %.0f ms, median %.0f ms, max %.0f ms\n", own[0], own[int(c / 2)], own[c - 1] }' \
    onsets.txt keydowns.txt presses.txt
grep '^sound ' events.log || true
