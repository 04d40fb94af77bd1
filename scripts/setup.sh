#!/usr/bin/env bash
# Installs what the build, the program, the tests and the package checks need
# on Debian 12 and builds the CMake preset given as $1 (default: dev, into
# build/; see CMakePresets.json). Extra CMake options come from
# QUORAN_CMAKE_OPTIONS, on top of the preset's. With --packages it only
# installs; every other script takes its packages from here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-dev}

# What the program needs to build and run.
program_packages=(qt6-base-dev qt6-serialport-dev cmake g++ ninja-build fonts-liberation
                  fonts-dejavu-core libgl-dev qt6-translations-l10n libpq-dev
                  libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev)
# What CI and development add: the X session tests (virtual X server, a window
# manager, X tools), the formatter, building and checking the package, and the
# PostgreSQL server that the central database tests start.
development_packages=(xvfb xauth xdotool x11-utils openbox imagemagick clang-format
                      dpkg-dev file lintian desktop-file-utils appstream man-db postgresql)
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
[ "$preset" != "--packages" ] || exit 0

# Presets are found in the source folder.
cd "$root"
# shellcheck disable=SC2086
cmake --preset "$preset" ${QUORAN_CMAKE_OPTIONS:-}
cmake --build --preset "$preset" -j"$(nproc)"
