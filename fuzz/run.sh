#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs them.
#
#   fuzz/run.sh [TARGET|all] [SECONDS]
#
# TARGET is fuzz_settings, fuzz_library, fuzz_delete or fuzz_import (default: all, one
# after another); SECONDS is the time per target (default 60). The seed
# corpus in fuzz/corpus/TARGET is only read; new inputs go to
# build-fuzz/corpus/TARGET and crashing inputs to build-fuzz/artifacts/.
# Prints the executions per target and fails when any target fails.
set -euo pipefail
cd "$(dirname "$0")/.."

what="${1:-all}"
seconds="${2:-60}"
build="${LEXIVANE_FUZZ_BUILD:-build-fuzz}"

scripts/install-deps.sh clang libclang-rt-14-dev >/dev/null

werror=OFF
if [ "${CI:-}" = "true" ]; then
    werror=ON
fi

cmake -S . -B "$build" -G Ninja \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEXIVANE_WERROR="$werror" \
    -DLEXIVANE_FUZZ=ON -DLEXIVANE_BUILD_TESTS=OFF -DLEXIVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz -j2

targets=()
if [ "$what" = "all" ]; then
    for source in fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
else
    targets=("$what")
fi

# The targets write their files to a scratch folder under TMPDIR; a RAM
# disk keeps the disk out of the figures.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

status=0
summary=()
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target"
    mkdir -p "$work" "$artifacts"
    log="$build/$target.log"
    echo "== $target: ${seconds}s"
    set +e
    "$build/fuzz/$target" "$work" "fuzz/corpus/$target" \
        -max_total_time="$seconds" -max_len=65536 -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1
    rc=$?
    set -e
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$rc" -ne 0 ]; then
        status=1
        tail -40 "$log"
        summary+=("$target: FAILED (exit $rc) after ${runs:-?} executions; see $log and $artifacts")
    else
        summary+=("$target: ${runs:-?} executions in ${seconds}s, no failure")
    fi
done

printf '%s\n' "${summary[@]}"
exit "$status"
