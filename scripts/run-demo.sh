#!/usr/bin/env bash
# Builds the tree and runs Halvorn against the bundled inverter simulator.
#
# Everything goes into a folder of its own ($QEL_BUILD_DIR/demo): the
# settings store, the program folder of the install step, the lock folder
# and the simulator's link and request log. The simulator plays two
# inverters of type 21 at addresses 1 and 2 on a pseudo-terminal (DIN 66019
# II, answering only at 9600 bit/s), COM1 is mapped to it, and Halvorn opens
# the demo project that names both. A third inverter of type 21 is a
# Profibus DP slave at address 3 behind the simulated DP master card
# (libsimpbs.so); the fieldbus window (View, "Feldbus") is enabled and
# reaches it through "Umrichter". Quitting Halvorn stops the simulator.
# Without a display it runs under Xvfb with the openbox window manager.
#
#   --check   CI: no user; waits for the bar, keeps a screenshot, checks the
#             simulator's log for configuration-number reads of both
#             inverters, checks that the explorer's frame stands where the
#             project's window record says, makes a download-list upload (new list, complete
#             list, upload) and checks that the "Transfer finished." box
#             lies under no other window and is painted on the screen,
#             checks that the bar has no strip below its tool bar and that
#             a maximised explorer and a file dialog lie below it, quits
#             through the File menu from the keyboard and expects exit
#             status 0. Before quitting, opens the value editor with F3 in
#             the explorer and types a value with Enter into whatever window
#             has the keyboard; the simulator's log must show its write.
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
if [ "$check" = 0 ] || [ ! -x "$build/apps/halvorn/halvorn" ]; then
  bash scripts/build.sh
fi

demo=$PWD/$build/demo
rm -rf "$demo"
mkdir -p "$demo/run"
chmod 700 "$demo/run"
export QEL_REGISTRY=$demo/registry.reg XDG_RUNTIME_DIR=$demo/run
link=$demo/ttyDEMO
log=$demo/invsim.log

out=$demo/invsim.out
"$build/sim/invsim" --din --addr 1,2 --config data/configs/type0021.json --baud 9600 --rate-only \
  --log "$log" --link "$link" >"$out" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$out" ] && break; sleep 0.1; done
[ -s "$out" ] || { echo "the simulator did not start" >&2; exit 1; }
echo "Simulator: two inverters of type 21 (addresses 1 and 2) on $link, 9600 bit/s"

"$build/tools/qel-install/qel-install" --prefix "$demo/prefix" --registry "$QEL_REGISTRY" \
  --lang "$build/data/lang" --configs "$build/data/configs" --help-pages "$build/data/help" \
  --resources "$build/data/icons" --port "COM1=$link" \
  --library "PAPI.DLL=$PWD/$build/sim/cards/libsimpbs.so" >/dev/null
# The fieldbus window is a commissioning aid the install leaves off.
sed -i 's/"EnableFbsWindow"=dword:00000000/"EnableFbsWindow"=dword:00000001/I' "$QEL_REGISTRY"
cat >"$demo/dpcard.json" <<JSON
{"inverters": [{"address": 3, "config": "$PWD/data/configs/type0021.json"}]}
JSON
export QEL_SIMPBS_SETUP=$demo/dpcard.json
mkdir -p "$demo/prefix/data"
cp data/demo/demo.pr5 "$demo/prefix/data/demo.pr5"
cp data/demo/demo.wr5 "$demo/prefix/data/demo.wr5"

if [ "$check" = 0 ]; then
  "$build/apps/halvorn/halvorn" "$demo/prefix/data/demo.pr5"
  exit $?
fi

# ---- CI check
"$build/apps/halvorn/halvorn" "$demo/prefix/data/demo.pr5" >"$demo/halvorn.out" 2>&1 &
app=$!
trap 'kill $sim 2>/dev/null || true; kill $app 2>/dev/null || true' EXIT
fail() { echo "demo check: $*" >&2; cat "$demo/halvorn.out" >&2 || true; exit 1; }

win=""
for _ in $(seq 300); do
  win=$(xdotool search --onlyvisible --name '^Halvorn - demo' 2>/dev/null | head -n 1 || true)
  [ -n "$win" ] && break
  kill -0 $app 2>/dev/null || fail "halvorn ended early"
  sleep 0.2
done
[ -n "$win" ] || fail "the bar did not appear"
caption=$(xdotool getwindowname "$win")
[ "$caption" = "Halvorn - demo.pr5" ] || fail "caption \"$caption\""
echo "Bar: $caption"

for _ in $(seq 300); do
  grep -q 'addr=1 .*par=0x160F$' "$log" 2>/dev/null && grep -q 'addr=2 .*par=0x160F$' "$log" && break
  sleep 0.2
done
grep -q 'addr=1 .*par=0x160F$' "$log" || fail "no configuration-number read of inverter 1"
grep -q 'addr=2 .*par=0x160F$' "$log" || fail "no configuration-number read of inverter 2"
echo "Simulator log: configuration-number reads of both inverters"

sleep 0.5  # let the bar paint before the picture is taken
take_screenshot "$demo/screen.xwd"
echo "Screenshot: $demo/screen.xwd"

