#!/usr/bin/env bash
# Files dropped on the window, in the real wxOrvane, by a drag source of the
# tests' own speaking the X drag-and-drop protocol (xdnd_source): a
# cartridge loads and resets the machine and the title names it; a state
# file brings the saved machine back; a tape loads and the title names it
# after the cartridge.
#
# usage: drop_window_test.sh WXORVANE FIRMWARE.bin XDND_SOURCE WORKDIR
# The firmware (screen_keys.asm) paints the screen cyan at start, the
# cartridge's colour after a reset, and each key's colour.
set -euo pipefail

program=$1 firmware=$2 xdnd_source=$(realpath "$3") work=$4
source "$(dirname "$0")/window_lib.sh"

# A 16 KB cartridge (placed at $4000) whose second byte names colour 5, magenta.
{ printf '\xa5\x05'; head -c 16382 /dev/zero; } > cart.bin
sox -n -r 8000 -b 8 -e unsigned-integer tape.wav synth 1 square 100
title() { xdotool getwindowname "$win"; }
drop() {
    timeout 60 "$xdnd_source" "$win" "$1" > drop.out 2> drop.err ||
        fail "the drop of $1 was not taken: $(cat drop.err)"
    grep -qx dropped drop.out || fail "the drag source did not finish the drop of $1"
    within 10 logged "^dropped $work/$1\$" || fail "the window did not report the drop of $1"
}

start_main
expect_colour 'srgb(0,255,255)' "firmware's picture"
[ "$(title)" = wxOrvane ] || fail "the title before any drop is '$(title)'"

echo "a cartridge"
drop cart.bin
within 10 logged "^rom $work/cart.bin loaded" || fail "the dropped cartridge did not load"
expect_colour 'srgb(255,0,255)' "dropped cartridge loaded and machine reset"
within 10 eval '[ "$(title)" = "wxOrvane - cart.bin" ]' || fail "the title after the cartridge is '$(title)'"

echo "a state file"
press_until "$win" b colour_is 'srgb(0,255,0)' || fail "key B before the save: screen shows $(colour)"
press_until "$win" F5 test -s cart.st1 || fail "F5 saved no state beside the cartridge"
press_until "$win" a colour_is 'srgb(255,0,0)' || fail "key A after the save: screen shows $(colour)"
drop cart.st1
within 10 logged "^status 0 state loaded from $work/cart.st1" || fail "the dropped state file did not load"
expect_colour 'srgb(0,255,0)' "the dropped state's picture"

echo "a tape"
drop tape.wav
within 10 logged "^tape $work/tape.wav loaded" || fail "the dropped tape did not load"
within 10 eval '[ "$(title)" = "wxOrvane - cart.bin - tape.wav" ]' || fail "the title after the tape is '$(title)'"

press_until "$win" alt+x ended || fail "Alt+X did not quit"
wait "$app" || fail "the program ended with status $?"
echo "PASS"
