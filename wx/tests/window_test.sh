#!/usr/bin/env bash
# Drives the real wxOrvane window on a private X server, with SDL writing its
# sound to a file: the firmware's picture shows, typed keys reach the
# firmware, the File menu loads a cartridge and a tape and resets (a file
# that is no cartridge changes nothing), F5 and F7 save and load a state (a
# slot that is a link is refused, one that is a device is written into),
# Backspace rewinds, F12 saves a screenshot under a name nothing holds, the
# debugger window opens, runs to an address and steps, Alt+X quits.
#
# usage: window_test.sh WXORVANE FIRMWARE.bin LISTING WORKDIR
# The firmware (screen_keys.asm) paints the screen in one colour: cyan at
# start, the cartridge's colour, a key's colour, yellow once the tape plays.
set -euo pipefail

program=$1 firmware=$2 listing=$3 work=$4
source "$(dirname "$0")/window_lib.sh"

# A 16 KB cartridge (placed at $4000) whose second byte names colour 5, magenta.
{ printf '\xa5\x05'; head -c 16382 /dev/zero; } > cart.bin
# A file of no cartridge's size.
head -c 1000 /dev/zero > bad.bin
# One second of a 100 Hz square wave, 8-bit: the tape input moves.
sox -n -r 8000 -b 8 -e unsigned-integer tape.wav synth 1 square 100
main_loop=$(awk '{for (i = 2; i <= NF; i++) if ($i == "MAIN") {print $1; exit}}' "$listing")
[ -n "$main_loop" ] || { echo "FAIL: no MAIN in $listing" >&2; exit 1; }

start_main
expect_colour 'srgb(0,255,255)' "firmware's picture"

press_until "$win" b colour_is 'srgb(0,255,0)' || fail "key B (code 66): screen shows $(colour)"
press_until "$win" a colour_is 'srgb(255,0,0)' || fail "key A (code 65): screen shows $(colour)"

menu 0 && open_file "$work/cart.bin"
within 10 logged "rom $work/cart.bin loaded" || fail "Load ROM"
expect_colour 'srgb(255,0,255)' "cartridge loaded and machine reset"

press_until "$win" b colour_is 'srgb(0,255,0)' || fail "key B after the cartridge: screen shows $(colour)"
# A file that is no cartridge: the message, and the machine runs on as it
# was, with no reset (green stays) and the cartridge still there (below).
menu 0 && type_into_dialog "$work/bad.bin"
within 10 logged "rom $work/bad.bin rejected" || fail "Load ROM of a bad file"
box=
find_box() { box=$(windows | grep -vx "$win" | head -1); [ -n "$box" ]; }
within 10 find_box || fail "no message about the bad file"
press_until "$box" Return dialog_gone || fail "the message about the bad file stays"
! logged '^reset' || fail "a rejected ROM reset the machine"
expect_colour 'srgb(0,255,0)' "after a rejected ROM"
menu 3
within 10 logged '^reset' || fail "Reset"
expect_colour 'srgb(255,0,255)' "reset with the cartridge kept through a rejected load"

# States: F5 saves beside the cartridge, a key changes the picture, F7 brings
# the saved machine back. The keys never reach the machine (it would paint
# black for Backspace's 8, as for Delete).
press_until "$win" b colour_is 'srgb(0,255,0)' || fail "key B before the save: screen shows $(colour)"
press_until "$win" F5 test -s cart.st1 || fail "F5 saved no state beside the cartridge"
logged "^state saved to $work/cart.st1" || fail "F5: no message"
press_until "$win" a colour_is 'srgb(255,0,0)' || fail "key A after the save: screen shows $(colour)"
press_until "$win" F7 colour_is 'srgb(0,255,0)' || fail "F7: screen shows $(colour), not the saved picture"
logged "^state loaded from $work/cart.st1" || fail "F7: no message"
# An empty slot is refused and the machine runs on as it was.
press_until "$win" F6 logged '^state slot 2' || fail "F6 picked no other slot"
press_until "$win" F7 logged "^state not loaded from $work/cart.st2" || fail "F7 on an empty slot"
expect_colour 'srgb(0,255,0)' "after a refused load"
# A slot that is a link is never replaced nor followed; a slot that is a
# character device (here one that discards, as /dev/null does) is written
# into and stays a device.
echo keep > kept
ln -s kept cart.st2
press_until "$win" F5 logged "^state not saved to $work/cart.st2" || fail "F5 over a link: no refusal"
[ -L cart.st2 ] && [ "$(cat kept)" = keep ] || fail "F5 replaced or followed the link cart.st2"
if mknod cart.st3 c 1 3 2>/dev/null; then
    press_until "$win" F6 logged '^state slot 3' || fail "F6 picked no third slot"
    press_until "$win" F5 logged "^state saved to $work/cart.st3" || fail "F5 into a device"
    [ -c cart.st3 ] || fail "F5 replaced the device cart.st3"
