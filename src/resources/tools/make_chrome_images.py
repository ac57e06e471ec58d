#!/usr/bin/python3
"""Draws the skins of the window frame and the title-bar button strips.

Run from anywhere: /usr/bin/python3 src/resources/tools/make_chrome_images.py
Needs Debian's python3-pil. The results are committed, so building the
program does not need this script; it is here so the pictures can be redrawn.

Frame skins (8 bits per pixel, palette BMP), active and inactive:
  top_*.bmp      66 x 29  title bar of a normal window; its two top corners
                          are rounded, and the 12 pixels outside each
                          rounding are magenta (255, 0, 255)
  topmax_*.bmp   66 x 29  title bar of a maximised window, square corners
  left_*.bmp      5 x 31  left edge
  right_*.bmp     5 x 31  right edge
  bottom_*.bmp   49 x  5  bottom edge
A title bar is a 5-pixel left end, a middle that the frame stretches, and a
5-pixel right end.

Button strips (24 bits per pixel BMP), 84 x 21: four 21 x 21 cells, left to
right normal, hover, pressed, disabled; one strip each for close, maximise,
minimise and restore.

Icons (16 x 16 PNG): the frame's default icon and the icons of the test
window and the box window.
"""
import os

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "chrome")

MAGENTA = (255, 0, 255)
TITLE_W, TITLE_H = 66, 29
END = 5

# Colours of the two looks: the title bar from top to bottom, the frame edge
# from its outer to its inner pixel, and the dark outline around the window.
LOOKS = {
    "active": {
        "title": [(90, 160, 255), (40, 120, 250), (10, 96, 240), (0, 84, 227), (0, 78, 220), (0, 70, 210),
                  (0, 62, 196)],
        "edge": [(0, 40, 160), (0, 72, 214), (0, 85, 229), (0, 80, 222), (0, 62, 196)],
        "outline": (0, 30, 130),
        "highlight": (140, 190, 255),
    },
    "inactive": {
        "title": [(190, 208, 245), (165, 188, 240), (145, 170, 232), (132, 158, 226), (124, 151, 222),
                  (116, 142, 214), (108, 132, 204)],
        "edge": [(95, 115, 180), (120, 145, 215), (128, 154, 224), (124, 150, 220), (108, 132, 204)],
        "outline": (85, 100, 160),
        "highlight": (215, 226, 250),
    },
}

# Outside the rounding of the top-left corner: (x, y) pairs, 12 in all.
CORNER = [(x, 0) for x in range(5)] + [(x, 1) for x in range(3)] + [(0, 2), (1, 2), (0, 3), (0, 4)]
# Just inside the rounding: the outline of the rounded corner.
CORNER_RIM = [(5, 0), (3, 1), (4, 1), (2, 2), (1, 3), (1, 4)]


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def ramp(stops, n):
    """n colours spread evenly over the list of colour stops."""
    if n == 1:
        return [stops[0]]
    out = []
    for i in range(n):
        pos = i * (len(stops) - 1) / (n - 1)
        k = min(int(pos), len(stops) - 2)
        out.append(lerp(stops[k], stops[k + 1], pos - k))
    return out


def to_palette(img):
    """The RGB image as an 8-bit palette image with exactly its colours."""
    colours = sorted(set(img.getdata()))
    assert len(colours) <= 256, len(colours)
    index = {c: i for i, c in enumerate(colours)}
    p = Image.new("P", img.size)
    flat = []
    for c in colours:
        flat.extend(c)
    p.putpalette(flat + [0] * (768 - len(flat)))
    p.putdata([index[c] for c in img.getdata()])
    return p


def save_bmp8(img, name):
    to_palette(img).save(os.path.join(OUT, name), format="BMP")


def save_bmp24(img, name):
    img.convert("RGB").save(os.path.join(OUT, name), format="BMP")


def title_rows(look):
    return ramp(LOOKS[look]["title"], TITLE_H)


