#!/usr/bin/env bash
# Runs a cross-built test under Wine inside a new user namespace, where the
# kernel refuses every change of the real clock: there, a test may call the
# real SetLocalTime and check that the refusal comes back as an error. We run
# as root, so outside such a namespace the same call could move this machine's
# clock; hence every step below refuses to go on unless it is inside one.
#
# Usage: run_in_user_namespace.sh WINE64 WINEPREFIX program.exe [argument ...]
# Exit status 77 (skipped) where user namespaces are not available.
set -euo pipefail

if [ "${BRISENDALE_IN_USER_NAMESPACE:-}" != 1 ]; then
    if ! unshare --user --map-root-user true 2>/dev/null; then
        echo "skipped: this system cannot make a user namespace (unshare --user)"
        exit 77
    fi
    exec unshare --user --map-root-user \
        env BRISENDALE_IN_USER_NAMESPACE=1 bash "$0" "$@"
fi

# The initial user namespace maps every user id to itself; ours maps one.
if [ "$(tr -s ' \t' ' ' </proc/self/uid_map | sed 's/^ //')" = "0 0 4294967295" ]; then
    echo "refusing to run: not inside a user namespace" >&2
    exit 1
fi

wine64=$1
prefix=$2
# A wineserver for this prefix that was started outside the namespace would
# act with the outer rights: stop it, so the one our test starts is in here.
WINEPREFIX=$prefix "$(dirname "$wine64")/wineserver" -k 2>/dev/null || true
WINEPREFIX=$prefix "$(dirname "$wine64")/wineserver" -w 2>/dev/null || true

exec bash "$(dirname "$0")/../../cmake/wine-emulator.sh" "$@"
