#!/usr/bin/env bash
# Runs every fuzz target (or those named) for the given number of seconds each.
#   tests/fuzz/run.sh SECONDS [target...]
# Builds the libFuzzer executables with clang into build/fuzz (at most -j3), writes fresh seeds with
# our format writers, and fuzzes each target from its seeds and its committed regression corpus.
# New inputs gather in build/fuzz/work/<target>/; crashes, leaks and timeouts land in
# build/fuzz/findings/<target>/. The last line per target gives its executions.
set -euo pipefail
cd "$(dirname "$0")/../.."

seconds=${1:?usage: tests/fuzz/run.sh SECONDS [target...]}
shift
build=build/fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPENDREL_FUZZ=ON \
    -DPENDREL_TESTS=OFF -DPENDREL_BENCH=OFF >/dev/null
cmake --build "$build" -j 3 --target fuzz_all

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in tests/fuzz/fuzz_*.cpp; do
        name=$(basename "$source" .cpp)
        targets+=("${name#fuzz_}")
    done
fi

seeds="$build/seeds"
rm -rf "$seeds"
"$build/tests/fuzz/fuzz_seeds" "$seeds" tests/squirrel/conformance >/dev/null

# The fuzz build lets undefined behaviour go on after its report; stopped there, it is a finding.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

status=0
for target in "${targets[@]}"; do
    work="$build/work/$target"
    findings="$build/findings/$target"
    mkdir -p "$work" "$findings" "$seeds/$target"
    corpus=()
    [ -d "tests/fuzz/corpus/$target" ] && corpus+=("tests/fuzz/corpus/$target")
    log="$build/findings/$target.log"
    if ! "$build/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$work" "$seeds/$target" "${corpus[@]}" \
        >"$log" 2>&1; then
        status=1
    fi
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    found=$(find "$findings" -type f | wc -l)
    printf '%-12s %12s executions  %d findings  (%s)\n' "$target" "$runs" "$found" "$log"
done
exit $status
