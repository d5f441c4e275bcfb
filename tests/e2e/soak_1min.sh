#!/usr/bin/env bash
# The soak run for one minute against the built programs (see scripts/soak.sh).
set -u
bin=${1:?usage: soak_1min.sh BIN_FOLDER}
exec bash "$(dirname "$0")/../../scripts/soak.sh" --minutes 1 --bin "$bin"
