#!/usr/bin/env bash
# The window's added features, in the real wxOrvane: pause stops the frame
# count and fast-forward runs it faster; the scale keys and fullscreen
# change the window; the character mode types '.' and capitals as the host
# keyboard shows them; a paste loses no character; the tape keys move the
# tape; the settings survive a restart; a damaged settings file is reported
# once and left as it is; F9 lists the keys.
#
# usage: features_window_test.sh WXORVANE FIRMWARE.bin WORKDIR
# The firmware (screen_keys.asm) paints its top band in the colour of the
# number of keys it has received, the rest in the last key's colour.
set -euo pipefail

program=$1 firmware=$2 work=$3
source "$(dirname "$0")/window_lib.sh"

conf=$XDG_CONFIG_HOME/orvane/wxOrvane.conf
# The frame count the program last logged.
frames() { grep '^frames ' events.log | tail -1 | awk '{print $2}'; }
# Frames run over $1 seconds.
frames_in() {
    local a b
    a=$(frames)
    sleep "$1"
    b=$(frames)
    echo $((b - a))
}
geometry() { xdotool getwindowgeometry "$win" | awk '/Geometry/ {print $2}'; }
box=
find_box() { box=$(windows | grep -vx "$win" | head -1); [ -n "$box" ]; }
answer_box() {
    within 20 find_box || fail "$1: no box"
    press_until "$box" Return eval '! windows | grep -qx "$box"' || fail "$1: the box stays open"
}
quit() {
    press_until "$win" alt+x ended || fail "Alt+X did not quit"
    wait "$app" || fail "the program ended with status $?"
}
# The machine codes sent since the line that matched $1 in the record.
codes_after() { sed -n "/$1/,\$p" events.log | grep -E '^key [0-9]+$' | awk '{printf "%s ", $2}'; }

# Five seconds of a 100 Hz square wave: a tape long enough to move on.
sox -n -r 8000 -b 8 -e unsigned-integer tape.wav synth 5 square 100

echo "pause and fast-forward"
start_main
within 10 logged '^frames [1-9]' || fail "no frame count"
sleep 2
percent() { grep '^frames ' events.log | tail -1 | awk '{print $4}' | tr -d %; }
normal=$(frames_in 2)
normal_percent=$(percent)
[ "$normal" -gt 30 ] || fail "only $normal frames in 2 s at real time"
press_until "$win" F2 logged '^paused at frame' || fail "F2 did not pause"
within 5 logged '^status 1 Paused' || fail "the status bar does not say Paused"
sleep 1
still=$(frames_in 2)
[ "$still" -eq 0 ] || fail "$still frames ran while paused"
press_until "$win" F2 logged '^running at frame' || fail "F2 did not run the machine again"
within 5 eval '[ "$(frames_in 1)" -gt 10 ]' || fail "no frame after the pause"
# A tap of F3 switches fast-forward on (4x by default) and another off.
press_until "$win" F3 logged '^fast forward on' || fail "a tap of F3 did not switch fast-forward on"
within 5 logged '^speed Fast forward 4x' || fail "the speed is not shown as 4x"
sleep 1
fast=$(frames_in 2)
[ "$fast" -gt $((normal * 3 / 2)) ] || fail "fast-forward ran $fast frames in 2 s, real time $normal"
# (A slow build on a busy host may not reach real time: compared, not absolute.)
within 5 eval '[ "$(percent)" -gt $((normal_percent * 5 / 4)) ]' ||
    fail "the speed shown is $(percent)% in fast-forward, $normal_percent% at real time"
press_until "$win" F3 logged '^fast forward off' || fail "a second tap of F3 did not switch it off"
# Held, it runs fast only while held.
xdotool keydown F3
within 5 logged '^speed Fast forward 4x' || { xdotool keyup F3; fail "a held F3 did not run fast"; }
sleep 1
xdotool keyup F3
within 5 eval '[ "$(grep "^fast forward" events.log | tail -1)" = "fast forward off" ]' ||
    fail "fast-forward stayed on after a hold"

