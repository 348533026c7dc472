#!/usr/bin/env bash
# Builds the Debian package from a build directory, unpacks it into a scratch root (no root
# rights, no container) and checks what a person installing it would get: the files in their
# places, every declared dependency present on this machine and known to its package archive,
# the desktop entry, MIME type and AppStream metadata valid, and both programs starting from
# the unpacked tree with their data files found there.
#
#   check_deb.sh BUILD_DIR SOURCE_DIR WORK_DIR VERSION
#
# Exits 77 (counted as skipped) with the reason when a tool it needs is missing.
set -uo pipefail

build_dir=$1
source_dir=$2
work_parent=$3
version=$4

skip() {
    echo "SKIPPED: $*"
    exit 77
}
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
pass() {
    echo "ok: $*"
}

for tool in dpkg-deb dpkg-shlibdeps dpkg-query cpack; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (dpkg-dev and cmake build the package)"
done
[ -f "$build_dir/CPackConfig.cmake" ] || { echo "FAIL: $build_dir/CPackConfig.cmake is missing"; exit 1; }

mkdir -p "$work_parent"
work=$(mktemp -d "$work_parent/run.XXXXXX")
trap 'rm -rf "$work"' EXIT

# 1. The package.
echo "== cpack (output in $work/cpack.log)"
# Uncompressed: the test build's programs are large, and compressing them would take most of
# the test's time while proving nothing the unpacked files do not.
if ! cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" \
    -D CPACK_DEBIAN_COMPRESSION_TYPE=none >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
fi
shopt -s nullglob
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "FAIL: cpack made ${#debs[@]} .deb files, not one"; exit 1; }
deb=${debs[0]}
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "tessel_${version}_${arch}.deb" ] &&
    pass "package file $(basename "$deb")" || fail "package file is $(basename "$deb"), not tessel_${version}_${arch}.deb"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = tessel ] && pass "Package: tessel" || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] && pass "Version: $version" || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "$arch" ] && pass "Architecture: $arch" || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
echo "Depends: $depends"
for needed in libqt6widgets6 libqt6svg6 libsqlite3-0 libodbc2 libsodium23 libc6; do
    [[ ",$depends," =~ [,\ ]$needed[\ ,] ]] && pass "depends on $needed" || fail "Depends does not name $needed"
done

# 2. Every declared dependency, each alternative group satisfied on this machine by an installed
# package of a fitting version, and known to the configured archive.
have_apt_cache=0
command -v apt-cache >/dev/null && have_apt_cache=1
IFS=',' read -ra groups <<<"$depends"
for group in "${groups[@]}"; do
    satisfied=""
    IFS='|' read -ra alternatives <<<"$group"
    for alternative in "${alternatives[@]}"; do
        alternative=$(echo "$alternative" | xargs)
        name=${alternative%% *}
        name=${name%%:*}
        installed=$(dpkg-query -W -f='${Status} ${Version}' "$name" 2>/dev/null)
        [[ $installed == "install ok installed "* ]] || continue
        installed_version=${installed##* }
        if [[ $alternative =~ \(([<>=]+)\ *([^\)]+)\) ]]; then
            op=${BASH_REMATCH[1]}
            wanted=${BASH_REMATCH[2]}
            case $op in
                ">=") op=ge ;; "<=") op=le ;; "=") op=eq ;; ">>") op=gt ;; "<<") op=lt ;;
            esac
            dpkg --compare-versions "$installed_version" "$op" "$wanted" || continue
        fi
        if [ $have_apt_cache -eq 1 ] && ! apt-cache show "$name" >/dev/null 2>&1; then
            continue
        fi
        satisfied="$name $installed_version"
        break
    done
    if [ -n "$satisfied" ]; then
        pass "dependency '$(echo "$group" | xargs)' met by $satisfied"
    else
        fail "dependency '$(echo "$group" | xargs)' is met by no installed package the archive knows"
    fi
done

# 3. Unpacked into a scratch root.
root="$work/root"
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x could not unpack $deb"; exit 1; }
contents=$(dpkg-deb -c "$deb")
for program in tessel tessel-cli; do
    line=$(grep -E " \./usr/bin/$program\$" <<<"$contents")
    [[ $line == "-rwxr-xr-x root/root "* ]] && pass "usr/bin/$program is 0755 root/root" ||
        fail "usr/bin/$program is listed as '$line'"
done
data="$root/usr/share/tessel"
for file in template.sqv tipofday.txt icons/tree/Table.svg icons/tree/Field.svg; do
    if cmp -s "$source_dir/data/$file" "$data/$file"; then
        pass "usr/share/tessel/$file is the source's copy"
    else
        fail "usr/share/tessel/$file is missing or differs from data/$file"
    fi
done
share="$root/usr/share"
for file in applications/tessel.desktop mime/packages/tessel.xml metainfo/tessel.metainfo.xml \
    icons/hicolor/scalable/apps/tessel.svg icons/hicolor/scalable/mimetypes/text-x-sqv.svg; do
    [ -s "$share/$file" ] && pass "usr/share/$file" || fail "usr/share/$file is missing"
