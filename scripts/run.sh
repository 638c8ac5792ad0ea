#!/bin/sh
# Builds Orvelle and starts it.
#   scripts/run.sh [build-folder]
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target orvelle
if [ "$(id -u)" -eq 0 ]; then
    # Qt WebEngine's sandbox cannot run as root.
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec "$build/orvelle"
