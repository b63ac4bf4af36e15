#!/usr/bin/env bash
# Builds the whole tree with clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test under them, then builds the libFuzzer targets and runs each from its seed corpus for a
# while. Fails on any sanitizer report, failed test, or fuzzer finding. The repository is never
# written: fuzzers work on a temporary copy of their seeds, and what they find is kept in that
# temporary folder (its path is printed).
# Usage: scripts/sanitize.sh
# Environment: SANITIZE_DIR (default build-sanitize), FUZZ_DIR (default build-fuzz),
# FUZZ_SECONDS (default 60, per fuzz target), FUZZ_JOBS (fuzz targets run at once, default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"
SANITIZE_DIR="${SANITIZE_DIR:-build-sanitize}"
FUZZ_DIR="${FUZZ_DIR:-build-fuzz}"
FUZZ_SECONDS="${FUZZ_SECONDS:-60}"
FUZZ_JOBS="${FUZZ_JOBS:-2}"
start=$SECONDS

# --- the compiler and its sanitizer and libFuzzer runtimes
scripts/install-packages.sh clang libclang-rt-14-dev

# Reports stop the program at the first fault; leaks are reported at exit. No leak is
# suppressed: the tests run offscreen, where Qt leaves nothing behind at exit.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

# --- the whole tree and every test
SANITIZE_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
echo "Configuring $SANITIZE_DIR/ (clang, AddressSanitizer, UndefinedBehaviorSanitizer)..."
cmake -S . -B "$SANITIZE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DLUMIVO_BENCH=OFF -DLUMIVO_WERROR=ON -DLUMIVO_LIBFUZZER=OFF \
    "-DCMAKE_CXX_FLAGS=-O1 $SANITIZE_FLAGS" \
    "-DCMAKE_EXE_LINKER_FLAGS=$SANITIZE_FLAGS" "-DCMAKE_SHARED_LINKER_FLAGS=$SANITIZE_FLAGS" \
    >/dev/null
echo "Building $SANITIZE_DIR/..."
cmake --build "$SANITIZE_DIR" --parallel 2
build_end=$SECONDS
echo "Running the tests under the sanitizers..."
ctest --test-dir "$SANITIZE_DIR" --output-on-failure --timeout 600 -j2
tests_end=$SECONDS

# --- the fuzz targets
echo "Configuring $FUZZ_DIR/ (libFuzzer)..."
cmake -S . -B "$FUZZ_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DLUMIVO_BENCH=OFF -DLUMIVO_TESTS=OFF -DLUMIVO_UI=OFF -DLUMIVO_WERROR=ON \
    -DLUMIVO_LIBFUZZER=ON >/dev/null
echo "Building the fuzz targets in $FUZZ_DIR/..."
cmake --build "$FUZZ_DIR" --parallel 2 --target fuzz_targets
fuzz_build_end=$SECONDS

work="$(mktemp -d "${TMPDIR:-/tmp}/lumivo-fuzz.XXXXXX")"
# Runs one target in its own folder of the temporary copy: corpus/ grows there, and a crash,
# leak or time-out leaves its input as crash-*, leak-* or timeout-* beside it.
fuzz_one() {
    local target="$1"
    shift
    local dir="$work/$target"
    mkdir -p "$dir/corpus"
    local seed
    for seed in "$@"; do
        if [ -d "$ROOT/$seed" ]; then
            find "$ROOT/$seed" -type f -print0 | while IFS= read -r -d '' file; do
                cp "$file" "$dir/corpus/$(echo "${file#"$ROOT"/}" | tr '/' '_')"
            done
        fi
    done
    local status=0
    (cd "$dir" && "$ROOT/$FUZZ_DIR/bin/$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 corpus >"$dir/log.txt" 2>&1) || status=$?
    echo "$status" >"$dir/status"
}

echo "Fuzzing each target for $FUZZ_SECONDS s from its seeds in $work..."
targets=()
while read -r target seeds; do
    targets+=("$target")
    # shellcheck disable=SC2086
    fuzz_one "$target" $seeds &
    while (($(jobs -rp | wc -l) >= FUZZ_JOBS)); do
        wait -n || true
    done
done <"$FUZZ_DIR/fuzz_seeds.txt"
wait || true
fuzz_end=$SECONDS

failed=0
printf '\n%-16s %-8s %12s %8s %8s %8s\n' target result executions cov ft corpus
for target in "${targets[@]}"; do
    dir="$work/$target"
    log="$dir/log.txt"
    status="$(cat "$dir/status" 2>/dev/null || echo 1)"
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)"
    last="$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)"
    cov="$(grep -o 'cov: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)"
    ft="$(grep -o 'ft: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)"
    corpus="$(find "$dir/corpus" -type f | wc -l)"
    result=ok
    if [ "$status" != 0 ]; then
        result=FAILED
        failed=1
    fi
    printf '%-16s %-8s %12s %8s %8s %8s\n' "$target" "$result" "${runs:-?}" "${cov:-?}" \
        "${ft:-?}" "$corpus"
done
for target in "${targets[@]}"; do
    dir="$work/$target"
    if [ "$(cat "$dir/status" 2>/dev/null || echo 1)" != 0 ]; then
        echo
        echo "=== $target found a fault; the input is kept in $dir:"
        find "$dir" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
            -o -name 'oom-*' \)
        tail -n 40 "$dir/log.txt"
    fi
done

echo
echo "Sanitized build: $((build_end - start)) s, tests: $((tests_end - build_end)) s," \
    "fuzz build: $((fuzz_build_end - tests_end)) s, fuzzing: $((fuzz_end - fuzz_build_end)) s," \
    "total: $((SECONDS - start)) s"
if ((failed)); then
    echo "A fuzz target failed (see above)."
    exit 1
fi
rm -rf "$work"
echo "No sanitizer or fuzzer finding."
