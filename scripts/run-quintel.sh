#!/usr/bin/env bash
# Builds the tree and runs Quintel against the bundled inverter simulator.
#
# Everything goes into a folder of its own ($QEL_BUILD_DIR/quintel-demo):
# the settings store, the program folder of the install step, the lock
# folder and the simulator's link and request log. The simulator plays one
# inverter of type 21 at address 1 on a pseudo-terminal (DIN 66019 II,
# 9600 bit/s, answering only at that rate) and COM1 is mapped to it, so
# Quintel finds it with the installed settings. Quitting Quintel stops the
# simulator. Without a display it runs under Xvfb with the openbox window
# manager.
#
#   --check   CI: no user; waits until the simulator has served the Quintel
#             table (reads of 0x0E00.. and of its targets), keeps a screenshot and ends Quintel.
set -euo pipefail
cd "$(dirname "$0")/.."
check=0
[ "${1:-}" = "--check" ] && check=1

if [ -z "${DISPLAY:-}" ] && [ -z "${QEL_DEMO_IN_XVFB:-}" ]; then
  bash scripts/install-deps.sh
  . scripts/screenshot.sh
  export QEL_DEMO_IN_XVFB=1 QEL_DEMO_FBDIR=$PWD/${QEL_BUILD_DIR:-build}/xvfb-screen
  mkdir -p "$QEL_DEMO_FBDIR"
  exec xvfb-run -a -s "$(xvfb_server_args "$QEL_DEMO_FBDIR")" bash "$0" "$@"
fi
. scripts/screenshot.sh
# The X server may still be starting (a program started too early aborts
# without a display).
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
xdotool getdisplaygeometry >/dev/null 2>&1 || { echo "the X server on $DISPLAY does not answer" >&2; exit 1; }
if [ -n "${QEL_DEMO_IN_XVFB:-}" ]; then
  . scripts/window-manager.sh
  start_window_manager
fi

build=${QEL_BUILD_DIR:-build}
if [ "$check" = 0 ] || [ ! -x "$build/apps/quintel/quintel" ]; then
  bash scripts/build.sh
fi

demo=$PWD/$build/quintel-demo
rm -rf "$demo"
mkdir -p "$demo/run"
chmod 700 "$demo/run"
export QEL_REGISTRY=$demo/registry.reg XDG_RUNTIME_DIR=$demo/run
link=$demo/ttyQUINTEL
log=$demo/invsim.log
out=$demo/invsim.out

"$build/sim/invsim" --din --addr 1 --config data/configs/type0021.json --baud 9600 --rate-only \
  --log "$log" --link "$link" >"$out" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$out" ] && break; sleep 0.1; done
[ -s "$out" ] || { echo "the simulator did not start" >&2; exit 1; }
echo "Simulator: one inverter of type 21 at address 1 on $link (COM1), 9600 bit/s"

"$build/tools/qel-install/qel-install" --prefix "$demo/prefix" --registry "$QEL_REGISTRY" \
  --lang "$build/data/lang" --configs "$build/data/configs" --help-pages "$build/data/help" \
  --resources "$build/data/icons" --port "COM1=$link" >/dev/null

if [ "$check" = 0 ]; then
  "$build/apps/quintel/quintel"
  exit $?
fi

# ---- CI check
"$build/apps/quintel/quintel" >"$demo/quintel.out" 2>&1 &
app=$!
trap 'kill $sim 2>/dev/null || true; kill $app 2>/dev/null || true' EXIT
fail() { echo "quintel check: $*" >&2; cat "$demo/quintel.out" >&2 || true; exit 1; }
# After the definitions (0x0E00..) the table's targets are polled, the
# control word 0x0301 among them.
for _ in $(seq 300); do
  grep -q 'addr=1 .*par=0x0301' "$log" 2>/dev/null && break
  kill -0 $app 2>/dev/null || fail "quintel ended early"
  sleep 0.2
done
grep -q 'addr=1 .*par=0x0E4' "$log" || fail "the Quintel definitions were not read"
grep -q 'addr=1 .*par=0x0301' "$log" || fail "the Quintel table was not polled"
echo "Simulator log: the Quintel table of inverter 1 was read and polled"
sleep 1
take_screenshot "$demo/screen.xwd"
echo "Screenshot: $demo/screen.xwd"
kill $app
wait $app 2>/dev/null || true
echo "Quintel ended"
