#!/usr/bin/env bash
# Under a virtual X server the program shows its main window: titled "ORVANT X80 PRO", centred on the
# screen, 1000 x 640 on a 1280 x 1024 screen and scaled by 1.5 to 1500 x 960 on a 1920 x 1080 one. Skipped (exit 0 with a note) where xvfb-run or xwininfo is missing.
set -u
bin=${1:?usage: startup_xvfb.sh BIN_FOLDER}
if ! command -v xvfb-run >/dev/null || ! command -v xwininfo >/dev/null; then
    echo "startup_xvfb: skipped, xvfb-run or xwininfo is not installed"
    exit 0
fi
[ -x "$bin/orvant-x80-pro" ] || { echo "startup_xvfb: orvant-x80-pro is not built in $bin" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Inside the X session: start the program, wait (bounded) until its window has the expected size (the
# first relayout, 100 ms after the window opens, sizes it for the screen; a loaded machine may take a
# while), print its last geometry and the screen's, and end the program.
cat >"$work/session.sh" <<'EOF'
app=$1 want=$2
QT_QPA_PLATFORM=xcb "$app" 2>"$XDG_RUNTIME_DIR/../app.err" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT
for _ in $(seq 200); do
    line=$(xwininfo -root -tree | grep '"ORVANT X80 PRO": (')
    case $line in *" ${want}+"*) break ;; esac
    sleep 0.1
done
echo "window: $line"
xwininfo -root | grep -E '^ +(Width|Height):'
EOF
fail() {
    echo "startup_xvfb: $*" >&2
    sed 's/^/  /' "$work/out" >&2
    [ -s "$work/app.err" ] && sed 's/^/  program: /' "$work/app.err" >&2
    exit 1
}
# SCREEN WINDOW: the window's size on a screen of that size, centred give or take a window frame.
check_screen() {
    local sw=${1%x*} sh=${1#*x} ww=${2%x*} wh=${2#*x}
    timeout 60 xvfb-run -a -s "-screen 0 ${1}x24" bash "$work/session.sh" "$bin/orvant-x80-pro" "$2" >"$work/out" 2>&1
    geometry=$(sed -n 's/^window: .* \([0-9]*x[0-9]*+[0-9-]*+[0-9-]*\) .*/\1/p' "$work/out")
    [ -n "$geometry" ] || fail "no main window appeared on $1"
    size=${geometry%%+*}
    [ "$size" = "$2" ] || fail "on $1 the main window is $size, not $2"
    pos=${geometry#*+}
    x=${pos%%+*}
    y=${pos#*+}
    cx=$(((sw - ww) / 2)) cy=$(((sh - wh) / 2))
    [ $((x - cx)) -ge -20 ] && [ $((x - cx)) -le 20 ] || fail "on $1 the main window is not centred across (x=$x)"
    [ $((y - cy)) -ge -40 ] && [ $((y - cy)) -le 40 ] || fail "on $1 the main window is not centred down (y=$y)"
    echo "startup_xvfb: $1 ok ($geometry)"
}
check_screen 1280x1024 1000x640
check_screen 1920x1080 1500x960
