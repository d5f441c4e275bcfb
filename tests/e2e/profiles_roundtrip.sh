#!/usr/bin/env bash
# The program runs offscreen against orvant-devsim with a keyboard. Through the keyboard page's profile
# panel (driven by the automation hook) profiles are added, copied, renamed to a name in two scripts,
# chosen and deleted; after a restart the program shows them all as left, with the chosen profile
# selected, and the list file on disk says the same.
set -u
bin=${1:?usage: profiles_roundtrip.sh BIN_FOLDER}
app="$bin/orvant-x80-pro"
sim="$bin/orvant-devsim"
title="ORVANT X80 PRO"
source "$(dirname "$0")/msg_common.bash"
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=offscreen ORVANT_DEBUG=1 ORVANT_AUTOMATION=1
export ORVANT_VIRTUAL_HID="$work/hid"
mkdir -p "$ORVANT_VIRTUAL_HID"
folder="$XDG_DATA_HOME/ORVANT X80 PRO/keyboard"
simpid=""
app_pid=""
fail() {
    echo "profiles_roundtrip: $*" >&2
    [ -s "$work/app.err" ] && grep -v '^[0-9a-f ]*$' "$work/app.err" | tail -30 | sed 's/^/  program: /' >&2
    [ -f "$folder/ProfileList.ini" ] && sed 's/^/  list: /' "$folder/ProfileList.ini" >&2
    exit 1
}
stop_all() {
    [ -n "$app_pid" ] && { kill -TERM "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null; }
    [ -n "$simpid" ] && { kill "$simpid" 2>/dev/null; wait "$simpid" 2>/dev/null; }
}
trap 'stop_all; cleanup' EXIT
# wait_line LINE N: until the program wrote the debug line N times (at most about 10 s).
wait_line() {
    for _ in $(seq 100); do
        [ "$(grep -cxF -- "$1" "$work/app.err")" -ge "$2" ] && return 0
        sleep 0.1
    done
    return 1
}
# send COMMAND: one automation command to the program.
send() {
    printf '%s' "$*" >"$work/command"
    "$msg" copydata "$title" 0x4F41 --file "$work/command" || fail "could not send '$*'"
}
# drive COMMAND: one automation command, waited for until the program reports it done.
drive() {
    local before
    before=$(grep -cxF -- "automation: ok $*" "$work/app.err")
    send "$@"
    wait_line "automation: ok $*" $((before + 1)) || fail "'$*' did not succeed"
}
# names: the profile names of the list file, one line, separated by '|', then the selection.
names() {
    python3 -c 'import json,sys; d=json.load(open(sys.argv[1], encoding="utf-8"));
print("|".join(e["profilename"] for e in d["profilelist"]), d["profileselect"])' "$folder/ProfileList.ini"
}
start_app() {
    : >"$work/app.err"
    "$app" 2>"$work/app.err" &
    app_pid=$!
    wait_for_window "$title" || fail "the main window never appeared"
    wait_line "device tiles shown 1, No_device_Link hidden" 1 || fail "the keyboard's tile was not shown"
}
[ -x "$app" ] && [ -x "$sim" ] && [ -x "$msg" ] || fail "a program is not built in $bin"

"$sim" --folder "$ORVANT_VIRTUAL_HID" keyboard </dev/null >"$work/sim.out" 2>&1 &
simpid=$!
for _ in $(seq 50); do [ -S "$ORVANT_VIRTUAL_HID/keyboard-mi01.hid" ] && break; sleep 0.1; done

start_app
[ "$(names)" = "profile1 0" ] || fail "first start: $(names)"
drive click device_add_btn
drive click device_copy_btn
[ "$(names)" = "profile1|profile2|profile1 copy 1" ] || fail "after add and copy: $(names)"
drive select device_profile_combo 1
drive text device_profile_name_edit Raid 夜 night
drive click device_profile_edit_save_btn
drive select device_profile_combo 2
drive click device_sub_btn
[ "$(names)" = "profile1|Raid 夜 night 1" ] || fail "after rename and delete: $(names)"
files=$(find "$folder" -name '*.Json' | wc -l)
[ "$files" -eq 2 ] || fail "$files profile files instead of 2"

kill -TERM "$app_pid"
wait "$app_pid" || fail "the program did not end cleanly"
app_pid=""
start_app
[ "$(names)" = "profile1|Raid 夜 night 1" ] || fail "after the restart: $(names)"
send get device_profile_combo
wait_line "automation: device_profile_combo=Raid 夜 night" 1 ||
    fail "the chosen profile is not the one shown after the restart"
echo "profiles_roundtrip: ok"
