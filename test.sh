#!/usr/bin/env bash
# Builds everything and runs every test: the unit tests, the same tests under
# ASan+UBSan, and each fuzz target for a short while. Non-zero on any failure.
# The database tests run against SQLite and, in both builds, against a
# throw-away PostgreSQL server in build/pgsql, stopped on every way out.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh

FUZZ_SECONDS=${FUZZ_SECONDS:-20}
JOBS=$(nproc)

# Form files that nobody here wrote, for the real-file checks: those of two
# Debian source packages (and the binary forms inside Lazarus resource files),
# unpacked once into the build folder and kept there.
REAL_FORMS_PACKAGES=(lazarus-src-2.2 castle-game-engine-src)
REAL_FORMS_DIR=$PWD/build/real-forms

fetch_real_forms() {
    local stamp=$REAL_FORMS_DIR/.packages debs deb
    [ "$(cat "$stamp" 2>/dev/null)" = "${REAL_FORMS_PACKAGES[*]}" ] && return 0
    echo "Fetching form files of ${REAL_FORMS_PACKAGES[*]}"
    rm -rf "$REAL_FORMS_DIR"
    mkdir -p "$REAL_FORMS_DIR"
    debs=$(mktemp -d)
    chmod a+rwx "$debs" # apt's download user writes there
    # Fetching the package lists first only when they lack the packages.
    (cd "$debs" && apt-get download -qq "${REAL_FORMS_PACKAGES[@]}" 2>/dev/null) ||
        { lex_apt_get && (cd "$debs" && apt-get download -qq "${REAL_FORMS_PACKAGES[@]}"); } ||
        return 1
    for deb in "$debs"/*.deb; do
        dpkg-deb --fsys-tarfile "$deb" |
            tar -x -C "$REAL_FORMS_DIR" --wildcards '*.[lLdD][fF][mM]' '*.lrs' || return 1
    done
    rm -rf "$debs"
    echo "${REAL_FORMS_PACKAGES[*]}" >"$stamp"
}

# A file set that cannot be fetched (offline): its checks are skipped, saying
# so, except in CI, where they must run.
real_files_missing() {
    if [ "${CI:-}" = true ]; then
        echo "FAILED: cannot fetch $1" >&2
        return 1
    fi
    echo "Skipping the checks on $1: they cannot be fetched (offline?)"
}

# The files nobody here wrote, after the unit tests, which need no network.
# Once fetched, their checks fail rather than skip when the files are missing.
fetch_real_files() {
    if fetch_real_forms; then
        export LEX_REAL_FORMS_REQUIRED=1
    else
        real_files_missing "the form files of ${REAL_FORMS_PACKAGES[*]}"
    fi
    # The Simplified Chinese manual pages the OpenCC agreement check reads.
    if [ -z "$(lex_missing_packages manpages-zh)" ] || lex_apt_install manpages-zh; then
        export LEX_CHINESE_CORPUS_REQUIRED=1
    else
        real_files_missing "the Chinese manual pages (manpages-zh)"
    fi
}

lex_install_packages
trap lex_pg_stop EXIT
trap 'exit 130' INT TERM

echo "== Build and test (RelWithDebInfo)"
lex_configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLEX_BENCH=OFF \
    -DLEX_REAL_FORMS_DIR="$REAL_FORMS_DIR"
cmake --build build -j "$JOBS"
lex_pg_start build/pgsql
ctest --test-dir build --output-on-failure -j "$JOBS" --label-exclude realfiles

echo "== Checks on real files"
fetch_real_files
ctest --test-dir build --output-on-failure -j "$JOBS" --label-regex realfiles

echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
lex_configure build-asan -DCMAKE_BUILD_TYPE=Debug -DLEX_SANITIZE=ON -DLEX_BENCH=OFF \
    -DLEX_REAL_FORMS_DIR="$REAL_FORMS_DIR"
cmake --build build-asan -j "$JOBS"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j "$JOBS"
lex_pg_stop

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
