#!/usr/bin/python3
"""Draws the browse bar's background picture.

Run from anywhere: /usr/bin/python3 src/resources/tools/make_browse_images.py
Needs Debian's python3-pil. The result is committed, so building the program
does not need this script; it is here so the picture can be redrawn.
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

# The word is yellow and the meaning brown, and with "隐藏英文" the meaning
# moves to the left end. One mid-tone ground keeps both readable everywhere:
# a steel blue of about 29 % luminance, half-way in contrast between them.
GROUND = (120, 150, 175)
LIGHT = (150, 178, 200)
SHADE = (92, 118, 142)
EDGE = (58, 78, 100)


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def bar_background():
    img = Image.new("RGB", (WIDTH, HEIGHT), GROUND)
    d = ImageDraw.Draw(img)
    # A soft roundness: lighter at the top, darker towards the bottom edge.
    for y in range(SHOWN_HEIGHT):
        t = y / (SHOWN_HEIGHT - 1)
        if t < 0.5:
            colour = lerp(LIGHT, GROUND, t / 0.5)
        else:
            colour = lerp(GROUND, SHADE, (t - 0.5) / 0.5)
        d.line([(0, y), (WIDTH, y)], fill=colour)
    # Faint diagonal grain, so the strip does not look flat.
    for x in range(-SHOWN_HEIGHT, WIDTH, 9):
        d.line([(x, SHOWN_HEIGHT - 1), (x + SHOWN_HEIGHT, 0)], fill=lerp(GROUND, LIGHT, 0.25))
    # Redraw the gradient lightly over the grain to keep it subtle.
    overlay = Image.new("RGB", (WIDTH, HEIGHT), GROUND)
    od = ImageDraw.Draw(overlay)
    for y in range(SHOWN_HEIGHT):
        t = y / (SHOWN_HEIGHT - 1)
        colour = lerp(LIGHT, GROUND, t / 0.5) if t < 0.5 else lerp(GROUND, SHADE, (t - 0.5) / 0.5)
        od.line([(0, y), (WIDTH, y)], fill=colour)
    img = Image.blend(img, overlay, 0.7)
    d = ImageDraw.Draw(img)
    # The edge of the full-width bar. The narrower bars (word only, 201 px;
    # meaning only at the left end, 329 px) keep the top, left and bottom
    # edges, so nothing is drawn across the middle.
    d.rectangle([0, 0, 552, SHOWN_HEIGHT - 1], outline=EDGE)
    d.line([(1, 1), (551, 1)], fill=lerp(LIGHT, (255, 255, 255), 0.4))
    img.save(os.path.join(OUT, "bar_background.png"))


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    bar_background()
