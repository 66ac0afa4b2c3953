#!/usr/bin/env bash
# Runs a cross-built test under Wine inside a new user namespace, where the
# kernel refuses every change of the real clock.
# Usage: run_in_user_namespace.sh WINE64 WINEPREFIX program.exe [argument ...]
# Exit status 77 (skipped) where user namespaces are not available.
set -euo pipefail

if [ "${BRISENDALE_IN_USER_NAMESPACE:-}" != 1 ]; then
    unshare --user --map-root-user true 2>/dev/null ||
        { echo "skipped: this system cannot make a user namespace (unshare --user)"; exit 77; }
    exec unshare --user --map-root-user env BRISENDALE_IN_USER_NAMESPACE=1 bash "$0" "$@"
fi

# The initial user namespace maps every user id to itself; ours maps one.
if [ "$(tr -s ' \t' ' ' </proc/self/uid_map | sed 's/^ //')" = "0 0 4294967295" ]; then
    echo "refusing to run: not inside a user namespace" >&2
    exit 1
fi

# A wineserver for this prefix started outside the namespace would act with
# the outer rights: stop it, so the one our test starts is in here.
wineserver=$(dirname "$1")/wineserver
WINEPREFIX=$2 "$wineserver" -k 2>/dev/null || true
WINEPREFIX=$2 "$wineserver" -w 2>/dev/null || true

exec bash "$(dirname "$0")/../../cmake/wine-emulator.sh" "$@"
