#!/usr/bin/env bash
# Builds everything and runs every test: the unit tests, the same tests under
# ASan+UBSan, and each fuzz target for a short while. Non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh

FUZZ_SECONDS=${FUZZ_SECONDS:-20}
JOBS=$(nproc)

lex_install_packages

echo "== Build and test (RelWithDebInfo)"
lex_configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
ctest --test-dir build --output-on-failure -j "$JOBS"

echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
lex_configure build-asan -DCMAKE_BUILD_TYPE=Debug -DLEX_SANITIZE=ON -DLEX_BENCH=OFF
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS"

echo "== Fuzz targets, ${FUZZ_SECONDS}s each"
lex_configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEX_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++
cmake --build build-fuzz -j "$JOBS"
for target in build-fuzz/fuzz/fuzz_*; do
    name=$(basename "$target")
    corpus=$(mktemp -d)
    [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
    log=$(mktemp)
    echo "-- $name"
    if ! "$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 \
        "$corpus" >"$log" 2>&1; then
        cat "$log"
        echo "FAILED: $name" >&2
        exit 1
    fi
    grep -E '^#[0-9]+ *DONE' "$log" || tail -n 1 "$log"
    rm -rf "$corpus" "$log"
done

echo "== All tests passed"
