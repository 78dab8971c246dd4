#!/usr/bin/env bash
# orvane's own keys and settings in the window: pause stops the machine and
# resume starts it again, fast-forward runs it faster, the window scale and
# fullscreen change the window, the character mode types '.', '=' and
# capitals, a pasted text arrives whole, the tape keys move the tape, the
# settings survive a restart, a damaged settings file is reported and left
# alone. The machine's time is read from the tape position in the title.
#
#   orvane_features_window.sh ORVANE KEYSHOW_FIRMWARE CLIPBOARD_OWNER WORKDIR
set -euo pipefail
orvane=$1 firmware=$2 clipboard_owner=$3 work=$4
here=$(cd "$(dirname "$0")" && pwd)

source "$here/window_lib.sh"

conf=$XDG_CONFIG_HOME/orvane/orvane.conf
title() { xdotool getwindowname "$win"; }
title_has() { title | grep -q -- "$1"; }
# The tape's position in seconds, from "NAME M:SS/M:SS" in the title.
tape_at() {
  local t
  t=$(title | sed -nE 's/.* ([0-9]+):([0-9]{2})\/[0-9]+:[0-9]{2}.*/\1 \2/p')
  [ -n "$t" ] || { echo -1; return; }
  set -- $t
  echo $((10#$1 * 60 + 10#$2))
}
tape_beyond() { [ "$(tape_at)" -ge "$1" ]; }
geometry_is() { xdotool getwindowgeometry "$win" | grep -q "Geometry: $1"; }
# A mode change leaves the keyboard focus nowhere on a server without a
# window manager: the test gives it back, as a window manager would.
refocus() { xdotool windowfocus --sync "$win"; xdotool mousemove 1023 767; }
# The running machine shows black below line 199; a dialog or an alert is grey.
running() { pixel_is 100 450 "(0,0,0)"; }
alert_shown() { pixel_is 320 250 "(200,200,200)"; }
quit_program() { kill "$orvane_pid"; ended_with 143; }

printf '\x0f' > cart.rom && head -c 8191 /dev/zero >> cart.rom
# A recording of 90 s at 1000 Hz, its level changing every half second.
{ wav_header 1000 8 90000; for ((i = 0; i < 90; i++)); do repeat 500 '\300'; repeat 500 '\100'; done; } > tape.wav

echo "pause (F2): the title says Paused and the machine's time stands still"
start --cassette tape.wav
wait_for 10 tape_beyond 1 || fail "the tape does not move: $(title)"
hold F2
wait_for 10 title_has "Paused" || fail "F2: not paused: $(title)"
at=$(tape_at)
sleep 2
[ "$(tape_at)" = "$at" ] || fail "the tape moved while paused: $at, then $(tape_at)"
hold F2
wait_for 10 bash -c "! xdotool getwindowname $win | grep -q Paused" || fail "F2 again: still paused"
wait_for 10 tape_beyond $((at + 2)) || fail "the machine did not run on after the pause: $(title)"

echo "fast-forward (F3): a tap runs the machine 4 times as fast until the next tap"
xdotool key F3
wait_for 10 title_has "Fast forward 4x" || fail "F3: no fast-forward: $(title)"
at=$(tape_at)
sleep 3
moved=$(($(tape_at) - at))
[ "$moved" -ge 6 ] || fail "fast-forward: the machine ran $moved s in 3 s"
wait_for 10 bash -c "xdotool getwindowname $win | grep -qE 'Fast forward 4x [0-9]{3}%'" ||
  fail "fast-forward: no speed of 100% or more in the title: $(title)"
xdotool key F3
wait_for 10 bash -c "! xdotool getwindowname $win | grep -q 'Fast forward'" || fail "F3 again: still fast"
echo "a hold runs fast only while held"
xdotool keydown F3
sleep 1
title_has "Fast forward 4x" || { xdotool keyup F3; fail "F3 held: no fast-forward: $(title)"; }
xdotool keyup F3
wait_for 10 bash -c "! xdotool getwindowname $win | grep -q 'Fast forward'" || fail "F3 released: still fast"

echo "tape keys: End stops the tape where it is and plays it on, F8 rewinds it"
hold End
wait_for 10 title_has "stopped" || fail "End: the tape did not stop: $(title)"
at=$(tape_at)
sleep 1.5
[ "$(tape_at)" = "$at" ] || fail "the stopped tape moved: $at, then $(tape_at)"
hold F8
wait_for 10 bash -c "[ \"\$(xdotool getwindowname $win | grep -o ' 0:00/')\" = ' 0:00/' ]" ||
  fail "F8: not rewound: $(title)"
hold End
wait_for 10 tape_beyond 2 || fail "End again: the tape did not play from the start: $(title)"

echo "window scale (Page Up, Page Down) and fullscreen (F11)"
hold Prior
wait_for 10 geometry_is 960x750 || fail "Page Up: not 960 x 750"
refocus
hold Next
wait_for 10 geometry_is 640x500 || fail "Page Down: not 640 x 500"
refocus
hold Next
wait_for 10 geometry_is 320x250 || fail "Page Down: not 320 x 250"
refocus
wait_for 10 shows 0 255 1 || fail "the picture at 1x"
hold Next
wait_for 10 title_has "smallest" || fail "Page Down at 1x: no message"
hold Prior
wait_for 10 geometry_is 640x500 || fail "Page Up: not 640 x 500 again"
refocus
fullscreen() { xwininfo -root -tree | grep -qE '^ +0x[0-9a-f]+ .*1024x768\+0\+0'; }
root_pixel() { xwd -root -silent | $convert xwd:- -crop 1x1+"$1"+"$2" -depth 8 txt:- | tail -n 1 | awk '{print $2}'; }
hold F11
wait_for 10 fullscreen || fail "F11: no window over the whole screen"
# 768 lines high keep the picture's shape 983 wide: black borders of 20 at
# each side, the white cartridge lines at the top.
wait_for 10 bash -c "[ \"\$(xwd -root -silent | $convert xwd:- -crop 1x1+10+10 -depth 8 txt:- | tail -n 1 | awk '{print \$2}')\" = '(0,0,0)' ]" ||
  fail "fullscreen: no black border at the left"
[ "$(root_pixel 500 10)" = "(255,255,255)" ] || fail "fullscreen: no picture in the middle"
xdotool key F11
wait_for 10 bash -c "! xwininfo -root -tree | grep -qE '^ +0x[0-9a-f]+ .*1024x768\+0\+0'" || fail "F11 again: still fullscreen"
wait_for 10 geometry_is 640x500 || fail "back from fullscreen: not 640 x 500"
refocus

echo "the settings survive a restart"
hold Prior
wait_for 10 geometry_is 960x750 || fail "Page Up: not 960 x 750"
grep -q '^scale = 3$' "$conf" || fail "scale 3 not in $conf"
grep -q "^recent_tape = $work/tape.wav\$" "$conf" || fail "the tape is not among the recent ones"
quit_program
start
wait_for 10 geometry_is 960x750 || fail "the scale was not kept"
refocus
hold Next
wait_for 10 geometry_is 640x500 || fail "Page Down after the restart"
refocus
echo "the recent tape loads again from Esc, More..., Recent files..."
hold Escape
wait_for 10 pixel_is 25 15 "(200,200,200)" || fail "no menu"
click 90 177          # More...
sleep 2
click 160 157         # Recent files...
sleep 2
click 90 177          # Load (the first line: the tape)
wait_for 10 title_has "tape.wav" || fail "the recent tape did not load: $(title)"
click 226 177         # Return (More)
wait_for 10 running || fail "the machine does not run after the boxes"
quit_program

echo "a key map file: F2 and . send the codes it gives them"
printf 'F2 = 27   # the machine'"'"'s Escape\nPeriod = 0x2E\nbad line\n' > keys.map
sed -i "s|^key_map = .*|key_map = $work/keys.map|" "$conf"
grep -q "^key_map = $work/keys.map\$" "$conf" || fail "no key_map line to change in $conf"
start
wait_for 10 alert_shown || fail "no alert for the key map's bad line"
grep -q "key map $work/keys.map: line 3" stderr.txt || fail "the bad line is not named: $(cat stderr.txt)"
xdotool key Return
wait_for 10 running || fail "the machine does not run after the alert"
hold F2
wait_for 10 shows 100 27 || fail "key map: F2 shows $(byte_at 100), not 27"
title_has "Paused" && fail "key map: F2 still pauses"
hold period
wait_for 10 shows 100 46 || fail "key map: . shows $(byte_at 100), not 46"
quit_program
sed -i '/^key_map = /d' "$conf"

echo "the character mode, chosen in Esc, More..., Keyboard...: '.', '=', '/' and capitals"
start
wait_for 10 shows 100 0 || fail "no key lines"
hold Escape
wait_for 10 pixel_is 25 15 "(200,200,200)" || fail "no menu"
click 90 177          # More...
sleep 0.5
click 160 97          # Keyboard...
sleep 0.5
click 160 37          # Type what the key says
wait_for 10 grep -q '^keyboard = character$' "$conf" || fail "the mode was not kept"
click 226 177         # Return (Keyboard)
sleep 0.5
click 226 177         # Return (More)
wait_for 10 running || fail "the machine does not run after the boxes"
for pair in period:46 equal:61 Q:81 slash:47 a:65; do
  k=${pair%%:*} code=${pair#*:}
  xdotool key "$k"
  wait_for 10 shows 100 "$code" || fail "character mode: $k shows $(byte_at 100), not $code"
done
quit_program

echo "paste (Insert): every character of the clipboard arrives"
text="THE QUICK BROWN FOX JUMPS OVER 0123456789"
printf '%s' "$text" > clip.txt
"$clipboard_owner" clip.txt > clip.out &
clip_pid=$!
wait_for 10 grep -q ready clip.out || fail "the clipboard was not taken"
start
wait_for 10 shows 100 0 || fail "no key lines"
# Codes of the characters as the character mode types them: all plain here.
count=0 sum=0
for ((i = 0; i < ${#text}; i++)); do
  count=$((count + 1)); sum=$(((sum + $(printf %d "'${text:i:1}")) % 256))
done
hold Insert
wait_for 10 title_has "pasting ${#text} characters" || fail "Insert: $(title)"
wait_for 60 shows 240 "$count" || fail "pasted: $(byte_at 240) keys arrived, not $count"
shows 320 "$sum" || fail "pasted: the keys' sum is $(byte_at 320), not $sum"
shows 100 57 || fail "pasted: the last key shown is $(byte_at 100), not 57 (9)"
quit_program
kill "$clip_pid" 2>/dev/null || true

echo "a damaged settings file is reported once and left as it is, a cartridge loaded meanwhile"
printf 'scale = 3\nvolume = loud\nthis line is no setting\n' > "$conf"
cp "$conf" conf.before
start cart.rom
# The window already has the size the file asks for: the alert is in its middle.
wait_for 10 pixel_is 480 375 "(200,200,200)" || fail "no alert for the damaged settings file"
grep -q "Settings file $conf: line 2" stderr.txt || fail "no report on stderr: $(cat stderr.txt)"
xdotool key Return
wait_for 10 geometry_is 960x750 || fail "what could be read (scale 3) does not apply"
refocus
wait_for 10 shows 0 15 3 || fail "the machine does not run with its cartridge after the report"
quit_program
cmp -s "$conf" conf.before || fail "the damaged settings file was changed"
[ "$(grep -c 'Settings file' stderr.txt)" = 1 ] || fail "reported more than once"

echo "PASS"
