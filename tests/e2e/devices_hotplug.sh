#!/usr/bin/env bash
# The program runs offscreen against orvant-devsim. A keyboard plugged in before start is found in the
# first scan (its arrival comes before the first-scan wake); unplugging and plugging it hides and shows
# its tile and switches "No_device_Link"; moving it from its receiver to its cable keeps one page and
# changes the link to 56-byte chunks; the "WorkTool" reply and the lighting-control message work
# through orvant-msg. What the program did is read from its debug output.
set -u
bin=${1:?usage: devices_hotplug.sh BIN_FOLDER}
app="$bin/orvant-x80-pro"
sim="$bin/orvant-devsim"
title="ORVANT X80 PRO"
source "$(dirname "$0")/msg_common.bash"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=offscreen ORVANT_DEBUG=1
export ORVANT_VIRTUAL_HID="$work/hid"
mkdir -p "$ORVANT_VIRTUAL_HID"
simpid=""
fail() {
    echo "devices_hotplug: $*" >&2
    [ -s "$work/app.err" ] && sed 's/^/  program: /' "$work/app.err" | tail -40 >&2
    [ -s "$work/sim.out" ] && sed 's/^/  simulator: /' "$work/sim.out" | tail -10 >&2
    exit 1
}
stop_sim() { [ -n "$simpid" ] && { exec 3>&-; kill "$simpid" 2>/dev/null; wait "$simpid" 2>/dev/null; }; simpid=""; }
trap 'stop_sim; cleanup' EXIT
# sim LINE: one line command to the simulator, answered "ok".
sim() {
    local before
    before=$(grep -c . "$work/sim.out" 2>/dev/null)
    echo "$*" >&3
    for _ in $(seq 50); do
        [ "$(grep -c . "$work/sim.out")" -gt "$before" ] && break
        sleep 0.1
    done
    tail -n 1 "$work/sim.out" | grep -q '^ok' || fail "simulator refused '$*'"
}
# count LINE: how many times the program wrote the debug line.
count() { grep -cxF -- "$1" "$work/app.err"; }
# wait_count LINE N: until the line was written N times (at most about 10 s).
wait_count() {
    for _ in $(seq 100); do
        [ "$(count "$1")" -ge "$2" ] && return 0
        sleep 0.1
    done
    return 1
}
[ -x "$app" ] && [ -x "$sim" ] && [ -x "$msg" ] || fail "a program is not built in $bin"

mkfifo "$work/sim.in"
"$sim" --folder "$ORVANT_VIRTUAL_HID" keyboard <"$work/sim.in" >"$work/sim.out" 2>&1 &
simpid=$!
exec 3>"$work/sim.in"
for _ in $(seq 50); do ls "$ORVANT_VIRTUAL_HID"/keyboard-mi01.hid >/dev/null 2>&1 && break; sleep 0.1; done

"$app" 2>"$work/app.err" &
listener=$!
wait_for_window "$title" || fail "the main window never appeared"

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

kill -TERM "$listener"
wait "$listener"
code=$?
listener=""
[ "$code" -eq 0 ] || fail "the program exited with $code"
echo "devices_hotplug: ok"
