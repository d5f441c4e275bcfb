#!/usr/bin/env bash
# The program against misbehaving devices: the keyboard and the mouse on their cables, each with its
# receiver plugged in. For each fault of the table in turn the simulator injects it, the program is made to talk
# to the device, and then the program must still run, its window must answer the "WorkTool" question
# within 200 ms (timed from sending the question to the reply arriving), and once the fault is cleared
# the device must be talked to normally again. A failing fault is reported with both logs' tails and
# the loop goes on, so one run names every fault the program does not survive.
set -u
bin=${1:?usage: fault_matrix.sh BIN_FOLDER}
source "$(dirname "$0")/msg_common.bash"
source "$(dirname "$0")/program_common.bash"
[ -x "$app" ] && [ -x "$simulator" ] && [ -x "$msg" ] || fail "a program is not built in $bin"

bound_ms=200
# How long the question may go unanswered before the case counts as a hang (the figure is then unknown).
hang_ms=3000

# fault | simulator line that injects it | how the program is made to talk to the device
cases="
delay past the time-out      | fault keyboard delay 1500 cmd 0x1c count 0         | light
dropped reply                | fault keyboard drop cmd 0x1c count 0               | light
other command byte once      | fault keyboard other 0x12 cmd 0x1c count 0         | light
other command byte twice     | fault keyboard other 0x12 times 2 cmd 0x1c count 0 | light
status 0xff                  | fault keyboard status 0xff cmd 0x1c count 0        | light
status 0xfe                  | fault keyboard status 0xfe cmd 0x1c count 0        | light
bad checksum                 | fault keyboard checksum cmd 0x1c count 0           | light
vanishing mid-transfer       | fault keyboard vanish cmd 0x12 offset 112          | frames
receiver offline             | online mouse-receiver off                          | receiver
receiver silent on its query | fault mouse-receiver drop cmd 0xaa count 0         | receiver
"

reply_line='^04 .. .. 1c   00 00 00 00' # the keyboard's successful answer to 0x1C, as the program dumps it
# answers_1c: how many successful 0x1C replies the program has read.
answers_1c() { grep -A1 -xF "返回" "$work/app.err" | grep -c "$reply_line"; }
arrived_1c() { sim_number keyboard 0x1c; }

# until_more COMMAND N: until the command prints a number above N (about 10 s at most).
until_more() {
    for _ in $(seq 100); do
        [ "$($1)" -gt "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

# Ways to make the program talk; each returns once the request under the fault reached the device.
# light: the lighting-control message; the program sends 0x1C to the wired keyboard.
talk_light() {
    local arrived
    arrived=$(arrived_1c)
    "$msg" send "$title" UWM_LIGHT_CONTROL_MSG 1 1 || fail "could not send the lighting-control message"
    until_more arrived_1c "$arrived"
}
# frames: the frame pump already sends lighting frames to the keyboard; the fault unplugs it.
talk_frames() {
    for _ in $(seq 100); do
        sim_answer list | grep -q "keyboard=unplugged" && return 0
        sleep 0.05
    done
    return 1
}
# receiver: the mouse's cable is pulled while its receiver stays, so the program switches to the
# receiver and asks it whether the mouse is online; switches_done is how many such switches had ended.
online_queries() { sim_number mouse-receiver onlineQueries; }
talk_receiver() {
    local queries
    queries=$(online_queries)
    switches_done=$(count "获取2")
    sim unplug mouse
    until_more online_queries "$queries"
}

# Proof that the device is talked to normally again, after the fault was cleared.
# keyboard: a lighting-control message reaches the keyboard and the program reads its good answer.
normal_keyboard() {
    local answered
    if sim_answer list | grep -q "keyboard=unplugged"; then
        local added
        added=$(count "添加一个键盘设备")
        sim plug keyboard
        wait_count "添加一个键盘设备" $((added + 1)) || return 1
    fi
    answered=$(answers_1c)
    talk_light && until_more answers_1c "$answered"
}
# mouse: the switch under the fault ends, the mouse goes back on its cable and is pulled again: the
# program switches to the receiver and its first online query is answered yes.
normal_mouse() {
    local added failed
    sim online mouse-receiver on
    wait_count "获取2" $((switches_done + 1)) || return 1
    added=$(count "添加一个鼠标设备")
    sim plug mouse
    wait_count "添加一个鼠标设备" $((added + 1)) || return 1
    failed=$(count "获取2.4G模式失败")
    talk_receiver || return 1
    wait_count "获取2" $((switches_done + 1)) || return 1
    [ "$(count "获取2.4G模式失败")" -eq "$failed" ] || return 1
    sim plug mouse
    wait_count "添加一个鼠标设备" $((added + 2))
}

failures=()
# case_failed FAULT WHAT: notes and reports one failure of a case.
case_failed() {
    failures+=("$1: $2")
    echo "$me: [$1] $2" >&2
    show_logs 30
}

start_sim keyboard keyboard-receiver mouse mouse-receiver
sim unplug keyboard-receiver
sim unplug mouse-receiver
start_app
wait_count "device tiles shown 2, No_device_Link hidden" 1 || fail "the keyboard's and mouse's tiles were not shown"
plug_receivers
normal_keyboard || fail "the keyboard is not talked to before any fault"

while IFS='|' read -r fault inject talk; do
    fault=$(xargs <<<"$fault")
    [ -n "$fault" ] || continue
    inject=$(xargs <<<"$inject")
    talk=$(xargs <<<"$talk")
    device=keyboard
    [ "$talk" = receiver ] && device=mouse
    started=$(date +%s%N)
    sim "$inject"
    "talk_$talk" || case_failed "$fault" "the program did not start talking to the $device"
    if ! app_alive; then
        case_failed "$fault" "the program is no longer running"
        break
    fi
    if ! ask_worktool "$hang_ms"; then
        case_failed "$fault" "the window did not answer the WorkTool question within $hang_ms ms"
    elif [ "$reply_ms" -gt "$bound_ms" ]; then
        case_failed "$fault" "the window answered the WorkTool question in $reply_ms ms (bound $bound_ms ms)"
    fi
    sim clear "$device"
    "normal_$device" || case_failed "$fault" "after clear the $device was not talked to normally"
    app_alive || { case_failed "$fault" "the program is no longer running"; break; }
    echo "$me: $fault: WorkTool reply ${reply_ms:-none} ms, case $((($(date +%s%N) - started) / 1000000)) ms"
done <<<"$cases"

app_alive && stop_app
if [ "${#failures[@]}" -ne 0 ]; then
    echo "$me: ${#failures[@]} failed:" >&2
    printf '  %s\n' "${failures[@]}" >&2
    exit 1
fi
echo "$me: ok"
