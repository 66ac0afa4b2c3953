#!/usr/bin/env bash
# Usage: run-fuzzers.sh BUILD_DIR SECONDS_PER_TARGET [target ...]
# A failure stops the run and leaves its input in BUILD_DIR/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:?build folder} seconds=${2:?seconds per target}
shift 2
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang-14 \
    -DCMAKE_CXX_COMPILER=clang++-14 -DBRISENDALE_WITH_QT=OFF -DBRISENDALE_TESTS=OFF \
    -DBRISENDALE_FUZZ=ON -DBRISENDALE_WERROR=ON "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" >/dev/null
cmake --build "$build" --target fuzz_targets
for t in ${*:-daytime_reply numeric_text desktop_entry}; do
    # New inputs go to the build folder; the committed seeds are only read.
    mkdir -p "$build/corpus/$t" "$build/artifacts"
    echo "== fuzz_$t for ${seconds}s"
    "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/artifacts/$t-" $(ls tests/fuzz/$t.dict 2>/dev/null | sed 's/^/-dict=/') \
        "$build/corpus/$t" "tests/fuzz/corpus/$t" >"$build/artifacts/$t.log" 2>&1 ||
        { tail -n 60 "$build/artifacts/$t.log"; echo "fuzz_$t FAILED; the input is in $build/artifacts/" >&2; exit 1; }
    grep '^Done' "$build/artifacts/$t.log" || true
done
