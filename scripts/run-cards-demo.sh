#!/usr/bin/env bash
# Builds the tree and drives the CAN, Interbus and Profibus DP drivers
# against the simulated card libraries with the communication probe. A
# settings store of its own points the card-library loader at the simulated
# CAN interface, Interbus board and DP master card; a set-up file puts two
# inverters behind each. The user's
# own settings store is not touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
build=${QEL_BUILD_DIR:-build}

cards_dir=$(mktemp -d)
trap 'rm -rf "$cards_dir"' EXIT
libs=$(cd "$build/sim/cards" && pwd)
"$build/tools/qel-install/qel-install" --registry "$cards_dir/registry.reg" --prefix "$cards_dir/prefix" \
  --lang "$build/data/lang" --configs "$build/data/configs" \
  --library nican.DLL="$libs/libsimcan.so" --library IBDDIWNT.DLL="$libs/libsimibs.so" \
  --library PAPI.DLL="$libs/libsimpbs.so" >/dev/null
printf '{"inverters": [{"address": 2, "config": "%s"}, {"address": 3, "config": "%s"}]}\n' \
  "$PWD/data/configs/type0021.json" "$PWD/data/configs/type0022.json" >"$cards_dir/cards.json"
card() {
  QEL_REGISTRY="$cards_dir/registry.reg" QEL_SIMCAN_SETUP="$cards_dir/cards.json" \
    QEL_SIMIBS_SETUP="$cards_dir/cards.json" QEL_SIMPBS_SETUP="$cards_dir/cards.json" \
    "$build/tools/commprobe/commprobe" "$@"
}
echo "CAN card, inverter 2: configuration number, node state, process data written and read back:"
card --prot can --addr 2 read -1 0x160F fbread 4 0 0 pdwrite 16 1 2 3 4 5 6 7 8 pdread 16
echo "CAN card, inverter 3: 500 reads through the request scheduler:"
card --prot can --addr 3 --cycle 500 read 0 0x0101 1
echo "Interbus board, inverter 3: configuration number, identification, bus information:"
card --prot ibs --addr 3 read -1 0x160F fbread 1 0 0 fbread 2 0 0
echo "Interbus board, inverter 2: 500 reads through the request scheduler:"
card --prot ibs --addr 2 --cycle 500 read 0 0x0101 1
echo "Profibus DP card, inverter 2 (1.5 Mbit/s, master 1): configuration number, process data:"
card --prot pbs --bitrate 1500000 --master 1 --addr 2 read -1 0x160F pdwrite 16 1 2 3 4 5 6 7 8 pdread 16
echo "Profibus DP card, inverter 3: 50 parameter-channel reads through the request scheduler:"
card --prot pbs --addr 3 --cycle 50 read -1 0x0101
