#!/usr/bin/env bash
# Builds the tree, runs the install step and talks to the bundled inverter
# simulator.
#
# The main program Halvorn is not written yet. Until it is, this starts the
# simulator with two inverters of a sample type on a pseudo-terminal (DIN
# 66019 II at 38400 baud) and drives it with the communication probe through
# the real protocol selector, driver and serial port: it identifies both
# inverters, writes and reads back a parameter, and runs a short cycle
# through the request scheduler.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build=${QEL_BUILD_DIR:-build}

# The per-user settings, folders, language and configuration files; values a
# user already set are kept.
"$build/tools/qel-install/qel-install" --lang "$build/data/lang" --configs "$build/data/configs"

out=$(mktemp)
"$build/sim/invsim" --din --addr 1,2 --config data/configs/type0021.json --baud 38400 >"$out" &
sim=$!
trap 'kill $sim 2>/dev/null; rm -f "$out"' EXIT
for _ in $(seq 50); do [ -s "$out" ] && break; sleep 0.1; done
pty=$(head -n 1 "$out")
echo "Simulator: two inverters (addresses 1 and 2) on $pty"

probe() { "$build/tools/commprobe/commprobe" --device "$pty" --baud 38400 "$@"; }
for a in 1 2; do
  echo "Inverter $a, configuration number (service -1, parameter 0x160F):"
  probe --addr "$a" read -1 0x160F
done
echo "Inverter 1: write 1234 to parameter 0x0101 in set 0, then read it back:"
probe --addr 1 write 0 0x0101 1234 1 read 0 0x0101 1
echo "Inverter 1: 500 reads through the request scheduler:"
probe --addr 1 --cycle 500 read 0 0x0101 1
echo
echo "The main program Halvorn is not written yet; 'commprobe --help' and 'invsim --help' (in $build) show what else can be tried."
