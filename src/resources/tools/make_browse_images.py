#!/usr/bin/python3
"""Draws the browse bar's background pictures.

Run from anywhere: /usr/bin/python3 src/resources/tools/make_browse_images.py
Needs Debian's python3-pil. The results are committed, so building the
program does not need this script; it is here so the pictures can be redrawn.
"""
import os

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "browse")

# The picture is 668 x 57, but the bar is 553 x 45 and shows only its
# upper-left part (narrower still when one half of the pair is hidden), so
# the frame is drawn around the top 45 rows and the rest is plain ground.
WIDTH, HEIGHT = 668, 57
SHOWN_HEIGHT = 45
BAR_WIDTH = 553

# The word is yellow (255, 255, 0) and the meaning brown (128, 64, 0). No one
# ground reads well under both: yellow needs a luminance below 0.17 for a
# contrast of 4.5 : 1, brown one above 0.55. So the word's end of the bar
# (it ends at x = 209) is night blue and the meaning's end (from x = 216)
# parchment. With "隐藏英文" the meaning alone moves to the left end; that bar
# takes the all-parchment picture.
SPLIT = 212
NIGHT_TOP, NIGHT_BOTTOM = (44, 68, 116), (18, 30, 60)
PARCHMENT_TOP, PARCHMENT_BOTTOM = (255, 251, 236), (236, 226, 196)
EDGE = (58, 78, 100)


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def ground(d, left, right, top_colour, bottom_colour):
    for y in range(HEIGHT):
        t = min(1.0, y / (SHOWN_HEIGHT - 1))
        d.line([(left, y), (right, y)], fill=lerp(top_colour, bottom_colour, t))


def frame(d):
    # The edge of the full-width bar. The narrower bars (word only, 201 px;
    # meaning only at the left end, 329 px) keep the top, left and bottom
    # edges, so nothing is drawn across the middle.
    d.rectangle([0, 0, BAR_WIDTH - 1, SHOWN_HEIGHT - 1], outline=EDGE)


def bar_background():
    img = Image.new("RGB", (WIDTH, HEIGHT))
    d = ImageDraw.Draw(img)
    ground(d, 0, SPLIT - 1, NIGHT_TOP, NIGHT_BOTTOM)
    ground(d, SPLIT, WIDTH, PARCHMENT_TOP, PARCHMENT_BOTTOM)
    # A soft seam between the two halves.
    d.line([(SPLIT, 0), (SPLIT, SHOWN_HEIGHT)], fill=lerp(NIGHT_BOTTOM, PARCHMENT_BOTTOM, 0.5))
    frame(d)
    img.save(os.path.join(OUT, "bar_background.png"))


def meaning_background():
    img = Image.new("RGB", (WIDTH, HEIGHT))
    d = ImageDraw.Draw(img)
    ground(d, 0, WIDTH, PARCHMENT_TOP, PARCHMENT_BOTTOM)
    frame(d)
    img.save(os.path.join(OUT, "bar_background_meaning.png"))


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    bar_background()
    meaning_background()