echo "scale and fullscreen"
[ "$(geometry)" = "640x$(geometry | cut -dx -f2)" ] || fail "the window is not 640 wide: $(geometry)"
height2=$(geometry | cut -dx -f2)
press_until "$win" Next logged '^scale 1: 320 x 250' || fail "Page Down did not make the window 1x"
# (The menu bar may keep the window wider than the picture.)
within 5 eval '[ "$(geometry | cut -dx -f1)" -lt 640 ]' || fail "the 1x window is $(geometry)"
xdotool windowfocus --sync "$win" key Prior Prior
within 5 logged '^scale 3: 960 x 750' || fail "Page Up did not make the window 3x"
within 5 eval '[ "$(geometry | cut -dx -f1)" = 960 ]' || fail "the 3x window is $(geometry)"
press_until "$win" F11 logged '^fullscreen on' || fail "F11 did not go fullscreen"
covers_screen() { local g; g=$(geometry); [ "${g%x*}" -ge 1280 ] && [ "${g#*x}" -ge 1024 ]; }
within 5 covers_screen || fail "the fullscreen window is $(geometry)"
# The picture keeps its proportions: on a 1280 x 1024 screen, 1280 x 1000
# with black bands above and below (the picture's own top band is black).
# Without a window manager the window keeps its place at (50, 50), partly
# off the screen: put it at the corner, as a window manager would.
xdotool windowmove "$win" 0 0
shot_pixel() { xwd -id "$win" -silent | /usr/bin/convert xwd:- -format "%[pixel:p{$1,$2}]" info:; }
band_below() { [ "$(shot_pixel 640 1018)" = 'srgb(0,0,0)' ] && [ "$(shot_pixel 640 1000)" = 'srgb(0,255,255)' ]; }
within 10 band_below || fail "no black band below the fullscreen picture: $(shot_pixel 640 1018), $(shot_pixel 640 1000)"
press_until "$win" F11 logged '^fullscreen off' || fail "F11 did not come back to the window"
within 5 eval '[ "$(geometry | cut -dx -f1)" = 960 ]' || fail "the window after fullscreen is $(geometry)"
quit
grep -q '^scale = 3$' "$conf" || fail "the scale was not kept in $conf"

echo "the settings survive a restart; a key map"
printf '# Q types a B\nQ = 66\n' > keys.map
sed -i "s|^key_map = .*|key_map = $work/keys.map|" "$conf"
grep -q "^key_map = $work/keys.map$" "$conf" || fail "no key_map line in $conf"
rm -f events.log
start_app
within 20 logged '^ready' || fail "the program did not start again"
within 10 logged '^scale 3: 960 x 750' || fail "the kept scale was not applied"
find_big() { for w in $(windows); do xdotool getwindowgeometry "$w" | grep -q 'Geometry: 960x' && win=$w && return 0; done; return 1; }
within 10 find_big || fail "the window did not come back at 3x"
within 5 logged "^key map $work/keys.map: 1 keys" || fail "the key map was not read"
xdotool windowfocus --sync "$win" mousemove --window "$win" 320 300 key q
within 10 logged '^key 66$' || fail "Q did not send the key map's 66"
xdotool windowfocus --sync "$win" key Next
within 5 logged '^scale 2: 640 x 500' || fail "Page Down did not go back to 2x"
quit

echo "character mode"
sed -i 's/^keyboard = .*/keyboard = character/' "$conf"
start_main
xdotool windowfocus --sync "$win" type --delay 100 '.'
within 10 eval '[ "$(codes_after "^ready")" = "134 4 46 4 " ]' || fail "'.' typed $(codes_after '^ready')"
xdotool windowfocus --sync "$win" key shift+a
within 10 eval '[ "$(codes_after "^ready")" = "134 4 46 4 65 4 " ]' || fail "a capital A typed $(codes_after '^ready')"
expect_colour 'srgb(255,0,0)' "the capital A (65)"
# The menu goes back to the positional table: '.' is the key in its place.
xdotool windowfocus --sync "$win" key alt+k
sleep 0.5
xdotool key Return
within 5 logged '^keyboard positional' || fail "the Keyboard menu did not set the positional table"
mark=$(wc -l < events.log)
xdotool windowfocus --sync "$win" key period
within 10 eval '[ "$(tail -n +$mark events.log | grep -E "^key [0-9]+$" | head -1)" = "key 59" ]' ||
    fail "'.' in the positional table did not send 59"
