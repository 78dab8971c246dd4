#!/usr/bin/env bash
# The debugger's Break menu in the real wxOrvane, with firmware of ours and
# its symbols (bios7020.sym beside it, loaded by themselves): a label the
# symbols do not hold is refused with the engine's message; a breakpoint
# added by label through the menu stops the running machine when a key
# makes the firmware get there (the main window says "Stopped", the
# debugger shows the place and why); one step back shows the instruction
# before it, and the run from there meets the breakpoint again; with the
# debugger closed, the breakpoint hit again opens one.
#
# usage: break_window_test.sh WXORVANE FIRMWARE.bin SYMBOLS.sym WORKDIR
set -euo pipefail

program=$1 firmware=$2 symbols=$3 work=$4
source "$(dirname "$0")/window_lib.sh"
cp "$symbols" bios/bios7020.sym

symbol() { awk -v name="$1" '$2 == name && NF == 2 {print $1; exit}' "$symbols"; }
got_key=$(symbol GOTKEY) main_loop=$(symbol MAIN)
[ -n "$got_key" ] && [ -n "$main_loop" ] || fail "no GOTKEY or MAIN in $symbols"

start_main
expect_colour 'srgb(0,255,255)' "firmware's picture"

debug=
debuggers() { windows | grep -vx "$win" || true; }
find_debugger() { debug=$(debuggers | head -1); [ -n "$debug" ]; }
open_debugger() {
    menu 2
    within 10 find_debugger || fail "no debugger window"
    # Beside the main window, whose picture the test reads.
    xdotool windowmove --sync "$debug" 660 0
    sleep 0.5
}
more_than() { [ "$(count "$1")" -gt "$2" ]; }
last_pc() { grep '^debugger pc=' events.log | tail -1; }
box=
find_box() { find_other "$win" "$debug" && box=$other; }
box_gone() { ! windows | grep -qx "$box"; }

# Opens Add breakpoint (Ctrl+B), types the address and presses Return.
add_breakpoint() {
    local opened=
    for _ in 1 2 3; do
        xdotool windowfocus --sync "$debug" key ctrl+b
        within 5 find_box && opened=1 && break
    done
    [ -n "$opened" ] || fail "Ctrl+B opened no dialog"
    sleep 1
    xdotool windowfocus --sync "$box" type "$1"
    xdotool key Return
}

open_debugger

# A name no symbol has: the engine's refusal is shown, the dialog stays.
n=$(count '^debugger refused')
add_breakpoint nosuchlabel
within 10 more_than '^debugger refused' "$n" || fail "nosuchlabel was not refused"
logged "^debugger refused: No label 'nosuchlabel'" || fail "the refusal does not say why: $(grep '^debugger refused' events.log | tail -1)"
dialog=$box
message_box() { find_other "$win" "$debug" "$dialog" && box=$other; }
within 10 message_box || fail "no message for nosuchlabel"
press_until "$box" Return box_gone || fail "the message for nosuchlabel stays open"
box=$dialog
press_until "$box" Escape box_gone || fail "Escape did not cancel Add breakpoint"
! logged '^debugger added' || fail "a refused breakpoint was added"

# The label, typed in lower case: the breakpoint is at GOTKEY.
add_breakpoint gotkey
within 10 logged "^debugger added Breakpoint 1  $got_key (GOTKEY)" ||
    fail "no breakpoint at GOTKEY ($got_key): $(grep '^debugger added' events.log | tail -1)"
within 10 box_gone || fail "Add breakpoint stays open"
logged '^machine stopped' && fail "adding a breakpoint stopped the machine"

# The machine runs on until a key makes the firmware reach GOTKEY.
received=$(keys_received)
xdotool windowfocus --sync "$win" key a
within 20 logged '^machine stopped by the debugger' || fail "the breakpoint did not stop the machine"
within 10 logged "^debugger says: Breakpoint 1 at $got_key (GOTKEY)" ||
    fail "no reason shown: $(grep '^debugger says' events.log | tail -1)"
within 10 eval '[ "$(last_pc)" = "debugger pc=$got_key" ]' || fail "the debugger shows $(last_pc), not $got_key"
within 5 logged "^status 1 Stopped" || fail "the main window does not say Stopped"
grep -q "^status 0 Breakpoint 1 at $got_key" events.log || fail "the main status bar does not give the reason"
# Stopped before GOTKEY's instruction: the key is counted, not yet shown.
sleep 1
expect_colour 'srgb(0,255,255)' "the picture before GOTKEY ran"

# One step back: the instruction before, the test at MAIN.
n=$(count '^debugger step back')
press_until "$debug" shift+F7 more_than '^debugger step back' "$n" || fail "Shift+F7 did not step back"
logged '^debugger step back 1: done' || fail "the step back failed: $(grep '^debugger step back' events.log | tail -1)"
within 5 eval '[ "$(last_pc)" = "debugger pc=$main_loop" ]' ||
    fail "after a step back the debugger shows $(last_pc), not $main_loop"

# Continue (F9) from there: the run made again reaches the breakpoint again
# (its second hit); the next Continue runs its instruction first, and the
# key shows.
press_until "$debug" F9 logged '^machine runs' || fail "F9 did not continue"
within 10 logged "^debugger says: Breakpoint 1 at $got_key (GOTKEY), hit 2" ||
    fail "the run from MAIN did not meet the breakpoint again"
within 5 eval '[ "$(last_pc)" = "debugger pc=$got_key" ]' || fail "the debugger shows $(last_pc), not $got_key"
runs=$(count '^machine runs')
press_until "$debug" F9 more_than '^machine runs' "$runs" || fail "F9 did not continue"
expect_colour 'srgb(255,0,0)' "key A after Continue"

# Closed, the debugger lets the machine run; the breakpoint still stands,
# and when the next key reaches it a debugger window opens by itself.
opened=$(count '^debugger open')
press_until "$debug" Escape eval '! windows | grep -qx "$debug"' || fail "Esc did not close the debugger"
stops=$(count '^machine stopped by the debugger')
xdotool windowfocus --sync "$win" key b
within 20 more_than '^machine stopped by the debugger' "$stops" || fail "the breakpoint did not stop the machine again"
within 10 more_than '^debugger open' "$opened" || fail "no debugger window opened at the breakpoint"
within 10 find_debugger || fail "the debugger window opened is not shown"
within 10 eval '[ "$(last_pc)" = "debugger pc=$got_key" ]' || fail "the new debugger shows $(last_pc), not $got_key"

press_until "$win" alt+x ended || fail "Alt+X did not quit"
wait "$app" || fail "the program ended with status $?"
echo "break window test passed"
