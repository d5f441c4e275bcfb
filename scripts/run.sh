#!/usr/bin/env bash
# Builds the program and starts it. When no supported device is plugged in, the device simulator is
# started with a keyboard and a mouse and the program is pointed at it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
bin="${ORVANT_BUILD_DIR:-$root/build}/bin"
if [ ! -x "$bin/orvant-x80-pro" ]; then
  echo "orvant-x80-pro is not part of this build yet" >&2
  exit 1
fi

# Vendor ids of the supported devices, as in the device table.
have_device() {
  local f
  for f in /sys/class/hidraw/*/device/uevent; do
    [ -r "$f" ] || continue
    if grep -qiE '^HID_ID=[0-9A-F]+:0000(320F|0C76):' "$f"; then
      return 0
    fi
  done
  return 1
}

if ! have_device && [ -x "$bin/orvant-devsim" ]; then
  # The session's runtime folder when it is ours and writable (after su it is often neither), else the
  # private folder the program falls back to as well.
  runtime=${XDG_RUNTIME_DIR:-}
  if [ -z "$runtime" ] || [ ! -d "$runtime" ] || [ ! -O "$runtime" ] || [ ! -w "$runtime" ]; then
    runtime="${TMPDIR:-/tmp}/orvant-$(id -u)"
    mkdir -p -m 700 "$runtime"
  fi
  export ORVANT_VIRTUAL_HID="${ORVANT_VIRTUAL_HID:-$runtime/virtual-hid}"
  mkdir -p "$ORVANT_VIRTUAL_HID"
  "$bin/orvant-devsim" --folder "$ORVANT_VIRTUAL_HID" keyboard mouse </dev/null &
  sim=$!
  trap 'kill $sim 2>/dev/null || true' EXIT
  sleep 0.3
fi
"$bin/orvant-x80-pro"
