# Sourced by the demo scripts when they run in an X server of their own:
# starts openbox there, as a user's desktop has a window manager (window
# frames, placement, activation), and waits until it manages the screen.
# It ends with the X server.
start_window_manager() {
  command -v openbox >/dev/null || { echo "openbox is not installed (scripts/install-deps.sh)" >&2; return 1; }
  openbox --sm-disable >/dev/null 2>&1 &
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  echo "the window manager did not start on $DISPLAY" >&2
  return 1
}
