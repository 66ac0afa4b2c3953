#!/usr/bin/env bash
# Checks what a user gets from a build: installs it into a temporary prefix,
# checks the installed tree file by file, runs both programs (without opening
# a window), validates the desktop entry, the AppStream metadata and the
# manual pages, then builds the Debian package and checks its control data,
# its file list and what lintian says of it.
# Usage: check-install.sh BUILD_DIR    (a configured and built CMake folder;
#        `make check-package` builds the package's own optimised one)
set -uo pipefail

app_id=org.brisendale.Brisendale
settings_key='HKLM\Software\Quorvel'

# Every file the install and the package must hold, and nothing else.
expected_files() {
    cat <<EOF
bin/brisendale
bin/brisendale-reg
share/applications/$app_id.desktop
share/doc/brisendale/changelog.gz
share/doc/brisendale/copyright
share/doc/brisendale/examples/50-brisendale-set-time.rules
share/icons/hicolor/128x128/apps/$app_id.png
share/icons/hicolor/16x16/apps/$app_id.png
share/icons/hicolor/32x32/apps/$app_id.png
share/icons/hicolor/48x48/apps/$app_id.png
share/icons/hicolor/scalable/apps/$app_id.svg
share/man/man1/brisendale-reg.1.gz
share/man/man1/brisendale.1.gz
share/metainfo/$app_id.metainfo.xml
EOF
}

failures=0
pass() { printf 'ok    %s\n' "$*"; }
fail() {
    printf 'FAIL  %s\n' "$*" >&2
    failures=$((failures + 1))
}
die() {
    printf 'check-install: %s\n' "$*" >&2
    exit 2
}

