#!/usr/bin/env bash
# The running orvane window: keys with modifiers and presses of no length,
# Ctrl+C and SIGTERM in every place the program can be, a firmware file of
# the wrong size, loads that fail or are cancelled, the sound pacing the
# machine, outputs that never replace a device.
#
#   orvane_run_window.sh ORVANE KEYSHOW_FIRMWARE WORKDIR
set -euo pipefail
orvane=$1 firmware=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)

source "$here/window_lib.sh"

title_has() { xdotool getwindowname "$win" | grep -q "$1"; }
# The running machine shows black below line 119; a dialog or an alert is grey.
running() { pixel_is 100 450 "(0,0,0)"; }
alert_shown() { pixel_is 320 250 "(200,200,200)"; }
open_menu() {
  hold Escape
  wait_for 10 pixel_is 25 15 "(200,200,200)" || fail "no menu ($1)"
}
select_file() {  # in the open file selector: a path, then Return
  wait_for 10 pixel_is 300 200 "(200,200,200)" || fail "no file selector"
  sleep 0.3
  xdotool key --repeat 100 BackSpace
  xdotool type "$1"
  xdotool key Return
}
sent_signal() {  # sent_signal SIGNAL STATUS WHERE: the program ends cleanly with the status
  kill -"$1" "$orvane_pid"
  ended_with "$2"
  ! grep -q "Shutting down Allegro" stderr.txt || fail "$3: the library's own signal handler ran"
}

printf '\x0f' > cart.rom && head -c 8191 /dev/zero >> cart.rom
head -c 100 /dev/zero > bad.rom

echo "a firmware file of the wrong size: an alert, then the machine runs"
mkdir -p shortfw
cp bios/bios7020.bin shortfw/
head -c 4000 /dev/zero > shortfw/7041b.bin
start --bios shortfw
wait_for 10 alert_shown || fail "no alert for the short 7041b.bin"
grep -q "7041b.bin holds 4000 bytes, not 4096" stderr.txt || fail "no warning on stderr"
echo "SIGINT while the alert is shown"
sent_signal INT 130 "in an alert"

start --bios shortfw
wait_for 10 alert_shown || fail "no alert for the short 7041b.bin (second start)"
xdotool key Return
wait_for 10 shows 100 0 || fail "the machine did not run after the warning"

echo "SIGTERM and SIGINT while the machine runs"
sent_signal TERM 143 "running"
for n in 1 2 3; do
  start
  wait_for 10 shows 100 0 || fail "no key lines"
  sent_signal INT 130 "running, run $n"
  start
  wait_for 10 shows 100 0 || fail "no key lines"
  sent_signal TERM 143 "running, run $n"
done

echo "SIGTERM in the debugger, SIGINT in the file selector"
start
wait_for 10 shows 100 0 || fail "no key lines"
hold F1
wait_for 10 pixel_is 300 300 "(200,200,200)" || fail "no debugger"
sent_signal TERM 143 "in the debugger"
start
wait_for 10 shows 100 0 || fail "no key lines"
open_menu "for the selector"
click 150 37
wait_for 10 pixel_is 300 200 "(200,200,200)" || fail "no file selector"
sent_signal INT 130 "in the file selector"

echo "a failed cartridge on the command line keeps the built-in demo cartridge"
mkdir -p nobios && cd nobios
"$orvane" ../bad.rom 2>../stderr.txt &
orvane_pid=$!
cd ..
find_builtin() { win=$(xdotool search --onlyvisible --name '^Orvane \(built-in open firmware\)' 2>/dev/null | head -n1) && [ -n "$win" ]; }
wait_for 20 find_builtin || fail "no window for the built-in firmware"
xdotool windowfocus --sync "$win"
xdotool mousemove 1023 767
sleep 0.5
xdotool key Return  # "Not a valid ROM"
wait_for 10 pixel_is 10 10 "(0,0,255)" || fail "the demo cartridge's title screen is gone"
stop_orvane

