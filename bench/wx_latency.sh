#!/usr/bin/env bash
# Key-to-sound latency of wxOrvane: a firmware of our own that speaks a short
# phrase at each key (wx/tests/key_speech.asm) runs in the window under a
# private X server, with SDL's disk audio driver, which takes the sound at
# the pace of a real device; xdotool presses a key once every 1.5 s. The
# program's event record (WXORVANE_EVENT_LOG) holds the time of each key
# event ("host key ... down at") and of each sound that follows a silence
# as it is handed to the device ("sound onset at"), with their places in the
# sound stream. For each press it prints three delays, then their median,
# minimum and maximum:
# - from the script's press (host time: X delivery and xdotool included);
# - from the program's key event to the sound leaving the program (host
#   time): the figure the program answers for;
# - the same in the sound stream's own time (samples handed to the device,
#   8000 a second, in steps of its 200-sample callbacks), which is what a
#   listener hears when the device plays at its pace.
# Then what the sound ring saw (blocks played, underruns, blocks dropped,
# the targets it took) and the load average before and after. A real sound
# device adds its own buffer after the hand-off (200 samples: 25 ms).
#
# What the delay is made of: the machine's key poll (every second frame, so
# 20 to 40 ms of the machine's time), the firmware's and speech chip's
# reaction, the blocks of sound already waiting ahead of the phrase in the
# ring, and the wait for the device's next callback.
#
#   bench/wx_latency.sh [build directory] [presses]
#
# Defaults: build, 20 presses. Needs Xvfb and xdotool, and the targets
# wxOrvane and orvane-asm built.
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "${1:-build}")
presses=${2:-20}
program=$build/wx/wxOrvane
asm=$build/tools/asm/orvane-asm
for tool in "$program" "$asm"; do
  if [ ! -x "$tool" ]; then
    echo "bench/wx_latency.sh: $tool is missing; build wxOrvane and orvane-asm first" >&2
    exit 1
  fi
done

work=$(mktemp -d /tmp/wx-latency-bench.XXXXXX)
xvfb_pid= app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/bios" "$work/config"
"$asm" --base 0xF800 --size 2K -o "$work/bios/bios7020.bin" wx/tests/key_speech.asm
head -c 4096 /dev/zero >"$work/bios/7041b.bin"

cd "$work"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset -ardelay 60000 3>display 2>/dev/null &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do [ -s display ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 display) SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw XDG_CONFIG_HOME=$work/config
export SDL_NO_SIGNAL_HANDLERS=1 GSETTINGS_BACKEND=memory WXORVANE_EVENT_LOG=$work/events.log
"$program" 2>/dev/null &
app_pid=$!
for ((i = 0; i < 150; i++)); do grep -q '^ready' events.log 2>/dev/null && break; sleep 0.2; done
win=$(xdotool search --sync --onlyvisible --pid "$app_pid" | head -1)
xdotool windowfocus --sync "$win" mousemove --window "$win" 320 300
sleep 2
echo "wxOrvane, key_speech firmware: $presses key presses, one every 1.5 s"
: >presses.txt
for ((i = 0; i < presses; i++)); do
  date +%s%3N >>presses.txt
  xdotool key --window "$win" a
  sleep 1.5
done
xdotool windowfocus --sync "$win" key alt+x
for ((i = 0; i < 100; i++)); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
app_pid=
tr -d , <events.log >record.txt
grep '^sound onset at' record.txt | awk '{print $4, $6}' >onsets.txt
grep '^host key 65 down at' record.txt | awk '{print $6, $8}' >keydowns.txt
# Each press with the first onset and key-down after it.
awk 'BEGIN { n = 0; m = 0; c = 0; p = 0; lost = 0 }
     FILENAME == "onsets.txt" { on[n] = $1; ons[n] = $2; n++; next }
     FILENAME == "keydowns.txt" { kd[m] = $1; kds[m] = $2; m++; next }
     { press = $1; o = -1; k = -1;
       for (i = 0; i < n; i++) if (on[i] >= press) { o = i; break }
       for (i = 0; i < m; i++) if (kd[i] >= press) { k = i; break }
       p++
       if (o < 0 || k < 0 || on[o] - press > 1000) { printf "press %d: no sound\n", p; lost++; next }
       printf "press %d: %.0f ms after the press, %.0f ms after the key event (%.0f ms of sound)\n",
              p, on[o] - press, on[o] - kd[k], (ons[o] - kds[k]) / 8
       lat[c] = on[o] - press; own[c] = on[o] - kd[k]; snd[c] = (ons[o] - kds[k]) / 8; c++ }
     function sort(a, count,   i, j, t) { for (i = 0; i < count; i++) for (j = i + 1; j < count; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t } }
     function median(a, count) { return count % 2 ? a[int(count / 2)] : (a[count / 2 - 1] + a[count / 2]) / 2 }
     function show(name, a) { sort(a, c); printf "  %s: median %.0f ms, min %.0f ms, max %.0f ms\n", name, median(a, c), a[0], a[c - 1] }
     END { if (c == 0) { print "no press was heard"; exit 1 }
           printf "%d presses heard, %d not\n", c, lost
           show("from the press (host time)", lat)
           show("from the key event (host time)", own)
           show("from the key event (sound stream time)", snd) }' \
  onsets.txt keydowns.txt presses.txt
grep -E '^sound (played|ring)' events.log || true
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
