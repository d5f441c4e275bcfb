#!/usr/bin/env bash
# Under a virtual X server the program shows its main window: titled "ORVANT X80 PRO", 1000 x 640,
# centred on the screen. Skipped (exit 0 with a note) where xvfb-run or xwininfo is missing.
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

# Inside the X session: start the program, wait (bounded) for its window, print its geometry and the
# screen's, and end the program.
cat >"$work/session.sh" <<'EOF'
app=$1
QT_QPA_PLATFORM=xcb "$app" 2>"$XDG_RUNTIME_DIR/../app.err" &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null' EXIT
for _ in $(seq 100); do
    line=$(xwininfo -root -tree | grep '"ORVANT X80 PRO": (')
    [ -n "$line" ] && break
    sleep 0.1
done
echo "window: $line"
xwininfo -root | grep -E '^ +(Width|Height):'
EOF
timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/session.sh" "$bin/orvant-x80-pro" >"$work/out" 2>&1
fail() {
    echo "startup_xvfb: $*" >&2
    sed 's/^/  /' "$work/out" >&2
    [ -s "$work/app.err" ] && sed 's/^/  program: /' "$work/app.err" >&2
    exit 1
}
geometry=$(sed -n 's/^window: .* \([0-9]*x[0-9]*+[0-9-]*+[0-9-]*\) .*/\1/p' "$work/out")
[ -n "$geometry" ] || fail "no main window appeared"
size=${geometry%%+*}
[ "$size" = "1000x640" ] || fail "the main window is $size, not 1000x640"
pos=${geometry#*+}
x=${pos%%+*}
y=${pos#*+}
# Centred on the 1280 x 1024 screen (at 140, 192), give or take a window frame.
[ $((x - 140)) -ge -20 ] && [ $((x - 140)) -le 20 ] || fail "the main window is not centred across (x=$x)"
[ $((y - 192)) -ge -40 ] && [ $((y - 192)) -le 40 ] || fail "the main window is not centred down (y=$y)"
echo "startup_xvfb: ok ($geometry)"
