#!/usr/bin/env bash
# Key-to-sound latency of orvane: a firmware of our own that speaks a phrase
# for every key (bench/keytalk.asm) runs in the window under a private X
# server; xdotool presses a key once every 1.5 s; the program, with
# ORVANE_SOUND_STATS=1, records for each press the time from the key event
# (Allegro's keyboard callback) to the moment the block holding the first
# sample of the phrase is handed to Allegro's mixer, plus that sample's place
# in the block, and prints the median, minimum and maximum at exit.
#
# What the figure leaves out: the time the X server takes to deliver the key
# (xdotool to Allegro), and the mixer's and sound card's own buffering after
# the hand-off, which depends on the sound driver (without a sound card, as
# here, nothing plays). It includes the key poll's wait (every second
# frame), the machine's reaction, the block being filled and the queue of
# blocks ahead of it.
#
#   bench/orvane_latency.sh [build directory] [presses]
#
# Defaults: build, 20 presses. Needs Xvfb and xdotool, and the targets
# orvane and orvane-asm built.
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "${1:-build}")
presses=${2:-20}
orvane=$build/allegro/orvane
asm=$build/tools/asm/orvane-asm
for tool in "$orvane" "$asm"; do
  if [ ! -x "$tool" ]; then
    echo "bench/orvane_latency.sh: $tool is missing; build orvane and orvane-asm first" >&2
    exit 1
  fi
done

work=$(mktemp -d /tmp/orvane-latency-bench.XXXXXX)
xvfb_pid= orvane_pid=
cleanup() {
  [ -n "$orvane_pid" ] && kill "$orvane_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/bios" "$work/cfg" "$work/xdg"
"$asm" --base 0xF800 --size 2K -o "$work/bios/bios7020.bin" bench/keytalk.asm
head -c 4096 /dev/zero >"$work/bios/7041b.bin"
printf '[sound]\ndigi_card = 0\nmidi_card = 0\n' >"$work/cfg/allegro.cfg"

cd "$work"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>display 2>xvfb.log &
xvfb_pid=$!
for ((i = 0; i < 100; i++)); do [ -s display ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 display) ALLEGRO=$work/cfg XDG_CONFIG_HOME=$work/xdg ORVANE_SOUND_STATS=1

"$orvane" 2>stderr.txt &
orvane_pid=$!
win=
for ((i = 0; i < 200; i++)); do
  win=$(xdotool search --onlyvisible --name '^Orvane' 2>/dev/null | head -n1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no window" >&2; exit 1; }
xdotool windowfocus --sync "$win"
sleep 2
echo "orvane, keytalk firmware: $presses key presses, one every 1.5 s"
for ((i = 0; i < presses; i++)); do
  xdotool keydown a; sleep 0.1; xdotool keyup a
  sleep 1.4
done
kill "$orvane_pid"
wait "$orvane_pid" 2>/dev/null || true
orvane_pid=
grep "^orvane: sound:" stderr.txt
