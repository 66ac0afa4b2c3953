#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and only those
# that are missing, so `make run` and `make test` work on a fresh machine.
# Usage: install-build-deps.sh [extra-package ...]
set -euo pipefail

# dbus-daemon and python3-dbusmock: the tests start a private system bus with
# a stand-in for systemd-timedated on it.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libsqlite3-dev libgtest-dev
          dbus-daemon python3-dbusmock
          # the layout test runs once in each font of the window's list that is
          # installed, found with fc-list: a desktop's usual fonts, so that CI
          # sees what users see
          fontconfig fonts-dejavu-core fonts-liberation2 fonts-urw-base35
          # the benchmark counts the font files the logon run opens by tracing it
          strace
          "$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
