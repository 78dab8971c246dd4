#!/usr/bin/env bash
# A file opened from the desktop comes as the one argument of the entry's
# Exec line; a .wav there is the tape, anything else the cartridge. Two
# tapes or two cartridges are refused with a message that names which, before
# any window opens.
#   tape_argument.sh DESKTOP_DIR NAME=PROGRAM...
set -uo pipefail
desktop_dir=$1
shift
failed=0
fail() { echo "FAIL $*"; failed=1; }

for pair in "$@"; do
  name=${pair%%=*} program=${pair#*=}
  exec_line=$(grep '^Exec=' "$desktop_dir/$name.desktop")
  [ "$exec_line" = "Exec=$name %f" ] || fail "$name.desktop: $exec_line"

  err=$("$program" first.wav second.WAV 2>&1 >/dev/null); status=$?
  [ $status -eq 2 ] && grep -q 'tape.*second.WAV' <<<"$err" ||
    fail "$name with two .wav files: status $status, '$err'"
  err=$("$program" --cassette first.wav second.wav 2>&1 >/dev/null); status=$?
  [ $status -eq 2 ] && grep -q 'tape.*second.wav' <<<"$err" ||
    fail "$name with --cassette and a .wav: status $status, '$err'"
  # A tape beside a cartridge is no second cartridge.
  err=$("$program" game.rom tape.wav other.rom 2>&1 >/dev/null); status=$?
  [ $status -eq 2 ] && grep -q 'cartridge.*other.rom' <<<"$err" ||
    fail "$name with a tape between two cartridges: status $status, '$err'"
  echo "$name: checked"
done
exit $failed
