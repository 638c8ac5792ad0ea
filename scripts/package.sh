#!/bin/sh
# Builds the Debian package orvelle_<version>_<arch>.deb in the build folder.
#   scripts/package.sh [build-folder]
set -eu
cd "$(dirname "$0")/.."
build="${1:-build}"

scripts/install-deps.sh dpkg-dev file
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target orvelle orvelle-check orvelle_data orvelle_man orvelle_icons orvelle_doc
rm -f "$build"/orvelle_*.deb
(cd "$build" && cpack -G DEB)
ls "$build"/orvelle_*.deb