def title_bar(look, rounded):
    colours = LOOKS[look]
    rows = title_rows(look)
    img = Image.new("RGB", (TITLE_W, TITLE_H))
    d = ImageDraw.Draw(img)
    for y, c in enumerate(rows):
        d.line([(0, y), (TITLE_W - 1, y)], fill=c)
    # A light line under the top edge, and the window outline on the left,
    # right and top; the ends continue the side edges' shading below.
    d.line([(1, 1), (TITLE_W - 2, 1)], fill=colours["highlight"])
    edge = colours["edge"]
    for x in range(1, END - 1):
        for y in range(2, TITLE_H):
            img.putpixel((x, y), lerp(rows[y], edge[x], 0.35))
            img.putpixel((TITLE_W - 1 - x, y), lerp(rows[y], edge[END - 1 - x], 0.35))
    d.line([(0, 0), (TITLE_W - 1, 0)], fill=colours["outline"])
    d.line([(0, 0), (0, TITLE_H - 1)], fill=colours["outline"])
    d.line([(TITLE_W - 1, 0), (TITLE_W - 1, TITLE_H - 1)], fill=colours["outline"])
    if rounded:
        for x, y in CORNER_RIM:
            img.putpixel((x, y), colours["outline"])
            img.putpixel((TITLE_W - 1 - x, y), colours["outline"])
        for x, y in CORNER:
            img.putpixel((x, y), MAGENTA)
            img.putpixel((TITLE_W - 1 - x, y), MAGENTA)
    return img


def side_edge(look, mirrored):
    colours = LOOKS[look]["edge"]
    img = Image.new("RGB", (END, 31))
    for x in range(END):
        c = colours[END - 1 - x] if mirrored else colours[x]
        for y in range(31):
            img.putpixel((x, y), c)
    return img


def bottom_edge(look):
    colours = LOOKS[look]["edge"]
    img = Image.new("RGB", (49, END))
    for y in range(END):
        c = colours[END - 1 - y]
        for x in range(49):
            img.putpixel((x, y), c)
    return img


def frame_skins():
    for look, suffix in (("active", "active"), ("inactive", "inactive")):
        save_bmp8(title_bar(look, rounded=True), "top_%s.bmp" % suffix)
        save_bmp8(title_bar(look, rounded=False), "topmax_%s.bmp" % suffix)
        save_bmp8(side_edge(look, mirrored=False), "left_%s.bmp" % suffix)
        save_bmp8(side_edge(look, mirrored=True), "right_%s.bmp" % suffix)
        save_bmp8(bottom_edge(look), "bottom_%s.bmp" % suffix)


# --- Title-bar buttons ------------------------------------------------------

CELL = 21
# The button sits 8 pixels below the top of the title bar; its cut-off corners
# show the active title bar colour of those rows.
BUTTON_TOP = 8

FACES = {
    "red": {
        "normal": ((236, 120, 90), (214, 70, 40), (190, 50, 25)),
        "hover": ((250, 160, 130), (236, 100, 70), (214, 70, 40)),
        "pressed": ((170, 45, 20), (196, 60, 32), (220, 96, 66)),
        "disabled": ((226, 196, 188), (212, 172, 162), (200, 158, 148)),
    },
    "blue": {
        "normal": ((110, 160, 255), (40, 100, 240), (20, 80, 220)),
        "hover": ((150, 190, 255), (70, 130, 250), (40, 100, 240)),
        "pressed": ((10, 60, 190), (25, 80, 214), (60, 120, 240)),
        "disabled": ((186, 200, 232), (160, 178, 220), (146, 164, 208)),
    },
}


def button_base(colour, face):
    top, mid, bottom = FACES[colour][face]
    rows = ramp([top, mid, bottom], CELL)
    img = Image.new("RGB", (CELL, CELL))
    d = ImageDraw.Draw(img)
    for y, c in enumerate(rows):
        d.line([(0, y), (CELL - 1, y)], fill=c)
    rim = (255, 255, 255) if face != "disabled" else (232, 236, 244)
    d.rectangle([0, 0, CELL - 1, CELL - 1], outline=rim)
    # Rounded corners: the corner pixel shows the title bar behind it.
    bar = title_rows("active")
    for x, y in ((0, 0), (CELL - 1, 0), (0, CELL - 1), (CELL - 1, CELL - 1)):
        img.putpixel((x, y), bar[min(BUTTON_TOP + y, TITLE_H - 1)])
    return img


def glyph_colour(face):
    return (255, 255, 255) if face != "disabled" else (236, 238, 244)


