#!/usr/bin/env bash
# Installs what is missing, builds Lexivane, stages its program folder and
# starts it there: lexvan.ini is looked up beside the program and the word
# libraries under data/ in the working folder.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'MSG'
Lexivane is built in build/, but there is no display to show its windows on.
Start it on a virtual display instead:
    (cd build && xvfb-run -a -s "-screen 0 1280x1024x24" ./lexivane)
MSG
    exit 1
fi

cd build
exec ./lexivane
