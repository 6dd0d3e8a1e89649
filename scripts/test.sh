#!/usr/bin/env bash
# Builds everything and runs the whole test suite.
#   QEL_BUILD_DIR   build folder (default build/)
#   QEL_CMAKE_ARGS  extra CMake arguments, e.g. -DQEL_SANITIZE=address,undefined
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build=${QEL_BUILD_DIR:-build}
# A test executable that fails is run once more: a failure caused by a
# loaded machine does not fail the run, and its output still shows above.
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --repeat until-pass:2 "$@"
