#!/usr/bin/env bash
# The keyboard of the real wxOrvane window: every press reaches the
# firmware however short, typed in a burst or held for a few milliseconds,
# and the keys that open a menu or are menu accelerators never do.
#
# usage: keys_window_test.sh WXORVANE FIRMWARE.bin WORKDIR
# The firmware (screen_keys.asm) paints its top band in the colour of the
# number of keys it has received, the rest in the last key's colour.
set -euo pipefail

program=$1 firmware=$2 work=$3
source "$(dirname "$0")/window_lib.sh"

start_main
expect_colour 'srgb(0,255,255)' "firmware's picture"
[ "$(keys_received)" = 0 ] || fail "keys counted before any was pressed: $(keys_received)"

# Presses of 30 ms, each shorter than two frames: the release comes while
# the machine has not yet read the press.
received=0
for key in a b a b a b; do
    xdotool windowfocus --sync "$win" keydown "$key"
    sleep 0.03
    xdotool keyup "$key"
    received=$((received + 1))
    counted() { [ "$(keys_received)" = $((received & 7)) ]; }
    within 10 counted || fail "a 30 ms press of $key was lost: $(keys_received) keys counted, $((received & 7)) expected"
done
expect_colour 'srgb(0,255,0)' "the last short press (B)"

# Presses with no time between down and up, in a burst.
xdotool windowfocus --sync "$win" type --delay 5 abcde
received=$((received + 5))
counted() { [ "$(keys_received)" = $((received & 7)) ]; }
within 15 counted || fail "a typed burst lost keys: $(keys_received) counted, $((received & 7)) expected"
expect_colour 'srgb(255,0,255)' "the burst's last key (E)"

# Alt+F and Alt+H open the menus, F1 opens About; none reaches the machine.
# (Alt itself is one of the machine's keys, above its range of colours.)
for keys in alt+f alt+h; do
    xdotool windowfocus --sync "$win" key "$keys"
    sleep 1
    xdotool key Escape
    within 10 dialog_gone || fail "$keys: the menu stays open"
done
xdotool windowfocus --sync "$win" key F1
box=
find_box() { box=$(windows | grep -vx "$win" | head -1); [ -n "$box" ]; }
within 10 find_box || fail "F1 opened no About box"
press_until "$box" Return dialog_gone || fail "the About box stays open"
logged '^menu key 70' && logged '^menu key 72' || fail "the menu keys were not recognised"
! logged '^key 70' && ! logged '^key 72' || fail "a menu key reached the machine"
sleep 1
[ "$(keys_received)" = $((received & 7)) ] || fail "the menu keys reached the firmware: $(keys_received) keys counted"
expect_colour 'srgb(255,0,255)' "after the menu keys"

# The machine still takes keys after the menus.
xdotool windowfocus --sync "$win" key d
received=$((received + 1))
within 10 counted || fail "a key after the menus was lost"
expect_colour 'srgb(0,0,255)' "key D after the menus"

press_until "$win" alt+x ended || fail "Alt+X did not quit"
wait "$app" || fail "the program ended with status $?"
! logged '^key 88' || fail "the X of Alt+X reached the machine"
echo "keys window test passed"