grep -q '^keyboard = positional$' "$conf" || fail "the keyboard mode was not kept"

echo "paste"
text='HELLO.WORLD/2=2'
printf '%s' "$text" > clip.txt
xclip -quiet -selection clipboard clip.txt 2>/dev/null &
clip=$!
pids+=($clip)
sleep 1  # the release of the last key typed goes first
mark=$(wc -l < events.log)
keys_before=$(keys_received)
press_until "$win" Insert logged '^paste 15 bytes, 0 characters left out' || fail "Insert did not paste"
expected="72 4 69 4 76 4 76 4 79 4 134 4 46 4 87 4 79 4 82 4 76 4 68 4 134 4 47 4 50 4 61 4 50 4 "
got() { tail -n +$mark events.log | grep -E '^key [0-9]+$' | awk '{printf "%s ", $2}'; }
within 30 eval '[ "$(got)" = "$expected" ]' || fail "the paste typed $(got)"
# The firmware counted every character (releases and Shift are not counted).
within 10 eval '[ "$(keys_received)" = $(( (keys_before + 15) % 8 )) ]' || fail "the firmware counted $(keys_received)"
kill "$clip" 2>/dev/null || true

echo "tape deck"
quit
# Fast loading would run the machine flat out while the tape plays.
sed -i 's/^fast_loading = .*/fast_loading = no/' "$conf"
grep -q '^fast_loading = no$' "$conf" || echo 'fast_loading = no' >> "$conf"
rm -f events.log
start_main --cassette tape.wav
within 10 logged '^status 3 Tape ' || fail "no tape in the status bar"
[ "$(xdotool getwindowname "$win")" = "wxOrvane - tape.wav" ] || fail "the title is $(xdotool getwindowname "$win")"
sleep 1
press_until "$win" End logged '^tape Tape stopped' || fail "End did not stop the tape"
at=$(grep '^tape Tape stopped' events.log | tail -1 | awk '{print $4}')
sleep 1.5
[ "$(grep '^status 3' events.log | tail -1)" = "status 3 Tape stopped $at" ] ||
    fail "the stopped tape moved on: $(grep '^status 3' events.log | tail -1), stopped at $at"
press_until "$win" F8 logged '^tape Tape stopped 0:00/0:05 at 0.0 s' || fail "F8 did not rewind to the start"
press_until "$win" End logged '^tape Tape 0:00/0:05' || fail "End did not play the tape"
within 10 logged '^status 3 Tape 0:0[1-5]/0:05' || fail "the tape's position did not move on"
xdotool windowfocus --sync "$win" key alt+t
sleep 0.5
xdotool key Down Down Down Down Return  # Forward 10 seconds: to the end
within 5 logged '^tape Tape.* 0:05/0:05' || fail "Forward did not move the tape to its end"
grep -q "^recent_tape = $work/tape.wav$" "$conf" || fail "the tape is not among the recent tapes"

echo "the key list"
press_until "$win" F9 logged '^key list shown' || fail "F9 did not show the keys"
answer_box "the key list"
quit

echo "a damaged settings file"
printf 'scale = 9\nthis is no setting\n' > "$conf"
cp "$conf" conf.before
rm -f events.log
start_app
within 20 logged '^settings: Settings file' || fail "the damaged file was not reported"
within 10 find_main || fail "no main window with a damaged settings file"
answer_box "the damaged settings file"
[ "$(grep -c '^settings message' events.log)" = 1 ] || fail "the damaged file was reported more than once"
# Loading a tape is remembered, but not written into the damaged file.
menu 1 && open_file "$work/tape.wav"
within 10 logged "tape $work/tape.wav loaded" || fail "Load K7"
quit
cmp -s "$conf" conf.before || fail "the damaged settings file was changed"
echo "features window test passed"
