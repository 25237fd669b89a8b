#!/usr/bin/env python3
"""Draws Kelvo's window icon: a 32 x 32 spur gear in the 16-colour VGA palette, as XPM.

Run it to redraw kelvo_icon.xpm; the XPM is what the program ships.
    python3 draw_gear_icon.py > kelvo_icon.xpm
"""
import math

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


def main():
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
