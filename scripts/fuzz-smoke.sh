#!/bin/sh
# Runs every fuzz target of a native build for a short time over a scratch
# copy of its checked-in seed corpus.
#   fuzz-smoke.sh BUILD_NATIVE_DIR SECONDS
# Prints each target's run count and result; exits non-zero when a target
# is missing or finds a crash (the reproducer lands in BUILD/fuzz-artifacts).
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 BUILD_NATIVE_DIR SECONDS" >&2
    exit 2
fi
build=$(cd "$1" && pwd) || exit 2
seconds=$2
corpus_root=$(cd "$(dirname "$0")/../fuzz/corpus" && pwd) || exit 2
artifacts=$build/fuzz-artifacts
scratch=$(mktemp -d) || exit 2
trap 'rm -rf "$scratch"' EXIT INT TERM
mkdir -p "$artifacts"

status=0
for target in fuzz_regdefine fuzz_reglib fuzz_blob; do
    binary=$build/fuzz/$target
    if [ ! -x "$binary" ]; then
        echo "$target: MISSING ($binary)"
        status=1
        continue
    fi
    mkdir -p "$scratch/$target"
    if [ -d "$corpus_root/$target" ]; then
        cp "$corpus_root/$target"/* "$scratch/$target/" 2>/dev/null
    fi
    log=$scratch/$target.log
    "$binary" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "$scratch/$target" >"$log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)
    if [ $rc -eq 0 ]; then
        echo "$target: ${runs:-?} runs, OK"
    else
        echo "$target: ${runs:-?} runs, FAILED (exit $rc)"
        tail -n 40 "$log"
        status=1
    fi
done
exit $status
