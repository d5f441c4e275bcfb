#!/usr/bin/env bash
# The program runs offscreen against orvant-devsim. A keyboard plugged in before start is found in the
# first scan (its arrival comes before the first-scan wake); unplugging and plugging it hides and shows
# its tile and switches "No_device_Link"; moving it from its receiver to its cable keeps one page and
# changes the link to 56-byte chunks; the "WorkTool" reply and the lighting-control message work
# through orvant-msg. What the program did is read from its debug output.
set -u
bin=${1:?usage: devices_hotplug.sh BIN_FOLDER}
source "$(dirname "$0")/msg_common.bash"
source "$(dirname "$0")/program_common.bash"
[ -x "$app" ] && [ -x "$simulator" ] && [ -x "$msg" ] || fail "a program is not built in $bin"

start_sim keyboard
start_app

added="添加一个键盘设备"
removed="删除一个键盘设备"
wait_count "$added" 1 || fail "the keyboard plugged in before start was not found"
first_wake=$(grep -n "^软件标示 " "$work/app.err" | head -1 | cut -d: -f1)
first_add=$(grep -nxF "$added" "$work/app.err" | head -1 | cut -d: -f1)
[ -n "$first_wake" ] || { sleep 1; first_wake=$(grep -n "^软件标示 " "$work/app.err" | head -1 | cut -d: -f1); }
[ -n "$first_wake" ] && [ "$first_add" -lt "$first_wake" ] || fail "the keyboard was not found in the first scan"
wait_count "device tiles shown 1, No_device_Link hidden" 1 || fail "the keyboard's tile was not shown"

sim unplug keyboard
wait_count "$removed" 1 || fail "unplugging the keyboard was not noticed"
wait_count "device tiles shown 0, No_device_Link shown" 1 || fail "No_device_Link did not appear"
sim plug keyboard
wait_count "$added" 2 || fail "plugging the keyboard in again was not noticed"
wait_count "device tiles shown 1, No_device_Link hidden" 2 || fail "the tile did not come back"

# Receiver first, then the cable: one page, the link moves to the cable with 56-byte chunks.
sim link keyboard receiver
wait_count "keyboard link: wireless, 24-byte chunks" 1 || fail "the keyboard did not move to its receiver"
sim link keyboard cable
wait_count "keyboard link: wired, 56-byte chunks" 3 || fail "the keyboard did not move back to its cable"
[ "$(grep -c '^device page created: keyboard$' "$work/app.err")" -eq 1 ] || fail "a second keyboard page was made"

# The lighting-control message: off, then on again.
"$msg" send "$title" UWM_LIGHT_CONTROL_MSG 1 0 || fail "could not send the lighting-control message"
wait_count "lighting control 0" 1 || fail "the lighting was not released"
"$msg" send "$title" UWM_LIGHT_CONTROL_MSG 1 1 || fail "could not send the lighting-control message"
wait_count "lighting control 1" 1 || fail "the lighting was not taken back"

# The WorkTool reply: a 1024-byte record of type 5.
timeout 20 "$msg" listen WorkTool --count 1 --timeout 15000 >"$work/worktool.out" 2>&1 &
tool=$!
wait_for_window WorkTool || fail "the WorkTool listener did not start"
"$msg" send "$title" UWM_WORKTOOL_QUERY_MSG 0 0 || fail "could not send the WorkTool query"
wait "$tool" || fail "no WorkTool reply arrived"
grep -q "^copydata 5 1024 0200000003000000000000000200000004000000" "$work/worktool.out" ||
    fail "WorkTool reply not as expected: $(cut -c1-80 "$work/worktool.out")"

stop_app
echo "devices_hotplug: ok"
