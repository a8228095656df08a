#!/usr/bin/env bash
# Builds the engine's libFuzzer targets with clang into build-fuzz, runs each
# for a bounded time from a freshly generated seed corpus, then replays every
# input kept in fuzz/regressions through every target. Exits non-zero when a
# target crashes, hangs or runs out of memory; the input that did it is left
# in build-fuzz/findings/ and belongs in fuzz/regressions/ once fixed.
#   FUZZ_SECONDS  time per target (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-30}"
build=build-fuzz
targets=(fuzz_unmerge fuzz_transfer fuzz_deflate_splice fuzz_compound_file)
limits=(-rss_limit_mb=2048 -timeout=20)

CC=clang CXX=clang++ cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

rm -rf "$build/seeds" "$build/corpus" "$build/findings"
mkdir -p "$build/seeds" "$build/findings"
"$build/fuzz_seeds" "$build/seeds"

status=0
for target in "${targets[@]}"; do
    mkdir -p "$build/corpus/$target"
    echo "fuzzing $target for ${seconds}s"
    if ! "$build/$target" "${limits[@]}" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" "$build/corpus/$target" "$build/seeds" \
        >"$build/findings/$target.log" 2>&1; then
        tail -n 60 "$build/findings/$target.log"
        status=1
    fi
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$build/findings/$target.log" || true
done

shopt -s nullglob
regressions=(fuzz/regressions/*)
if [[ ${#regressions[@]} -gt 0 ]]; then
    for target in "${targets[@]}"; do
        echo "replaying ${#regressions[@]} regression inputs through $target"
        if ! "$build/$target" "${limits[@]}" "${regressions[@]}" >"$build/findings/$target-replay.log" 2>&1; then
            tail -n 60 "$build/findings/$target-replay.log"
            status=1
        fi
    done
fi
[[ $status -eq 0 ]] && echo "fuzzing found nothing"
exit $status
