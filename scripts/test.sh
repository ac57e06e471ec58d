#!/usr/bin/env bash
# Installs what is missing, builds Lexivane and runs every test through CTest.
# Tests run without a display (QT_QPA_PLATFORM=offscreen is set for each).
# With CI=true, compiler warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

werror=OFF
if [ "${CI:-}" = "true" ]; then
    werror=ON
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXIVANE_WERROR="$werror"
cmake --build build
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
