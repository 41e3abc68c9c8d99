#!/bin/sh
# Builds the fuzz targets with clang and libFuzzer (one build) and runs each for a bounded time,
# from its seeds and the corpus kept by earlier runs on this machine. A find fails the run: put
# the crash file into fuzz/regressions/ as TARGET-NAME, and every build replays it as a test.
#   scripts/fuzz.sh [SECONDS]    seconds per target, default 60; KERMA_FUZZ_JOBS targets at once
set -e
cd "$(dirname "$0")/.."
KERMA_EXTRA_PACKAGES="clang libclang-rt-14-dev" ./scripts/deps.sh
SECONDS_EACH="${1:-60}"
JOBS="${KERMA_FUZZ_JOBS:-$(nproc)}"
BUILD=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKERMA_FUZZ=ON \
    -DKERMA_GUI=OFF -DKERMA_BENCH=OFF -DKERMA_SANITIZE=address,undefined \
    -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target fuzz_targets
mkdir -p "$BUILD/finds" "$BUILD/logs"

# The longest input worth trying: a whole image, a whole configuration file.
max_len() {
    case "$1" in
        image_fuzz) echo 3100 ;;
        config_file_fuzz) echo 12000 ;;
        *) echo 4096 ;;
    esac
}

run() {
    target="$1"
    mkdir -p "$BUILD/corpus/$target"
    "$BUILD/bin/$target" "$BUILD/corpus/$target" "fuzz/seeds/$target" \
        -max_total_time="$SECONDS_EACH" -max_len="$(max_len "$target")" -timeout=20 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$BUILD/finds/$target-" \
        >"$BUILD/logs/$target.log" 2>&1
}

report() {
    target="$1"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$BUILD/logs/$target.log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$BUILD/logs/$target.log")
    echo "$target: ${runs:-?} входов, ${rate:-?} в секунду"
}

failed=""
running=0
for path in "$BUILD"/bin/*_fuzz; do
    target=$(basename "$path")
    rm -f "$BUILD/logs/$target.failed"
    ( run "$target" || echo "$target" >"$BUILD/logs/$target.failed" ) &
    running=$((running + 1))
    if [ "$running" -ge "$JOBS" ]; then
        wait
        running=0
    fi
done
wait
for path in "$BUILD"/bin/*_fuzz; do
    target=$(basename "$path")
    report "$target"
    if [ -e "$BUILD/logs/$target.failed" ]; then
        failed="$failed $target"
        tail -n 40 "$BUILD/logs/$target.log"
    fi
done
if [ -n "$failed" ]; then
    echo "Фаззинг нашел ошибки:$failed (входы в $BUILD/finds/)"
    exit 1
fi
