#!/usr/bin/env bash
# Installs what is missing, builds Lexivane and runs every test through CTest.
# Then builds the whole suite again with AddressSanitizer and
# UndefinedBehaviorSanitizer (in build-asan/) and runs it, and then replays
# every fuzz target's committed inputs and gives each a short run from a
# fixed seed (fuzz/run.sh ci, in build-fuzz/): the same result every time.
# Tests run without a display (QT_QPA_PLATFORM=offscreen is set for each).
# With CI=true, compiler warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."

# clang and its runtime libraries build the fuzz targets; the desktop-file
# validators check the installed menu entry and metainfo. libc6-dbg gives
# the leak checker the name of the one libc frame that tests/lsan.supp needs
# (see there); a fresh Debian has no debug symbols.
scripts/install-deps.sh clang libclang-rt-14-dev desktop-file-utils appstream libc6-dbg

# The desktop smoke test (CTest label "desktop") runs the program on its own
# Xvfb with the openbox window manager, drives it with xdotool, looks at it
# with ImageMagick and xprop, and uses qt6ct for a dark colour scheme.
scripts/install-deps.sh xvfb xauth openbox xdotool x11-utils imagemagick qt6ct python3

werror=OFF
if [ "${CI:-}" = "true" ]; then
    werror=ON
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXIVANE_WERROR="$werror"
cmake --build build
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)

echo "== The test suite with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXIVANE_WERROR="$werror" \
    -DLEXIVANE_SANITIZE=ON -DLEXIVANE_BUILD_BENCH=OFF
cmake --build build-asan
# Leak checking stays on; tests/lsan.supp lists the few leaks that system
# libraries (GStreamer, PulseAudio, GLib) make, and says why.
(cd build-asan && QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1 \
    LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure)

echo "== Fuzz targets: committed inputs, then a short run from a fixed seed"
fuzz/run.sh ci
