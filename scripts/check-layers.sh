#!/usr/bin/env bash
# Fails when an include points up the layers. A header-only include never
# fails to link, so the build alone would not notice.
#   core                                 nothing of the program
#   ui                                   core
#   config, link, tolerance, log, diag   core, ui and the subsystems before them
#   store                                core, config, link, tolerance, log (plain: the results store)
#   log's window part                    also store (the log window writes it); log's plain part not
#   central                              core, store (PostgreSQL upload, libpq)
#   review                               core, ui, config, link, tolerance, log, store, central, diag (a window library)
#   app                                  everything
# The plain parts (core, link, tolerance, store, central, and every file of config, log and
# diag that is not in the folder's window library "*_ui") include neither
# ui/, nor a window part, nor a Qt header that Qt Core or Qt SerialPort lacks.
# tools/quoran-sim includes nothing of src; other tools only plain parts.
# The review window reads the store through its queries, never by Qt Sql.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

qt_headers=$(find /usr/include -maxdepth 3 -type d -path '*qt6/QtCore' -printf '%h\n' -quit 2>/dev/null || true)
if [ -z "$qt_headers" ]; then
    echo "check-layers: Qt 6 headers not found" >&2
    exit 2
fi

declare -A allowed=(
    [core]="core"
    [ui]="core ui"
    [config]="core ui config"
    [link]="core config link"
    [tolerance]="core config link tolerance"
    [log]="core ui config link tolerance log"
    [store]="core config link tolerance log store"
    [central]="core config link tolerance log store central"
    [diag]="core ui config link tolerance log diag"
    [review]="core ui config link tolerance log store central diag review"
    [app]="core ui config link tolerance log store central diag review app"
)

# The files of the window libraries, as "folder/File.h" and "folder/File.cpp".
window_parts=$(for folder in config log diag; do
    awk -v dir="$folder" '/add_library\(quoran_[a-z]+_ui /{on=1} on{for(i=1;i<=NF;i++) if ($i ~ /\.(h|cpp)\)?$/) {f=$i; sub(/\)$/,"",f); print dir "/" f}} on && /\)/{on=0}' \
        "src/$folder/CMakeLists.txt"
done)

is_window_part() { grep -qxF "$1" <<<"$window_parts"; }

failures=0
fail() {
    echo "$1: $2" >&2
    failures=$((failures + 1))
}

check_qt_header() { # file header layer
    local name=$2
    name=${name#QtCore/}
    if [ -e "$qt_headers/QtCore/$name" ] || [ -e "$qt_headers/QtSerialPort/$name" ]; then
        return
    fi
    if [ "$3" = store ] && [ -e "$qt_headers/QtSql/${name#QtSql/}" ]; then
        return
    fi
    case "$2" in Q* | qt*) fail "$1" "includes <$2>, not plain Qt Core" ;; esac
}

while IFS= read -r file; do
    rel=${file#src/}
    layer=${rel%%/*}
    [ -n "${allowed[$layer]+x}" ] || continue
    plain=false
    below=${allowed[$layer]}
    case $layer in
    core | link | tolerance | store | central) plain=true ;;
    config | log | diag) is_window_part "$rel" || plain=true ;;
    esac
    if [ "$layer" = log ] && ! $plain; then
        below="$below store"
    fi
    while IFS= read -r include; do
        target=$(sed -E 's/^#include +"([^"]+)".*/\1/' <<<"$include")
        dir=${target%%/*}
        [ "$dir" != "$target" ] || continue
        [ -n "${allowed[$dir]+x}" ] || continue
        if ! grep -qw "$dir" <<<"$below"; then
            fail "$file" "includes $target from a higher layer"
        elif $plain && { [ "$dir" = ui ] || is_window_part "$target" || { is_window_part "${target%.h}.cpp"; }; }; then
            fail "$file" "plain code includes the window part $target"
        fi
    done < <(grep -E '^#include +"' "$file" || true)
    if [ "$layer" = review ] && grep -qE '^#include +<(QtSql/)?QSql' "$file"; then
        fail "$file" "the review window uses Qt Sql instead of the store's queries"
    fi
    if $plain; then
        while IFS= read -r header; do
            check_qt_header "$file" "$header" "$layer"
        done < <(grep -E '^#include +<Q' "$file" | sed -E 's/^#include +<([^>]+)>.*/\1/' || true)
    fi
done < <(git ls-files 'src/*.h' 'src/*.cpp')

while IFS= read -r file; do
    tool=$(cut -d/ -f2 <<<"$file")
    while IFS= read -r target; do
        dir=${target%%/*}
        [ "$dir" != "$target" ] || continue
        [ -n "${allowed[$dir]+x}" ] || continue
        if [ "$tool" = quoran-sim ]; then
            fail "$file" "the simulator includes $target of the program"
        elif [ "$dir" = ui ] || [ "$dir" = app ] || is_window_part "$target" || is_window_part "${target%.h}.cpp"; then
            fail "$file" "a tool includes the window part $target"
        fi
    done < <(grep -E '^#include +"' "$file" | sed -E 's/^#include +"([^"]+)".*/\1/' || true)
done < <(git ls-files 'tools/*.h' 'tools/*.cpp')

if [ "$failures" -gt 0 ]; then
    echo "check-layers: $failures include(s) against the layers" >&2
    exit 1
fi
echo "check-layers: every include points down"
