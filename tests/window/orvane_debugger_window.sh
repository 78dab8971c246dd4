#!/usr/bin/env bash
# The orvane debugger in a real window: Continue back to the running machine,
# Esc that asks before it quits, the keys that drive the debugger kept from
# the machine, VDP breaks (Cancel, Clear, the reason shown), addresses out of
# range refused, a failed Load ROM that changes nothing.
#
#   orvane_debugger_window.sh ORVANE KEYSHOW_FIRMWARE WORKDIR
set -euo pipefail
orvane=$1 firmware=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)

source "$here/window_lib.sh"

title_has() { xdotool getwindowname "$win" | grep -q "$1"; }
# In the debugger the log view is grey; the running machine's picture shows
# black there (nothing is drawn below line 119).
in_debugger() { pixel_is 100 450 "(200,200,200)"; }
running() { pixel_is 100 450 "(0,0,0)"; }
to_debugger() {
  hold F1
  wait_for 20 in_debugger || fail "no debugger ($1)"
}
# Commands menu entries, 12 pixels apart from RESET at y 24.
command() { click 40 8; sleep 0.3; click 60 $((24 + 12 * $1)); }
CMD_SET_VDP=4 CMD_CLEAR_VDP=5 CMD_CONTINUE=8
# The address field: the pointer over it gives it the keys.
type_address() {
  xdotool mousemove --window "$win" 560 363; sleep 0.3
  xdotool key --repeat 8 BackSpace; xdotool type "$1"
  xdotool mousemove --window "$win" 100 100; sleep 0.3  # the disassembly takes the keys again
}

printf '\x0f' > cart.rom && head -c 8191 /dev/zero >> cart.rom
head -c 100 /dev/zero > bad.rom

start cart.rom
wait_for 20 shows 20 15 || fail "cartridge lines"
wait_for 10 shows 100 0 || fail "key lines"

echo "F1 stops the machine; the title says why; F9 runs it on"
to_debugger "F1"
wait_for 10 title_has "Stopped: F1" || fail "no reason in the title after F1"
xdotool key F9
wait_for 10 running || fail "F9 did not run the machine on"
hold a
wait_for 10 shows 100 65 || fail "A did not reach the machine after Continue"

echo "the Commands menu's Continue runs it on too"
to_debugger "F1 again"
command $CMD_CONTINUE
wait_for 10 running || fail "Continue did not run the machine on"

echo "the debugger's B, held, never reaches the machine"
to_debugger "before B"
type_address 1234         # never reached: the machine runs until F1
xdotool keydown b; sleep 1.2; xdotool keyup b   # longer than the key repeat's delay
wait_for 10 running || fail "B did not run the machine"
sleep 1
shows 100 65 || fail "the debugger's B reached the machine (shows $(byte_at 100))"
hold c
wait_for 10 shows 100 67 || fail "C did not reach the machine after B"

echo "the VDP break question: Esc cancels"
to_debugger "before the VDP break"
type_address 1310         # where the firmware writes the key's code
command $CMD_SET_VDP
sleep 0.8
xdotool key Escape        # Cancel: no break
sleep 0.5
xdotool key F9
wait_for 10 running || fail "F9 after cancelling"
hold d
wait_for 10 shows 100 68 || fail "D did not arrive: a break was set although cancelled"
running || fail "the machine stopped although the VDP break was cancelled"

echo "a VDP write break stops the machine and says so; Clear VDP break removes it"
to_debugger "before the write break"
command $CMD_SET_VDP
sleep 0.8
xdotool key n             # Write
sleep 0.5
xdotool key F9
wait_for 10 running || fail "F9 after setting the break"
hold e
wait_for 10 in_debugger || fail "the VDP write break did not stop the machine"
wait_for 10 title_has "Stopped: VDP write break at 1310" || fail "no reason for the VDP stop: $(xdotool getwindowname "$win")"
command $CMD_CLEAR_VDP
sleep 0.5
xdotool key F9
wait_for 10 running || fail "F9 after clearing the break"
hold f
wait_for 10 shows 100 70 || fail "F did not arrive after Clear VDP break"
running || fail "the machine stopped after Clear VDP break"

echo "an address above FFFF is refused, not wrapped"
to_debugger "before the long address"
type_address 10000        # wrapped, it would be 0000: never reached, the machine would run
xdotool key b
sleep 2
in_debugger || fail "B ran the machine to a wrapped address"
xdotool key Return        # the message
sleep 0.5
in_debugger || fail "not back in the debugger after the message"

echo "the memory explorer refuses an End beyond its range"
click 113 8
click 150 24
wait_for 10 pixel_is 620 480 "(200,255,200)" || fail "no explorer"
explorer_field() {  # explorer_field X TEXT: the field under the pointer gets the text
  xdotool mousemove --window "$win" "$1" 34; sleep 0.3
  xdotool key --repeat 8 BackSpace; xdotool type "$2"
}
explorer_field 140 f800
explorer_field 330 110000
click 30 6
click 60 34
sleep 2
! ls FILE*.bin >/dev/null 2>&1 || fail "a dump was written to an End of 110000"
xdotool key Return        # the message
sleep 0.5
dumped=
for n in 1 2 3; do        # a field that missed a key is typed again
  explorer_field 140 f800
  explorer_field 330 f80f
  click 30 6
  click 60 34
  wait_for 10 bash -c 'ls FILE*.bin >/dev/null 2>&1' && { dumped=1; break; }
  xdotool key Return
done
[ -n "$dumped" ] || fail "no dump within range"
sleep 0.5; xdotool key Return   # the alert that names the file
sleep 0.3; hold Escape
wait_for 10 in_debugger || fail "explorer did not close"

echo "a failed Load ROM (F4) leaves the machine as it was"
xdotool key F4
wait_for 10 pixel_is 300 200 "(200,200,200)" || fail "no file selector"
sleep 0.3
xdotool key --repeat 100 BackSpace
xdotool type "$work/bad.rom"
xdotool key Return
sleep 1
xdotool key Return        # "Not a valid ROM"
sleep 0.5
xdotool key F9
wait_for 10 running || fail "F9 after the failed load"
sleep 1
shows 100 70 || fail "the failed load reset the machine"
to_debugger "before the reset"
xdotool key r             # reset: the firmware draws the cartridge's byte again
sleep 0.3
xdotool key F9
wait_for 10 shows 100 0 || fail "the reset did not happen"
wait_for 10 shows 20 15 || fail "the failed load lost the cartridge (shows $(byte_at 20))"

echo "Esc in the debugger asks; No keeps it, Yes ends the program"
to_debugger "before Esc"
xdotool key Escape
sleep 1
kill -0 "$orvane_pid" 2>/dev/null || fail "Esc ended the program without asking"
xdotool key n
sleep 0.5
in_debugger || fail "not back in the debugger after No"
kill -0 "$orvane_pid" 2>/dev/null || fail "No ended the program"
xdotool key Escape
sleep 1
xdotool key y
ended_with 0
echo "all debugger window tests passed"
