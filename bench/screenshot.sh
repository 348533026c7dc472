#!/usr/bin/env bash
# Pictures of the main window after start-up and after running a demo script, of the tip of
# the day and of the about box, written to docs/screenshots/ by the GUI tests that take them
# (offscreen, or under Xvfb with --xvfb).
#   bench/screenshot.sh [--xvfb] [build directory]
set -euo pipefail
cd "$(dirname "$0")/.."
platform=offscreen
if [ "${1:-}" = "--xvfb" ]; then
    platform=xcb
    shift
fi
build=${1:-build}
cmake -S . -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target gui_tests
out="$PWD/docs/screenshots"
mkdir -p "$out"
run=(env TESSEL_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM="$platform" ASAN_OPTIONS=detect_leaks=0
     "$build/tests/gui_tests" --gtest_filter='ScreenshotTest.*:StartupScreensScreenshotTest.*')
if [ "$platform" = xcb ]; then
    xvfb-run -a -s "-screen 0 1280x800x24" "${run[@]}"
else
    "${run[@]}"
fi
ls -l "$out"/*.png
