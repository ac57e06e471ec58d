#!/bin/bash
# Screenshots of the skinned windows: the test window and the box window,
# active and inactive, and the close button's hover face (enlarged).
#
# Usage: tools/chrome/take_screenshots.sh [build folder] [output folder]
#   build folder   built and staged (cmake --build <dir> --target stage);
#                  default build/ at the top of the source tree
#   output folder  default docs/images/ at the top of the source tree
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=$(cd "${1:-$top/build}" && pwd)
out_dir=$(mkdir -p "${2:-$top/docs/images}" && cd "${2:-$top/docs/images}" && pwd)

cd "$build_dir"
exec xvfb-run -a -s "-screen 0 1200x800x24" ./tools/chrome/chrome_showcase screenshots "$out_dir"
