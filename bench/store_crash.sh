#!/usr/bin/env bash
# Crash points across a save with the results store: quoran-read --save
# against the simulator, killed by strace at the N-th fsync (then at the N-th
# fdatasync, which SQLite uses), N = 1..10, in three situations:
#   store      the store works
#   blocked    a folder in the store's place: the record goes to the pending list
#   catch-up   records pending, the store works again: the save writes them
# After every run: each record whose save returned (status 0) is in the data
# file and in the store or its pending list, the store passes SQLite's
# integrity check, and the data file has no cut-off line.
#   bench/store_crash.sh build [folder]
# Needs strace and sqlite3. Prints "name: value unit" lines; exit 1 on a loss.
set -euo pipefail
build=$(realpath "$1")
folder=$(realpath "${2:-$PWD}")
read_exe=$build/tools/quoran-read/quoran-read
sim_exe=$build/tools/quoran-sim/quoran-sim

work=$(mktemp -d "$folder/store-crash-XXXXXX")
sim=
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$work"' EXIT
"$sim_exe" --link "$work/pty" > /dev/null 2>&1 &
sim=$!
for _ in $(seq 200); do [ -e "$work/pty" ] && break; sleep 0.1; done
if [ ! -e "$work/pty" ]; then
    echo "store_crash: the simulator did not start" >&2
    exit 2
fi

runs=0
killed=0
killed_after_line=0
returned=0
losses=0

save() { # dir number [strace injection]
    local dir=$1 number=$2 inject=${3:-}
    local command=(env LC_ALL=de_DE.UTF-8 "$read_exe" --settings "$dir/quoran.ini" --save --typ A1 --nummer "$number" --visum MK)
    if [ -n "$inject" ]; then
        # strace dies of the tracee's signal; the subshell keeps the shell's note of it quiet.
        (
            strace -f -qq -o /dev/null -e inject="$inject" "${command[@]}" > /dev/null 2>&1
            exit $?
        ) 2> /dev/null
    else
        "${command[@]}" > /dev/null 2>&1
    fi
}

check() { # dir: every returned record kept, nothing damaged
    local dir=$1 number
    if [ -e "$dir/quoran.sqlite" ] && [ -f "$dir/quoran.sqlite" ] &&
        [ "$(sqlite3 "$dir/quoran.sqlite" 'PRAGMA integrity_check')" != ok ]; then
        echo "store damaged in $dir" >&2
        losses=$((losses + 1))
    fi
    if [ -s "$dir/Rotorlage.txt" ] && [ "$(tail -c 2 "$dir/Rotorlage.txt" | od -An -c | tr -d ' ')" != '\r\n' ]; then
        echo "data file ends in a cut-off line in $dir" >&2
        losses=$((losses + 1))
    fi
    while read -r number; do
        [ -n "$number" ] || continue
        local stored=0
        if [ -f "$dir/quoran.sqlite" ]; then
            # A store killed before its schema was made has no table yet.
            stored=$(sqlite3 "$dir/quoran.sqlite" "SELECT count(*) FROM measurements WHERE number = '$number'" \
                2> /dev/null || echo 0)
        fi
        if ! grep -q ";$number;" "$dir/Rotorlage.txt"; then
            echo "record $number not in the data file" >&2
            losses=$((losses + 1))
        elif [ "$stored" = 0 ] && ! grep -qs "\"A1\",\"$number\"" "$dir/quoran.sqlite.pending"; then
            echo "record $number neither in the store nor pending" >&2
            losses=$((losses + 1))
        fi
    done < "$dir/returned"
}

# A save without a crash first: the runs below mean nothing if it fails.
mkdir "$work/baseline"
printf '[Export]\r\nDataFile=%s/Rotorlage.txt\r\n[Schnittstellen]\r\nCom1=%s/pty\r\n' "$work/baseline" "$work" \
    > "$work/baseline/quoran.ini"
if ! save "$work/baseline" 1; then
    echo "store_crash: a save without a crash fails" >&2
    exit 2
fi

for situation in store blocked catch-up; do
    for call in fsync fdatasync; do
        dir=$work/$situation-$call
        mkdir "$dir"
        printf '[Export]\r\nDataFile=%s/Rotorlage.txt\r\n[Schnittstellen]\r\nCom1=%s/pty\r\n' "$dir" "$work" \
            > "$dir/quoran.ini"
        : > "$dir/returned"
        if [ "$situation" = blocked ]; then mkdir "$dir/quoran.sqlite"; fi
        for n in $(seq 1 10); do
            if [ "$situation" = catch-up ]; then
                # Two records kept back by a folder in the store's place (the
                # store moved aside, its journal files left as they are),
                # then the store works again.
                if [ -f "$dir/quoran.sqlite" ]; then mv "$dir/quoran.sqlite" "$dir/quoran.sqlite.kept"; fi
                mkdir "$dir/quoran.sqlite"
                for k in a b; do
                    save "$dir" "p$n$k" && echo "p$n$k" >> "$dir/returned"
                done
                rmdir "$dir/quoran.sqlite"
                if [ -f "$dir/quoran.sqlite.kept" ]; then mv "$dir/quoran.sqlite.kept" "$dir/quoran.sqlite"; fi
            fi
            runs=$((runs + 1))
            status=0
            save "$dir" "$call$n" "$call:signal=KILL:when=$n" || status=$?
            if [ "$status" = 0 ]; then
                returned=$((returned + 1))
                echo "$call$n" >> "$dir/returned"
            else
                killed=$((killed + 1))
                # Killed after its data-file line: the store has not got it, which a later import mends.
                if grep -q ";$call$n;" "$dir/Rotorlage.txt" 2> /dev/null; then
                    killed_after_line=$((killed_after_line + 1))
                fi
            fi
            check "$dir"
        done
        # A last clean save catches up whatever is pending.
        if [ "$situation" != blocked ]; then
            save "$dir" "$call-last" && echo "$call-last" >> "$dir/returned"
            check "$dir"
        fi
    done
done

echo "crash_runs: $runs count"
echo "crash_killed: $killed count"
echo "crash_killed_after_data_line: $killed_after_line count"
echo "crash_returned: $returned count"
echo "crash_losses: $losses count"
[ "$losses" = 0 ]
