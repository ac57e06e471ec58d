#!/usr/bin/python3
"""Draws the application icon in the sizes desktops look for.

Run from anywhere: python3 src/resources/tools/make_app_icons.py
Needs Debian's python3-pil and fonts-dejavu-core. The PNGs are committed to
dist/icons/<size>x<size>/, so neither building nor installing needs this
script; it is here so the icon can be redrawn.

The icon is a word card on a blue tile: a large "A" for the foreign word and
a bar for its meaning underneath. Each size is drawn at four times its size
and scaled down, so small sizes stay smooth; at 16 and 22 pixels the meaning
bar is left out, where it would only blur the letter.
"""
import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "..", "..", "dist", "icons")
APP_ID = "org.kelvaro.Lexivane"
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"

TILE_TOP = (58, 120, 216)
TILE_BOTTOM = (22, 64, 150)
CARD = (255, 252, 240)
INK = (24, 48, 104)
ACCENT = (214, 64, 48)


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def draw_icon(size):
    scale = 4
    n = size * scale
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))

    # Tile: a vertical gradient inside a rounded square.
    margin = n * 0.04
    radius = n * 0.2
    gradient = Image.new("RGBA", (n, n))
    gd = ImageDraw.Draw(gradient)
    for y in range(n):
        gd.line([(0, y), (n, y)], fill=lerp(TILE_TOP, TILE_BOTTOM, y / (n - 1)) + (255,))
    mask = Image.new("L", (n, n), 0)
    ImageDraw.Draw(mask).rounded_rectangle([margin, margin, n - margin, n - margin], radius, fill=255)
    img.paste(gradient, (0, 0), mask)

    d = ImageDraw.Draw(img)
    small = size <= 22

    # Card, slightly tilted look faked by a shadow offset.
    cx0, cy0 = n * 0.18, n * 0.16
    cx1, cy1 = n * 0.82, n * 0.84
    shadow = n * 0.03
    d.rounded_rectangle([cx0 + shadow, cy0 + shadow, cx1 + shadow, cy1 + shadow], n * 0.06, fill=(10, 30, 80, 110))
    d.rounded_rectangle([cx0, cy0, cx1, cy1], n * 0.06, fill=CARD + (255,))

    # The word: a serif "A".
    letter_box_bottom = cy1 - (n * 0.06 if small else n * 0.2)
    font = ImageFont.truetype(FONT, int((letter_box_bottom - cy0) * (0.95 if small else 0.85)))
    left, top, right, bottom = d.textbbox((0, 0), "A", font=font)
    tx = (cx0 + cx1) / 2 - (left + right) / 2
    ty = (cy0 + letter_box_bottom) / 2 - (top + bottom) / 2
    d.text((tx, ty), "A", font=font, fill=INK + (255,))

    if not small:
        # The meaning: a red bar, and a thinner grey one under it.
        bx0, bx1 = cx0 + n * 0.1, cx1 - n * 0.1
        y = cy1 - n * 0.17
        d.rounded_rectangle([bx0, y, bx1, y + n * 0.045], n * 0.02, fill=ACCENT + (255,))
        y += n * 0.075
        d.rounded_rectangle([bx0, y, bx1 - n * 0.14, y + n * 0.03], n * 0.015, fill=(150, 150, 160, 255))

    return img.resize((size, size), Image.LANCZOS)


def main():
    for size in SIZES:
        folder = os.path.join(OUT, "%dx%d" % (size, size))
        os.makedirs(folder, exist_ok=True)
        path = os.path.join(folder, APP_ID + ".png")
        draw_icon(size).save(path, optimize=True)
        print(os.path.relpath(path))


if __name__ == "__main__":
    main()
