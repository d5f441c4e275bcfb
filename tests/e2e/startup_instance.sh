#!/usr/bin/env bash
# The program starts offscreen and opens its main window on the bus; a second start exits at once with
# code 0 and wakes the first with UWM_INSTANCE_MSG (wParam 0, lParam 1); a message sent by orvant-msg
# from another process arrives by name; SIGTERM ends the program in order with code 0. The first instance's debug output tells what it handled.
set -u
bin=${1:?usage: startup_instance.sh BIN_FOLDER}
app="$bin/orvant-x80-pro"
title="ORVANT X80 PRO"
source "$(dirname "$0")/msg_common.bash"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=offscreen ORVANT_DEBUG=1
# The running instance is the shared clean-up's background process.
listener=""
fail() {
    echo "startup_instance: $*" >&2
    [ -s "$work/first.err" ] && sed 's/^/  first: /' "$work/first.err" >&2
    exit 1
}
# wait_for COMMAND...: true once the command succeeds (at most about 10 s).
wait_for() {
    for _ in $(seq 100); do
        "$@" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}
# The instance message's debug line with the given lParam, as the main window writes it.
woken_with() { grep -q "^软件标示 [0-9]*，0d$1d$" "$work/first.err"; }

[ -x "$app" ] && [ -x "$msg" ] || fail "orvant-x80-pro or orvant-msg is not built in $bin"

"$app" 2>"$work/first.err" &
listener=$!
wait_for_window "$title" || fail "the main window never appeared on the bus"
grep -q "^InitWindow$" "$work/first.err" || fail "the main window did not initialise"
grep -q "main layout .* not built" "$work/first.err" && fail "the main layout was not built"

start=$(date +%s%N)
timeout 10 "$app" 2>"$work/second.err"
code=$?
elapsed_ms=$((($(date +%s%N) - start) / 1000000))
[ "$code" -eq 0 ] || fail "the second instance exited with $code"
[ "$elapsed_ms" -lt 5000 ] || fail "the second instance took ${elapsed_ms} ms to exit"
grep -q "^InitWindow$" "$work/second.err" && fail "the second instance opened a window"
wait_for woken_with 1 || fail "the first instance was not woken by the second"
kill -0 "$listener" 2>/dev/null || fail "the first instance ended"

"$msg" send "$title" UWM_INSTANCE_MSG 0 0 || fail "orvant-msg could not send"
wait_for woken_with 0 || fail "the message sent by orvant-msg did not arrive"

kill "$listener"
wait "$listener" 2>/dev/null
listener=""
# Once the first has gone its lock and title are free: a new start runs as the first instance.
"$app" 2>"$work/third.err" &
listener=$!
wait_for_window "$title" || fail "a start after the first ended did not open its window"

# Asked to stop, it closes its window, tears down and exits with 0; its title and lock are free then.
kill -TERM "$listener"
for _ in $(seq 100); do kill -0 "$listener" 2>/dev/null || break; sleep 0.1; done
kill -0 "$listener" 2>/dev/null && fail "SIGTERM did not end the program"
wait "$listener"
code=$?
listener=""
[ "$code" -eq 0 ] || fail "after SIGTERM the program exited with $code"
"$msg" find "$title" 2>/dev/null && fail "the window's bus endpoint outlived the program"
echo "startup_instance: ok"
