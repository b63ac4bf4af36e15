#!/usr/bin/env bash
# Sets Lumivo up (packages, configure, build) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
scripts/setup.sh "$BUILD_DIR" >&2
BIN="$BUILD_DIR/bin"
if [ -x "$BIN/lumivo" ]; then
    exec "$BIN/lumivo" "$@"
fi
# Until the editor exists: show what the compiler makes of a line.
echo "Page stream of '<Xopen><Red>Sale<Font7x13>!<Hold><3Sec>' for sign 01, page A:"
"$BIN/lumivo-cli" page --sign 01 --page A '<Xopen><Red>Sale<Font7x13>!<Hold><3Sec>'
echo
