# Shared by the window tests of orvane: a private X server, our keyshow
# firmware in bios/, keys and mouse clicks sent with xdotool, the picture read
# back from screenshots. Every wait has a deadline; nothing relies on a fixed
# delay being long enough.
#
# Sourced with $orvane, $firmware, $work and $here set. Exits 77 (skipped)
# only when no X server can be started outside CI.
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
  [ -n "${CI:-}" ] && { echo "Xvfb or xdotool missing in CI"; exit 1; }
  echo "Xvfb or xdotool missing: window tests skipped"; exit 77
fi

rm -rf "$work" && mkdir -p "$work/bios" "$work/cfg" && cd "$work"
cp "$firmware" bios/bios7020.bin
head -c 4096 /dev/zero > bios/7041b.bin
# Silent sound without the ALSA complaints of a machine with no sound card.
printf '[sound]\ndigi_card = 0\nmidi_card = 0\n' > cfg/allegro.cfg
export ALLEGRO=$work/cfg
# Under the sanitizers: Allegro's own leaks are not reported, ours are.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$here/lsan-allegro.supp"
convert=/usr/bin/convert

xvfb_pid= orvane_pid=
# The program ends before the X server does (a display that vanishes under
# it can leave the library stuck); a second signal ends it at once.
stop_orvane() {
  [ -n "$orvane_pid" ] || return 0
  kill "$orvane_pid" 2>/dev/null || true
  local i
  for ((i = 0; i < 100; i++)); do kill -0 "$orvane_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$orvane_pid" 2>/dev/null && sleep 0.5 && kill -9 "$orvane_pid" 2>/dev/null || true
  wait "$orvane_pid" 2>/dev/null || true
  orvane_pid=
}
cleanup() {
  stop_orvane
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>display 2>xvfb.log &
xvfb_pid=$!

fail() { echo "FAIL: $*"; exit 1; }
# wait_for SECONDS COMMAND...: retries the command until it succeeds.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}
wait_for 10 test -s display || fail "X server did not start"
export DISPLAY=:$(head -n1 display)

shot() { xwd -id "$win" -silent 2>/dev/null | $convert xwd:- shot.png 2>/dev/null; }
# The byte a group of eight dots shows at window row Y (dots are 2 x 2
# pixels; a white dot is a set bit, bit 7 at the left). SCALE 1 for the
# debugger's unscaled preview.
byte_at() {
  local y=$1 scale=${2:-2} v=0 i
  local px=($($convert shot.png -crop $((8 * scale))x1+0+"$y" -depth 8 txt:- | tail -n +2 | awk '{print $2}'))
  for ((i = 0; i < 8; i++)); do
    v=$((v * 2))
    [ "${px[i * scale]}" = "(255,255,255)" ] && v=$((v + 1))
  done
  echo $v
}
shows() { shot && [ "$(byte_at "$1" "${3:-2}")" = "$2" ]; }
rgb_at() { $convert "${3:-shot.png}" -crop 1x1+"$1"+"$2" -depth 8 txt:- | tail -n 1 | awk '{print $2}'; }
pixel_is() { shot && [ "$(rgb_at "$1" "$2")" = "$3" ]; }
hold() { xdotool keydown "$1"; sleep 0.25; xdotool keyup "$1"; }
click() { xdotool mousemove --window "$win" "$1" "$2" mousedown 1; sleep 0.05; xdotool mouseup 1; sleep 0.1; xdotool mousemove 1023 767; }
find_window() { win=$(xdotool search --onlyvisible --name '^Orvane$' 2>/dev/null | head -n1) && [ -n "$win" ]; }
start() {
  "$orvane" "$@" 2>stderr.txt &
  orvane_pid=$!
  wait_for 20 find_window || fail "no window"
  xdotool windowfocus --sync "$win"
  xdotool mousemove 1023 767
}
ended_with() {  # ended_with STATUS: the program ends with it
  wait_for 10 bash -c "! kill -0 $orvane_pid 2>/dev/null" || fail "still running"
  local status=0
  wait "$orvane_pid" || status=$?
  orvane_pid=
  [ "$status" = "$1" ] || fail "exit status $status, expected $1"
}

le() { local v=$1 k; for ((k = 0; k < $2; k++)); do printf "\\$(printf %03o $(((v >> (8 * k)) & 255)))"; done; }
# wav_header RATE BITS DATA_BYTES: the header of a mono PCM recording.
wav_header() {
  local rate=$1 bits=$2 size=$3 bytes=$(($2 / 8))
  printf RIFF; le $((36 + size)) 4; printf 'WAVEfmt '; le 16 4; le 1 2; le 1 2; le "$rate" 4
  le $((rate * bytes)) 4; le "$bytes" 2; le "$bits" 2; printf data; le "$size" 4
}
# mkwav FILE BITS SAMPLE...: a mono 8000 Hz recording of 400 samples, each
# made of the given bytes (octal escapes, little-endian).
mkwav() {
  local file=$1 bits=$2 sample=$3 bytes=$(($2 / 8)) n=400 i
  { wav_header 8000 "$bits" $((n * bytes)); for ((i = 0; i < n; i++)); do printf "$sample"; done; } > "$file"
}
# repeat COUNT BYTE: the byte (an octal escape) COUNT times.
repeat() { head -c "$1" /dev/zero | tr '\0' "$2"; }
