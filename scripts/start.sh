#!/usr/bin/env bash
# Builds the program and starts it on its embedded default database type.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$PWD"
# Debug information names the build directory; without this, ccache would count it in every
# object's key and another checkout would compile everything again.
export CCACHE_NOHASHDIR=1
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
exec ./build/src/app/tessel "$@"
