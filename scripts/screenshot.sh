# Sourced by the demo scripts: pictures of the screen for their checks.
#
# When a script runs its own Xvfb, the server keeps its frame buffer in a
# file (-fbdir) and the picture is a copy of it: exactly what the screen
# shows. Reading the root window back instead (xwd -root) returns some
# windows as black rectangles under a window manager although the screen
# shows them painted (seen with the download list and its message boxes).
# On another display the picture falls back to xwd -root.

# The Xvfb arguments, keeping the frame buffer in folder $1.
xvfb_server_args() {
  echo "-screen 0 1280x1024x24 -fbdir $1"
}

# Writes the screen to XWD file $1 (and a PNG beside it where ImageMagick
# can make one; the checks do not need it).
take_screenshot() {
  local out=$1 fb=${QEL_DEMO_FBDIR:-}/Xvfb_screen0
  if [ -n "${QEL_DEMO_FBDIR:-}" ] && [ -s "$fb" ]; then
    cp "$fb" "$out"
  else
    xwd -root -silent -out "$out"
  fi
  if command -v convert >/dev/null; then convert "xwd:$out" "${out%.xwd}.png" 2>/dev/null || rm -f "${out%.xwd}.png"; fi
}
