#!/usr/bin/env bash
# Sets Lumivo up (packages, configure, build everything with warnings as errors) and runs every
# test. BUILD_DIR and BUILD_TYPE choose the build folder and type.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
CONFIGURE=always CMAKE_ARGS="-DLUMIVO_WERROR=ON ${CMAKE_ARGS:-}" scripts/setup.sh "$BUILD_DIR"
export QT_QPA_PLATFORM=offscreen
echo "Running the tests..."
ctest --test-dir "$BUILD_DIR" --output-on-failure --timeout 300 -j2
