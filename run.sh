#!/usr/bin/env bash
# Builds Lex Manager (Release) and starts it: ./run.sh [NAME /F].
# Without a display the program says how to run it under xvfb-run.
# `./run.sh lextool ARGS...` runs the command-line companion instead.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
(
    cd "$here"
    source tools/setup.sh
    lex_install_packages
    lex_configure build-release -DCMAKE_BUILD_TYPE=Release -DLEX_TESTS=OFF -DLEX_BENCH=OFF
    cmake --build build-release -j "$(nproc)" --target LexManager lextool
) >&2

# File arguments stay relative to the caller's folder.
if [ "${1:-}" = lextool ]; then
    shift
    exec "$here/build-release/cli/lextool" "$@"
fi
exec "$here/build-release/app/LexManager" "$@"
