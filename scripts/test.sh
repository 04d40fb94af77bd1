#!/usr/bin/env bash
# Installs, builds and runs the whole test suite (offscreen windows) of the
# CMake preset given as $1 (default: dev; sanitize for the sanitizer build).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-dev}
"$root/scripts/setup.sh" "$preset"
cd "$root"
ctest --preset "$preset"
