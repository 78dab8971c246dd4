#!/usr/bin/env bash
# Runs wxOrvane with firmware that speaks without end for SECONDS (default
# 60) on a private X server with SDL's disk audio driver, then quits and
# prints what the sound ring saw: blocks played, underruns (the device asked
# and no block was ready) and blocks dropped because the ring was full.
#
# usage: measure_sound.sh WXORVANE SPEECH_FIRMWARE.bin WORKDIR [SECONDS]
#   e.g. wx/tests/measure_sound.sh build/wx/wxOrvane build/wx/tests/speech_loop.bin /tmp/sound
set -euo pipefail
program=$(realpath "$1") firmware=$(realpath "$2") work=$(realpath -m "$3") seconds=${4:-60}
rm -rf "$work" && mkdir -p "$work/bios" && cd "$work"
cp "$firmware" bios/bios7020.bin
head -c 4096 /dev/zero > bios/7041b.bin

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>display 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s display ] && break; sleep 0.1; done
export DISPLAY=:$(cat display) SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw
export SDL_NO_SIGNAL_HANDLERS=1 GSETTINGS_BACKEND=memory WXORVANE_EVENT_LOG=$work/events.log
export XDG_CONFIG_HOME=$work/config
"$program" 2>/dev/null &
app=$!
win=$(xdotool search --sync --onlyvisible --name '^wxOrvane$' | head -1)
sleep "$seconds"
xdotool windowfocus --sync "$win" key alt+x
wait "$app"
grep '^sound ' events.log
