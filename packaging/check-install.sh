#!/usr/bin/env bash
# Checks what a user gets: installed tree, programs, desktop entry, metadata, manual pages, package.
# Usage: check-install.sh BUILD_DIR   (`make check-package` builds its own)
set -uo pipefail
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd) || exit 2
app_id=org.brisendale.Brisendale
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
chmod 755 "$tmp" # man-db may read pages as its own user when run as root
prefix=$tmp/prefix bin=$tmp/prefix/bin man1=$tmp/prefix/share/man/man1
rule=share/doc/brisendale/examples/50-brisendale-set-time.rules
failures=0
# check DESCRIPTION COMMAND...: runs the command, shows its output on failure.
check() {
    if "${@:2}" >"$tmp/out" 2>&1; then
        echo "ok    $1"
    else
        echo "FAIL  $1" && sed 's/^/      /' "$tmp/out"
        failures=$((failures + 1))
    fi
}
sorted() { LC_ALL=C sort; }
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; exit 2; }

wanted=$(printf '%s\n' bin/brisendale bin/brisendale-reg share/applications/$app_id.desktop \
    share/doc/brisendale/{changelog.gz,copyright} $rule share/metainfo/$app_id.metainfo.xml \
    share/icons/hicolor/{16x16,32x32,48x48,128x128}/apps/$app_id.png \
    share/icons/hicolor/scalable/apps/$app_id.svg share/man/man1/brisendale{,-reg}.1.gz | sorted)
installed() { cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sorted; }
check "the installed tree holds exactly the expected files" diff <(echo "$wanted") <(installed)

runs() { file -b "$1" | grep '^ELF .* executable' && ! ldd "$1" | grep 'not found'; }
renders() { [ -z "$(MANWIDTH=80 man -l "$1" 2>&1 >/dev/null | tee /dev/stderr)" ] && [ "$(man -l "$1" | wc -l)" -gt 20 ]; }
for program in brisendale brisendale-reg; do
    check "$program is a program that finds its libraries" runs "$bin/$program"
    check "man renders $program(1) without warnings" renders "$man1/$program.1.gz"
done
# A debug build calls Qt's assertion handler; what users get is optimised.
check "brisendale is an optimised build" eval "! objdump -T -C $bin/brisendale | grep -w 'qt_assert\(_x\)\?'"

# The installed tool against a temporary configuration.
reg() { XDG_CONFIG_HOME="$tmp/config" HOME="$tmp/home" "$bin/brisendale-reg" "$@"; }
round_trip() { reg add 'HKLM\Software\Quorvel' /v Delay /t REG_DWORD /d 10 /f && reg query 'HKLM\Software\Quorvel' /v Delay | grep -E 'Delay +REG_DWORD +0x0*a\b'; }
check "brisendale-reg stores a value and reads it back" round_trip

desktop=$prefix/share/applications/$app_id.desktop
starts_installed() { grep -x "Icon=$app_id" "$desktop" && [ -x "$bin/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")" ]; }
check "desktop-file-validate accepts the desktop entry" eval "! desktop-file-validate '$desktop' 2>&1 | grep ."
check "the desktop entry starts an installed program, with the installed icon" starts_installed
check "appstreamcli accepts the metadata" appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml"
for size in 16 32 48 128; do
    check "the ${size}x$size icon is a PNG of that size" eval "file -b $prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png | grep 'PNG image data, $size x $size,'"
done
# The polkit rule ships as an example; the manual page says how to enable it.
check "the polkit rule example names the set-time action" grep '"org.freedesktop.timedate1.set-time"' "$prefix/$rule"
check "brisendale(1) shows how to enable the polkit rule" eval \
    "MANWIDTH=200 man -l $man1/brisendale.1.gz | grep -F '\"\$prefix\"/$rule /etc/polkit-1/rules.d/'"
check "brisendale.ico holds a 32x32 and a 16x16 image in 16 colours" eval \
    "file -b '$(dirname "$0")/windows/brisendale.ico' | grep '2 icons, 32x32, 16 colors.*, 16x16, 16 colors'"

check "cpack builds the package" eval "(cd '$build' && cpack -G DEB -B '$tmp/package')"
deb=$tmp/package/brisendale_1.00_$(dpkg --print-architecture).deb
field() { dpkg-deb --field "$deb" "$1"; }
check "the package is $(basename "$deb") for brisendale 1.00" eval '[ "$(field Package) $(field Version)" = "brisendale 1.00" ]'
for library in libc6 libstdc++6 libqt6widgets6 libqt6network6 libqt6dbus6 libsqlite3-0; do
    check "the package depends on $library" eval "field Depends | tr ',' '\n' | awk '{ print \$1 }' | grep -x '$library'"
done
packaged() { dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $1, $6 }' | sed 's| \./usr/| |'; }
check "the package holds exactly the expected files" diff <(echo "$wanted") <(packaged | cut -d' ' -f2 | sorted)
check "the packaged programs are mode 755" eval "! packaged | grep ' bin/' | grep -v '^-rwxr-xr-x '"
check "lintian reports no error" lintian --fail-on error "$deb"
[ "$failures" -eq 0 ] && echo "check-install: all checks passed" || { echo "check-install: $failures failed" >&2; exit 1; }
