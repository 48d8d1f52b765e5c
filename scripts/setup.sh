#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, when they are missing.
# Sourced by run.sh and test.sh.
darvo_packages=(build-essential cmake pkg-config libgtest-dev libgmock-dev python3
                qt6-base-dev qt6-translations-l10n xvfb xauth libasound2-dev
                clang libclang-rt-14-dev libcli11-dev nlohmann-json3-dev help2man
                libcpp-httplib-dev libsqlite3-dev libutf8proc-dev ccache
                python3-jsonschema prometheus chromium chromium-driver python3-selenium)
# Only for the packages (scripts/package.sh and test.sh install them): man
# pages, icon sizes, dependencies, checks.
darvo_package_packages=(dpkg-dev file help2man librsvg2-bin lintian appstream desktop-file-utils)
# Only for the benchmarks (scripts/bench.sh and test.sh, which compiles them,
# install them).
darvo_bench_packages=(libbenchmark-dev python3-serial)

darvo_install_missing() {
    local missing=() p
    for p in "${darvo_packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
