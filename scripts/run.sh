#!/usr/bin/env bash
# Sets Lumivo up (packages, configure, build) and starts the editor. When the settings do not map
# COM1 to a device, a virtual sign is started on a pseudo-terminal and COM1 points at it for this
# run, so a message can be sent at once without hardware.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
scripts/setup.sh "$BUILD_DIR" >&2
BIN="$(cd "$BUILD_DIR/bin" && pwd)"

if [ ! -x "$BIN/lumivo" ]; then
    echo "The editor is not built yet; showing what the compiler makes of a line instead:"
    "$BIN/lumivo-cli" page --sign 01 --page A '<Xopen><Red>Sale<Font7x13>!<Hold><3Sec>'
    echo
    exit 0
fi

settings="${LUMIVO_HOME:-$BIN}/lumivo.INI"
com1_mapped() {
    [ -n "${LUMIVO_COM1:-}" ] && return 0
    [ -f "$settings" ] || return 1
    awk 'BEGIN{s=0} /^\[/{s=($0=="[Ports]")} s && /^COM1=./{found=1} END{exit !found}' "$settings"
}

sign_pid=""
cleanup() { [ -n "$sign_pid" ] && kill "$sign_pid" 2>/dev/null || true; }
trap cleanup EXIT

if ! com1_mapped && [ -x "$BIN/lumivo-sign" ]; then
    log="${TMPDIR:-/tmp}/lumivo-sign.log"
    coproc SIGN { exec "$BIN/lumivo-sign" --id 01 --log "$log" --show; }
    sign_pid=$SIGN_PID
    read -r -t 10 device <&"${SIGN[0]}"
    export LUMIVO_COM1="$device"
    echo "Virtual sign (ID 01) on $device as COM1 for this run; its log: $log" >&2
fi

"$BIN/lumivo" "$@"