done
# A PNG's width and height are the big-endian numbers at bytes 16 to 23.
for size in 16 22 24 32 48 64 128 256; do
    for icon in apps/tessel mimetypes/text-x-sqv; do
        png="$share/icons/hicolor/${size}x${size}/$icon.png"
        header=$(od -An -tx1 -N24 "$png" 2>/dev/null | tr -d ' \n')
        expected_size=$(printf '%08x%08x' "$size" "$size")
        if [[ $header == 89504e470d0a1a0a* && ${header:32:16} == "$expected_size" ]]; then
            pass "${size}x${size}/$icon.png is a ${size}x${size} PNG"
        else
            fail "${size}x${size}/$icon.png is missing or not a ${size}x${size} PNG"
        fi
    done
done

# 4. The desktop files, each checked by the desktop's own tool when it is installed.
if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$share/applications/tessel.desktop" 2>&1)
    [ -z "$out" ] && pass "desktop-file-validate: no complaints" || fail "desktop-file-validate: $out"
else
    echo "note: desktop-file-validate is not installed (desktop-file-utils); the entry is not validated"
fi
grep -qx 'Exec=tessel' "$share/applications/tessel.desktop" && grep -qx 'Icon=tessel' "$share/applications/tessel.desktop" &&
    pass "the desktop entry starts tessel with its icon" || fail "the desktop entry lacks Exec=tessel or Icon=tessel"
if command -v appstreamcli >/dev/null; then
    # The component is named after the desktop entry the program announces (tessel.desktop),
    # which has no domain of its own to reverse; that one hint is not counted.
    if out=$(appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
        "$share/metainfo/tessel.metainfo.xml" 2>&1); then
        pass "appstreamcli validate: $(tail -1 <<<"$out")"
    else
        fail "appstreamcli validate: $out"
    fi
else
    echo "note: appstreamcli is not installed (appstream); the metainfo is not validated"
fi
if command -v update-mime-database >/dev/null; then
    mime_copy="$work/mime"
    mkdir -p "$mime_copy/packages"
    cp "$share/mime/packages/tessel.xml" "$mime_copy/packages/"
    if update-mime-database "$mime_copy" 2>"$work/mime.log" &&
        grep -qx 'text/x-sqv:\*\.sqv' "$mime_copy/globs" && [ -f "$mime_copy/text/x-sqv.xml" ]; then
        pass "update-mime-database registers text/x-sqv for *.sqv"
    else
        fail "update-mime-database did not register text/x-sqv for *.sqv: $(cat "$work/mime.log")"
    fi
else
    echo "note: update-mime-database is not installed (shared-mime-info); the MIME type is not checked"
fi

# 5. The unpacked programs. Their libraries are the system's, so they run in place; a marker
# added to the unpacked tips file shows that the tree's own data files are read, not those of
# a source tree on the same machine.
marker="tip of the unpacked package $$"
printf '%s\r\n' "$marker" >>"$data/tipofday.txt"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/xdg-data"
unset TESSEL_DATA_DIR
mkdir -p "$HOME"

out=$("$root/usr/bin/tessel-cli" --version 2>&1)
[ "$out" = "tessel-cli $version" ] && pass "tessel-cli --version: $out" || fail "tessel-cli --version printed '$out'"
out=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/tessel" --version 2>&1)
[ "$out" = "tessel $version" ] && pass "tessel --version: $out" || fail "tessel --version printed '$out'"

scripts="$work/scripts"
mkdir -p "$scripts"
printf '%s\r\n' "dbMake stock.mdb;" "CREATE TABLE Stock (Item TEXT (20), Qty LONG);" \
    "INSERT INTO Stock VALUES ('bolt', 12);" "INSERT INTO Stock VALUES ('nut', 300);" \
    "SELECT Item, Qty FROM Stock ORDER BY Qty DESC;" >"$scripts/stock.sqv"
expected=$'recordset1\nItem | Qty\n-----+----\nnut  | 300\nbolt |  12\n(2 rows)'
out=$(cd "$scripts" && TESSEL_HOME="$work/cli-home" "$root/usr/bin/tessel-cli" run stock.sqv 2>&1)
status=$?
if [ $status -eq 0 ] && [ "$(sed 's/[[:space:]]*$//' <<<"$out")" = "$expected" ]; then
    pass "tessel-cli ran a script against a new embedded database and printed its rows"
else
    fail "tessel-cli run stock.sqv exited $status and printed:
$out
--- expected:
$expected"
fi
[ -s "$scripts/stock.mdb" ] && pass "the script made stock.mdb" || fail "the script made no stock.mdb"
grep -qF "$marker" "$work/cli-home/tipofday.txt" 2>/dev/null &&
    pass "tessel-cli seeded its application directory from usr/share/tessel" ||
    fail "tessel-cli's application directory has no tipofday.txt from the unpacked usr/share/tessel"

# The window program runs until it is stopped; still running after some seconds means it
# started (a missing library or plugin ends it at once).
gui_home="$work/gui-home"
TESSEL_HOME="$gui_home" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
    timeout 10 "$root/usr/bin/tessel" >"$work/gui.log" 2>&1
status=$?
if [ $status -eq 124 ]; then
    pass "tessel started offscreen and was still running after 10 s"
else
    fail "tessel ended with status $status within 10 s: $(cat "$work/gui.log")"
fi
grep -qF "$marker" "$gui_home/tipofday.txt" 2>/dev/null &&
    pass "tessel seeded its application directory from usr/share/tessel" ||
    fail "tessel's application directory has no tipofday.txt from the unpacked usr/share/tessel"
[ -f "$gui_home/template.sqv" ] && pass "tessel's application directory has template.sqv" ||
    fail "tessel's application directory has no template.sqv"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all package checks passed"