[ $# -eq 1 ] || die "usage: $0 BUILD_DIR"
build=$(cd "$1" 2>/dev/null && pwd) || die "no build folder '$1'"
[ -f "$build/CMakeCache.txt" ] || die "'$build' is not a configured CMake build folder"

missing_tools=()
for tool in cmake cpack desktop-file-validate appstreamcli man dpkg-deb file ldd objdump lintian; do
    command -v "$tool" >/dev/null || missing_tools+=("$tool")
done
[ ${#missing_tools[@]} -eq 0 ] || die "missing tools: ${missing_tools[*]} (run: bash packaging/install-build-deps.sh desktop-file-utils appstream man-db dpkg-dev file lintian)"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/brisendale-check.XXXXXX") || die "cannot make a temporary folder"
trap 'rm -rf "$tmp"' EXIT
# man-db may read pages as its own unprivileged user when run as root.
chmod 755 "$tmp"
prefix=$tmp/prefix

# --- The installed tree -------------------------------------------------------
if ! cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1; then
    cat "$tmp/install.log" >&2
    die "cmake --install failed: is $build fully built? (cmake --build $build)"
fi

for program in brisendale brisendale-reg; do
    if [ ! -e "$prefix/bin/$program" ]; then
        fail "$program was not installed: it is not built in $build (brisendale comes from app/, brisendale-reg from tools/brisendale-reg/)"
    fi
done

actual=$(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
wanted=$(expected_files | LC_ALL=C sort)
if [ "$actual" = "$wanted" ]; then
    pass "installed tree holds exactly the expected $(wc -l <<<"$wanted") files"
else
    fail "installed tree differs from the expected one (- expected, + installed):"
    diff <(echo "$wanted") <(echo "$actual") | grep '^[<>]' | sed 's/^</  -/; s/^>/  +/' >&2
fi

# --- The programs ---------------------------------------------------------------
for program in brisendale brisendale-reg; do
    path=$prefix/bin/$program
    [ -e "$path" ] || continue
    if [ -x "$path" ] && file -b "$path" | grep -q '^ELF .* executable'; then
        pass "$program is an executable program"
    else
        fail "$program is not an executable program: $(file -b "$path")"
    fi
    # A debug build of the window calls Qt's assertion handler; what users
    # get is optimised.
    if [ "$program" = brisendale ]; then
        if objdump -T -C "$path" 2>/dev/null | grep -qw 'qt_assert\(_x\)\?'; then
            fail "$program was built without optimisation (it calls qt_assert): build the package tree with make package"
        else
            pass "$program is an optimised build"
        fi
    fi
    if unresolved=$(ldd "$path" 2>&1 | grep 'not found'); then
        fail "$program needs libraries that are not found: $unresolved"
    else
        pass "$program finds all its shared libraries"
    fi
done

if [ -x "$prefix/bin/brisendale-reg" ]; then
    config=$tmp/config
    mkdir -p "$config"
    reg() { env XDG_CONFIG_HOME="$config" HOME="$tmp/home" "$prefix/bin/brisendale-reg" "$@"; }

    # An empty store: the query must answer (a missing key is an error
    # status with a message, not a crash) and must not create the store.
    reg query "$settings_key" >"$tmp/query.out" 2>"$tmp/query.err"
    status=$?
    if [ "$status" -le 1 ] && [ -s "$tmp/query.out" -o -s "$tmp/query.err" ]; then
        pass "brisendale-reg answers a query on an empty store (status $status)"
    else
        fail "brisendale-reg query on an empty store: status $status, output: $(cat "$tmp/query.out" "$tmp/query.err")"
    fi
    if [ -e "$config/brisendale/registry.sqlite3" ]; then
        fail "brisendale-reg query created the store; only writes should"
    fi

    # And a value written through the installed program reads back.
    if reg add "$settings_key" /v Delay /t REG_DWORD /d 10 /f >/dev/null 2>"$tmp/add.err" &&
        reg query "$settings_key" /v Delay >"$tmp/query.out" 2>&1 &&
        grep -Eq 'Delay +REG_DWORD +0x0*a\b' "$tmp/query.out"; then
        pass "brisendale-reg stores a value and reads it back"
    else
        fail "brisendale-reg round trip: $(cat "$tmp/add.err" "$tmp/query.out" 2>/dev/null)"
    fi
fi

# --- Desktop entry, icons, metadata ---------------------------------------------
desktop=$prefix/share/applications/$app_id.desktop
if [ -f "$desktop" ]; then
    if out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ]; then
        pass "desktop-file-validate accepts the desktop entry"
    else
        fail "desktop-file-validate: $out"
    fi
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    if [ "$icon" = "$app_id" ] && [ -f "$prefix/share/icons/hicolor/32x32/apps/$icon.png" ]; then
        pass "the desktop entry's icon is installed"
    else
        fail "the desktop entry names icon '$icon', which is not installed as $app_id"
    fi
    if [ -e "$prefix/bin/${exec_line%% *}" ]; then
        pass "the desktop entry starts an installed program ($exec_line)"
    else
        fail "the desktop entry's Exec '$exec_line' is not an installed program"
    fi
fi

metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
if [ -f "$metainfo" ]; then
    if out=$(appstreamcli validate --no-net "$metainfo" 2>&1); then
        pass "appstreamcli validate --no-net accepts the metadata"
    else
        fail "appstreamcli validate: $out"
    fi
fi

for size in 16 32 48 128; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -f "$png" ] || continue
    if file -b "$png" | grep -q "PNG image data, $size x $size,"; then
        pass "the ${size}x${size} icon is a $size by $size PNG"
    else
        fail "the ${size}x${size} icon is: $(file -b "$png")"
    fi
done

# --- Manual pages ---------------------------------------------------------------
for page in brisendale brisendale-reg; do
    file=$prefix/share/man/man1/$page.1.gz
    [ -f "$file" ] || continue
    warnings=$(MANWIDTH=80 man -l "$file" 2>&1 >/dev/null)
    rendered=$(MANWIDTH=80 man -l "$file" 2>/dev/null | wc -l)
    if [ -z "$warnings" ] && [ "$rendered" -gt 20 ]; then
        pass "man -l renders $page.1 without warnings"
    else
        fail "man -l $page.1 ($rendered lines): $warnings"
    fi
done

# The polkit rule ships as an example only; the manual page says how to enable it.
rule=share/doc/brisendale/examples/50-brisendale-set-time.rules
if [ -f "$prefix/$rule" ] && grep -q '"org.freedesktop.timedate1.set-time"' "$prefix/$rule"; then
    pass "the polkit rule example is installed"
else
    fail "the polkit rule example is missing or does not name org.freedesktop.timedate1.set-time"
fi
page=$prefix/share/man/man1/brisendale.1.gz
if [ -f "$page" ] && MANWIDTH=200 man -l "$page" 2>/dev/null |
    grep -qF "/usr/$rule /etc/polkit-1/rules.d/"; then
    pass "brisendale(1) tells how to enable the polkit rule"
else
    fail "brisendale(1) does not show the command that copies /usr/$rule to /etc/polkit-1/rules.d/"
fi

# --- The Windows resources --------------------------------------------------------
source_dir=$(cd "$(dirname "$0")/.." && pwd)
ico=$source_dir/packaging/windows/brisendale.ico
if file -b "$ico" | grep -q '2 icons, 32x32, 16 colors.*, 16x16, 16 colors'; then
    pass "brisendale.ico holds a 32x32 and a 16x16 image in 16 colours"
else
    fail "brisendale.ico is: $(file -b "$ico")"
fi
windres=$(command -v x86_64-w64-mingw32-windres || true)
if [ -n "$windres" ] && [ -f "$build/packaging/brisendale.rc" ]; then
    if "$windres" "$build/packaging/brisendale.rc" -O res -o "$tmp/brisendale.res" 2>"$tmp/windres.err" &&
        "$windres" -i "$tmp/brisendale.res" -O rc >"$tmp/brisendale.rc.out" 2>>"$tmp/windres.err" &&
        grep -q 'BLOCK "040904B0"' "$tmp/brisendale.rc.out" &&
        grep -q 'VALUE "FileVersion", "1.00"' "$tmp/brisendale.rc.out" &&
        grep -q 'VALUE "ProductVersion", "1.00"' "$tmp/brisendale.rc.out" &&
        grep -q 'VALUE "FileDescription", "Syncronize your system time with the atomic time"' "$tmp/brisendale.rc.out" &&
        grep -q 'RT_GROUP_ICON' "$tmp/brisendale.rc.out"; then
        pass "the Windows version resource compiles with its version record and icon"
    else
        fail "the Windows version resource: $(cat "$tmp/windres.err")"
    fi
else
    echo "skip  the Windows version resource (no mingw-w64 windres here)"
fi

# --- The Debian package ---------------------------------------------------------
if ! (cd "$build" && cpack -G DEB -B "$tmp/package") >"$tmp/cpack.log" 2>&1; then
    cat "$tmp/cpack.log" >&2
    fail "cpack could not build the package"
else
    debs=("$tmp"/package/*.deb)
    deb=${debs[0]}
    if [ ${#debs[@]} -ne 1 ] || [ ! -f "$deb" ]; then
        fail "cpack made ${#debs[@]} files instead of one .deb"
    else
        field() { dpkg-deb --field "$deb" "$1"; }
        [ "$(field Package)" = brisendale ] && pass "package name is brisendale" ||
            fail "package name is '$(field Package)'"
        [ "$(field Version)" = 1.00 ] && pass "package version is 1.00" ||
            fail "package version is '$(field Version)'"
        [ "$(basename "$deb")" = "brisendale_1.00_$(field Architecture).deb" ] &&
            pass "package file is $(basename "$deb")" || fail "package file is $(basename "$deb")"
        depends=$(field Depends)
        for library in libc6 libstdc++6 libqt6widgets6 libqt6network6 libqt6dbus6 libsqlite3-0; do
            if tr ',' '\n' <<<"$depends" | awk '{ print $1 }' | grep -qxF "$library"; then
                pass "package depends on $library"
            else
                fail "package does not depend on $library (Depends: ${depends:-none})"
            fi
        done
        description=$(field Description)
        if [ "$(wc -l <<<"$description")" -ge 2 ] && ! grep -q 'built using CMake' <<<"$description"; then
            pass "package has a summary and a long description"
        else
            fail "package description: $description"
        fi

        contents=$(dpkg-deb --contents "$deb")
        packaged=$(awk '$1 !~ /^d/ { print $6 }' <<<"$contents" | sed 's|^\./usr/||' | LC_ALL=C sort)
        if [ "$packaged" = "$wanted" ]; then
            pass "package holds exactly the expected files under /usr"
        else
            fail "package contents differ from the expected ones (- expected, + packaged):"
            diff <(echo "$wanted") <(echo "$packaged") | grep '^[<>]' | sed 's/^</  -/; s/^>/  +/' >&2
        fi
        if awk '$1 !~ /^d/ && $6 ~ /^\.\/usr\/bin\// && $1 != "-rwxr-xr-x" { bad = 1 } END { exit bad }' <<<"$contents"; then
            pass "packaged programs are mode 755"
        else
            fail "packaged programs have wrong modes"
        fi
        # Errors fail the check; warnings are shown for whoever reads the log.
        if lintian --fail-on error "$deb" >"$tmp/lintian.out" 2>&1; then
            pass "lintian reports no error ($(grep -c '^W:' "$tmp/lintian.out") warnings)"
            grep '^W:' "$tmp/lintian.out" | sed 's/^/      /'
        else
            fail "lintian reports errors:"
            sed 's/^/  /' "$tmp/lintian.out" >&2
        fi
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "check-install: $failures check(s) failed" >&2
    exit 1
fi
echo "check-install: all checks passed"
