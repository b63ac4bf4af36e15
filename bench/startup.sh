#!/usr/bin/env bash
# The editor's start-up beside a bare Qt Widgets main window (bench/startup_floor.cpp): each is
# run RUNS times (default 15), the two alternating, under the current display (a virtual one
# through xvfb-run -a when there is none). Prints the median time to the first paint of each,
# the ratio of the editor's to the floor's, and the peak memory (max RSS) of each.
# Usage: bench/startup.sh [BUILD_DIR [RUNS]]   (default: build 15)
# Environment: EDITOR_PROGRAM, another editor binary to time (an older build, for a comparison);
# BASELINE_PROGRAM, a second editor binary timed in the same rounds, alternating with the other
# two, so a change is compared under the same load (its line is printed as "baseline").
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
RUNS="${2:-15}"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${STARTUP_UNDER_XVFB:-}" ]; then
    exec env STARTUP_UNDER_XVFB=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

editor="${EDITOR_PROGRAM:-$BUILD_DIR/bin/lumivo}"
floor="$BUILD_DIR/bin/startup_floor"
[ -x "$floor" ] || floor="$BUILD_DIR/bench/startup_floor"
baseline="${BASELINE_PROGRAM:-}"
for program in "$editor" "$floor" ${baseline:+"$baseline"}; do
    [ -x "$program" ] || { echo "startup.sh: $program is not built" >&2; exit 2; }
done

# The editor starts without the sign colour question, in a settings folder of its own.
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
printf '[Sign]\nshowform=0\ncolor=2\n' >"$home/lumivo.INI"

# One run: "MS KIB", the milliseconds to the first paint and the peak memory.
run() {
    local out
    out="$(LUMIVO_HOME="$home" /usr/bin/time -f 'rss %M' "$@" 2>&1)"
    local ms kib
    ms="$(sed -n 's/^main window shown after \([0-9]*\) ms$/\1/p' <<<"$out")"
    kib="$(sed -n 's/^rss \([0-9]*\)$/\1/p' <<<"$out")"
    [ -n "$ms" ] && [ -n "$kib" ] || { echo "startup.sh: no time from $1: $out" >&2; exit 1; }
    echo "$ms $kib"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

editor_ms=() editor_kib=() floor_ms=() floor_kib=() base_ms=() base_kib=()
for ((i = 0; i < RUNS; i++)); do
    read -r ms kib < <(run "$floor")
    floor_ms+=("$ms") floor_kib+=("$kib")
    read -r ms kib < <(run "$editor" --quit-after-show)
    editor_ms+=("$ms") editor_kib+=("$kib")
    if [ -n "$baseline" ]; then
        read -r ms kib < <(run "$baseline" --quit-after-show)
        base_ms+=("$ms") base_kib+=("$kib")
    fi
done

em="$(printf '%s\n' "${editor_ms[@]}" | median)"
fm="$(printf '%s\n' "${floor_ms[@]}" | median)"
er="$(printf "%s\n" "${editor_kib[@]}" | median)"
fr="$(printf "%s\n" "${floor_kib[@]}" | median)"
awk -v em="$em" -v fm="$fm" -v er="$er" -v fr="$fr" -v n="$RUNS" 'BEGIN {
    printf "runs: %d each, alternating\n", n
    printf "editor: median %s ms to the first paint, max RSS %.1f MiB (median)\n", em, er / 1024
    printf "floor:  median %s ms to the first paint, max RSS %.1f MiB (median)\n", fm, fr / 1024
    printf "ratio:  %.2f (time), %.2f (memory)\n", (fm > 0 ? em / fm : 0), (fr > 0 ? er / fr : 0)
}'
if [ -n "$baseline" ]; then
    bm="$(printf '%s\n' "${base_ms[@]}" | median)"
    br="$(printf "%s\n" "${base_kib[@]}" | median)"
    awk -v bm="$bm" -v br="$br" -v fm="$fm" 'BEGIN {
        printf "baseline: median %s ms to the first paint, max RSS %.1f MiB (median), ratio %.2f\n",
            bm, br / 1024, (fm > 0 ? bm / fm : 0)
    }'
fi
