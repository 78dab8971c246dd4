#!/usr/bin/env bash
# Drives the real wxOrvane window on a private X server, with SDL writing its
# sound to a file: the firmware's picture shows, typed keys reach the
# firmware, the File menu loads a cartridge and a tape and resets, F5 and F7
# save and load a state, Backspace rewinds, F12 saves a screenshot, the
# debugger window opens, runs to an address and steps, Alt+X quits; without an audio device the machine runs silently, with a
# cartridge and a tape from the command line.
#
# usage: window_test.sh WXORVANE FIRMWARE.bin LISTING WORKDIR
# The firmware (screen_keys.asm) paints the screen in one colour: cyan at
# start, the cartridge's colour, a key's colour, yellow once the tape plays.
set -euo pipefail

program=$1 firmware=$2 listing=$3 work=$4
rm -rf "$work" && mkdir -p "$work/bios" && cd "$work"
cp "$firmware" bios/bios7020.bin
head -c 4096 /dev/zero > bios/7041b.bin
# A 16 KB cartridge (placed at $4000) whose second byte names colour 5, magenta.
{ printf '\xa5\x05'; head -c 16382 /dev/zero; } > cart.bin
# One second of a 100 Hz square wave, 8-bit: the tape input moves.
sox -n -r 8000 -b 8 -e unsigned-integer tape.wav synth 1 square 100
main_loop=$(awk '{for (i = 2; i <= NF; i++) if ($i == "MAIN") {print $1; exit}}' "$listing")
[ -n "$main_loop" ] || { echo "FAIL: no MAIN in $listing" >&2; exit 1; }

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -f events.log ] && sed 's/^/  event: /' events.log >&2
    [ -f program.err ] && sed 's/^/  stderr: /' program.err >&2
    exit 1
}

# A private server; it tells its display number through fd 3.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>display 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s display ] && break; sleep 0.1; done
[ -s display ] || fail "Xvfb did not start"
export DISPLAY=:$(cat display)
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw SDL_NO_SIGNAL_HANDLERS=1
export GSETTINGS_BACKEND=memory WXORVANE_EVENT_LOG=$work/events.log

"$program" > program.out 2> program.err &
app=$!
pids+=($app)

# Waits up to $1 seconds for the command in the rest of the arguments.
within() {
    local seconds=$1
    shift
    local end=$((SECONDS + seconds))
    until "$@"; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.2
    done
}
# The colour of the screen near its bottom (the firmware paints it last).
colour() { xwd -id "$win" -silent 2>/dev/null | /usr/bin/convert xwd:- -format '%[pixel:p{320,480}]' info: 2>/dev/null; }
# Twice, half a second apart: a window just uncovered may still show the
# pixels of the dialog that covered it until it repaints.
colour_is() { [ "$(colour)" = "$1" ] && sleep 0.5 && [ "$(colour)" = "$1" ]; }
expect_colour() { within 10 colour_is "$1" || fail "$2: screen shows $(colour), expected $1"; }
logged() { grep -q "$1" events.log 2>/dev/null; }
count() { grep -c "$1" events.log 2>/dev/null || true; }
# Presses key $2 in window $1 until the rest of the arguments holds: a key
# can be lost while X focus settles (there is no window manager).
press_until() {
    local w=$1 key=$2
    shift 2
    for _ in 1 2 3; do
        xdotool windowfocus --sync "$w" key "$key"
        within 4 "$@" && return 0
    done
    return 1
}
menu() {  # File menu entry number $1 (0 the first)
    xdotool windowfocus --sync "$win" key alt+f
    sleep 0.5
    for _ in $(seq "$1"); do xdotool key Down; done
    xdotool key Return
}
dialog_gone() { [ "$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | grep -cvx "$win")" -eq 0 ]; }
open_file() {  # types a path into the file dialog that a menu entry opened
    sleep 1
    xdotool type "$1"
    xdotool key Return
    # The dialog covers the window: its pixels would be read as the screen's.
    within 10 dialog_gone || fail "the file dialog stays open"
}

within 20 logged '^ready' || fail "the program did not start"
win=$(xdotool search --sync --onlyvisible --name '^wxOrvane$' | head -1)
xdotool windowfocus --sync "$win" mousemove --window "$win" 320 300
expect_colour 'srgb(0,255,255)' "firmware's picture"

press_until "$win" b colour_is 'srgb(0,255,0)' || fail "key B (code 66): screen shows $(colour)"
press_until "$win" a colour_is 'srgb(255,0,0)' || fail "key A (code 65): screen shows $(colour)"

menu 0 && open_file "$work/cart.bin"
within 10 logged "rom $work/cart.bin loaded" || fail "Load ROM"
expect_colour 'srgb(255,0,255)' "cartridge loaded and machine reset"

press_until "$win" b colour_is 'srgb(0,255,0)' || fail "key B after the cartridge: screen shows $(colour)"
menu 3
within 10 logged '^reset' || fail "Reset"
expect_colour 'srgb(255,0,255)' "reset"

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

press_until "$win" F12 test -s orvane-000.png || fail "F12 saved no screenshot"
[ "$(/usr/bin/convert orvane-000.png -format '%[pixel:p{320,450}]' info:)" = 'srgb(255,255,0)' ] ||
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

ended() { ! kill -0 "$app" 2>/dev/null; }
press_until "$win" alt+x ended || fail "Alt+X did not quit"
wait "$app" || fail "the program ended with status $?"
[ -s sound.raw ] || fail "no sound reached SDL"

# Without an audio device: SDL's message, then the machine runs silently,
# with the cartridge and the tape named on the command line.
rm -f events.log
SDL_AUDIODRIVER=none-such "$program" cart.bin --cassette tape.wav > program.out 2> program.err &
app=$!
pids+=($app)
box=
find_box() { box=$(xdotool search --onlyvisible --pid "$app" 2>/dev/null | head -1); [ -n "$box" ]; }
within 20 find_box || fail "no message about the audio device"
xdotool windowfocus --sync "$box" key Return
within 10 logged '^ready without sound' || fail "no window after the audio message"
win=$(xdotool search --sync --onlyvisible --name '^wxOrvane$' | head -1)
logged '^rom cart.bin loaded' && logged '^tape tape.wav loaded' || fail "command line"
expect_colour 'srgb(255,255,0)' "the tape from the command line, without sound"
press_until "$win" alt+x ended || fail "Alt+X did not quit the silent program"
echo "window test passed"
