#!/usr/bin/env bash
# Runs the whole test suite several times over while busy loops keep every core loaded, to bring out
# tests that pass only with a quiet machine.
#
#   scripts/stress-tests.sh [ROUNDS] [--sanitize LIST]
#
# ROUNDS defaults to 10. With --sanitize (e.g. address,undefined or thread) the suite is built with
# those sanitizers into build-sanitize-LIST, otherwise normally into build/ (or $ORVANT_BUILD_DIR).
# The output of every failing round is kept in a log folder named at the start and the end; at the end
# each failed test is listed with how often and in which rounds it failed, and the exit status is 1 when
# any failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
    echo "usage: $0 [ROUNDS] [--sanitize LIST]" >&2
    exit 2
}
rounds=10
sanitize=""
while [ $# -gt 0 ]; do
    case $1 in
    --sanitize)
        [ $# -ge 2 ] && [ -n "$2" ] || usage
        sanitize=$2
        shift 2
        ;;
    *[!0-9]* | "" | 0) usage ;;
    *)
        rounds=$1
        shift
        ;;
    esac
done

if [ -n "$sanitize" ]; then
    build=$root/build-sanitize-$sanitize
else
    build=${ORVANT_BUILD_DIR:-$root/build}
fi

bash "$root/scripts/setup.sh"
ORVANT_BUILD_DIR=$build bash "$root/scripts/build.sh" -DORVANT_SANITIZE="$sanitize"

logs=$build/stress-logs/$(date +%Y%m%d-%H%M%S)
mkdir -p "$logs"
echo "Logs of failing rounds: $logs"

# One busy loop per core, ended however the script ends, as is a round's ctest (it runs in the
# background so that a signal to this script is acted on at once).
cores=$(nproc)
loaders=()
ctest_pid=""
stop_children() {
    [ -n "$ctest_pid" ] && kill -TERM "$ctest_pid" 2>/dev/null
    if [ ${#loaders[@]} -gt 0 ]; then
        kill -KILL "${loaders[@]}" 2>/dev/null || true
        wait "${loaders[@]}" 2>/dev/null || true
        loaders=()
    fi
}
trap stop_children EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
for _ in $(seq "$cores"); do
    (while :; do :; done) &
    loaders+=($!)
done

declare -A failures=() failed_rounds=()
cd "$build"
for round in $(seq "$rounds"); do
    log=$logs/round-$round.log
    ctest --output-on-failure -j$((2 * cores)) >"$log" 2>&1 &
    ctest_pid=$!
    status=0
    wait "$ctest_pid" || status=$?
    ctest_pid=""
    if [ "$status" -eq 0 ]; then
        echo "round $round/$rounds: passed"
        rm -f "$log"
        continue
    fi
    # ctest's summary lists each failure as "<number> - <test> (<reason>)".
    names=$(sed -n '/^The following tests FAILED:/,$s/^[[:space:]]*[0-9]\+ - \(.*\) ([^)]*)$/\1/p' "$log")
    if [ -z "$names" ]; then
        names="(ctest itself, see round-$round.log)"
    fi
    echo "round $round/$rounds: failed: $(echo "$names" | tr '\n' ' ')"
    while IFS= read -r name; do
        failures[$name]=$((${failures[$name]:-0} + 1))
        failed_rounds[$name]="${failed_rounds[$name]:-}${failed_rounds[$name]:+, }$round"
    done <<<"$names"
done
stop_children

if [ ${#failures[@]} -eq 0 ]; then
    echo "All $rounds rounds passed."
    rmdir "$logs" 2>/dev/null || true
    exit 0
fi
echo
echo "Failed tests (count: rounds):"
for name in "${!failures[@]}"; do
    printf '  %-70s %d: %s\n' "$name" "${failures[$name]}" "${failed_rounds[$name]}"
done | sort
echo "Output of the failing rounds: $logs"
exit 1
