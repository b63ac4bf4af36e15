#!/usr/bin/env bash
# Sets Lumivo up (packages, configure, build) and starts the editor. When the settings do not map
# COM1 to a device, a virtual sign is started on a pseudo-terminal and COM1 points at it for this
# run, so a message can be sent at once without hardware.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
# Only the three programs and the files beside them: the tests, benchmarks and fuzzers are for
# scripts/test.sh.
scripts/setup.sh "$BUILD_DIR" lumivo lumivo-cli lumivo-sign >&2
BIN="$(cd "$BUILD_DIR/bin" && pwd)"

# The programs' own rule decides whether COM1 reaches a device of the user's.
com1_mapped() {
    "$BIN/lumivo-cli" ports --mapped COM1 >/dev/null 2>&1
}

sign_pid=""
cleanup() { [ -n "$sign_pid" ] && kill "$sign_pid" 2>/dev/null || true; }
trap cleanup EXIT

if ! com1_mapped && [ -x "$BIN/lumivo-sign" ]; then
    log="${TMPDIR:-/tmp}/lumivo-sign.log"
    # With a display the sign shows itself in a window; without one it draws on the terminal.
    sign_args=(--id 01 --log "$log" --show)
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        sign_args+=(--window)
    fi
    coproc SIGN { exec "$BIN/lumivo-sign" "${sign_args[@]}"; }
    sign_pid=$SIGN_PID
    read -r -t 10 device <&"${SIGN[0]}"
    export LUMIVO_COM1="$device"
    echo "Virtual sign (ID 01) on $device as COM1 for this run; its log: $log" >&2
fi

echo "Starting the editor..." >&2
"$BIN/lumivo" "$@"