# Everything below is done from the keyboard as a user can (a window manager
# decides where the windows are, so no pointer positions are guessed), and
# waits for the windows it expects by their names.

# The id of a visible window, new since the ids given after the first three
# arguments, whose name matches $1 (a regular expression), of the window
# type $3 (DIALOG, NORMAL, ...; empty: any); waits up to $2 seconds for it.
new_window() {
  local name=$1 seconds=$2 type=$3 id
  shift 3
  local end=$((SECONDS + seconds))
  while [ $SECONDS -le $end ]; do
    for id in $(xdotool search --onlyvisible --name "$name" 2>/dev/null); do
      case " $* " in *" $id "*) continue ;; esac
      [ -z "$type" ] || xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "= _NET_WM_WINDOW_TYPE_$type\b" || continue
      echo "$id"
      return 0
    done
    kill -0 $app 2>/dev/null || { echo "halvorn ended" >&2; return 1; }
    sleep 0.1
  done
  return 1
}
# Waits up to $2 seconds until window $1 is no longer shown.
window_gone() {
  local end=$((SECONDS + $2))
  while [ $SECONDS -le $end ]; do
    xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable' || return 0
    sleep 0.1
  done
  return 1
}
# Presses keys in window $1 (xdotool key names).
answer() {
  local id=$1
  shift
  xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
  xdotool key --clearmodifiers "$@"
}
# Opens the bar's File menu and presses keys in the menus from there.
bar_menu() {
  answer "$win" alt+f
  sleep 0.5
  for key in "$@"; do xdotool key "$key"; sleep 0.2; done
}
# "x y width height" of window $1's inside on the screen.
window_rect() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /^ *Width/ {w = $NF} /^ *Height/ {h = $NF} END {print x, y, w, h}'
}

# ---- A restored window stands where its record says: the project's
# explorer record (LEFT, TOP) is its frame's corner, as it is saved.
read -r rec_left rec_top <<<"$(awk -F= '/^\[WINDOW0\]/ {w = 1} w && /^LEFT=/ {l = $2} w && /^TOP=/ {print l, $2; exit}' \
  "$demo/prefix/data/demo.pr5" | tr -d '\r')"
expl=$(new_window '^Project explorer' 30 "") || fail "no project explorer"
read -r el _ et _ <<<"$(xprop -id "$expl" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')"
read -r ex ey _ _ <<<"$(window_rect "$expl")"
[ $((ex - el)) -eq "$rec_left" ] && [ $((ey - et)) -eq "$rec_top" ] ||
  fail "the explorer's frame stands at $((ex - el)),$((ey - et)), its record says $rec_left,$rec_top"
echo "Explorer: frame at $rec_left,$rec_top as its record says"

# A download-list upload. File, Download list (the second entry) opens a new
# list for the explorer's inverter, named "<list> - <inverter>"; the bar's
# fourth menu is then that list's (Download, Upload, Complete list, ...).
shown=$(xdotool search --onlyvisible --name . 2>/dev/null || true)
bar_menu Down Return
list=$(new_window . 60 NORMAL $shown) || fail "no download-list window after File, Download list"
short=$(xdotool getwindowname "$list")
short=${short%% - *}
echo "Download list: $short"
# Complete list; the build question's first button, the default, is
# "Sets combined".
bar_menu Right Right Right Down Down Return
ask=$(new_window "^$short\$" 60 DIALOG) || fail "no build question after Complete list"
answer "$ask" Return
window_gone "$ask" 60 || fail "the build question stays open"
# Upload, answered Yes (the default); a progress window shows the transfer
# and a message box ends it.
bar_menu Right Right Right Down Return
ask=$(new_window "^$short\$" 60 DIALOG) || fail "no question after Upload"
answer "$ask" Return
box=$(new_window "^$short\$" 150 DIALOG "$ask") || fail "no message at the end of the upload"
rect=$(window_rect "$box")
echo "Message box at the transfer's end: $rect (x y width height)"
# No window lies over the box (the window manager's stacking order runs from
# the bottom to the top)...
read -r bx by bw bh <<<"$rect"
for id in $(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*#//; s/,/ /g' |
            awk -v box="$(printf '0x%x' "$box")" '{for (i = 1; i <= NF; i++) if (seen) print $i; else seen = ($i == box)}'); do
  xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable' || continue
  read -r x y w h <<<"$(window_rect "$id")"
  if [ $x -lt $((bx + bw)) ] && [ $bx -lt $((x + w)) ] && [ $y -lt $((by + bh)) ] && [ $by -lt $((y + h)) ]; then
    fail "the message box lies under \"$(xdotool getwindowname "$id")\""
  fi
done
# ... and the screen shows it painted (a box shown but never drawn stays
# black). Drawing may take a moment after the box appears.
end=$((SECONDS + 20))
take_screenshot "$demo/finished.xwd" >/dev/null
until region_painted "$demo/finished.xwd" $rect >/dev/null || [ $SECONDS -gt $end ]; do
  sleep 0.2
  take_screenshot "$demo/finished.xwd" >/dev/null
