#!/usr/bin/env bash
# orvant-msg's failures: each is one line on standard error and a non-zero exit status, in bounded time.
set -u
bin=${1:?usage: msg_errors.sh BIN_FOLDER}
source "$(dirname "$0")/msg_common.bash"
failures=0

# expect_error STATUS TEXT ARGS...: orvant-msg ARGS ends with STATUS and one stderr line holding TEXT.
expect_error() {
    local want=$1 text=$2
    shift 2
    timeout 10 "$msg" "$@" >"$work/out" 2>"$work/err"
    local status=$?
    local lines
    lines=$(wc -l <"$work/err")
    if [ "$status" -ne "$want" ] || [ "$lines" -ne 1 ] || ! grep -qF -- "$text" "$work/err" ||
        [ -s "$work/out" ]; then
        echo "msg_errors: orvant-msg $* -> status $status (want $want), stderr:" >&2
        sed 's/^/  /' "$work/err" >&2
        failures=$((failures + 1))
    fi
}

expect_error 1 'no window titled "Nobody"' send Nobody UWM_INSTANCE_MSG 0 1
expect_error 1 'no window titled "Nobody"' copydata Nobody 1 --hex 00
expect_error 1 'no window titled "Nobody"' find Nobody
expect_error 1 'no window received the message' broadcast Game_Start
expect_error 2 'bad wParam "12x"' send Nobody Game_End 12x
expect_error 2 'bad lParam ""' send Nobody Game_End 1 ""
expect_error 2 'bad wParam "18446744073709551616"' send Nobody Game_End 18446744073709551616
expect_error 2 'bad lParam "0x"' broadcast Game_End 0 0x
expect_error 2 'bad record type "-"' copydata Nobody - --hex 00
expect_error 2 'bad hexadecimal bytes "0g"' copydata Nobody 1 --hex 0g
expect_error 2 'bad hexadecimal bytes "abc"' copydata Nobody 1 --hex abc
expect_error 2 "cannot read \"$work/missing\"" copydata Nobody 1 --file "$work/missing"
expect_error 2 "cannot read \"$work\"" copydata Nobody 1 --file "$work"
head -c 65537 /dev/zero >"$work/big"
expect_error 2 "larger than the 65536" copydata Nobody 1 --file /dev/zero
expect_error 2 "larger than the 65536" copydata Nobody 1 --file "$work/big"
expect_error 2 'count out of range' listen Main --count 0
expect_error 2 'listen takes --count N and --timeout MS' listen Main --forever
expect_error 2 'unknown command "shout"' shout Main
expect_error 2 'wrong number of arguments for send' send Main
expect_error 1 'timed out after 0 of 1 messages' listen Quiet --count 1 --timeout 200
expect_error 1 'no window titled "Nobody"' ask Nobody UWM_WORKTOOL_QUERY_MSG 0 0 --reply-to Me
expect_error 2 'ask needs --reply-to WINDOW' ask Nobody UWM_WORKTOOL_QUERY_MSG 0 0 --timeout 10
expect_error 2 'ask takes --reply-to WINDOW and --timeout MS' ask Nobody Game_End 0 0 --reply Me
expect_error 2 'bad time-out "soon"' ask Nobody Game_End 0 0 --reply-to Me --timeout soon

# A title that already listens cannot be taken twice.
timeout 20 "$msg" listen Main --timeout 15000 >/dev/null 2>&1 &
listener=$!
wait_for_window Main || failures=$((failures + 1))
expect_error 1 'a window titled "Main" is already listening' listen Main --timeout 100
# Main takes the question but never answers it.
expect_error 1 'timed out after 0 of 1 messages' ask Main Game_End 0 0 --reply-to Me --timeout 200

if [ "$failures" -ne 0 ]; then
    echo "msg_errors: $failures failed" >&2
    exit 1
fi
echo "msg_errors: ok"
