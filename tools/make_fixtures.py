#!/usr/bin/python3
"""Writes the small picture files under tests/data with Pillow, an image
library independent of the program's own codecs, together with the picture
each should load as: <name>.rgb holds Pillow's own reading of the file as
8-bit RGB, top row first, left to right.

Run from the repository root:  /usr/bin/python3 tools/make_fixtures.py
"""
import os

from PIL import Image

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data")
W, H = 5, 3  # odd sizes, so that every row of every format needs padding


def pattern_rgb():
    im = Image.new("RGB", (W, H))
    for y in range(H):
        for x in range(W):
            im.putpixel((x, y), (x * 50 + 13, y * 90 + 7, (x * 37 + y * 71) % 256))
    return im


def pattern_rgba():
    im = pattern_rgb().convert("RGBA")
    for y in range(H):
        for x in range(W):
            r, g, b, _ = im.getpixel((x, y))
            im.putpixel((x, y), (r, g, b, (x * 60 + y * 20) % 256))
    return im


def pattern_palette(colours=256):
    # Every pixel its own palette entry (15 of them), in a scrambled order.
    im = Image.new("P", (W, H))
    rgb = pattern_rgb()
    palette = []
    for i in range(W * H):
        palette.extend(rgb.getpixel((i % W, i // W)))
    im.putpalette(palette + [0] * (3 * colours - len(palette)))
    for y in range(H):
        for x in range(W):
            im.putpixel((x, y), (W * H - 1) - (y * W + x))
    return im


def pattern_grey():
    return pattern_rgb().convert("L")


def pattern_mono():
    im = Image.new("1", (W, H))
    for y in range(H):
        for x in range(W):
            im.putpixel((x, y), 255 if (x + 2 * y) % 3 == 0 else 0)
    return im


def save(name, im, **options):
    path = os.path.join(OUT, name)
    im.save(path, **options)
    with Image.open(path) as back:
        with open(path + ".rgb", "wb") as f:
            f.write(back.convert("RGB").tobytes())


def main():
    os.makedirs(OUT, exist_ok=True)
    rgb, rgba, pal, grey, mono = (pattern_rgb(), pattern_rgba(), pattern_palette(), pattern_grey(),
                                  pattern_mono())

    save("bmp_1.bmp", mono)
    save("bmp_8.bmp", pal)
    save("bmp_8_grey.bmp", grey)
    save("bmp_24.bmp", rgb)
    save("bmp_32.bmp", rgba)

    for rle in (False, True):
        kind = "rle" if rle else "raw"
        for orientation, origin in ((-1, "bl"), (1, "tl")):
            save(f"tga_24_{kind}_{origin}.tga", rgb, rle=rle, orientation=orientation)
        save(f"tga_32_{kind}.tga", rgba, rle=rle)
        save(f"tga_grey_{kind}.tga", grey, rle=rle)
        save(f"tga_map_{kind}.tga", pal, rle=rle)

    save("pcx_1.pcx", mono)
    save("pcx_8.pcx", pal)
    save("pcx_8_grey.pcx", grey)
    save("pcx_24.pcx", rgb)

    save("png_1.png", mono)
    save("png_pal.png", pal)
    save("png_pal4.png", pal, bits=4)
    save("png_grey.png", grey)
    save("png_rgb.png", rgb)
    save("png_rgba.png", rgba)
    save("png_interlaced.png", rgb, interlace=1)

    save("jpg_grey.jpg", grey, quality=95)
    save("jpg_rgb.jpg", rgb, quality=95)
    save("jpg_progressive.jpg", rgb, quality=95, progressive=True)
    save("jpg_cmyk.jpg", rgb.convert("CMYK"), quality=95)


if __name__ == "__main__":
    main()
