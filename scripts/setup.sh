#!/usr/bin/env bash
# Installs what the build, the program and the tests need on Debian 12 and
# builds into the folder given as $1 (default: build). Extra CMake options
# come from QUORAN_CMAKE_OPTIONS.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}

# What the program needs to build and run.
program_packages=(qt6-base-dev qt6-serialport-dev cmake g++ ninja-build fonts-liberation
                  fonts-dejavu-core libgl-dev qt6-translations-l10n)
# What CI and development add: the X session tests (virtual X server, a window
# manager, X tools) and the formatter.
development_packages=(xvfb xauth xdotool x11-utils openbox imagemagick clang-format)
missing=()
for p in "${program_packages[@]}" "${development_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${QUORAN_BUILD_TYPE:-RelWithDebInfo} \
    ${QUORAN_CMAKE_OPTIONS:-}
cmake --build "$build" -j"$(nproc)"
