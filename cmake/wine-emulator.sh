#!/usr/bin/env bash
# Runs one cross-built Windows executable under Wine for CTest.
# Usage: wine-emulator.sh WINE64 WINEPREFIX program.exe [argument ...]
#
# Headless and quiet: no display, no debug chatter, no offer to install
# Mono or Gecko. The prefix is created on first use; the English locale gives
# the ANSI code page 1252 that the tests of the ANSI conversion expect.
set -euo pipefail
wine64=$1
export WINEPREFIX=$2
shift 2

unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Through env, so that this shell itself does not try the locale.
exec env LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 "$wine64" "$@"