fi
sleep 2  # seconds of green for the rewind to go back to

# Rewind: Backspace held steps back a second at a time with no frame run
# between, so it comes back past the red of A to the green of before. The
# picture changes four times a second: each read is taken once.
press_until "$win" a colour_is 'srgb(255,0,0)' || fail "key A after a refused load"
green=
back_to_green() {
    [ "$(colour)" = 'srgb(0,255,0)' ] && green=1
    logged '^rewind none older' && return 0
    [ -n "$green" ] && logged '^rewind 2 s back'
}
xdotool windowfocus --sync "$win" keydown BackSpace
within 20 back_to_green || { xdotool keyup BackSpace; fail "a held Backspace did not step back to green"; }
xdotool keyup BackSpace
[ -n "$green" ] || fail "Backspace stepped back to the oldest state without showing green"
within 5 logged '^rewind ended' || fail "the rewind did not end with the key"
sleep 0.5
[ "$(colour)" != 'srgb(0,0,0)' ] || fail "Backspace reached the machine"
press_until "$win" d colour_is 'srgb(0,0,255)' || fail "key D after the rewind: screen shows $(colour)"

menu 1 && open_file "$work/tape.wav"
within 10 logged "tape $work/tape.wav loaded" || fail "Load K7"
expect_colour 'srgb(255,255,0)' "tape signal"

# The first name is taken by a dangling link: the screenshot takes the next.
ln -s nowhere orvane-000.png
press_until "$win" F12 test -s orvane-001.png || fail "F12 saved no screenshot"
[ -L orvane-000.png ] && [ ! -e nowhere ] || fail "the screenshot went through the link orvane-000.png"
[ "$(/usr/bin/convert orvane-001.png -format '%[pixel:p{320,450}]' info:)" = 'srgb(255,255,0)' ] ||
    fail "the screenshot does not hold the picture (screen shows $(colour))"

menu 2
within 10 logged '^debugger open' || fail "Call Debugger"
debug=
find_debugger() {
    debug=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx "$win" | head -1)
    [ -n "$debug" ]
}
within 10 find_debugger || fail "no debugger window"
# Run to the firmware's main loop: click the address field, type it, Return,
# then Return in the question "Go to ... ?" for Yes.
before=$(count "debugger pc=$main_loop")
question=
find_question() {
    question=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -vx -e "$win" -e "$debug" | head -1)
    [ -n "$question" ]
}
for _ in 1 2 3; do
    xdotool windowfocus --sync "$debug" mousemove --window "$debug" 120 472 mousedown 1
    sleep 0.05
    xdotool mouseup 1 key ctrl+a type "${main_loop,,}"
    xdotool key Return
    within 5 find_question && break
done
[ -n "$question" ] || fail "Go to breakpoint asked nothing"
went_there() { [ "$(count "debugger pc=$main_loop")" -gt "$before" ]; }
press_until "$question" Return went_there || fail "Go to breakpoint did not stop at $main_loop"
sleep 0.5
before=$(count 'debugger pc=')
stepped() { [ "$(count 'debugger pc=')" -gt "$before" ]; }
loads=$(count '^state loaded')
press_until "$debug" F7 stepped || fail "F7 did not step"
[ "$(count '^state loaded')" = "$loads" ] || fail "F7 in the debugger loaded a state"

press_until "$win" alt+x ended || fail "Alt+X did not quit"
wait "$app" || fail "the program ended with status $?"
[ -s sound.raw ] || fail "no sound reached SDL"

echo "window test passed"
