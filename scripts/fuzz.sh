#!/bin/sh
# Builds the libFuzzer targets with clang and runs each on a fresh copy of its seed corpus.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [build folder, default build/fuzz]
# A crash leaves its input in <build folder>/artifacts/ and makes the script fail.
set -eu
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SECONDS_EACH="${1:-60}"
BUILD="${2:-$ROOT/build/fuzz}"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DRVX_FUZZ=ON -DRVX_SANITIZE=OFF >/dev/null
cmake --build "$BUILD" -j "$(nproc)" --target fuzz_load fuzz_save fuzz_log

# The run starts from the committed seeds; its finds go to a scratch copy.
rm -rf "$BUILD/corpus"
mkdir -p "$BUILD/artifacts"
cp -r "$ROOT/tests/fuzz/seeds" "$BUILD/corpus"
# The log reader starts from the logs the tests read, as spreadsheets wrote them.
mkdir -p "$BUILD/corpus/log"
cp "$ROOT"/tests/data/logs/*.csv "$ROOT"/tests/data/logs/*.txt "$BUILD/corpus/log/"

# The targets write their scratch files under TMPDIR.
export TMPDIR="$BUILD/tmp"
rm -rf "$TMPDIR"
mkdir -p "$TMPDIR"

status=0
for target in load save log; do
    log="$BUILD/fuzz_$target.log"
    if "$BUILD/tests/fuzz/fuzz_$target" -max_total_time="$SECONDS_EACH" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/" \
        "$BUILD/corpus/$target" >"$log" 2>&1; then
        echo "fuzz_$target: $(grep -E '^#[0-9]+.*DONE' "$log" | tail -n 1)"
    else
        echo "fuzz_$target FAILED; the input is in $BUILD/artifacts/, the log in $log:"
        tail -n 40 "$log"
        status=1
    fi
done
rm -rf "$TMPDIR"
exit $status
