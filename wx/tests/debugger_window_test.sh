#!/usr/bin/env bash
# The debugger window of the real wxOrvane: Esc and Quit debugger close it,
# About answers; a step stops the machine (the main window says "Stopped",
# a key pressed meanwhile waits) and the next step goes on from there;
# Continue (F9) lets it run and the waiting key arrives; Reset shows the
# machine at its reset address; a run to an address the machine reaches
# only later goes on until it gets there and stops; an address above FFFF
# is refused; closing the last debugger window lets the machine run.
#
# usage: debugger_window_test.sh WXORVANE FIRMWARE.bin LISTING WORKDIR
set -euo pipefail

program=$1 firmware=$2 listing=$3 work=$4
source "$(dirname "$0")/window_lib.sh"

label() { awk -v name="$1" '{for (i = 2; i <= NF; i++) if ($i == name) {print $1; exit}}' "$listing"; }
got_key=$(label GOTKEY) reset_address=$(label RESET)
[ -n "$got_key" ] && [ -n "$reset_address" ] || fail "no GOTKEY or RESET in $listing"
# The two instructions after RESET (straight-line code).
read -r after_reset1 after_reset2 < <(awk '/ RESET /{n = 1; next} n && n <= 2 {printf "%s ", $1; n++}' "$listing"; echo) || true
[ -n "$after_reset2" ] || fail "no instructions after RESET in $listing"

start_main
expect_colour 'srgb(0,255,255)' "firmware's picture"

debug=
open_debugger() {
    local opened
    opened=$(count '^debugger open')
    menu 2
    within 10 eval '[ "$(count "^debugger open")" -gt '"$opened"' ]' || fail "Call Debugger"
    find_debugger() { debug=$(windows | grep -vx "$win" | head -1); [ -n "$debug" ]; }
    within 10 find_debugger || fail "no debugger window"
    # Beside the main window, whose picture the test reads.
    xdotool windowmove --sync "$debug" 720 0
    sleep 0.5
}
debugger_gone() { ! windows | grep -qx "$debug"; }
# Waits for the number of lines matching $1 to pass $2.
more_than() { [ "$(count "$1")" -gt "$2" ]; }

# Esc closes the debugger.
open_debugger
press_until "$debug" Escape debugger_gone || fail "Esc did not close the debugger"
logged '^debugger closed' || fail "no close logged"

# About (F1) shows a box.
open_debugger
n=$(count '^debugger about')
press_until "$debug" F1 more_than '^debugger about' "$n" || fail "F1: no About"
box=
find_box() { find_other "$win" "$debug" && box=$other; }
within 10 find_box || fail "About shows no box"
press_until "$box" Return eval '! windows | grep -qx "$box"' || fail "the About box stays open"

# A step stops the machine.
n=$(count '^debugger pc=')
press_until "$debug" F7 logged '^machine stopped' || fail "F7 did not stop the machine"
within 5 logged '^status 1 Stopped' || fail "the main window does not say Stopped"
within 5 more_than '^debugger pc=' "$n" || fail "F7 refreshed no view"

# Stopped, the machine takes no key: the press waits.
received=$(keys_received)
xdotool windowfocus --sync "$win" key a
sleep 2
[ "$(keys_received)" = "$received" ] || fail "the stopped machine took a key"

# Reset (r, with the focus on the views) shows the machine at its reset
# address; it stays stopped, and two steps go from there to the next two
# instructions.
last_pc() { grep '^debugger pc=' events.log | tail -1; }
xdotool windowfocus --sync "$debug" mousemove --window "$debug" 100 100 mousedown 1
sleep 0.05
xdotool mouseup 1
n=$(count '^debugger reset')
press_until "$debug" r more_than '^debugger reset' "$n" || fail "r did not reset"
within 5 eval '[ "$(last_pc)" = "debugger pc=$reset_address" ]' ||
    fail "the views after Reset show $(last_pc), not $reset_address"
for expected in "$after_reset1" "$after_reset2"; do
    n=$(count '^debugger pc=')
    press_until "$debug" F7 more_than '^debugger pc=' "$n" || fail "F7 did not step"
    [ "$(last_pc)" = "debugger pc=$expected" ] || fail "a step from a stopped machine went to $(last_pc), not $expected"
done
! grep -q '^status 1 [0-9]' <(sed -n '/^machine stopped/,$p' events.log) ||
    fail "the status bar left Stopped between the steps"

# Continue lets it run: the reset firmware counts from 0 again, and the
# key pressed while stopped arrives.
press_until "$debug" F9 logged '^machine runs' || fail "F9 did not continue"
arrived() { [ "$(keys_received)" = 1 ]; }
within 10 arrived || fail "the key pressed while stopped never arrived ($(keys_received) keys counted)"
expect_colour 'srgb(255,0,0)' "key A after Continue"

# Types an address in the field and presses Return (Go to breakpoint).
type_address() {
    xdotool windowfocus --sync "$debug" mousemove --window "$debug" 120 472 mousedown 1
    sleep 0.05
    xdotool mouseup 1 key ctrl+a type "$1"
    xdotool key Return
}

# An address above FFFF is refused with a message; nothing runs.
n=$(count '^address refused')
for _ in 1 2 3; do
    type_address 10000
    within 5 more_than '^address refused' "$n" && break
done
more_than '^address refused' "$n" || fail "10000 was not refused"
within 10 find_box || fail "no message for 10000"
press_until "$box" Return eval '! windows | grep -qx "$box"' || fail "the message for 10000 stays open"
! logged '^machine runs to' || fail "10000 ran the machine"

# A run to an address reached only when a key comes: it goes on running
# (the status bar says where to) and stops there once a key is pressed.
question=
for _ in 1 2 3; do
    type_address "${got_key,,}"
    within 5 find_box && question=$box && break
done
[ -n "$question" ] || fail "Go to breakpoint asked nothing"
press_until "$question" Return logged "^machine runs to $got_key" || fail "Go did not run on to $got_key"
within 5 logged "^status 1 Running to $got_key" || fail "the status bar does not say where the machine runs to"
xdotool windowfocus --sync "$win" key b
within 10 logged "^machine reached $got_key" || fail "the run never got to $got_key"
within 5 eval 'grep "^debugger pc=" events.log | tail -1 | grep -q "^debugger pc=$got_key"' ||
    fail "the views do not show $got_key"
[ "$(tail -n 20 events.log | grep '^status 1' | tail -1)" = 'status 1 Stopped' ] ||
    fail "the status bar does not say Stopped at $got_key"

# Quit debugger from the menu (the last entry) closes the window and the
# machine runs again: the key's colour shows.
xdotool windowfocus --sync "$debug" key alt+c
sleep 0.5
xdotool key Up Return
within 10 debugger_gone || fail "Quit debugger did not close the window"
expect_colour 'srgb(0,255,0)' "key B, once the closed debugger let the machine run"
[ "$(grep -c '^machine runs$' events.log)" -ge 2 ] || fail "closing the debugger did not let the machine run"

press_until "$win" alt+x ended || fail "Alt+X did not quit"
wait "$app" || fail "the program ended with status $?"
echo "debugger window test passed"
