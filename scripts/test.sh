#!/usr/bin/env bash
# One command from a clean clone to a full test run: installs what is missing, builds, runs ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh"
cd "${ORVANT_BUILD_DIR:-$root/build}"
ctest --output-on-failure -j"$(nproc)"
