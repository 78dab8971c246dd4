#!/usr/bin/env bash
# End-to-end speed of orvane-headless: our busy firmware that speaks the whole
# time (tests/firmware/talker.asm, text mode), run for a number of frames with
# a screenshot and a sound file, several times on one processor core.
#
#   bench/headless.sh [build directory] [runs] [frames]
#
# Defaults: build, 5 runs, 10000 frames. Prints each run's wall time, its
# processor time (user + system) and maximum resident size, then the median
# processor time as a multiple of real time: on a shared machine the
# processor time is the steadier figure.
# ORVANE_BENCH_CPU picks the core (default 1); the build directory needs the
# targets orvane-headless and orvane-asm. ORVANE_BENCH_BREAKPOINTS=1 runs the
# same frames from a --debug script that first sets four breakpoints that
# never stop (two where the firmware never goes, two on its busy loop with a
# condition that never holds): the speed of a debugging session.
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "${1:-build}")
runs=${2:-5}
frames=${3:-10000}
cpu=${ORVANE_BENCH_CPU:-1}
breakpoints=${ORVANE_BENCH_BREAKPOINTS:-0}

headless=$build/tools/headless/orvane-headless
asm=$build/tools/asm/orvane-asm
for tool in "$headless" "$asm"; do
  if [ ! -x "$tool" ]; then
    echo "bench/headless.sh: $tool is missing; build orvane-headless and orvane-asm first" >&2
    exit 1
  fi
done

work=$(mktemp -d /tmp/orvane-headless-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bios"
"$asm" --base 0xF800 --size 2K -o "$work/bios/bios7020.bin" --symbols "$work/bios/bios7020.sym" \
  tests/firmware/talker.asm
head -c 4096 /dev/zero >"$work/bios/7041b.bin"
run_args=(--frames "$frames")
what=""
if [ "$breakpoints" = 1 ]; then
  printf 'break 7000\nbreak 7100\nbreak BUSY if PC == 0\nbreak SENDW if [C7FF] == 0x5A\nframes %s\n' \
    "$frames" >"$work/breaks.dbg"
  run_args=(--debug breaks.dbg)
  what=", four breakpoints set"
fi

# 49840 processor cycles a frame, 2455000 a second.
emulated=$(awk -v f="$frames" 'BEGIN { printf "%.3f", f * 49840 / 2455000 }')
echo "orvane-headless, talker firmware$what, $frames frames ($emulated s of machine time), core $cpu"

times=()
for ((i = 1; i <= runs; i++)); do
  (cd "$work" && taskset -c "$cpu" /usr/bin/time -f "%e %U %S %M" -o time.txt \
     "$headless" "${run_args[@]}" --screenshot s.png --audio a.wav >out.txt)
  if grep -q "frames stopped" "$work/out.txt"; then
    echo "bench/headless.sh: a breakpoint stopped the run" >&2
    exit 1
  fi
  read -r wall user sys rss_kb <"$work/time.txt"
  cpu_s=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  times+=("$cpu_s")
  echo "run $i: wall $wall s, processor $cpu_s s, maximum resident size $rss_kb KB"
done

median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{ t[NR] = $1 } END { print (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }')
awk -v e="$emulated" -v m="$median" 'BEGIN { printf "median processor time %.2f s: %.1fx real time\n", m, e / m }'
