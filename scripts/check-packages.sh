#!/usr/bin/env bash
# Checks the Debian packages that scripts/package.sh made:
#   scripts/check-packages.sh [DIR]      (DIR: build/packages)
#
#  1. each package holds exactly the files listed in packaging/contents.txt
#     ("package path", <multiarch> for lib/x86_64-linux-gnu and the like);
#  2. unpacked together into a scratch root, the programs run from it
#     ("darvo version", "darvo-service --version", "darvo-sim --help"),
#     and examples/receipt.c, compiled against the installed header and
#     pkg-config file, prints a receipt through the installed library on an
#     emulated printer that the installed port map names as COM1;
#  3. the menu entry starts an installed program with an installed icon, and
#     it and the AppStream metadata validate, where the validators are;
#  4. lintian, where installed: errors fail the check, warnings are shown.
# The checks read every line a program writes (never grep -q or head, which
# stop reading): with pipefail, a program cut off by SIGPIPE would fail them.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
dir="${1:-$root/build/packages}"
version=$(sed -n 's/^project(darvo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
packages=(libdarvodr1 libdarvodr-dev darvo-tools nivrasw)

fail() {
    echo "check-packages: $*" >&2
    exit 1
}

debs=()
for p in "${packages[@]}"; do
    deb=$(ls "$dir/${p}_${version}_"*.deb 2>/dev/null | head -1) || true
    [ -n "$deb" ] || fail "no package $p $version in $dir"
    debs+=("$deb")
done

scratch=$(mktemp -d)
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

echo "-- file lists"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for deb in "${debs[@]}"; do
    name=$(dpkg-deb -f "$deb" Package)
    # Files and links, without directories: "package path".
    dpkg-deb -c "$deb" | awk -v p="$name" '$1 !~ /^d/ { sub(/^\./, "", $6); print p, $6 }'
done | sed "s|/$multiarch/|/<multiarch>/|" | LC_ALL=C sort >"$scratch/contents"
if ! diff -u packaging/contents.txt "$scratch/contents"; then
    fail "the packages' files differ from packaging/contents.txt (- expected, + packaged)"
fi

echo "-- programs from a scratch root"
sysroot="$scratch/root"
for deb in "${debs[@]}"; do
    dpkg-deb -x "$deb" "$sysroot"
done
libdir=$(dirname "$(find "$sysroot/usr/lib" -name libdarvodr.so.1 | head -1)")
[ -d "$libdir" ] || fail "libdarvodr.so.1 is not installed"
export LD_LIBRARY_PATH="$libdir"
"$sysroot/usr/bin/darvo" version | grep -F "$version" >/dev/null || fail "darvo version does not say $version"
"$sysroot/usr/bin/darvo-service" --version | grep -F "$version" >/dev/null ||
    fail "darvo-service --version does not say $version"
"$sysroot/usr/bin/darvo-sim" --help | sed -n 1p | grep '^Usage: darvo-sim' >/dev/null ||
    fail "the installed darvo-sim --help says no usage"

export PKG_CONFIG_PATH="$libdir/pkgconfig"
flags=$(pkg-config --cflags --libs darvodr)
case "$flags" in *"$sysroot"*) ;; *) fail "pkg-config points outside the scratch root: $flags" ;; esac
cc -Wall -Werror -o "$scratch/receipt" examples/receipt.c $flags
readelf -d "$scratch/receipt" | grep 'NEEDED.*\[libdarvodr\.so\.1\]' >/dev/null || fail "the example does not need libdarvodr.so.1"

mkfifo "$scratch/sim.out"
"$sysroot/usr/bin/darvo-sim" --link "$scratch/printer" --roll "$scratch/roll.txt" --print-time 1 \
    </dev/null >"$scratch/sim.out" &
sim_pid=$!
exec 3<"$scratch/sim.out"
read -r _ <&3 || fail "the installed darvo-sim did not start"
cat <&3 >/dev/null &
exec 3<&-
printf '# the emulated printer\nCOM1 = %s\n' "$scratch/printer" >"$scratch/ports.conf"
env -u DARVO_COM1 DARVO_PORTS_FILE="$scratch/ports.conf" "$scratch/receipt" 1 1 ||
    fail "the example printed no receipt through the installed library"
grep -q 'Chleb razowy' "$scratch/roll.txt" || fail "the receipt is not on the paper roll"

echo "-- menu entry and metadata"
"$sysroot/usr/bin/darvo-roll" --help | sed -n 1p | grep '^Usage: darvo-roll' >/dev/null || fail "darvo-roll --help says no usage"
for entry in "$sysroot"/usr/share/applications/*.desktop; do
    exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -x "$sysroot/usr/bin/$exec_name" ] || fail "$entry starts $exec_name, which is not installed"
    [ -f "$sysroot/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] &&
        [ -f "$sysroot/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "$entry: no icon $icon"
done
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$sysroot"/usr/share/applications/*.desktop
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$sysroot"/usr/share/metainfo/*.xml
fi

echo "-- lintian"
if command -v lintian >/dev/null; then
    lintian --fail-on error "${debs[@]}"
else
    echo "lintian is not installed: not run"
fi
echo "packages checked: ${packages[*]} $version"
