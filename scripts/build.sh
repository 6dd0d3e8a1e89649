#!/usr/bin/env bash
# Configures and builds the whole tree into $QEL_BUILD_DIR (default build/).
# Extra CMake arguments come from $QEL_CMAKE_ARGS; arguments given to the
# script go to the build step (e.g. --target test_comm).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${QEL_BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache ${QEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j "$(nproc)" "$@"
