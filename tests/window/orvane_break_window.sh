#!/usr/bin/env bash
# The orvane debugger's Break menu in a real window: a program of ours with
# its symbols beside the firmware, a breakpoint added by its label through
# the menu, the run it stops (the title says which breakpoint), a step back
# to the call before it, the list that removes the breakpoint so that the
# machine runs on, a label typed in the address field for B.
#
#   orvane_break_window.sh ORVANE PROGRAM WORKDIR   (PROGRAM.sym beside PROGRAM)
set -euo pipefail
orvane=$1 firmware=$2 work=$3
here=$(cd "$(dirname "$0")" && pwd)

source "$here/window_lib.sh"
# The firmware's symbols, loaded with it; a line that does not read is
# skipped and named.
cp "${firmware%.bin}.sym" bios/bios7020.sym
echo 'not a symbol' >> bios/bios7020.sym

title() { xdotool getwindowname "$win"; }
title_has() { title | grep -q -- "$1"; }
in_debugger() { pixel_is 100 450 "(200,200,200)"; }
# The Break menu (after Commands and Memory), its entries 12 pixels apart.
break_menu() { click 170 8; sleep 0.3; click 200 $((24 + 12 * $1)); }
BRK_ADD=0 BRK_LIST=2

start
wait_for 10 grep -q "orvane: warning: Symbols of .*1 line skipped" stderr.txt || fail "no warning for the bad symbol line: $(cat stderr.txt)"
echo "F1 stops the program; the Break menu adds a breakpoint at a label"
hold F1
wait_for 30 in_debugger || fail "no debugger after F1"
added=
for n in 1 2 3; do        # a menu click or a key the loaded machine missed is tried again
  break_menu $BRK_ADD
  sleep 1
  # The form is centred: its first field (the address) lies at 170..590, 198.
  xdotool mousemove --window "$win" 300 201; sleep 0.3
  xdotool key --repeat 8 BackSpace; xdotool type BUMP; xdotool key Return
  xdotool mousemove 1023 767
  wait_for 10 title_has "Breakpoint 1  F80C (BUMP)" && { added=1; break; }
  xdotool key Escape; sleep 0.5
  in_debugger || { xdotool key n; sleep 0.5; }  # Esc on the debugger asks to quit: No
done
[ -n "$added" ] || fail "the breakpoint was not added: $(title)"

echo "F9 runs on; the breakpoint stops the machine and the title says which"
xdotool key F9
wait_for 30 title_has "Stopped: Breakpoint 1 at F80C (BUMP), hit 1" || fail "no stop at BUMP: $(title)"
wait_for 10 in_debugger || fail "the debugger did not open at the breakpoint"

echo "U steps back one instruction: the call to BUMP"
xdotool key u
wait_for 30 title_has "Back at F807 (CALLER)" || fail "no step back to the call: $(title)"

echo "the list removes the breakpoint; the machine then runs on"
removed=
for n in 1 2 3; do
  break_menu $BRK_LIST
  sleep 1
  click 230 382           # Remove (the list is centred: its buttons lie at y 374)
  wait_for 10 title_has "Removed: Breakpoint 1" && { removed=1; break; }
  xdotool key Escape; sleep 0.5
  in_debugger || { xdotool key n; sleep 0.5; }
done
[ -n "$removed" ] || fail "the list did not remove the breakpoint: $(title)"
xdotool key F9
sleep 3
! in_debugger || fail "the machine stopped again after the breakpoint was removed: $(title)"

echo "a label in the address field: B runs to it"
hold F1
wait_for 30 in_debugger || fail "no debugger after F1 again"
typed=
for n in 1 2 3; do        # a field that missed a key is typed again
  xdotool mousemove --window "$win" 560 363; sleep 0.3
  xdotool key --repeat 8 BackSpace; xdotool type AGAIN
  xdotool mousemove --window "$win" 100 100; sleep 0.3
  xdotool key b
  wait_for 20 title_has "Stopped: reached F805" && { typed=1; break; }
  xdotool key Return; sleep 0.5   # the refusal of a mistyped label
done
[ -n "$typed" ] || fail "B did not run to the label AGAIN: $(title)"
wait_for 10 in_debugger || fail "no debugger after B"

echo "Esc, Yes: the program ends"
xdotool key Escape
sleep 1
xdotool key y
ended_with 0
echo "all Break menu window tests passed"
