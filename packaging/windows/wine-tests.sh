#!/usr/bin/env bash
# Cross-builds the core (everything but the window) for 64-bit Windows with
# mingw-w64 and runs its tests under Wine, against Wine's own registry, code
# pages and clock API. Installs the cross compiler and Wine when missing; where
# they cannot be had, says so on one line and succeeds, so `make test` still
# runs everything else.
#
# Wine runs in a user namespace of its own. This script may run as root, and
# there a successful SetSystemTime could move this machine's clock; in such a
# namespace the kernel refuses every change of the real clock, which is proved
# before Wine starts. Where no namespace can be made, the clock test skips
# itself and the other tests run as before.
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

# Run again by itself inside the namespace, where building is already done.
inside=false
[ "${1:-}" = --in-user-namespace ] && inside=true

if ! $inside; then
    bash packaging/install-build-deps.sh g++-mingw-w64-x86-64 wine64 >&2 ||
        skip "the packages g++-mingw-w64-x86-64 and wine64 could not be installed"
    command -v x86_64-w64-mingw32-g++-posix >/dev/null ||
        skip "the cross compiler x86_64-w64-mingw32-g++-posix is missing"
fi
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine64" ] || skip "wine64 is missing"
wineserver=$(dirname "$wine64")/wineserver
[ -d /usr/src/googletest ] || skip "the GoogleTest sources (/usr/src/googletest) are missing"

emulator=(cmake/wine-emulator.sh "$wine64")
stop_wine() {
    # Leave no wineserver behind, in CI or on a developer's machine.
    if [ -d "$build/wineprefix" ]; then
        WINEPREFIX=$PWD/$build/wineprefix "$wineserver" -k 2>/dev/null || true
    fi
}
trap stop_wine EXIT

if ! $inside; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRISENDALE_WERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw-w64.cmake" -DBRISENDALE_WITH_QT=OFF
    cmake --build "$build" -j "$jobs"
fi

# The initial user namespace maps every user id to itself: 4294967295 of them.
in_initial_user_namespace() {
    [ "$(awk '{ print $3 }' /proc/self/uid_map)" = 4294967295 ]
}

# Setting the clock to the time it reads must fail there for want of the
# right: were it allowed, the clock would have moved by microseconds at most.
proves_clock_refused() {
    python3 -c 'import time
try:
    time.clock_settime_ns(time.CLOCK_REALTIME, time.clock_gettime_ns(time.CLOCK_REALTIME))
except PermissionError:
    raise SystemExit(0)
raise SystemExit(1)'
}

run_under_wine() {
    # A fresh prefix each run, so no registry value of an earlier run can make
    # a test pass; booted once here rather than by the first of many tests.
    stop_wine
    rm -rf "$build/wineprefix"
    prefix=$PWD/$build/wineprefix
    mkdir -p "$prefix"
    # Keep one wineserver and Wine's own services running for the whole test
    # run, started here with their output going nowhere. Otherwise every test
    # starts them again, and CTest waits for them to let go of the test's
    # output: 1.5 s per test instead of 0.05.
    WINEPREFIX=$prefix "$wineserver" -p
    "${emulator[@]}" "$prefix" wineboot --init </dev/null >/dev/null 2>&1

    # Wine now and then fails to start a process: one CI run saw a test end
    # with an error in 0.03 s, before the program had printed a line, where
    # hundreds of runs in a row pass here. So a failed test runs once more;
    # its first failure stays in the log, and a fault of ours fails both
    # times, as every test here is deterministic.
    (cd "$build" && ctest --output-on-failure --repeat until-pass:2 -j "$jobs")
}

if $inside; then
    if in_initial_user_namespace || ! proves_clock_refused; then
        echo "not in a user namespace that refuses to set the clock: Wine is not started" >&2
        exit 1
    fi
    run_under_wine
elif unshare --user --map-current-user true 2>/dev/null; then
    # Outside, no wineserver may serve the prefix: it would act with our rights.
    stop_wine
    trap - EXIT
    exec unshare --user --map-current-user env BUILD_WIN="$build" JOBS="$jobs" \
        bash packaging/windows/wine-tests.sh --in-user-namespace
else
    echo "no user namespace can be made here (unshare --user): the Windows clock test skips itself"
    run_under_wine
fi
