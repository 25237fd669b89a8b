#!/usr/bin/env python3
"""Draws Kelvo's gear icon: the window's 32 x 32 XPM in the 16-colour VGA palette, and the same
gear as SVG for the desktop's menus.

Run it to redraw the icons; the program ships the XPM, the installation the SVG and PNGs made
from it (rsvg-convert, from librsvg2-bin):
    python3 draw_gear_icon.py > kelvo_icon.xpm
    python3 draw_gear_icon.py --svg > ../../../packaging/icons/kelvo.svg
    for size in 32 64 128; do
      rsvg-convert -w $size -h $size ../../../packaging/icons/kelvo.svg \
        > ../../../packaging/icons/kelvo-$size.png
    done
"""
import math
import sys

SIZE = 32
TEETH = 9
TIP, ROOT, HUB, BORE = 15.4, 11.4, 6.4, 3.6

# Symbol -> colour; all from the 16 standard colours, plus transparency.
PALETTE = {
    " ": "None",
    ".": "#000000",  # outline
    "+": "#808080",  # shaded flank, hub ring
    "@": "#C0C0C0",  # body
    "#": "#FFFFFF",  # lit flank
}


def edge_radius(theta):
    """Outer boundary of the gear at polar angle theta: trapezoidal teeth on the root circle."""
    pitch = 2 * math.pi / TEETH
    phase = (theta % pitch) / pitch  # 0..1 across one pitch
    # flanks over 0.12 of the pitch each, the tip over 0.3, the space over 0.46
    if phase < 0.12:
        return ROOT + (TIP - ROOT) * phase / 0.12
    if phase < 0.42:
        return TIP
    if phase < 0.54:
        return TIP - (TIP - ROOT) * (phase - 0.42) / 0.12
    return ROOT


def inside(x, y):
    dx, dy = x + 0.5 - SIZE / 2, y + 0.5 - SIZE / 2
    r = math.hypot(dx, dy)
    if r < BORE:
        return False
    return r <= edge_radius(math.atan2(dy, dx) + 0.12)


def pixel(x, y):
    if not inside(x, y):
        return " "
    neighbours = [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    if any(not (0 <= nx < SIZE and 0 <= ny < SIZE) or not inside(nx, ny) for nx, ny in neighbours):
        return "."
    dx, dy = x + 0.5 - SIZE / 2, y + 0.5 - SIZE / 2
    r = math.hypot(dx, dy)
    near_edge = any(not inside(x + ox, y + oy) for ox in (-2, 0, 2) for oy in (-2, 0, 2))
    if r < BORE + 1.6:
        return "+"
    if abs(r - HUB) < 0.55:
        return "+"
    if near_edge and r > HUB + 1:
        # light from the upper left: flanks facing it are lit, the others shaded
        return "#" if dx + dy < 0 else "+"
    return "@"


ROTATION = 0.12  # the gear's turn against the edge function's angle, as inside() reads it
FLANK_START, FLANK_END, TIP_END, SPACE_START = 0.0, 0.12, 0.42, 0.54


def svg_point(radius, theta):
    angle = theta - ROTATION
    centre = SIZE / 2
    return f"{centre + radius * math.cos(angle):.3f},{centre + radius * math.sin(angle):.3f}"


def svg_outline():
    """The gear's outline as in edge_radius(): straight flanks, tip and root as arcs."""
    pitch = 2 * math.pi / TEETH
    parts = [f"M {svg_point(ROOT, 0)}"]
    for tooth in range(TEETH):
        start = tooth * pitch
        parts.append(f"L {svg_point(TIP, start + FLANK_END * pitch)}")
        parts.append(f"A {TIP} {TIP} 0 0 1 {svg_point(TIP, start + TIP_END * pitch)}")
        parts.append(f"L {svg_point(ROOT, start + SPACE_START * pitch)}")
        parts.append(f"A {ROOT} {ROOT} 0 0 1 {svg_point(ROOT, start + pitch)}")
    return " ".join(parts) + " Z"


def svg_circle(radius):
    centre = SIZE / 2
    return (f"M {centre + radius:.3f},{centre} A {radius} {radius} 0 1 1 {centre - radius:.3f},"
            f"{centre} A {radius} {radius} 0 1 1 {centre + radius:.3f},{centre} Z")


def print_svg():
    """The XPM's gear at any size: body, a rim lit from the upper left and shaded opposite, the
    hub ring, the bore with its ring, and a black outline, all inside the gear's edge."""
    gear = f"{svg_outline()} {svg_circle(BORE)}"
    centre = SIZE / 2
    print(f"""<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 {SIZE} {SIZE}">
  <title>Kelvo</title>
  <defs>
    <clipPath id="gear"><path clip-rule="evenodd" d="{gear}"/></clipPath>
    <linearGradient id="light" gradientUnits="userSpaceOnUse" x1="0" y1="0" x2="{SIZE}" y2="{SIZE}">
      <stop offset="0.5" stop-color="{PALETTE['#']}"/>
      <stop offset="0.5" stop-color="{PALETTE['+']}"/>
    </linearGradient>
  </defs>
  <g clip-path="url(#gear)">
    <path fill="{PALETTE['@']}" fill-rule="evenodd" d="{gear}"/>
    <path fill="none" stroke="url(#light)" stroke-width="5" d="{svg_outline()}"/>
    <circle cx="{centre}" cy="{centre}" r="{HUB}" fill="none" stroke="{PALETTE['+']}" stroke-width="1.1"/>
    <circle cx="{centre}" cy="{centre}" r="{BORE + 0.8:.1f}" fill="none" stroke="{PALETTE['+']}" stroke-width="1.6"/>
    <path fill="none" stroke="{PALETTE['.']}" stroke-width="2" stroke-linejoin="round" d="{gear}"/>
  </g>
</svg>""")


def main():
    if sys.argv[1:] == ["--svg"]:
        print_svg()
        return
    rows = ["".join(pixel(x, y) for x in range(SIZE)) for y in range(SIZE)]
    print("/* XPM */")
    print("static const char *const kelvo_icon[] = {")
    print(f'"{SIZE} {SIZE} {len(PALETTE)} 1",')
    for symbol, colour in PALETTE.items():
        print(f'"{symbol} c {colour}",')
    print(",\n".join(f'"{row}"' for row in rows))
    print("};")


if __name__ == "__main__":
    main()