# A recording of 8 s above the zero level, then 1 s below it, at 1000 Hz.
{ wav_header 1000 8 9000; repeat 8000 '\300'; repeat 1000 '\100'; } > long.wav

echo "keys: a modifier gives way; presses of no length arrive; a tape and a cartridge"
start --cassette long.wav cart.rom
wait_for 10 shows 20 15 || fail "cartridge lines"
wait_for 10 shows 180 16 || fail "the tape does not play"

echo "cancelling LOAD K7 keeps the tape playing"
open_menu "LOAD K7"
click 150 57
wait_for 10 pixel_is 300 200 "(200,200,200)" || fail "no file selector"
sleep 0.3
xdotool key Escape
wait_for 10 running || fail "the machine did not run on after the cancel"
wait_for 20 shows 180 0 || fail "the tape stopped when LOAD K7 was cancelled"

echo "Shift, Ctrl and Alt held: the key pressed meanwhile reaches the machine"
for mod in Shift_L Control_L Alt_L; do
  for k in a b; do
    xdotool keydown "$mod"; sleep 0.2
    hold "$k"
    xdotool keyup "$mod"; sleep 0.2
    code=$(( $(printf %d "'$k") - 32 ))
    wait_for 10 shows 100 "$code" || fail "$mod held, then $k: shows $(byte_at 100), not $code"
  done
done

echo "presses of no length all arrive"
for k in g h i j k l m; do
  xdotool keydown "$k" keyup "$k"
  code=$(( $(printf %d "'$k") - 32 ))
  wait_for 10 shows 100 "$code" || fail "a short press of $k was lost (shows $(byte_at 100))"
done

echo "a failed LOAD ROM changes nothing; the cartridge is still there after RESET"
open_menu "LOAD ROM"
click 150 37
select_file "$work/bad.rom"
sleep 1
xdotool key Return  # "Not a valid ROM"
wait_for 10 running || fail "the machine did not run on after the failed load"
sleep 1
shows 100 77 || fail "the failed load reset the machine"
open_menu "RESET"
click 150 127
sleep 0.5
xdotool key r
wait_for 10 shows 100 0 || fail "RESET did not reset"
wait_for 10 shows 20 15 || fail "the failed load lost the cartridge (shows $(byte_at 20))"

echo "screenshots never replace what is not a regular file"
ln -s nowhere/orvane.png orvane-000.png  # a link to nothing is a name in use too
mkfifo orvane-001.png
hold F12
wait_for 10 test -s orvane-002.png || fail "no screenshot beside the link and the FIFO"
[ -L orvane-000.png ] && [ -p orvane-001.png ] || fail "the link or the FIFO was replaced"

echo "a state slot that is a link is refused, not replaced"
ln -s st-target cart.st1
hold F5
wait_for 10 title_has "cart.st1" || fail "F5: no message about the link"
[ -L cart.st1 ] && [ ! -e st-target ] || fail "the link was replaced or followed"
sent_signal TERM 143 "after the outputs"

echo "the sound paces the machine: 8000 samples a second, none dropped"
ORVANE_SOUND_STATS=1 start
wait_for 10 shows 100 0 || fail "no key lines"
sleep 10          # an undisturbed run for the figures
open_menu "EXIT"
click 150 147
sleep 0.5
xdotool key y
ended_with 0
cat stderr.txt
line=$(grep "the machine made" stderr.txt) || fail "no sound figures"
rate=$(sed -E 's/.* ([0-9]+) samples a second.*/\1/' <<<"$line")
# Paced by the 50 Hz tick it would make about 8150 samples a second. On a
# loaded machine the feeder starts its blocks late and the machine follows
# it, slower: no lower bound.
[ "$rate" -gt 0 ] && [ "$rate" -le 8080 ] || fail "the machine made $rate samples a second for the 8000 played"
grep -q " 0 dropped" stderr.txt || fail "blocks were dropped"
grep -q "[0-9] underruns" stderr.txt || fail "no underrun count"
echo "all run window tests passed"
