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

# Whether the rectangle X Y W H of XWD file $1 is painted: more than one
# colour and less than half of it black (a window the X server maps but its
# program never draws stays black). Prints what it found; status 1 when the
# area is not painted.
region_painted() {
  python3 - "$@" <<'PY'
import struct, sys
path, x, y, w, h = sys.argv[1], *map(int, sys.argv[2:6])
pic = open(path, "rb")
f = struct.unpack(">25I", pic.read(100))
size, width, height, order, bpp, line, ncolors = f[0], f[4], f[5], f[7], f[11], f[12], f[19]
masks = f[14:17]
if f[2] != 2 or bpp not in (24, 32):
    sys.exit("not a 24- or 32-bit ZPixmap XWD file")
x0, y0, x1, y1 = max(x, 0), max(y, 0), min(x + w, width), min(y + h, height)
if x0 >= x1 or y0 >= y1:
    sys.exit("the area lies outside the picture")
step, base, black, colours = bpp // 8, size + ncolors * 12, 0, set()
for r in range(y0, y1):
    pic.seek(base + r * line + x0 * step)
    row = pic.read((x1 - x0) * step)
    for c in range(0, len(row), step):
        v = int.from_bytes(row[c:c + step], "little" if order == 0 else "big")
        colours.add(v)
        black += not any(v & m for m in masks)
share = black / ((x1 - x0) * (y1 - y0))
print(f"{len(colours)} colours, {share:.0%} black")
sys.exit(0 if len(colours) > 1 and share < 0.5 else 1)
PY
}
