#!/usr/bin/env bash
# Writes a desktop-like picture of the given size as PNG: an editor with lines of code on the left
# half, a photograph-like fractal over a gradient on the right half. A black screen costs PNG
# nothing; this gives the encoder text edges, noise and smooth areas to work on.
# The same bytes every run (fixed seeds, one thread, no dates in the file), so that runs at
# different times record the same screen. Usage: desktop-picture.sh WIDTHxHEIGHT out.png
set -euo pipefail
size=$1 out=$2
width=${size%x*} height=${size#*x}
half=$((width / 2))
photo_height=$((height * 3 / 5))

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Code-like lines in an editor's colours, each word drawn on its own: ImageMagick drops the
# leading blanks of a text, so indentation has to be a position. 14 px like an editor at 100%
# (8 px a character in this font), so a larger screen shows more lines.
mapfile -d '' editor < <(python3 - "$half" "$height" <<'PY'
import random, re, sys
width, height = int(sys.argv[1]), int(sys.argv[2])
line_px, char_px, gutter, left = 20, 8, 44, 56
rng = random.Random(34)
names = ["frame", "folder", "rate", "interval", "picture", "clipboard", "bytes", "width",
         "height", "stride", "header", "file", "count", "due", "tick", "buffer", "encoder"]
types = ["int", "DWORD", "size_t", "bool", "double", "std::wstring", "HANDLE", "auto"]
calls = ["CreateFileW", "WriteFile", "OpenClipboard", "GetClipboardData", "GlobalLock",
         "std::max", "std::min", "Save", "CopyFromClipboard", "SetTimer", "PumpFor"]
colour = {"keyword": "#cf8e6d", "type": "#6aa8d8", "call": "#e8c46a", "number": "#2aacb8",
          "plain": "#bcbec4"}
args = ["-size", f"{width}x{height}", "xc:#1e1f22", "-fill", "#2b2d30",
        "-draw", f"rectangle 0,0 {gutter},{height}", "-density", "72",
        "-font", "DejaVu-Sans-Mono", "-pointsize", "14", "-gravity", "NorthWest"]

def draw(x, y, fill, text):
    args.extend(["-fill", fill, "-annotate", f"+{x}+{y}", text])

depth = 1
for n in range((height - 6) // line_px):
    y = 6 + n * line_px
    number = str(n + 1)
    draw(4 + (4 - len(number)) * char_px, y, "#6f737a", number)
    x = left + depth * 4 * char_px
    kind = rng.random()
    if kind < 0.12:
        draw(x, y, "#7a9f60", "// " + " ".join(rng.choice(names) for _ in range(rng.randint(3, 9))))
        continue
    if kind < 0.2:
        continue
    if kind < 0.3 and depth < 4:
        line = f"if ({rng.choice(names)} > {rng.randint(0, 4096)}) {{"
        depth += 1
    elif kind < 0.4 and depth > 1:
        depth -= 1
        x -= 4 * char_px
        line = "}"
    elif kind < 0.7:
        arguments = ", ".join(rng.choice(names) for _ in range(rng.randint(0, 4)))
        line = (f"const {rng.choice(types)} {rng.choice(names)}{rng.choice(['', 'Ms', 'Size', 'Count'])}"
                f" = {rng.choice(calls)}({arguments});")
    else:
        line = f"{rng.choice(names)} += {rng.choice(names)} * {rng.randint(2, 64)} / {rng.choice(names)};"
    for token in re.finditer(r"[A-Za-z_:]+|\d+|[^\sA-Za-z_:\d]+", line):
        word = token.group()
        kind = ("keyword" if word in ("const", "if") else "type" if word in types else
                "call" if word in calls else "number" if word.isdigit() else "plain")
        draw(x + token.start() * char_px, y, colour[kind], word)
sys.stdout.write("".join(arg + "\0" for arg in args))
PY
)

export MAGICK_THREAD_LIMIT=1
convert "${editor[@]}" "$tmp/editor.png"
# Right: a blurred fractal with grain, like a photograph, over a smooth diagonal gradient.
convert -seed 34 -size "$((width - half))x${photo_height}" plasma:'#3a6ea5-#d8b070' \
  -blur 0x4 -attenuate 0.3 +noise Gaussian "$tmp/photo.png"
convert -size "$((width - half))x$((height - photo_height))" -define gradient:direction=NorthEast \
  gradient:'#0b2a4a-#e08a3c' "$tmp/gradient.png"
convert "$tmp/editor.png" \( "$tmp/photo.png" "$tmp/gradient.png" -append \) +append +repage \
  -type TrueColor -depth 8 -define png:exclude-chunks=date,time "$out"
