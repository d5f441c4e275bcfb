# Shared by the orvant-msg end-to-end scripts (sourced, not run by itself): a scratch folder with a
# private runtime folder that is removed on exit, the background listener's clean-up, and a bounded
# wait for a window to appear.
msg="${bin:?}/orvant-msg"
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
listener=""
cleanup() {
    if [ -n "$listener" ]; then kill "$listener" 2>/dev/null; wait "$listener" 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT

# wait_for_window TITLE: true once a window with the title listens (at most about 10 s).
wait_for_window() {
    for _ in $(seq 100); do
        "$msg" find "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    "$msg" find "$1"
}
