#!/usr/bin/env bash
# One orvant-msg process listens as the main window; others send it registered messages by name, data
# copies and a broadcast. Hostile datagrams written straight to its socket in between change nothing: the
# listener prints exactly the good messages, in order.
set -u
bin=${1:?usage: msg_roundtrip.sh BIN_FOLDER}
source "$(dirname "$0")/msg_common.bash"
title="ORVANT X80 PRO"
fail() {
    echo "msg_roundtrip: $*" >&2
    for f in out err; do [ -s "$work/$f" ] && sed "s/^/  listener $f: /" "$work/$f" >&2; done
    exit 1
}

timeout 30 "$msg" listen "$title" --count 5 --timeout 20000 >"$work/out" 2>"$work/err" &
listener=$!
wait_for_window "$title" || fail "the listener's window never appeared"

"$msg" send "$title" UWM_INSTANCE_MSG 0 1 || fail "send by constant name failed"
"$msg" copydata "$title" 5 --hex "01 02 ff" || fail "copydata from hex failed"

python3 - "$XDG_RUNTIME_DIR/orvant-bus/$title" <<'PY' || fail "could not write the hostile datagrams"
import os, socket, struct, sys
header = lambda kind, sender, name, data: (b"OVBUS1" + bytes([kind, 0]) + bytes(24)
                                           + struct.pack("<HHI", sender, name, data))
hostile = [
    os.urandom(200),
    b"",
    b"OVBUS1",
    header(1, 0, 4, 0) + b"Gam",                # shorter than its lengths say
    header(1, 0, 0xFFFF, 0xFFFFFFFF) + b"x" * 64, # lengths far beyond the datagram
    header(2, 0, 4, 0) + b"Game",                # a data copy with a name
    header(3, 0, 4, 0) + b"Game",                # no such kind
    b"\0" * 70000,                               # larger than any datagram
]
s = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
for datagram in hostile:
    try:
        s.sendto(datagram, sys.argv[1])
    except OSError as error:
        if len(datagram) < 70000:  # only the oversized one may be refused on the way
            sys.exit("not delivered: %s" % error)
PY

printf 'ab\0"\n' >"$work/record.bin"
"$msg" copydata "$title" 2 --file "$work/record.bin" || fail "copydata from a file failed"
"$msg" send "$title" "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}" 1 -1 || fail "send by registered name failed"
"$msg" broadcast Game_Kill 0xFFFFFFFFFFFFFFFF -0x10 || fail "broadcast failed"

for _ in $(seq 200); do
    kill -0 "$listener" 2>/dev/null || break
    sleep 0.1
done
wait "$listener"
status=$?
listener=""
[ "$status" -eq 0 ] || fail "the listener ended with status $status"

expected='message "ORVANT X80 PRO" 0 1
copydata 5 3 0102ff
copydata 2 5 616200220a
message "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}" 1 -1
message "Game_Kill" 18446744073709551615 -16'
[ "$(cat "$work/out")" = "$expected" ] || fail "the listener printed something else; expected:
$expected"
dropped=$(sed -n 's/^orvant-msg: dropped \([0-9]*\) invalid datagrams$/\1/p' "$work/err")
[ "${dropped:-0}" -ge 7 ] || fail "the listener did not drop the hostile datagrams"
echo "msg_roundtrip: ok"
