#!/usr/bin/env bash
# Builds Lex Manager (Release) and runs it. Until the main window lands, that
# is lextool: with arguments they go to lextool, without any it prints its help.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
(
    cd "$here"
    source tools/setup.sh
    lex_install_packages
    lex_configure build-release -DCMAKE_BUILD_TYPE=Release -DLEX_TESTS=OFF -DLEX_BENCH=OFF
    cmake --build build-release -j "$(nproc)" --target lextool
) >&2

# File arguments stay relative to the caller's folder.
if [ $# -eq 0 ]; then
    exec "$here/build-release/cli/lextool" --help
fi
exec "$here/build-release/cli/lextool" "$@"
