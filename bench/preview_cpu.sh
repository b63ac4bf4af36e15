#!/usr/bin/env bash
# The editor's own CPU time while its preview animates a long scrolling line for 10 seconds, as
# a share of one core, read from /proc/PID/stat. Needs a display, for example:
#   xvfb-run -a -s "-screen 0 1024x768x24" bench/preview_cpu.sh build
set -euo pipefail
BUILD_DIR="${1:-build}"
SECONDS_MEASURED="${2:-10}"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
printf '[Sign]\nshowform=0\ncolor=2\n' >"$home/lumivo.INI"
line="$home/line.txt"
printf '<Scroll Left><Red>Sale <Green>50%% off <Orange>today only <Rainbow>at the corner shop' >"$line"

LUMIVO_HOME="$home" "$BUILD_DIR/bin/lumivo" "$line" &
pid=$!
sleep 3 # start-up is not measured
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
before=$(cpu)
sleep "$SECONDS_MEASURED"
after=$(cpu)
kill "$pid"
wait "$pid" 2>/dev/null || true
ticks=$(getconf CLK_TCK)
awk -v t=$((after - before)) -v hz="$ticks" -v s="$SECONDS_MEASURED" \
    'BEGIN { printf "editor CPU while the preview animates: %.1f %% of one core (%d ticks in %d s)\n", 100 * t / hz / s, t, s }'
