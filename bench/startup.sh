#!/usr/bin/env bash
# Start-up to the complete main window, under Xvfb with the openbox window
# manager: the time from starting the program until its maximised main window
# is mapped, median of N runs. With a second program named (e.g. cutecom) it
# is measured the same way in the same run, for comparison.
#   bench/startup.sh build/src/quoran [runs] [other-program other-window-name]
# Needs xvfb, openbox and xdotool. The program runs in a temporary folder with
# a settings file that pins its port (no serial-device scan), or with
# QUORAN_BENCH_UNPINNED=1 one that does not; QUORAN_BENCH_PADDING=N adds N
# lines of notes to it, as a long-used bench's file may hold.
set -euo pipefail
program=$(realpath "$1")
runs=${2:-10}
other=${3:-}
other_name=${4:-}

work=$(mktemp -d)
trap 'kill "${wm:-}" "${xvfb:-}" 2>/dev/null || true; rm -rf "$work"' EXIT
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && break; sleep 0.1; done
openbox > /dev/null 2>&1 &
wm=$!
sleep 1

cp "$program" "$work/quoran"
if [ -n "${QUORAN_BENCH_UNPINNED:-}" ]; then
    printf '[Rotorlage]\r\nSchnittstelle=Com1\r\n' > "$work/quoran.ini.orig"
else
    printf '[Rotorlage]\r\nSchnittstelle=Com1\r\n[Schnittstellen]\r\nCom1=/dev/null\r\n' > "$work/quoran.ini.orig"
fi

if [ -n "${QUORAN_BENCH_PADDING:-}" ]; then
    {
        printf '[Notizen]\r\n'
        for i in $(seq "$QUORAN_BENCH_PADDING"); do printf 'Zeile%d=Prüfung %d bestanden\r\n' "$i" "$i"; done
    } >> "$work/quoran.ini.orig"
fi

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Milliseconds until a visible window of the name is at least min_width wide.
measure() { # name min_width command...
    local name=$1 min_width=$2
    shift 2
    local start pid id width
    start=$(now_ms)
    "$@" > /dev/null 2>&1 &
    pid=$!
    while :; do
        for id in $(xdotool search --onlyvisible --name "$name" 2> /dev/null || true); do
            width=$(xdotool getwindowgeometry --shell "$id" 2> /dev/null | sed -n 's/^WIDTH=//p')
            if [ -n "$width" ] && [ "$width" -ge "$min_width" ]; then
                echo $(($(now_ms) - start))
                kill "$pid" 2> /dev/null || true
                wait "$pid" 2> /dev/null || true
                return
            fi
        done
        if ! kill -0 "$pid" 2> /dev/null; then
            echo "program ended before its window showed" >&2
            exit 1
        fi
        sleep 0.005
    done
}

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

quoran_times=()
other_times=()
for _ in $(seq "$runs"); do
    cp "$work/quoran.ini.orig" "$work/quoran.ini"
    quoran_times+=("$(measure '^Quoran' 1000 "$work/quoran")")
    if [ -n "$other" ]; then
        other_times+=("$(measure "$other_name" 100 "$other")")
    fi
done
echo "quoran start-up to the maximised main window: median $(printf '%s\n' "${quoran_times[@]}" | median) ms" \
    "(runs: ${quoran_times[*]})"
if [ -n "$other" ]; then
    echo "$other start-up to its main window: median $(printf '%s\n' "${other_times[@]}" | median) ms" \
        "(runs: ${other_times[*]})"
fi
