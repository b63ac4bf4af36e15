#!/usr/bin/env bash
# Installs what Lumivo needs on Debian/Ubuntu (when missing), configures the build folder (when
# it is not configured yet, or always with CONFIGURE=always) and builds the given targets (all
# when none are given).
# Usage: scripts/setup.sh [BUILD_DIR [TARGET...]]   (default: build, every target)
# Environment: BUILD_TYPE (default RelWithDebInfo), CXX (the C++ compiler), CMAKE_ARGS (more -D
# options for the configure step), EXTRA_PACKAGES (more Debian packages to install).
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR="${1:-build}"
shift || true
BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
    qt6-httpserver-dev qt6-websockets-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libcups2-dev cups-daemon cups-client zlib1g-dev libgif-dev
    xvfb xauth time
    appstream desktop-file-utils groff-base lintian
)
# shellcheck disable=SC2206
PACKAGES+=(${EXTRA_PACKAGES:-})

echo "Checking the Debian packages Lumivo needs..."
scripts/install-packages.sh "${PACKAGES[@]}"

if [ "${CONFIGURE:-}" = always ] || [ ! -f "$BUILD_DIR/build.ninja" ]; then
    echo "Configuring $BUILD_DIR/ ($BUILD_TYPE${CXX:+, $CXX})..."
    # shellcheck disable=SC2086
    cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" ${CMAKE_ARGS:-}
fi

if (($#)); then
    echo "Building $* in $BUILD_DIR/..."
    cmake --build "$BUILD_DIR" --parallel 2 --target "$@"
else
    echo "Building everything in $BUILD_DIR/..."
    cmake --build "$BUILD_DIR" --parallel 2
fi
