#!/usr/bin/env bash
# Builds the tree and runs the main program against the bundled inverter
# simulator. The main program does not exist yet: for now this builds
# everything and says what can be run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
echo
echo "Built. The main program Halvorn is not written yet; run the tests with: bash scripts/test.sh"
