#!/usr/bin/env bash
# Sets Lumivo up (packages, configure, build) and starts the editor. When the settings do not map
# COM1 to a device, two virtual signs (IDs 01 and 02) are started, each on its own
# pseudo-terminal, and COM1 points at the first for this run, so a message can be sent at once
# without hardware. When the sign list is empty as well, the two are put in it as "Virtual 1"
# and "Virtual 2" of the group "virtual" for this run: they are taken out again when the editor
# ends (or, when the run was killed, at the next run), so the list the user keeps never names a
# pseudo-terminal that is gone.
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

# True when the sign list holds no sign and no section of it has a problem: then nothing of the
# user's can share a name with the virtual signs.
sign_list_empty() {
    local listed problems
    problems="$(mktemp)"
    listed="$("$BIN/lumivo-cli" signs --json 2>"$problems" | tr -d ' \n')" || listed=""
    local empty=0
    if [ "$listed" != "[]" ] || [ -s "$problems" ]; then
        empty=1
    fi
    rm -f "$problems"
    return $empty
}

sign_pids=()
listed_signs=()
run_dir=""
cleanup() {
    local name
    for name in "${listed_signs[@]}"; do
        "$BIN/lumivo-cli" signs remove "$name" >/dev/null 2>&1 || true
    done
    for pid in "${sign_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    [ -n "$run_dir" ] && rm -rf "$run_dir"
}
trap cleanup EXIT

# Starts a virtual sign of ID $1 logging to $2 with the further options after them, and sets
# `device` to the pseudo-terminal it opened (its first line of output).
start_sign() {
    local id="$1" log="$2" out="$run_dir/sign-$1.out"
    shift 2
    "$BIN/lumivo-sign" --id "$id" --log "$log" "$@" >"$out" &
    sign_pids+=("$!")
    device=""
    for _ in $(seq 100); do
        if IFS= read -r device <"$out" 2>/dev/null; then
            return 0
        fi
        sleep 0.1
    done
    echo "The virtual sign (ID $id) did not start; see above." >&2
    return 1
}

# A run ended by SIGKILL had no chance to take its virtual signs out of the list: its folder
# still names them and the run's process. When that process is gone and the run used the same
# program folder, the signs it listed are taken out now.
remove_signs_of_killed_runs() {
    local owner pid home name
    for owner in "${TMPDIR:-/tmp}"/lumivo-run.*/owner; do
        [ -f "$owner" ] || continue
        { IFS= read -r pid && IFS= read -r home; } <"$owner" || continue
        if kill -0 "$pid" 2>/dev/null || [ "$home" != "${LUMIVO_HOME:-}" ]; then
            continue
        fi
        tail -n +3 "$owner" | while IFS= read -r name; do
            "$BIN/lumivo-cli" signs remove "$name" >/dev/null 2>&1 || true
        done
        rm -rf "$(dirname "$owner")"
    done
}
remove_signs_of_killed_runs

if ! com1_mapped && [ -x "$BIN/lumivo-sign" ]; then
    run_dir="$(mktemp -d "${TMPDIR:-/tmp}/lumivo-run.XXXXXX")"
    log1="${TMPDIR:-/tmp}/lumivo-sign.log"
    log2="${TMPDIR:-/tmp}/lumivo-sign-02.log"
    # With a display each sign shows itself in a window; without one the first draws on the
    # terminal (two drawing there at once would overwrite each other).
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        show1=(--show --window)
        show2=(--show --window)
    else
        show1=(--show)
        show2=()
    fi
    start_sign 01 "$log1" "${show1[@]}"
    device1="$device"
    start_sign 02 "$log2" ${show2[@]+"${show2[@]}"}
    device2="$device"
    export LUMIVO_COM1="$device1"
    echo "Virtual sign (ID 01) on $device1 as COM1 for this run; its log: $log1" >&2
    echo "Virtual sign (ID 02) on $device2 for this run; its log: $log2" >&2
    if sign_list_empty; then
        printf '%s\n' "$$" "${LUMIVO_HOME:-}" "Virtual 1" "Virtual 2" >"$run_dir/owner"
        "$BIN/lumivo-cli" signs add "Virtual 1" --port "$device1" --id 01 --group virtual >/dev/null
        listed_signs+=("Virtual 1")
        "$BIN/lumivo-cli" signs add "Virtual 2" --port "$device2" --id 02 --group virtual >/dev/null
        listed_signs+=("Virtual 2")
        echo "Sign list for this run: \"Virtual 1\" and \"Virtual 2\" in the group \"virtual\"" \
            "(Signs menu); they leave the list when the editor ends." >&2
    fi
fi

echo "Starting the editor..." >&2
"$BIN/lumivo" "$@"
