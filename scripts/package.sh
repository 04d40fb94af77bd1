#!/usr/bin/env bash
# Builds the Debian package dist/quoran_<version>-<revision>_<arch>.deb (e.g.
# quoran_1.1.0-1_amd64.deb): installs what it needs, makes a Release build
# (the CMake preset package) with Debian's hardening flags in its own folder
# (default: build-package) and packs it with CPack (stripped binaries, library
# dependencies from dpkg-shlibdeps).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-package"}
dist="$root/dist"

# dpkg-shlibdeps and dpkg-buildflags (dpkg-dev), file (CPack finds the
# binaries with it) come with the build's own packages.
"$root/scripts/setup.sh" --packages

# Debian's compiler and linker flags (hardening included); CMake takes them
# from the environment when it configures a build folder afresh.
cd "$root"
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="${CPPFLAGS:-} ${CXXFLAGS:-}"
# A fresh configuration with the preset's options only: none that a caller
# exported for its own builds (QUORAN_CMAKE_OPTIONS) gets into the package.
cmake --preset package --fresh -B "$build"
cmake --build "$build" -j"$(nproc)"

rm -f "$build"/quoran_*.deb
(cd "$build" && cpack -G DEB)
packages_built=("$build"/quoran_*.deb)
if [ ${#packages_built[@]} -ne 1 ] || [ ! -f "${packages_built[0]}" ]; then
    echo "package.sh: no single package in $build" >&2
    exit 1
fi
mkdir -p "$dist"
rm -f "$dist"/quoran_*.deb
cp "${packages_built[0]}" "$dist/"
echo "$dist/$(basename "${packages_built[0]}")"
