#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
#   QEL_BUILD_DIR   build folder (default build/)
#   QEL_CMAKE_ARGS  extra CMake arguments, e.g. -DQEL_SANITIZE=address,undefined
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build=${QEL_BUILD_DIR:-build}
# Every test suite (every case of the suites with long cases) is a ctest
# entry in a process of its own, run once: a failure fails the run. Extra
# arguments go to ctest (e.g. -R test_comm).
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
