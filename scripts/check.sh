#!/bin/bash
# Static checks: the folder-level include graph of src/ (tools/include_graph.py)
# and clang-tidy (.clang-tidy) over every source file of src/.
#
# Usage: scripts/check.sh [build folder]
#   build folder   configured by CMake, which writes its compile_commands.json
#                  (default: build/ at the top of the source tree; configured
#                  here when it is missing)
# Needs clang-tidy (Debian package clang-tidy). Exits non-zero on any finding.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$top/build}

status=0
echo "== include graph"
python3 "$top/tools/include_graph.py" || status=1

if ! command -v clang-tidy >/dev/null; then
    echo "check: clang-tidy is missing (apt-get install clang-tidy)" >&2
    exit 1
fi
if [ ! -f "$build_dir/compile_commands.json" ]; then
    cmake -S "$top" -B "$build_dir" >/dev/null
fi
# The generated sources (moc, rcc) must exist for the files that include them.
cmake --build "$build_dir" --target lexivane_gui_autogen lexivane_core_autogen -j2 >/dev/null 2>&1 || true

echo "== clang-tidy"
mapfile -t sources < <(cd "$top" && { git ls-files 'src/*.cpp' 2>/dev/null || find src -name '*.cpp'; })
jobs=$(nproc 2>/dev/null || echo 2)
report=$(mktemp)
trap 'rm -f "$report"' EXIT
# clang-tidy exits non-zero on a finding (.clang-tidy makes every warning an
# error); the findings themselves are what is printed.
printf '%s\n' "${sources[@]/#/$top/}" \
    | xargs -P "$jobs" -n 4 clang-tidy -p "$build_dir" --quiet >"$report" 2>/dev/null || true
if grep -E '^/.*: (warning|error):' "$report"; then
    status=1
else
    echo "clang-tidy: no findings in ${#sources[@]} files"
fi
exit $status
