# Shared by the window tests: a private X server, the program started with
# SDL writing its sound to a file, and helpers that wait for what the window
# shows or the program logs. Sourced with `program` and `work` set; the
# test firmware (screen_keys.asm) is in $firmware.
#
# Every wait has a deadline, generous for a loaded two-core machine.

rm -rf "$work" && mkdir -p "$work/bios" && cd "$work"
cp "$firmware" bios/bios7020.bin
head -c 4096 /dev/zero > bios/7041b.bin

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

# A private server; it tells its display number through fd 3. The keyboard
# repeats only after a minute: on a loaded machine a short press could
# otherwise last long enough to repeat, and the firmware would count it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset -ardelay 60000 3>display 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s display ] && break; sleep 0.1; done
[ -s display ] || fail "Xvfb did not start"
export DISPLAY=:$(cat display)
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw SDL_NO_SIGNAL_HANDLERS=1
export GSETTINGS_BACKEND=memory WXORVANE_EVENT_LOG=$work/events.log

# Starts the program with the given arguments: $app is its process.
start_app() {
    "$program" "$@" > program.out 2> program.err &
    app=$!
    pids+=($app)
}

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
# The program's windows, and the main one (640 pixels wide) in $win.
windows() { xdotool search --onlyvisible --pid "$app" 2>/dev/null; }
find_main() {
    local w
    for w in $(windows); do
        if xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 'Geometry: 640x'; then
            win=$w
            return 0
        fi
    done
    return 1
}
# A window of the program other than those named in the arguments: $other.
find_other() {
    local pattern=()
    for w in "$@"; do pattern+=(-e "$w"); done
    other=$(windows | grep -vx "${pattern[@]}" | head -1)
    [ -n "$other" ]
}
# The colour of the screen at y = $1 (default: near its bottom, the key's
# band; 80 is the band of the number of keys received).
colour() {
    xwd -id "$win" -silent 2>/dev/null | /usr/bin/convert xwd:- -format "%[pixel:p{320,${1:-480}}]" info: 2>/dev/null
}
# Twice, half a second apart: a window just uncovered may still show the
# pixels of the dialog that covered it until it repaints.
colour_is() { [ "$(colour "${2:-480}")" = "$1" ] && sleep 0.5 && [ "$(colour "${2:-480}")" = "$1" ]; }
expect_colour() { within 10 colour_is "$1" || fail "$2: screen shows $(colour), expected $1"; }
# The test firmware's colours by number.
colour_of() {
    local names=('srgb(0,0,0)' 'srgb(255,0,0)' 'srgb(0,255,0)' 'srgb(255,255,0)' 'srgb(0,0,255)'
                 'srgb(255,0,255)' 'srgb(0,255,255)' 'srgb(255,255,255)')
    echo "${names[$(($1 & 7))]}"
}
# The number of keys received so far, modulo 8, from the top band.
keys_received() {
    local c n
    c=$(colour 80)
    for n in 0 1 2 3 4 5 6 7; do [ "$(colour_of $n)" = "$c" ] && { echo $n; return; }; done
    echo "?"
}
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
dialog_gone() { [ "$(windows | grep -cvx "$win")" -eq 0 ]; }
# Types a path into the file dialog that a menu entry opened, once it is
# there (it takes keys without the focus), and presses Return.
find_file_dialog() {  # wider than the menus and message boxes
    local w
    for w in $(windows | grep -vx "$win"); do
        xdotool getwindowgeometry "$w" 2>/dev/null | grep -Eq 'Geometry: [0-9]{4}x' && return 0
    done
    return 1
}
type_into_dialog() {
    within 20 find_file_dialog || fail "no file dialog"
    sleep 1
    xdotool type "$1"
    xdotool key Return
}
open_file() {
    type_into_dialog "$1"
    # The dialog covers the window: its pixels would be read as the screen's.
    within 10 dialog_gone || fail "the file dialog stays open"
}
ended() { ! kill -0 "$app" 2>/dev/null; }
# Starts the program and waits for its window and the firmware's picture.
start_main() {
    rm -f events.log
    start_app "$@"
    within 20 logged '^ready' || fail "the program did not start"
    within 10 find_main || fail "no main window"
    xdotool windowfocus --sync "$win" mousemove --window "$win" 320 300
}
