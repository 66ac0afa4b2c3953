#!/usr/bin/env bash
# Cross-builds the core (everything but the window) for 64-bit Windows with
# mingw-w64 and runs its tests under Wine, against Wine's own registry, code
# pages and clock API. Installs the cross compiler and Wine when missing; where
# they cannot be had, says so on one line and succeeds, so `make test` still
# runs everything else.
#
# Usage: packaging/windows/wine-tests.sh      (BUILD_WIN, JOBS from the environment)
set -euo pipefail
cd "$(dirname "$0")/../.."

build=${BUILD_WIN:-build-windows}
jobs=${JOBS:-$(nproc)}

skip() {
    echo "skipping the Windows tests under Wine: $*"
    exit 0
}

if ! bash packaging/install-build-deps.sh g++-mingw-w64-x86-64 wine64 >&2; then
    skip "the packages g++-mingw-w64-x86-64 and wine64 could not be installed"
fi
command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
    skip "the cross compiler x86_64-w64-mingw32-g++-posix is missing"
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine64" ] || skip "wine64 is missing"
wineserver=$(dirname "$wine64")/wineserver
[ -d /usr/src/googletest ] || skip "the GoogleTest sources (/usr/src/googletest) are missing"

emulator=(cmake/wine-emulator.sh "$wine64")
stop_wine() {
    # Leave no wineserver behind, in CI or on a developer's machine.
    for prefix in "$build/wineprefix"; do
        [ -d "$prefix" ] && WINEPREFIX=$PWD/$prefix "$wineserver" -k 2>/dev/null || true
    done
}
trap stop_wine EXIT

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRISENDALE_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-w64.cmake" -DBRISENDALE_WITH_QT=OFF
cmake --build "$build" -j "$jobs"

# A fresh prefix each run, so no registry value of an earlier run can make a
# test pass; booted once here rather than by the first of many tests at once.
stop_wine
rm -rf "$build/wineprefix"
prefix=$PWD/$build/wineprefix
mkdir -p "$prefix"
# Keep one wineserver and Wine's own services running for the whole test run,
# started here with their output going nowhere. Otherwise every test starts
# them again, and CTest waits for them to let go of the test's output: 1.5 s
# per test instead of 0.05.
WINEPREFIX=$prefix "$wineserver" -p
"${emulator[@]}" "$prefix" wineboot --init </dev/null >/dev/null 2>&1

# Wine now and then fails to start a process: one CI run saw a test end
# with an error in 0.03 s, before the program had printed a line, where
# hundreds of runs in a row pass here. So a failed test runs once more; its
# first failure stays in the log, and a fault of ours fails both times, as
# every test here is deterministic.
(cd "$build" && ctest --output-on-failure --repeat until-pass:2 -j "$jobs")
