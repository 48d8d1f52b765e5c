#!/usr/bin/env bash
# Builds the Debian 12 packages into build/packages/:
#   scripts/package.sh [--check]
#
# libdarvodr1, libdarvodr-dev, darvo-tools and nivrasw, from the normal
# build (configured with prefix /usr; an up-to-date build is reused as it
# is). With --check it then checks them (scripts/check-packages.sh): the
# file lists, the programs and the C example run from a scratch root, and
# lintian. DARVO_BUILD_DIR names another build directory.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build_dir="${DARVO_BUILD_DIR:-$root/build}"
check=0
case "${1:-}" in
"") ;;
--check) check=1 ;;
-h | --help)
    sed -n '2,10s/^# \{0,1\}//p' "$0"
    exit 0
    ;;
*)
    echo "package.sh: unknown option $1 (see --help)" >&2
    exit 2
    ;;
esac

. scripts/setup.sh
darvo_install_missing "${darvo_package_packages[@]}"

cmake -S "$root" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build_dir" -j 2
rm -rf "$build_dir/packages"
(cd "$build_dir" && cpack --config CPackConfig.cmake >/dev/null)
rm -rf "$build_dir/packages/_CPack_Packages"
ls -1 "$build_dir"/packages/*.deb
if [ "$check" = 1 ]; then
    scripts/check-packages.sh "$build_dir/packages"
fi
