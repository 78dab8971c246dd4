#!/usr/bin/env bash
# Measures how long a key takes to be heard in wxOrvane: firmware that
# speaks a short phrase at each key (key_speech.asm) runs on a private X
# server with SDL's disk audio driver, which takes the sound at the pace of
# a real device; xdotool presses a key PRESSES times (default 20), 1.5 s
# apart. For each press it prints how long after it the program handed the
# phrase's first sound to the sound device (its event record: "sound onset
# at"), counted from the script's press and from the program's key event
# ("host key ... down at"), in host time and in the sound stream's time. A
# real device adds its own buffer (200 samples: 25 ms) after that.
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
tr -d , < events.log > record.txt
grep '^sound onset at' record.txt | awk '{print $4, $6}' > onsets.txt
grep '^host key 65 down at' record.txt | awk '{print $6, $8}' > keydowns.txt
# Each press with the first onset and key-down after it. Three measures:
# from the script's press to the onset (host time: X delivery included);
# from the program's key event to the onset (host time); and from the key
# event to the onset in the sound stream's own time (samples handed to the
# device, 8000 a second), which is what a listener hears when the device
# plays at its pace, even on a host too busy to keep up.
awk 'FILENAME == "onsets.txt" { on[n] = $1; ons[n++] = $2; next }
     FILENAME == "keydowns.txt" { kd[m] = $1; kds[m++] = $2; next }
     { press = $1; o = -1; k = -1;
       for (i = 0; i < n; i++) if (on[i] >= press) { o = i; break }
       for (i = 0; i < m; i++) if (kd[i] >= press) { k = i; break }
       if (o < 0 || k < 0 || on[o] - press > 1000) { printf "press %d: no sound\n", ++p; lost++; next }
       printf "press %d: heard %.0f ms after the press; %.0f ms after the program saw it (%.0f ms of sound)\n",
              ++p, on[o] - press, on[o] - kd[k], (ons[o] - kds[k]) / 8
       lat[c] = on[o] - press; own[c] = on[o] - kd[k]; snd[c++] = (ons[o] - kds[k]) / 8 }
     function sort(a, n,   i, j, t) { for (i = 0; i < n; i++) for (j = i + 1; j < n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t } }
     function show(name, a) { sort(a, c); printf "  %s: min %.0f ms, median %.0f ms, max %.0f ms\n", name, a[0], a[int(c / 2)], a[c - 1] }
     END { if (c == 0) exit 1
           printf "%d presses heard (%d not)\n", c, lost + 0
           show("from the press (host time)", lat)
           show("from the key event (host time)", own)
           show("from the key event (sound stream time)", snd) }' \
    onsets.txt keydowns.txt presses.txt
grep -E '^sound (played|ring)' events.log || true
