"""The program icon: a TARVIK emblem (a metal T on a dusk-blue badge with a gold
rim) at 16, 32, 48 and 256 pixels, written as one .ico file.

The small sizes are drawn for their grid, not scaled down, so the T stays
crisp at 16 pixels.
"""

import io
import struct

from PIL import Image, ImageDraw, ImageFilter

import palette as P
from artlib import bevel, font, glow, supersampled_mask, tinted, vertical_gradient

SIZES = (16, 32, 48, 256)


def badge_masks(size):
    """Outer badge, the face inside its rim."""
    rim = max(1.0, size / 24)
    radius = size * 0.2

    def outer(d, s):
        d.rounded_rectangle([0, 0, size * s - 1, size * s - 1], radius * s, fill=255)

    def face(d, s):
        d.rounded_rectangle([rim * s, rim * s, (size - rim) * s - 1, (size - rim) * s - 1],
                            max(0.0, radius - rim) * s, fill=255)
    return supersampled_mask((size, size), 8, outer), supersampled_mask((size, size), 8, face)


def letter_mask(size):
    """The T: a serif glyph when there is room, pixel-fitted bars at 16 pixels."""
    if size <= 16:
        mask = Image.new("L", (size, size), 0)
        d = ImageDraw.Draw(mask)
        d.rectangle([3, 3, 12, 5], fill=255)        # crossbar
        d.rectangle([6, 5, 9, 12], fill=255)        # stem
        d.point([(3, 6), (12, 6)], fill=150)        # serifs under the bar ends
        d.rectangle([5, 12, 10, 12], fill=255)      # foot
        return mask
    face = font("dejavu/DejaVuSerif-Bold", int(size * 0.78) * 4)
    big = Image.new("L", (size * 4, size * 4), 0)
    d = ImageDraw.Draw(big)
    l, t, r, b = d.textbbox((0, 0), "T", font=face)
    d.text(((size * 4 - (r - l)) / 2 - l, (size * 4 - (b - t)) / 2 - t + size * 0.06), "T",
           font=face, fill=255)
    return big.resize((size, size), Image.LANCZOS)


def emblem(size):
    outer, face = badge_masks(size)
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    rim = vertical_gradient((size, size), [(0, P.GOLD_LIGHT), (0.5, P.GOLD), (1, P.GOLD_DARK)])
    img.paste(rim, (0, 0), outer)
    sky = vertical_gradient((size, size), [(0, (16, 22, 60)), (0.6, (46, 34, 88)), (1, (150, 72, 84))])
    img.paste(sky, (0, 0), face)

    letter = letter_mask(size)
    if size > 16:
        img.alpha_composite(glow(letter, size / 14, (60, 190, 255), 0.9))
        outline = letter.filter(ImageFilter.MaxFilter(3 if size < 64 else 7))
        img.alpha_composite(tinted(outline, (6, 8, 16), 0.9))
    # The logo's chrome over gold, spread over the letter's own height.
    top, bottom = letter.getbbox()[1] / size, letter.getbbox()[3] / size
    span = bottom - top
    metal = vertical_gradient((size, size), [
        (0.0, (255, 255, 255)), (top, (255, 255, 255)), (top + 0.44 * span, (184, 200, 224)),
        (top + 0.5 * span, (70, 84, 110)), (top + 0.56 * span, (170, 120, 56)),
        (top + 0.85 * span, (240, 194, 106)), (bottom, (255, 236, 178)), (1.0, (255, 236, 178))
    ]).convert("RGBA")
    if size >= 48:
        light, _ = bevel(letter, size / 80, max(1, size // 64))
        metal.alpha_composite(tinted(light, (255, 255, 255), 0.8))
    metal.putalpha(letter)
    img.alpha_composite(metal)
    # Keep the badge's own outline: nothing may spill past it.
    alpha = img.getchannel("A")
    img.putalpha(Image.composite(alpha, Image.new("L", (size, size), 0), outer))
    return img


def ico_bytes(images):
    """An .ico with 32-bit BMP entries below 256 pixels and a PNG entry at 256,
    the layout every Windows since Vista reads (and older ones, but for the PNG)."""
    blobs = []
    for img in images:
        w, h = img.size
        if w >= 256:
            out = io.BytesIO()
            img.save(out, "PNG", optimize=False)
            blobs.append(out.getvalue())
            continue
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        rows = []
        for y in reversed(range(h)):                     # bottom-up, BGRA
            row = bytearray()
            for x in range(w):
                r, g, b, a = img.getpixel((x, y))
                row += bytes((b, g, r, a))
            rows.append(bytes(row))
        mask_stride = ((w + 31) // 32) * 4
        and_mask = bytearray()
        for y in reversed(range(h)):                     # 1 = transparent
            bits = bytearray(mask_stride)
            for x in range(w):
                if img.getpixel((x, y))[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            and_mask += bits
        blobs.append(header + b"".join(rows) + bytes(and_mask))
    out = io.BytesIO()
    out.write(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        w, h = img.size
        out.write(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        offset += len(blob)
    for blob in blobs:
        out.write(blob)
    return out.getvalue()


def build():
    return [emblem(size) for size in SIZES]
