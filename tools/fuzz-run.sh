#!/usr/bin/env bash
# Runs every fuzz target of BUILD for SECONDS each on its seeds, one after another. Fails when any
# target reports a crash, leak, time-out or sanitizer report; its input is kept in
# BUILD/artifacts/<target>/.
# usage: tools/fuzz-run.sh BUILD SECONDS TARGET...
set -uo pipefail

build=$1
seconds=$2
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
# Undefined behaviour ends the run that meets it, so that the report counts as a failure.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$root/tools/ubsan.supp
export LSAN_OPTIONS=suppressions=$root/tools/lsan.supp
export QT_QPA_PLATFORM=offscreen

failed=()
for target in "$@"; do
    # Page images and recitation files are larger than the other inputs.
    case $target in
    fuzz_gif | fuzz_mp3 | fuzz_archive) max_len=65536 ;;
    fuzz_ze3decode) max_len=16384 ;;
    *) max_len=4096 ;;
    esac
    corpus=$build/corpus/$target
    artifacts=$build/artifacts/$target
    mkdir -p "$corpus" "$artifacts"
    log=$build/fuzz-logs/$target.log
    mkdir -p "$(dirname "$log")"
    echo "[fuzz] $target for $seconds s"
    "$build/fuzz/$target" "$corpus" "$build/seeds/$target" -max_total_time="$seconds" \
        -max_len=$max_len -timeout=60 -print_final_stats=1 -artifact_prefix="$artifacts/" \
        >"$log" 2>&1
    status=$?
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n 1)
    echo "[fuzz] $target: ${execs:-?} executions, exit status $status"
    if [ $status -ne 0 ]; then
        failed+=("$target")
        grep -m 1 -E 'ERROR|SUMMARY|runtime error|deadly signal' "$log" || true
        echo "[fuzz] log: $log; input: $(ls -t "$artifacts" | head -n 1)"
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "[fuzz] failed: ${failed[*]}"
    exit 1
fi
echo "[fuzz] every target ran clean"
