#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
# Lets ccache reuse objects compiled in another checkout of the same sources.
export CCACHE_BASEDIR="$PWD"
# Debug information names the build directory; without this, ccache would count it in every
# object's key and another checkout would compile everything again.
export CCACHE_NOHASHDIR=1
build=${TESSEL_TEST_BUILD:-build-test}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTESSEL_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
