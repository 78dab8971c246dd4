#!/usr/bin/env bash
# How the real wxOrvane starts when something is wrong: a firmware
# directory that is missing is named in the fatal message and the program
# ends with status 1; a firmware file of the wrong size is reported while
# the machine runs; without an audio device the window and the running
# machine come first, the message after, and the status bar says "No
# sound"; a long message gets the width it needs in the status bar.
#
# usage: startup_window_test.sh WXORVANE FIRMWARE.bin WORKDIR
set -euo pipefail

program=$1 firmware=$2 work=$3
source "$(dirname "$0")/window_lib.sh"

box=
find_box() { box=$(windows | grep -vx "${win:-none}" | head -1); [ -n "$box" ]; }
# Waits for a box and answers it with Return.
answer_box() {
    within 20 find_box || fail "$1: no message box"
    press_until "$box" Return eval '! windows | grep -qx "$box"' || fail "$1: the box stays open"
}

# A missing firmware directory.
rm -f events.log
win=
start_app --bios "$work/no-such-dir"
within 20 logged '^fatal ' || fail "no fatal message for a missing firmware directory"
logged "^fatal fatal error needs file $work/no-such-dir/bios7020.bin: No such file or directory" ||
    fail "the fatal message does not name $work/no-such-dir/bios7020.bin"
answer_box "missing firmware"
within 10 ended || fail "the program did not end after the fatal message"
status=0
wait "$app" || status=$?
[ "$status" = 1 ] || fail "the program ended with status $status after a fatal error, not 1"
! logged '^ready' || fail "the program went on after the fatal message"

# A firmware image one byte too long: the machine runs on its first 2048
# bytes, and the user is told.
mkdir -p long/bios
cp bios/7041b.bin long/bios/
{ cat "$firmware"; printf '\xff'; } > long/bios/bios7020.bin
start_main --bios long/bios
within 20 logged '^firmware warnings: long/bios/bios7020.bin holds 2049 bytes, not 2048' ||
    fail "no message about the firmware's size"
within 10 find_box || fail "no box for the firmware's size"
expect_colour 'srgb(0,255,255)' "the machine running behind the firmware message"
answer_box "firmware size"
press_until "$win" alt+x ended || fail "Alt+X did not quit"
wait "$app" || fail "the program ended with status $?"

# No audio device: the window shows and the machine runs (the tape from the
# command line paints yellow) while SDL's message is still open.
sox -n -r 8000 -b 8 -e unsigned-integer tape.wav synth 1 square 100
rm -f events.log
SDL_AUDIODRIVER=none-such start_app --cassette tape.wav
within 20 logged '^ready without sound' || fail "no window without an audio device"
within 10 find_main || fail "no main window without an audio device"
within 10 logged '^sound message' || fail "no message about the audio device"
within 10 find_box || fail "no box about the audio device"
expect_colour 'srgb(255,255,0)' "the machine running behind the audio message"
logged '^status 2 No sound' || fail "the status bar does not say No sound"
answer_box "no audio"
press_until "$win" alt+x ended || fail "Alt+X did not quit the silent program"
wait "$app" || fail "the program ended with status $?"

# A message longer than the message field leaves it, for a while, the
# whole bar: F7 on a slot that is not there, beside a cartridge in a
# directory with a long name (the message still fits the window: what does
# not is shown whole in the tooltip).
dir=a-long-directory-for-the-slot
mkdir -p "$dir"
{ printf '\xa5\x05'; head -c 16382 /dev/zero; } > "$dir/cart.bin"
start_main "$dir/cart.bin"
normal=$(grep '^status width' events.log | head -1 | awk '{print $3}')
press_until "$win" F7 logged "^status 0 .*$dir/cart.st1" || fail "F7: no message in the status bar"
within 5 logged '^status width .* for a text of [1-9]' || fail "the status bar was not laid out for the message"
read -r width text < <(grep '^status width' events.log | tail -1 | awk '{print $3, $8}')
[ "$text" -gt "$normal" ] || fail "the test's message ($text pixels) fits the usual field ($normal): make it longer"
[ "$width" -ge "$text" ] || fail "the message field is $width pixels wide for a message of $text"
press_until "$win" alt+x ended || fail "Alt+X did not quit"
wait "$app" || fail "the program ended with status $?"
echo "startup window test passed"
