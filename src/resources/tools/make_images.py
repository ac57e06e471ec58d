#!/usr/bin/python3
"""Draws the program's pictures and animations.

Run from anywhere: python3 src/resources/tools/make_images.py
Needs Debian's python3-pil. The results are committed, so building the
program does not need this script; it is here so the pictures can be redrawn.
"""
import math
import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "images")


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def vertical_gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", size)
    d = ImageDraw.Draw(img)
    for y in range(h):
        d.line([(0, y), (w, y)], fill=lerp(top, bottom, y / max(1, h - 1)))
    return img


def open_book(d, box, page, edge, lines):
    """An open book seen from above, drawn into box (l, t, r, b)."""
    l, t, r, b = box
    mid = (l + r) // 2
    d.polygon([(l, t + 4), (mid, t + 8), (mid, b), (l, b - 4)], fill=page, outline=edge)
    d.polygon([(r, t + 4), (mid, t + 8), (mid, b), (r, b - 4)], fill=page, outline=edge)
    d.line([(mid, t + 8), (mid, b)], fill=edge, width=2)
    for i in range(1, 5):
        y = t + 8 + i * (b - t - 12) // 5
        d.line([(l + 5, y - 3), (mid - 5, y)], fill=lines)
        d.line([(mid + 5, y), (r - 5, y - 3)], fill=lines)


def form1_picture():
    """The test window's 80 x 92 decoration: a lamp-lit open book.

    Its picture box is smaller than the picture and shows the top-left
    73 x 65 pixels, so the scene is drawn there and the rest is sky.
    """
    img = vertical_gradient((80, 92), (38, 70, 140), (120, 170, 225))
    d = ImageDraw.Draw(img)
    d.ellipse([22, 3, 50, 31], fill=(255, 236, 150))
    d.ellipse([28, 9, 44, 25], fill=(255, 250, 215))
    open_book(d, (4, 30, 68, 62), (250, 248, 238), (90, 60, 30), (150, 150, 170))
    img.save(os.path.join(OUT, "form1_picture.png"))


# Stands for "transparent" while a frame is drawn; no drawing uses it.
KEY = (255, 0, 255)


def letter_globe_frames(size, count):
    """Frames of a small globe with orbiting letters, for the animations.
    Their background is transparent: the globe sits over the answer box and
    the window's edge, which must show through around it."""
    frames = []
    cx = cy = size // 2
    radius = size * 0.27
    for f in range(count):
        img = Image.new("RGB", (size, size), KEY)
        d = ImageDraw.Draw(img)
        d.ellipse([cx - radius, cy - radius, cx + radius, cy + radius], fill=(70, 130, 200), outline=(30, 60, 120))
        # Meridians turning with the frame number.
        for k in range(3):
            phase = (f / count + k / 3) * math.pi
            half = abs(math.cos(phase)) * radius
            d.ellipse([cx - half, cy - radius, cx + half, cy + radius], outline=(180, 215, 245))
        d.line([(cx - radius, cy), (cx + radius, cy)], fill=(180, 215, 245))
        # Letters A, B, C on an orbit.
        orbit = size * 0.37
        for k, colour in enumerate([(200, 40, 40), (40, 150, 60), (230, 150, 20)]):
            angle = 2 * math.pi * (f / count + k / 3)
            x = cx + orbit * math.cos(angle)
            y = cy + orbit * 0.45 * math.sin(angle)
            r = size * 0.07
            d.ellipse([x - r, y - r, x + r, y + r], fill=colour, outline=(60, 40, 20))
        frames.append(img)
    # One palette for all frames, so the transparent colour has one index.
    strip = Image.new("RGB", (size, size * count))
    for f, img in enumerate(frames):
        strip.paste(img, (0, size * f))
    shared = strip.convert("P", palette=Image.ADAPTIVE, colors=64)
    palette = shared.getpalette()
    key = [tuple(palette[i:i + 3]) for i in range(0, len(palette), 3)].index(KEY)
    result = []
    for img in frames:
        frame = img.quantize(palette=shared, dither=Image.Dither.NONE)
        frame.info["transparency"] = key
        result.append(frame)
    return result


def animation(name, size):
    frames = letter_globe_frames(size, 16)
    frames[0].save(os.path.join(OUT, name), save_all=True, append_images=frames[1:], duration=250, loop=0,
                   disposal=2, optimize=False, transparency=frames[0].info["transparency"])


def font(size, bold=False):
    name = "DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf"
    for folder in ("/usr/share/fonts/truetype/dejavu",):
        path = os.path.join(folder, name)
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def about_picture():
    """The about window's 252 x 314 picture: books under a night sky with
    letters drifting up like sails."""
    w, h = 252, 314
    img = vertical_gradient((w, h), (16, 28, 70), (92, 128, 190))
    d = ImageDraw.Draw(img)
    for k in range(40):
        x = (k * 97) % w
        y = (k * 53) % (h // 2)
        d.point((x, y), fill=(255, 255, 230))
    d.ellipse([180, 20, 224, 64], fill=(255, 244, 200))
    d.ellipse([194, 14, 236, 56], fill=lerp((16, 28, 70), (92, 128, 190), 35 / h))
    # A stack of books.
    colours = [(170, 50, 50), (50, 110, 170), (60, 140, 80), (200, 150, 40)]
    for i, colour in enumerate(colours):
        top = 250 - i * 22
        d.rectangle([40 + i * 6, top, 210 - i * 4, top + 20], fill=colour, outline=(30, 20, 10))
        d.line([(46 + i * 6, top + 4), (46 + i * 6, top + 16)], fill=(240, 230, 200), width=2)
    open_book(d, (60, 150, 196, 184), (250, 248, 238), (90, 60, 30), (150, 150, 170))
    # Letters rising from the open book.
    letters = [("A", 70, 110, 26), ("b", 112, 84, 22), ("C", 150, 118, 24), ("w", 96, 50, 18), ("z", 140, 36, 16)]
    for text, x, y, size in letters:
        d.text((x + 2, y + 2), text, font=font(size, True), fill=(10, 16, 40))
        d.text((x, y), text, font=font(size, True), fill=(255, 236, 150))
    d.text((20, 282), "Lexivane 1.0", font=font(18, True), fill=(255, 255, 255))
    img.save(os.path.join(OUT, "about_picture.png"))


def main():
    os.makedirs(OUT, exist_ok=True)
    form1_picture()
    about_picture()
    animation("globe.gif", 105)


if __name__ == "__main__":
    main()
