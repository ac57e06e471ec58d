#!/usr/bin/env bash
# Pictures of the progress window (学习记录) at 1x and 2x for the README:
# starts the window benchmark on a small generated record on a virtual
# display (Xvfb) and saves the screen, trimmed to the window.
# Needs xvfb-run and ImageMagick (import, convert); run after a build.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$here/build}"
program="$build/bench/bench_progresswindow"
out="$here/docs/images"
[ -x "$program" ] || { echo "build $program first" >&2; exit 1; }

shoot() { # scale, output file
    xvfb-run -a -s "-screen 0 1700x1700x24" bash -c '
        QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$1" "$2" --small --show 6 >/dev/null 2>&1 &
        pid=$!
        sleep 4
        import -window root "$3"
        wait $pid' _ "$1" "$program" "$2"
    convert "$2" -trim +repage "$2"
}

shoot 1 "$out/record-progress-window.png"
shoot 2 "$out/hidpi/record-progress-window-x2.png"
echo "saved $out/record-progress-window.png and $out/hidpi/record-progress-window-x2.png"
