#!/usr/bin/env bash
# Under a virtual X server the program shows its main window: titled "ORVANT X80 PRO", centred on the
# screen, 1000 x 640 on a 1280 x 1024 screen and scaled by 1.5 to 1500 x 960 on a 1920 x 1080 one. Skipped (exit 0 with a note) where Xvfb or xwininfo is missing.
set -u
bin=${1:?usage: startup_xvfb.sh BIN_FOLDER}
if ! command -v Xvfb >/dev/null || ! command -v xwininfo >/dev/null; then
    echo "startup_xvfb: skipped, Xvfb or xwininfo is not installed"
    exit 0
fi
[ -x "$bin/orvant-x80-pro" ] || { echo "startup_xvfb: orvant-x80-pro is not built in $bin" >&2; exit 1; }
work=$(mktemp -d)
xserver=""
stop_xserver() { [ -n "$xserver" ] && { kill "$xserver" 2>/dev/null; wait "$xserver" 2>/dev/null; }; xserver=""; }
trap 'stop_xserver; rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR="$work/runtime" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# geometry_problem SCREEN WINDOW LINE: why the window's xwininfo line does not show it at the window size
# on a screen of that size, centred give or take a window frame; nothing when it does. In a file of its
# own, as the X session's script uses it too.
cat >"$work/geometry.sh" <<'EOF'
geometry_problem() {
    local sw=${1%x*} sh=${1#*x} ww=${2%x*} wh=${2#*x} geometry size pos x y cx cy
    geometry=$(sed -n 's/^.* \([0-9]*x[0-9]*+[0-9-]*+[0-9-]*\) .*/\1/p' <<<"$3")
    [ -n "$geometry" ] || { echo "no main window appeared on $1"; return; }
    size=${geometry%%+*}
    [ "$size" = "$2" ] || { echo "on $1 the main window is $size, not $2"; return; }
    pos=${geometry#*+}
    x=${pos%%+*}
    y=${pos#*+}
    cx=$(((sw - ww) / 2)) cy=$(((sh - wh) / 2))
    [ $((x - cx)) -ge -20 ] && [ $((x - cx)) -le 20 ] || { echo "on $1 the main window is not centred across (x=$x)"; return; }
    [ $((y - cy)) -ge -40 ] && [ $((y - cy)) -le 40 ] || echo "on $1 the main window is not centred down (y=$y)"
}
EOF
source "$work/geometry.sh"

# Inside the X session: start the program, wait (bounded) until its window is sized and centred for the
# screen (it opens at its layout's size and place; the first relayout, 100 ms later, sizes and centres
# it, which a loaded machine may delay), print its last geometry and the screen's, and end the program.
cat >"$work/session.sh" <<'EOF'
app=$1 screen=$2 want=$3
source "$(dirname "$0")/geometry.sh"
QT_QPA_PLATFORM=xcb "$app" 2>"$XDG_RUNTIME_DIR/../app.err" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT
for _ in $(seq 200); do
    line=$(xwininfo -root -tree | grep '"ORVANT X80 PRO": (')
    [ -z "$(geometry_problem "$screen" "$want" "$line")" ] && break
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
# SCREEN WINDOW: the main window on a screen of that size is of the window size and centred. The X
# server picks a free display itself and names it once it accepts clients (-displayfd): a display number
# chosen beforehand can be taken by another X server starting at the same moment.
check_screen() {
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$work/display" 2>"$work/xserver.err" &
    xserver=$!
    for _ in $(seq 100); do
        [ -s "$work/display" ] && break
        sleep 0.1
    done
    [ -s "$work/display" ] || { cp "$work/xserver.err" "$work/out"; fail "the X server for $1 did not start"; }
    DISPLAY=":$(head -n 1 "$work/display")" timeout 60 bash "$work/session.sh" "$bin/orvant-x80-pro" "$1" "$2" >"$work/out" 2>&1
    stop_xserver
    local line problem
    line=$(sed -n 's/^window: //p' "$work/out")
    problem=$(geometry_problem "$1" "$2" "$line")
    [ -z "$problem" ] || fail "$problem"
    echo "startup_xvfb: $1 ok ($(sed 's/^.* \([0-9]*x[0-9]*+[0-9-]*+[0-9-]*\) .*/\1/' <<<"$line"))"
}
check_screen 1280x1024 1000x640
check_screen 1920x1080 1500x960
