#!/bin/sh
# Installs the Debian 12 packages Orvelle needs to build, run and test, when they are missing.
#   scripts/install-deps.sh [extra-package ...]
set -eu

packages="cmake ninja-build g++ pkg-config qt6-base-dev qt6-webengine-dev libgl-dev libidn2-dev libc-ares-dev wamerican $*"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing="$missing $package"
    fi
done

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y $missing
fi
