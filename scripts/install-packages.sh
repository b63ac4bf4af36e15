#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet (through sudo
# when not run as root). Usage: scripts/install-packages.sh PACKAGE...
set -euo pipefail
missing=()
installed="$(dpkg-query -W -f='${Package} ${Status}\n' "$@" 2>/dev/null || true)"
for p in "$@"; do
    if ! grep -q "^$p install ok installed$" <<<"$installed"; then
        missing+=("$p")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
