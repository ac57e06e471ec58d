#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs them.
#
#   fuzz/run.sh ci
#   fuzz/run.sh [TARGET|all] [SECONDS]
#
# "ci" is what scripts/test.sh runs, and gives the same result every time
# for the same code: for every target (every fuzz/fuzz_*.cpp) it replays each
# committed input in fuzz/corpus/TARGET once (seeds and regression inputs
# alike), then runs a fixed number of executions (LEXIVANE_FUZZ_RUNS, default
# 3000) from a fixed seed (LEXIVANE_FUZZ_SEED, default 1), starting from the
# committed corpus alone. Nothing found by earlier runs is read, so a run can
# only fail because of the code under test.
#
# Otherwise it explores: TARGET is one target's name (default: all, one
# after another); SECONDS is the time per target (default 60), with a new
# random seed each time. The committed corpus in fuzz/corpus/TARGET is only
# read; new inputs go to build-fuzz/corpus/TARGET and crashing inputs to
# build-fuzz/artifacts/TARGET. A crash found this way belongs in
# fuzz/corpus/TARGET as regression-NAME, with a test, once it is fixed.
#
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

# Every fuzz_*.cpp is a target; every corpus folder must belong to one.
all_targets=()
for source in fuzz/fuzz_*.cpp; do
    all_targets+=("$(basename "$source" .cpp)")
done
for folder in fuzz/corpus/*/; do
    name="$(basename "$folder")"
    if [ ! -f "fuzz/$name.cpp" ]; then
        echo "fuzz/corpus/$name has no target fuzz/$name.cpp" >&2
        exit 1
    fi
done

targets=()
if [ "$what" = "all" ] || [ "$what" = "ci" ]; then
    targets=("${all_targets[@]}")
else
    targets=("$what")
fi
for target in "${targets[@]}"; do
    if [ ! -x "$build/fuzz/$target" ]; then
        echo "$build/fuzz/$target was not built: is it in fuzz/CMakeLists.txt?" >&2
        exit 1
    fi
done

# The targets write their files to a scratch folder under TMPDIR; a RAM
# disk keeps the disk out of the figures.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

common=(-max_len=65536 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1)
status=0
summary=()

# Runs one fuzzer command line; its output goes to $log. Adds a line to the
# summary and sets status on failure.
run_one() {
    local label="$1" log="$2"
    shift 2
    local rc=0
    "$@" >"$log" 2>&1 || rc=$?
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$rc" -ne 0 ]; then
        status=1
        tail -40 "$log"
        summary+=("$label: FAILED (exit $rc) after ${runs:-?} executions; see $log")
    else
        summary+=("$label: ${runs:-?} executions, no failure")
    fi
}

if [ "$what" = "ci" ]; then
    # Qt seeds its hash tables at random in every process, which changes the
    # code paths libFuzzer sees and so the inputs it makes next.
    export QT_HASH_SEED=0
    fuzz_runs="${LEXIVANE_FUZZ_RUNS:-3000}"
    fuzz_seed="${LEXIVANE_FUZZ_SEED:-1}"
    for target in "${targets[@]}"; do
        corpus="fuzz/corpus/$target"
        mkdir -p "$build/artifacts/$target"
        artifacts=(-artifact_prefix="$build/artifacts/$target/")
        if [ -d "$corpus" ]; then
            echo "== $target: replay of $corpus ($(find "$corpus" -type f | wc -l) inputs)"
            run_one "$target replay" "$build/$target.replay.log" \
                "$build/fuzz/$target" "$corpus" -runs=0 "${common[@]}" "${artifacts[@]}"
        fi
        # New inputs of the seeded run go to a fresh folder that is thrown
        # away, so the next run starts from the same place.
        scratch="$(mktemp -d)"
        echo "== $target: $fuzz_runs executions from seed $fuzz_seed"
        corpora=("$scratch")
        if [ -d "$corpus" ]; then
            corpora+=("$corpus")
        fi
        run_one "$target seed $fuzz_seed" "$build/$target.seeded.log" \
            "$build/fuzz/$target" "${corpora[@]}" -seed="$fuzz_seed" -runs="$fuzz_runs" \
            "${common[@]}" "${artifacts[@]}"
        rm -rf "$scratch"
    done
else
    for target in "${targets[@]}"; do
        work="$build/corpus/$target"
        artifacts="$build/artifacts/$target"
        mkdir -p "$work" "$artifacts"
        corpora=("$work")
        if [ -d "fuzz/corpus/$target" ]; then
            corpora+=("fuzz/corpus/$target")
        fi
        echo "== $target: ${seconds}s"
        run_one "$target (${seconds}s)" "$build/$target.log" \
            "$build/fuzz/$target" "${corpora[@]}" -max_total_time="$seconds" \
            "${common[@]}" -artifact_prefix="$artifacts/"
    done
fi

printf '%s\n' "${summary[@]}"
exit "$status"
