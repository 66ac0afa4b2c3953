#!/usr/bin/env bash
# Builds the fuzz targets in their own folder and runs each for a bounded time.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS_PER_TARGET [target ...]
# A crash, a leak or a broken invariant stops the run with a non-zero status;
# the input that caused it is left in BUILD_DIR/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(daytime_reply numeric_text desktop_entry winreg)

flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DBRISENDALE_WITH_QT=OFF -DBRISENDALE_TESTS=OFF -DBRISENDALE_FUZZ=ON -DBRISENDALE_WERROR=ON \
    "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" >/dev/null
cmake --build "$build" --target fuzz_targets

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
    # New inputs go to a working folder in the build; the committed seeds
    # are only read.
    work="$build/corpus/$target"
    mkdir -p "$work"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$build/artifacts/$target-")
    [ -f "tests/fuzz/$target.dict" ] && options+=(-dict="tests/fuzz/$target.dict")
    echo "== fuzz_$target for ${seconds}s"
    log="$build/artifacts/$target.log"
    if ! "$build/tests/fuzz/fuzz_$target" "${options[@]}" "$work" "tests/fuzz/corpus/$target" \
            >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz_$target FAILED; the input is in $build/artifacts/" >&2
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
done
