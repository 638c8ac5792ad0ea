#!/bin/sh
# Builds Orvelle and runs every test.
#   scripts/test.sh [--sanitize] [build-folder]
# --sanitize builds with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan.
set -eu
cd "$(dirname "$0")/.."

sanitize=OFF
if [ "${1:-}" = "--sanitize" ]; then
    sanitize=ON
    shift
fi
build="${1:-build}"
[ "$sanitize" = ON ] && [ -z "${1:-}" ] && build=build-asan

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVELLE_SANITIZE="$sanitize"
cmake --build "$build" -j2
cd "$build"
if [ "$sanitize" = ON ]; then
    # Chromium inside Qt WebEngine frees some objects with a mismatched delete of its own.
    export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:new_delete_type_mismatch=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
ctest --output-on-failure -j2 --timeout 300
