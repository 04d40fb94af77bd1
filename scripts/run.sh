#!/usr/bin/env bash
# Installs, builds and starts Quoran. Without --instrument it also starts the
# bundled instrument simulator on a pseudo-terminal and runs the program from
# the folder demo/, whose own settings file pins Com1 to the simulator, so the
# operator's real settings file is never touched. Other arguments (e.g. DEMO)
# go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build" # where the preset dev builds
"$root/scripts/setup.sh" dev

# Numbers, dates and times follow the regional settings; a machine without
# any (LANG unset, C or POSIX) shows them the German way the bench expects.
case "${LC_ALL:-${LANG:-C}}" in C|C.*|POSIX) export LANG=de_DE.UTF-8; unset LC_ALL ;; esac

if [ "${1:-}" = "--instrument" ]; then
    shift
    # A real instrument: the program keeps its settings beside itself.
    target="$HOME/quoran"
    mkdir -p "$target"
    cp "$build/src/quoran" "$target/quoran"
    exec "$target/quoran" "$@"
fi

demo="$root/demo"
mkdir -p "$demo"
cp "$build/src/quoran" "$demo/quoran"
link="$demo/simulator-port"
if [ ! -f "$demo/quoran.ini" ]; then
    printf '[Rotorlage]\r\nSchnittstelle=Com1\r\n[Export]\r\nDataFile=%s\r\n[Schnittstellen]\r\nCom1=%s\r\n' \
        "$demo/Rotorlage.txt" "$link" > "$demo/quoran.ini"
fi

"$build/tools/quoran-sim/quoran-sim" --link "$link" 2> "$demo/simulator.log" > "$demo/simulator.path" &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
echo "Simulator an $(cat "$demo/simulator.path") (Com1), Protokoll: $demo/simulator.log"
"$demo/quoran" "$@"
