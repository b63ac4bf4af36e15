#!/usr/bin/env bash
# Checks of the installed layout, the .deb package, the desktop files and the man pages.
# Usage: install_checks.sh BUILD_DIR SOURCE_DIR INSTALLED_FILES_LIST VERSION CHECK
# Exit status: 0 passed, 1 failed, 77 skipped (a tool the check needs is missing).
set -euo pipefail

build=$1 source=$2 list=$3 version=$4 check=$5
app_id=io.github.lumivo.Lumivo
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

skip_unless() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Every listed file exists below ROOT, and the shipped data folder holds exactly the sample
# graphics and factory pictures of the source tree.
check_layout() {
    local root=$1 share=$2
    while read -r file; do
        case $file in '#'* | '') continue ;; esac
        [ -f "$root/$file" ] || fail "missing $file"
    done <"$list"
    diff -r "$source/data/Graphdata" "$root/$share/Graphdata" >&2 ||
        fail "shipped sample graphics differ from data/Graphdata"
    cmp -s "$source/data/Manual.txt" "$root/$share/Manual.txt" || fail "Manual.txt differs"
    for picture in "$source"/data/*.bmp; do
        [ -e "$picture" ] || continue
        cmp -s "$picture" "$root/$share/$(basename "$picture")" ||
            fail "factory picture $(basename "$picture") not shipped"
    done
}

# Runs a program with no screen; the editor must answer --help and --version without a window.
run_program() {
    QT_QPA_PLATFORM=offscreen timeout 30 "$@"
}

# Runs an installed program as a user who has never run it: no LUMIVO_HOME, an empty home.
as_new_user() {
    local home=$1
    shift
    mkdir -p "$home"
    env -u LUMIVO_HOME HOME="$home" XDG_DATA_HOME="$home/data" "$@"
}

# The installed command line finds the shipped sample graphics from its own prefix: a send of a
# line showing two of them writes the same bytes as the build's program reading data/Graphdata.
check_finds_shipped_graphics() {
    local bin=$1 home=$2 line='<Pic:G01>Open<Pic:G03>'
    local expected actual
    expected=$("$build/bin/lumivo-cli" send --dry-run --sign 01 --graphics "$source/data/Graphdata" \
        "$line" | od -An -tx1) || fail "the build's lumivo-cli cannot send the samples"
    actual=$(as_new_user "$home" "$bin/lumivo-cli" send --dry-run --sign 01 "$line" | od -An -tx1) ||
        fail "installed lumivo-cli in $bin does not find the sample graphics"
    [[ -n $expected && $expected == "$actual" ]] ||
        fail "installed lumivo-cli in $bin sends other bytes than the build's"
}

case $check in
installed_layout)
    prefix=$tmp/prefix
    cmake --install "$build" --prefix "$prefix" >/dev/null
    share=$(sed -n 's|/Manual.txt$||p' "$list")
    bindir=$(sed -n 's|/lumivo-cli$||p' "$list")
    check_layout "$prefix" "$share"

    check_finds_shipped_graphics "$prefix/$bindir" "$tmp/user"
    diff -r "$prefix/$share/Graphdata" "$tmp/user/data/lumivo/Graphdata" >&2 ||
        fail "the user's Graphdata is not a copy of the samples"
    [ "$(ls "$prefix/$bindir")" = "$(printf 'lumivo\nlumivo-cli\nlumivo-sign\nlumivod')" ] ||
        fail "the installed program wrote beside itself: $(ls "$prefix/$bindir")"

    # A prefix moved elsewhere keeps working.
    mv "$prefix" "$tmp/moved"
    check_finds_shipped_graphics "$tmp/moved/$bindir" "$tmp/user2"
    ;;

deb_package)
    skip_unless cpack dpkg-deb dpkg-shlibdeps
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack.log" 2>&1 ||
        { cat "$tmp/cpack.log" >&2; fail "cpack failed"; exit 1; }
    debs=("$tmp"/package/*.deb)
    [[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || { fail "no single .deb: ${debs[*]}"; exit 1; }
    deb=${debs[0]}

    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = lumivo ] || fail "Package: $(field Package)"
    [ "$(field Section)" = electronics ] || fail "Section: $(field Section)"
    [ "$(field Maintainer)" = "Lumivo developers <lumivo@example.org>" ] ||
        fail "Maintainer: $(field Maintainer)"
    case $(field Version) in "$version" | "$version"[.-]*) ;; *) fail "Version: $(field Version)" ;; esac
    depends=$(field Depends)
    for library in libqt6core6 libqt6widgets6 libqt6serialport6; do
        grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
    done

    dpkg-deb -x "$deb" "$tmp/root"
    check_layout "$tmp/root/usr" share/lumivo
    # The print libraries come with the printing module, which the editor loads at its first
    # Send via Network: the package needs them, the editor itself does not link them.
    for library in libcups2 libqt6printsupport6; do
        grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
    done
    if readelf -d "$tmp/root/usr/bin/lumivo" | grep -E 'NEEDED.*(libcups|libQt6PrintSupport)' >&2; then
        fail "the editor links the print libraries itself"
    fi
    for program in lumivo lumivo-cli lumivo-sign; do
        out=$(run_program "$tmp/root/usr/bin/$program" --version) || fail "$program --version failed"
        [ "$out" = "$program $version" ] || fail "$program --version: $out"
        out=$(run_program "$tmp/root/usr/bin/$program" --help) || fail "$program --help failed"
        grep -q "^usage: $program" <<<"$out" || fail "$program --help: $out"
    done
    check_finds_shipped_graphics "$tmp/root/usr/bin" "$tmp/user"

    # Debian's own checker finds no error and no warning in the package.
    if ! command -v lintian >/dev/null; then
        [ "$failures" -ne 0 ] && exit 1
        echo "skipped: lintian is not installed (every other package check passed)"
        exit 77
    fi
    status=0
    lintian --tag-display-limit 0 "$deb" >"$tmp/lintian.log" 2>&1 || status=$?
    if [ "$status" -gt 1 ]; then
        cat "$tmp/lintian.log" >&2
        fail "lintian could not check the package (exit $status)"
    elif grep -q '^[EW]: ' "$tmp/lintian.log"; then
        cat "$tmp/lintian.log" >&2
        fail "lintian reports errors or warnings"
    fi
    ;;

desktop_entry)
    skip_unless desktop-file-validate
    entry=$source/data/$app_id.desktop
    desktop-file-validate "$entry" || fail "desktop-file-validate"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [[ $icon == "$app_id" && -f $source/data/$icon.svg ]] || fail "no icon named $icon"
    ;;

metainfo)
    skip_unless appstreamcli
    metainfo=$source/data/$app_id.metainfo.xml
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
    launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
    [ -f "$source/data/$launchable" ] || fail "launchable $launchable is not in data/"
    ;;

man_pages)
    # Each page is clean roff, and names every option its program's --help lists.
    declare -A help_of=(
        [lumivo]="--help"
        [lumivo-cli]="--help|page --help|graphic --help"
        [lumivo-sign]="--help"
    )
    for page in lumivo lumivo-cli lumivo-sign; do
        file=$build/man/$page.1
        [ -f "$file" ] || { fail "no $file"; continue; }
        if command -v groff >/dev/null; then
            warnings=$(groff -man -ww -z "$file" 2>&1)
            [ -z "$warnings" ] || fail "$page.1: $warnings"
        fi
        grep -q "@[A-Z_]*@" "$file" && fail "$page.1 has an unreplaced @VARIABLE@"
        [ -n "${help_of[$page]:-}" ] || continue
        text=$(sed 's/\\-/-/g' "$file")
        IFS='|' read -ra runs <<<"${help_of[$page]}"
        for run in "${runs[@]}"; do
            # shellcheck disable=SC2086
            options=$(run_program "$build/bin/$page" $run | grep -o -- '--[a-z][a-z-]*' | sort -u) ||
                { fail "$page $run failed"; continue; }
            for option in $options; do
                grep -q -- "$option\b" <<<"$text" || fail "$page.1 does not describe $option"
            done
        done
    done
    ;;

*)
    echo "unknown check $check" >&2
    exit 2
    ;;
esac

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "passed: $check"
