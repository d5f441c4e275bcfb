# Shared by the scripts that run the program against orvant-devsim (sourced after msg_common.bash, with
# bin set): private data and settings folders and a virtual HID folder inside the scratch folder, the
# simulator fed with line commands through a fifo, the program offscreen with its debug output in a log,
# bounded waits on its debug lines, the "WorkTool" question that shows the window answers, and the
# failure report with the tail of both logs.
app="$bin/orvant-x80-pro"
simulator="$bin/orvant-devsim"
title="ORVANT X80 PRO"
me=$(basename "$0" .sh)
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=offscreen ORVANT_DEBUG=1
export ORVANT_VIRTUAL_HID="$work/hid"
mkdir -p "$ORVANT_VIRTUAL_HID"
simpid=""
# The program's process is msg_common's "listener", so that its clean-up ends it.

# show_logs: the tail of the program's debug output and of the simulator's answers, on standard error.
show_logs() {
    [ -s "$work/app.err" ] && sed 's/^/  program: /' "$work/app.err" | tail -"${1:-40}" >&2
    [ -s "$work/sim.out" ] && cut -c1-160 "$work/sim.out" | sed 's/^/  simulator: /' | tail -10 >&2
    return 0
}
fail() {
    echo "$me: $*" >&2
    show_logs
    exit 1
}
stop_sim() {
    [ -n "$simpid" ] && { exec 3>&-; kill "$simpid" 2>/dev/null; wait "$simpid" 2>/dev/null; }
    simpid=""
}
trap 'stop_sim; cleanup' EXIT

# start_sim DEVICE...: the simulator serving the devices, its standard input on descriptor 3.
start_sim() {
    mkfifo "$work/sim.in"
    "$simulator" --folder "$ORVANT_VIRTUAL_HID" "$@" <"$work/sim.in" >"$work/sim.out" 2>&1 &
    simpid=$!
    exec 3>"$work/sim.in"
    for _ in $(seq 100); do
        grep -q "^orvant-devsim: serving" "$work/sim.out" 2>/dev/null && return 0
        sleep 0.05
    done
    fail "the simulator did not start"
}
# sim_answer LINE: one line command to the simulator; prints its answer line.
sim_answer() {
    local before
    before=$(grep -c . "$work/sim.out")
    echo "$*" >&3
    for _ in $(seq 250); do
        [ "$(grep -c . "$work/sim.out")" -gt "$before" ] && break
        sleep 0.02
    done
    tail -n 1 "$work/sim.out"
}
# sim LINE: a line command the simulator must answer "ok".
sim() { sim_answer "$@" | grep -q '^ok' || fail "simulator refused '$*'"; }
# sim_number NAME KEY: the number under the key in the product's dump (the first such key), 0 when
# the dump has none (a command that never arrived has no counter).
sim_number() {
    local value
    value=$(sim_answer dump "$1" | grep -o "\"$2\":[0-9]*" | head -1 | cut -d: -f2)
    echo "${value:-0}"
}

# start_app: the program, its debug output in app.err, until its main window listens.
start_app() {
    "$app" 2>"$work/app.err" &
    listener=$!
    wait_for_window "$title" || fail "the main window never appeared"
}
# app_alive: the program still runs.
app_alive() { kill -0 "$listener" 2>/dev/null; }
# stop_app: ends the program with SIGTERM; it must exit with 0.
stop_app() {
    kill -TERM "$listener"
    wait "$listener"
    local code=$?
    listener=""
    [ "$code" -eq 0 ] || fail "the program exited with $code"
}

# count LINE: how many times the program wrote the debug line.
count() { grep -cxF -- "$1" "$work/app.err"; }
# wait_count LINE N [TENTHS]: until the line was written N times (at most TENTHS tenths of a second, 100).
wait_count() {
    for _ in $(seq "${3:-100}"); do
        [ "$(count "$1")" -ge "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

# ask_worktool TIMEOUT_MS: sends UWM_WORKTOOL_QUERY_MSG and waits for the reply at a "WorkTool"
# endpoint; sets reply_ms to the whole milliseconds from sending to the reply's arrival. False with
# reply_ms empty when no reply came in time.
ask_worktool() {
    local out
    reply_ms=""
    out=$("$msg" ask "$title" UWM_WORKTOOL_QUERY_MSG 0 0 --reply-to WorkTool --timeout "$1" 2>&1) || return 1
    grep -q "^copydata 5 1024 " <<<"$out" || return 1
    reply_ms=$(sed -n 's/^replied in \([0-9]*\)\.[0-9]* ms$/\1/p' <<<"$out")
    [ -n "$reply_ms" ]
}

# plug_receivers: both receivers carry the same ids, so the first one the program finds takes the
# keyboard receiver's slot. The keyboard's is plugged in first, the mouse's once the program holds the
# keyboard's (its command and event interfaces); the mouse is reachable through its receiver.
plug_receivers() {
    local added
    added=$(count "添加一个键盘设备")
    sim plug keyboard-receiver
    wait_count "添加一个键盘设备" $((added + 2)) || fail "the keyboard's receiver was not found"
    added=$(count "添加一个鼠标设备")
    sim online mouse-receiver on
    sim plug mouse-receiver
    wait_count "添加一个鼠标设备" $((added + 2)) || fail "the mouse's receiver was not found"
}