def draw_close(d, face):
    c = glyph_colour(face)
    for off in (0, 1):
        d.line([(6 + off, 6), (14 + off, 14)], fill=c)
        d.line([(14 + off, 6), (6 + off, 14)], fill=c)


def draw_window(d, box, c):
    l, t, r, b = box
    d.rectangle([l, t, r, b], outline=c)
    d.line([(l, t + 1), (r, t + 1)], fill=c)
    d.line([(l, t + 2), (r, t + 2)], fill=c)


def draw_maximise(d, face):
    draw_window(d, (5, 5, 15, 15), glyph_colour(face))


def draw_minimise(d, face):
    d.rectangle([6, 13, 11, 15], fill=glyph_colour(face))


def strip(colour, draw):
    img = Image.new("RGB", (4 * CELL, CELL))
    for i, face in enumerate(("normal", "hover", "pressed", "disabled")):
        cell = button_base(colour, face)
        draw(ImageDraw.Draw(cell), face)
        img.paste(cell, (i * CELL, 0))
    return img


def restore_strip():
    img = Image.new("RGB", (4 * CELL, CELL))
    for i, face in enumerate(("normal", "hover", "pressed", "disabled")):
        cell = button_base("blue", face)
        d = ImageDraw.Draw(cell)
        if face == "disabled":
            # A disabled restore button shows a single window.
            draw_window(d, (5, 5, 15, 15), glyph_colour(face))
        else:
            c = glyph_colour(face)
            draw_window(d, (8, 4, 15, 11), c)
            # Fill the front window with the face colour so the back window's
            # lines do not show through it.
            top, mid, bottom = FACES["blue"][face]
            rows = ramp([top, mid, bottom], CELL)
            for y in range(8, 16):
                d.line([(5, y), (12, y)], fill=rows[y])
            draw_window(d, (5, 8, 12, 15), c)
        img.paste(cell, (i * CELL, 0))
    return img


def button_strips():
    save_bmp24(strip("red", draw_close), "close.bmp")
    save_bmp24(strip("blue", draw_maximise), "maximize.bmp")
    save_bmp24(strip("blue", draw_minimise), "minimize.bmp")
    save_bmp24(restore_strip(), "restore.bmp")


# --- Icons ------------------------------------------------------------------


def default_icon():
    """A small window: the frame's icon when its host gives none."""
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.rectangle([1, 2, 14, 13], fill=(250, 250, 246, 255), outline=(40, 60, 120, 255))
    d.rectangle([2, 3, 13, 5], fill=(30, 100, 230, 255))
    d.point([(12, 4)], fill=(255, 255, 255, 255))
    return img


def test_window_icon():
    """An open book with a pen stroke: the test window."""
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    page = (252, 250, 236, 255)
    edge = (110, 70, 30, 255)
    d.polygon([(0, 3), (7, 4), (7, 14), (0, 13)], fill=page, outline=edge)
    d.polygon([(15, 3), (8, 4), (8, 14), (15, 13)], fill=page, outline=edge)
    for y in (6, 8, 10):
        d.line([(2, y), (5, y + 1)], fill=(120, 130, 170, 255))
        d.line([(10, y + 1), (13, y)], fill=(120, 130, 170, 255))
    d.line([(9, 12), (14, 1)], fill=(210, 40, 30, 255), width=2)
    return img


def box_window_icon():
    """A treasure box under a crescent moon: the box window."""
    img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    d.ellipse([9, 0, 15, 6], fill=(255, 220, 80, 255))
    d.ellipse([11, -1, 17, 5], fill=(0, 0, 0, 0))
    d.rectangle([1, 7, 13, 15], fill=(180, 100, 40, 255), outline=(90, 45, 10, 255))
    d.rectangle([1, 7, 13, 9], fill=(210, 130, 60, 255), outline=(90, 45, 10, 255))
    d.rectangle([6, 9, 8, 12], fill=(250, 210, 70, 255))
    return img


def icons():
    default_icon().save(os.path.join(OUT, "default_icon.png"))
    test_window_icon().save(os.path.join(OUT, "test_window_icon.png"))
    box_window_icon().save(os.path.join(OUT, "box_window_icon.png"))


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    frame_skins()
    button_strips()
    icons()
