#!/usr/bin/python3
"""Draws the pictures of the box window.

Run from anywhere: /usr/bin/python3 src/resources/tools/make_boxes_images.py
Needs Debian's python3-pil. The results are committed, so building the
program does not need this script; it is here so the pictures can be redrawn.
"""
import math
import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "boxes")

BACKGROUND = (236, 233, 216)
OUTLINE = (60, 40, 20)


def font(size, bold=True):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    path = os.path.join("/usr/share/fonts/truetype/dejavu", name)
    if os.path.exists(path):
        return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def chest(d, l, t, w, h, lid_open=0):
    """A small wooden treasure box with a moon on its lid; its body fills
    (l, t + h/3) to (l + w, t + h)."""
    body_top = t + h // 3
    wood = (176, 110, 48)
    dark = (120, 70, 30)
    d.rectangle([l, body_top, l + w - 1, t + h - 1], fill=wood, outline=OUTLINE)
    for k in (1, 2):
        y = body_top + k * (t + h - body_top) // 3
        d.line([(l + 1, y), (l + w - 2, y)], fill=dark)
    # The lid: a flat dome, lifted by lid_open pixels.
    lt = t - lid_open
    d.rounded_rectangle([l, lt, l + w - 1, lt + h // 3 + 2], radius=max(2, h // 6), fill=(196, 128, 60),
                        outline=OUTLINE)
    # Gold bands and lock.
    gold = (236, 196, 70)
    d.line([(l + w // 5, lt + 1), (l + w // 5, t + h - 2)], fill=gold, width=2)
    d.line([(l + w - 1 - w // 5, lt + 1), (l + w - 1 - w // 5, t + h - 2)], fill=gold, width=2)
    cx = l + w // 2
    d.rectangle([cx - 3, body_top - 1, cx + 3, body_top + 5], fill=gold, outline=OUTLINE)
    # A crescent moon on the lid.
    r = max(3, h // 8)
    my = lt + h // 6 + 1
    d.ellipse([cx - r, my - r, cx + r, my + r], fill=(255, 244, 190))
    d.ellipse([cx - r + 2, my - r - 1, cx + r + 2, my + r - 1], fill=(196, 128, 60))


def box_picture():
    img = Image.new("RGB", (44, 30), BACKGROUND)
    d = ImageDraw.Draw(img)
    chest(d, 3, 2, 38, 27)
    img.save(os.path.join(OUT, "box.png"))


def delete_picture():
    """The delete target: a waste bin with a torn word card above it."""
    w = h = 72
    img = Image.new("RGB", (w, h), BACKGROUND)
    d = ImageDraw.Draw(img)
    metal = (150, 160, 170)
    shade = (105, 115, 125)
    # Bin body, narrowing to the bottom.
    d.polygon([(16, 26), (56, 26), (51, 68), (21, 68)], fill=metal, outline=(50, 55, 60))
    for x in (26, 36, 46):
        d.line([(x, 30), (x - (x - 36) // 5, 64)], fill=shade, width=2)
    # Lid and handle.
    d.rectangle([12, 20, 60, 25], fill=(170, 178, 186), outline=(50, 55, 60))
    d.rectangle([30, 15, 42, 20], outline=(50, 55, 60), width=2)
    # A word card dropping in, with a red cross.
    d.polygon([(22, 2), (50, 6), (48, 16), (20, 12)], fill=(255, 252, 236), outline=(90, 60, 30))
    d.text((27, 3), "abc", font=font(8), fill=(30, 30, 120))
    d.line([(52, 2), (62, 12)], fill=(210, 30, 30), width=3)
    d.line([(62, 2), (52, 12)], fill=(210, 30, 30), width=3)
    img.save(os.path.join(OUT, "delete.png"))


def arrow_picture(name, pointing_right):
    """Previous and next group: a round blue button with an arrow."""
    w, h = 44, 36
    img = Image.new("RGB", (w, h), BACKGROUND)
    d = ImageDraw.Draw(img)
    d.ellipse([5, 1, 38, 34], fill=(60, 110, 190), outline=(20, 40, 100), width=2)
    d.ellipse([10, 4, 33, 16], fill=(120, 165, 225))
    if pointing_right:
        points = [(14, 12), (24, 12), (24, 7), (33, 17), (24, 27), (24, 22), (14, 22)]
    else:
        points = [(29, 12), (19, 12), (19, 7), (10, 17), (19, 27), (19, 22), (29, 22)]
    d.polygon(points, fill=(255, 255, 255), outline=(20, 40, 100))
    img.save(os.path.join(OUT, name))


def cursor_base():
    return Image.new("RGBA", (32, 32), (0, 0, 0, 0))


def pointer_arrow(d, tip=(1, 1)):
    """The usual white pointer with a black edge, its tip at `tip`."""
    x, y = tip
    shape = [(x, y), (x, y + 16), (x + 4, y + 12), (x + 7, y + 19), (x + 9, y + 18), (x + 6, y + 11),
             (x + 11, y + 11)]
    d.polygon(shape, fill=(255, 255, 255, 255), outline=(0, 0, 0, 255))


def drag_cursor():
    """Shown while a word is dragged: the pointer carrying a word card."""
    img = cursor_base()
    d = ImageDraw.Draw(img)
    d.rectangle([12, 15, 30, 28], fill=(255, 250, 220, 255), outline=(90, 60, 30, 255))
    d.text((14, 15), "Ab", font=font(9), fill=(30, 30, 140, 255))
    pointer_arrow(d)
    img.save(os.path.join(OUT, "drag_word.png"))


def group_cursor(name, pointing_right):
    """Pointer over the previous/next group pictures: a pointer with a small
    page arrow."""
    img = cursor_base()
    d = ImageDraw.Draw(img)
    d.rectangle([14, 16, 30, 30], fill=(230, 240, 255, 255), outline=(20, 40, 100, 255))
    if pointing_right:
        points = [(17, 21), (23, 21), (23, 18), (28, 23), (23, 28), (23, 25), (17, 25)]
    else:
        points = [(27, 21), (21, 21), (21, 18), (16, 23), (21, 28), (21, 25), (27, 25)]
    d.polygon(points, fill=(60, 110, 190, 255))
    pointer_arrow(d)
    img.save(os.path.join(OUT, name))


def animation():
    """Beside the delete target: word cards dropping one by one into an
    opening treasure box."""
    size = 72
    frames = []
    per_card = 8
    count = per_card * 3
    letters = ["A", "b", "c"]
    colours = [(200, 40, 40), (40, 120, 60), (40, 70, 170)]
    for f in range(count):
        img = Image.new("RGB", (size, size), BACKGROUND)
        d = ImageDraw.Draw(img)
        lid = int(round(4 + 3 * math.sin(2 * math.pi * f / count)))
        # A card falls from the top into the box, one letter after another.
        t = (f % per_card) / (per_card - 1)
        k = f // per_card
        y = int(4 + t * 30)
        x = 26 + int(4 * math.sin(math.pi * t))
        if y < 34:
            d.rectangle([x, y, x + 18, y + 14], fill=(255, 252, 236), outline=(90, 60, 30))
            d.text((x + 5, y), letters[k], font=font(11), fill=colours[k])
        chest(d, 12, 38, 48, 32, lid_open=lid)
        # Sparkles round the lid.
        for s in range(3):
            a = 2 * math.pi * (f / count + s / 3)
            sx = 36 + 28 * math.cos(a)
            sy = 40 + 8 * math.sin(a)
            d.line([(sx - 2, sy), (sx + 2, sy)], fill=(240, 190, 40))
            d.line([(sx, sy - 2), (sx, sy + 2)], fill=(240, 190, 40))
        frames.append(img.convert("P", palette=Image.ADAPTIVE, colors=64))
    frames[0].save(os.path.join(OUT, "boxes.gif"), save_all=True, append_images=frames[1:], duration=100,
                   loop=0, disposal=1, optimize=False)


def main():
    os.makedirs(OUT, exist_ok=True)
    box_picture()
    delete_picture()
    arrow_picture("previous.png", False)
    arrow_picture("next.png", True)
    drag_cursor()
    group_cursor("pointer_previous.png", False)
    group_cursor("pointer_next.png", True)
    animation()


if __name__ == "__main__":
    main()