done
painted=$(region_painted "$demo/finished.xwd" $rect) || fail "the message box is not painted ($painted)"
echo "Screenshot: $demo/finished.xwd, the message box painted ($painted)"
answer "$box" Return
window_gone "$box" 30 || fail "the message box stays open after OK"

# ---- An editor opened from the keyboard takes the keyboard.
# In the explorer, "d" shows the group Drive; two tabs lead to its parameter
# list, whose fourth row is the rated speed (dr04, in 1/min). F3 opens the
# value editor on it. The editor is not activated from here: the value and
# Enter go to whichever window has the keyboard, so the simulator receives
# the write only when the program gave the editor the keyboard itself.
expl=$(xdotool search --onlyvisible --name '^Project explorer' 2>/dev/null | head -n 1 || true)
[ -n "$expl" ] || fail "no project explorer"
shown=$(xdotool search --onlyvisible --name . 2>/dev/null || true)
answer "$expl" d
sleep 0.5
xdotool key Tab Tab
sleep 0.2
xdotool key Home Down Down Down
sleep 0.2
xdotool key F3
editor=$(new_window . 30 "" $shown) || fail "no value editor after F3 in the explorer"
echo "Value editor: $(xdotool getwindowname "$editor")"
end=$((SECONDS + 10))
until [ "$(xdotool getactivewindow 2>/dev/null)" = "$editor" ] || [ $SECONDS -gt $end ]; do sleep 0.1; done
xdotool type --delay 50 1500
xdotool key Return
for _ in $(seq 150); do grep -q 'addr=1 .*write par=0x0104 value=1500$' "$log" && break; sleep 0.2; done
grep -q 'addr=1 .*write par=0x0104 value=1500$' "$log" ||
  fail "no write of 1500 to dr04 after typing into the value editor (the keyboard is with \"$(xdotool getwindowname "$(xdotool getactivewindow)" 2>/dev/null)\")"
echo "Simulator log: $(grep 'write par=0x0104 value=1500$' "$log" | tail -n 1)"

# ---- The bar and the windows below it. The bar is caption, menu and tool
# bar: no resize handle below the tool bar, the frame's bottom edge is as
# thin as its sides. It reserves its strip, so that a maximised window's
# frame, title bar included, starts at or below its bottom edge and fills
# the rest of the screen, and a file dialog opens below it.
# "left right top bottom" of window $1's frame around its inside.
frame_extents() { xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g'; }
# "top bottom" of window $1's frame (rows, the bottom one excluded).
frame_rows() {
  local l r t b x y w h
  read -r l r t b <<<"$(frame_extents "$1")"
  read -r x y w h <<<"$(window_rect "$1")"
  echo $((y - t)) $((y + h + b))
}
read -r bl br bt bb <<<"$(frame_extents "$win")"
[ "$bb" -le "$bl" ] || fail "a strip of $bb pixels below the bar's tool bar (its sides $bl)"
read -r _ bar_bottom <<<"$(frame_rows "$win")"
echo "Bar: frame down to row $bar_bottom, bottom edge $bb pixels as its sides"
screen_h=$(xdotool getdisplaygeometry | awk '{print $2}')
explorer=$(xdotool search --onlyvisible --name '^Project explorer' 2>/dev/null | head -n 1)
[ -n "$explorer" ] || fail "no project explorer"
wmctrl -i -r "$explorer" -b add,maximized_vert,maximized_horz
end=$((SECONDS + 20))
while :; do
  read -r top bottom <<<"$(frame_rows "$explorer")"
  [ "$top" -ge "$bar_bottom" ] && [ "$bottom" -ge "$screen_h" ] && break
  [ $SECONDS -le $end ] || fail "the maximised explorer's frame spans rows $top to $bottom, the bar ends at $bar_bottom"
  sleep 0.2
done
echo "Maximised explorer: frame from row $top (the bar ends at $bar_bottom) to $bottom"
shown=$(xdotool search --onlyvisible --name . 2>/dev/null || true)
answer "$win" ctrl+o
open=$(new_window '^Open$' 30 DIALOG $shown) || fail "no file dialog after Ctrl+O in the bar"
read -r top bottom <<<"$(frame_rows "$open")"
[ "$top" -ge "$bar_bottom" ] || fail "the file dialog's frame starts at row $top, over the bar (to $bar_bottom)"
echo "File dialog: frame from row $top, below the bar"
take_screenshot "$demo/maximised.xwd" >/dev/null
echo "Screenshot: $demo/maximised.xwd"
answer "$open" Escape
window_gone "$open" 30 || fail "the file dialog stays open after Escape"

# Quit, the File menu's last entry, is one step up from the first; the
# uploaded list is not saved (No, the second button, in the question).
bar_menu Up Return
ask=$(new_window "^$short\$" 60 DIALOG) || fail "no question about the changed list after Quit"
answer "$ask" Tab space

status=0
for _ in $(seq 150); do kill -0 $app 2>/dev/null || break; sleep 0.2; done
kill -0 $app 2>/dev/null && fail "halvorn did not end after Quit"
wait $app || status=$?
[ "$status" = 0 ] || fail "exit status $status"
echo "Halvorn ended with status 0"
