#!/bin/bash
# Retakes every screenshot in docs/images/ on a virtual display:
#   tour-*.png           each window, as the README's guided tour shows them
#   hidpi/tour-*-x1.5.png, -x2.png   the same at 1.5x and 2x (QT_SCALE_FACTOR)
#   chrome-*.png         the skinned frames (tools/chrome/take_screenshots.sh)
#
# Usage: tools/tour/take_screenshots.sh [build folder]
#   The build folder must be built and staged (cmake --build <dir>); default
#   build/ at the top of the source tree. Needs xvfb-run, xdotool and
#   ImageMagick's import.
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=$(cd "${1:-$top/build}" && pwd)
images=$top/docs/images

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$build_dir"
fi

python3 "$top/tools/tour/take_screenshots.py" --build "$build_dir" --out "$images"
for scale in 1.5 2; do
    python3 "$top/tools/tour/take_screenshots.py" --build "$build_dir" --out "$images/hidpi" --scale "$scale"
done
if [ -x "$build_dir/tools/chrome/chrome_showcase" ]; then
    "$top/tools/chrome/take_screenshots.sh" "$build_dir" "$images"
fi
