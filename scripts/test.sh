#!/usr/bin/env bash
# Installs, builds and runs the whole test suite (offscreen windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
"$root/scripts/setup.sh" "$build"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
