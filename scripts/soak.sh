#!/usr/bin/env bash
# Soak run: the program offscreen against orvant-devsim, with private folders, while devices come and
# go for N minutes: the keyboard and the mouse unplugged and plugged, the mouse's cable pulled so that it
# moves to its receiver and back, the keyboard moved to its receiver and back, both devices gone at
# once, a second identical keyboard taking the first one's place, and the lighting-control message.
# Every round ends with the same devices on their cables and asks the window the "WorkTool" question.
# The program's resident memory, threads and open files are printed after the first round (warmed up)
# and at the end; the run fails on growth beyond the bounds below, on a question left unanswered, on a
# device change the program does not follow, or on the program exiting.
#   scripts/soak.sh --minutes N [--bin BIN_FOLDER]
# Without --bin the program and its tools are built first (in $ORVANT_BUILD_DIR or build/).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=""
bin=""
while [ $# -gt 0 ]; do
    case "$1" in
    --minutes) minutes=${2:-}; shift 2 ;;
    --bin) bin=${2:-}; shift 2 ;;
    *) echo "usage: soak.sh --minutes N [--bin BIN_FOLDER]" >&2; exit 2 ;;
    esac
done
[[ "$minutes" =~ ^[0-9]+$ ]] && [ "$minutes" -gt 0 ] || { echo "soak: --minutes takes a whole number above 0" >&2; exit 2; }
if [ -z "$bin" ]; then
    build=${ORVANT_BUILD_DIR:-$root/build}
    [ -f "$build/build.ninja" ] || cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ||
        exit 1
    cmake --build "$build" -j2 --target orvant-x80-pro orvant-devsim orvant-msg >/dev/null || exit 1
    bin=$build/bin
fi

# Growth allowed between the first figures and the last (both taken with the same devices, settled).
rss_slack_kb=4096
# A question unanswered this long is a hang.
hang_ms=5000

source "$root/tests/e2e/msg_common.bash"
source "$root/tests/e2e/program_common.bash"
[ -x "$app" ] && [ -x "$simulator" ] && [ -x "$msg" ] || fail "a program is not built in $bin"

# step LINE DEBUG_LINE: the simulator line command, then the program's debug line written once more.
step() {
    local before
    before=$(count "$2")
    sim "$1"
    wait_count "$2" $((before + 1)) || fail "after '$1' the program did not write '$2'"
}
# figures: the program's resident memory (kB), threads and open file descriptors.
figures() {
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$listener/status")
    threads=$(awk '/^Threads:/ {print $2}' "/proc/$listener/status")
    fds=$(ls "/proc/$listener/fd" | wc -l)
}
# settle: until the threads and descriptors are at most the first figures (about 10 s at most).
settle() {
    for _ in $(seq 100); do
        figures
        [ -z "${first_threads:-}" ] || { [ "$threads" -le "$first_threads" ] && [ "$fds" -le "$first_fds" ]; } &&
            return 0
        sleep 0.1
    done
}
# step_message STATE: the lighting-control message, handled.
step_message() {
    local before
    before=$(count "lighting control $1")
    "$msg" send "$title" UWM_LIGHT_CONTROL_MSG 1 "$1" || fail "could not send the lighting-control message"
    wait_count "lighting control $1" $((before + 1)) || fail "the lighting-control message $1 was not handled"
}
alive() {
    app_alive || fail "the program exited"
    ask_worktool "$hang_ms" || fail "the window did not answer the WorkTool question within $hang_ms ms"
    slowest_ms=$((reply_ms > slowest_ms ? reply_ms : slowest_ms))
}

wired_keyboard="keyboard link: wired, 56-byte chunks"
all_shown="device tiles shown 2, No_device_Link hidden"

# One round; the devices end as they started: keyboard and mouse on their cables, both receivers
# plugged in, the mouse reachable through its receiver.
round() {
    step "link keyboard receiver" "keyboard link: wireless, 24-byte chunks"
    step "link keyboard cable" "$wired_keyboard"
    step "unplug mouse" "获取2"
    step "plug mouse" "mouse link: wired, 56-byte chunks"
    # A second identical keyboard waits until the first one's cable goes, then takes its place (the
    # program sees the keyboard's cable come back), and gives it back.
    sim plug keyboard2
    step "unplug keyboard" "$wired_keyboard"
    sim plug keyboard
    step "unplug keyboard2" "$wired_keyboard"
    # Every device gone, then back.
    sim unplug keyboard
    sim unplug keyboard-receiver
    sim unplug mouse
    step "unplug mouse-receiver" "device tiles shown 0, No_device_Link shown"
    sim plug keyboard
    step "plug mouse" "$all_shown"
    plug_receivers
    for state in 0 1; do
        step_message "$state"
    done
    alive
}

start_sim keyboard keyboard-receiver keyboard2 mouse mouse-receiver
for device in keyboard2 keyboard-receiver mouse-receiver; do
    sim unplug $device
done
start_app
wait_count "$all_shown" 1 || fail "the keyboard's and mouse's tiles were not shown"
plug_receivers
slowest_ms=0
rounds=0
round
rounds=1
settle
first_rss=$rss first_threads=$threads first_fds=$fds
echo "soak: start: VmRSS $rss kB, threads $threads, open descriptors $fds"
end=$(($(date +%s) + minutes * 60))
while [ "$(date +%s)" -lt "$end" ]; do
    round
    rounds=$((rounds + 1))
done
settle
echo "soak: end after $rounds rounds: VmRSS $rss kB, threads $threads, open descriptors $fds;" \
    "slowest WorkTool reply $slowest_ms ms"
[ "$threads" -le "$first_threads" ] || fail "threads grew from $first_threads to $threads"
[ "$fds" -le "$first_fds" ] || fail "open descriptors grew from $first_fds to $fds"
[ "$rss" -le $((first_rss + rss_slack_kb)) ] ||
    fail "resident memory grew from $first_rss kB to $rss kB (more than $rss_slack_kb kB)"
stop_app
echo "soak: ok"
