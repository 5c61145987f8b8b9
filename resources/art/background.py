"""The 640x380 background: a dusk landscape with the TARVIK logo above, the
control deck below with the information strip, the progress channel, the path
field and the sockets of the five buttons.

Every builder takes k, the image's size in multiples of the skin's (1, or 2
for displays above 96 DPI); figures stay in the skin's pixels and are
multiplied by k where they are drawn, so k = 1 computes exactly what it
always did."""

import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

import layout
import palette as P
from artlib import (bevel, font, fbm, glow, hline, mix, noise_1d, overlay, ramp, scaled_box, shifted, smoothstep,
                    supersampled_mask, tinted, to_rgb, vertical_gradient, vline)

DECK_TOP = 264           # first row of the control deck
HORIZON = 214            # the sky's glow line, hidden behind the peaks
SUN = (330, 222)         # centre of the glow
RIM = (255, 196, 140)    # sunset light on the crests


def sky(k):
    w, h = layout.WIDTH * k, DECK_TOP * k
    clouds = fbm((w, h), 64 * k, 5, seed=11, stretch=4)
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        base = ramp(P.SKY, min(1.0, y / (HORIZON * k)))
        for x in range(w):
            dx, dy = (x - SUN[0] * k) / (210.0 * k), (y - SUN[1] * k) / (70.0 * k)
            sun = math.exp(-(dx * dx + dy * dy))
            c = mix(base, P.EMBER, 0.55 * sun)
            # Thin bands of cloud, dark against the zenith, lit near the horizon.
            density = smoothstep(0.52, 0.78, clouds[y][x]) * smoothstep(20 * k, 120 * k, y)
            lit = smoothstep(90 * k, 200 * k, y)
            cloud = mix((20, 18, 44), (236, 128, 100), lit)
            c = mix(c, cloud, 0.62 * density)
            px[x, y] = to_rgb(c)
    stars(img, clouds, k)
    return img


def stars(img, clouds, k):
    rng = random.Random(7)
    px = img.load()

    def lighten(x, y, b):
        # One pixel of the skin: k by k of the image.
        for sy in range(y * k, y * k + k):
            for sx in range(x * k, x * k + k):
                px[sx, sy] = to_rgb(mix(px[sx, sy], (235, 240, 255), b))
    for _ in range(170):
        x, y = rng.randrange(2, layout.WIDTH - 2), rng.randrange(2, 150)
        fade = 1.0 - smoothstep(60, 150, y)
        fade *= 1.0 - smoothstep(0.45, 0.65, clouds[y * k][x * k])
        b = fade * (0.25 + 0.75 * rng.random() ** 3)
        if b < 0.08:
            continue
        lighten(x, y, b)
        if b > 0.6:          # the brightest get a faint cross
            for ox, oy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                lighten(x + ox, y + oy, b * 0.35)


def ridge(seed, base, amplitude, cell, sides, k):
    """Top row of a mountain range for each x: ridged noise, higher at the sides."""
    n = noise_1d(layout.WIDTH * k + 1, cell * k, 5, seed)
    line = []
    for x in range(layout.WIDTH * k):
        r = 1.0 - abs(2.0 * n[x] - 1.0)           # sharp crests
        side = abs(x - 320 * k) / (320.0 * k)
        lift = 1.0 - sides + sides * 2.2 * side ** 1.6
        line.append((base - amplitude * r * lift) * k)
    return line


def mountains(img, k):
    # far -> near: (seed, base, amplitude, cell, sides, colour, rim light)
    layers = [
        (3, 214, 34, 70, 0.3, mix(P.HAZE, P.SKY[-1][1], 0.25), 0.0),
        (5, 226, 48, 96, 0.5, (84, 46, 84), 0.55),
        (9, 244, 58, 120, 0.7, (36, 26, 52), 0.4),
        (13, 268, 62, 150, 0.9, P.DECK, 0.16),
    ]
    w = layout.WIDTH * k
    for i, (seed, base, amp, cell, sides, colour, rim) in enumerate(layers):
        line = ridge(seed, base, amp, cell, sides, k)
        keep = plateau(line, k) if i == 2 else None
        mask = supersampled_mask(img.size, 4, lambda d, s: d.polygon(
            [(x * s, line[x] * s) for x in range(w)] + [(w * s, line[w - 1] * s),
                                                         (w * s, img.height * s), (0, img.height * s)],
            fill=255))
        # Evening haze thickens low in each range, strongest for the far ones.
        fill = Image.new("RGB", img.size)
        px = fill.load()
        haze_colour = P.EMBER if i < 2 else (120, 60, 80)
        for x in range(w):
            for y in range(max(0, int(line[x]) - 3 * k), img.height):
                haze = (0.28 - 0.07 * i) * smoothstep(0, 40 * k, y - line[x])
                px[x, y] = to_rgb(mix(colour, haze_colour, max(0.0, haze)))
        img.paste(fill, (0, 0), mask)
        if rim:
            # The sunset catching the crest: a thin light edge, strongest near the sun.
            edge = ImageChops.subtract(mask, shifted(mask, 0, k))
            reach = Image.new("L", img.size)
            rp = reach.load()
            for x in range(w):
                v = int(255 * rim * max(0.0, 1.0 - abs(x - SUN[0] * k) / (460.0 * k)))
                for y in range(img.height):
                    rp[x, y] = v
            edge = ImageChops.multiply(edge, reach)
            overlay(img, tinted(edge, RIM))
        if keep:
            castle(img, keep, colour, k)
        if i < 3:
            mist(img, line, i, k)


def mist(img, line, i, k):
    """A soft veil of warm light lying on the lower slopes of a range."""
    rng_noise = fbm((layout.WIDTH * k, 40 * k), 32 * k, 3, seed=20 + i, stretch=5)
    px = img.load()
    base = max(line) + 6 * k
    for y in range(int(base) - 30 * k, min(DECK_TOP * k, int(base) + 10 * k)):
        t = 1.0 - abs(y - (base - 10 * k)) / (20.0 * k)
        if t <= 0:
            continue
        for x in range(layout.WIDTH * k):
            if y < line[x]:
                continue
            a = 0.22 * t * smoothstep(0.35, 0.8, rng_noise[(y - int(base) + 30 * k) % (40 * k)][x])
            px[x, y] = to_rgb(mix(px[x, y], mix(P.HAZE, P.EMBER, 0.4), a))


def plateau(line, k):
    """Levels the highest crest right of the logo into a shelf for the castle;
    returns the castle's (x, ground row)."""
    x0 = max(range(470 * k, 545 * k), key=lambda x: -line[x])
    top = line[x0] + 3 * k
    for x in range(x0 - 40 * k, min(layout.WIDTH * k, x0 + 41 * k)):
        t = smoothstep(12 * k, 40 * k, abs(x - x0))
        line[x] = top + (line[x] - top) * t
    return x0, int(top) + k


def castle(img, keep, colour, k):
    """A keep with three towers on its shelf."""
    x0, ground = keep

    def paint(d, s):
        def box(l, t, r, b):
            d.rectangle([(x0 + l * k) * s, (ground - t * k) * s, (x0 + r * k) * s, (ground - b * k) * s], fill=255)

        def roof(l, r, base, tip):
            d.polygon([((x0 + l * k) * s, (ground - base * k) * s), ((x0 + r * k) * s, (ground - base * k) * s),
                       ((x0 + (l + r) / 2 * k) * s, (ground - tip * k) * s)], fill=255)
        box(-14, 14, 14, -4)          # curtain wall
        box(-5, 30, 5, 10)            # keep
        roof(-6.5, 6.5, 30, 46)
        box(-14, 22, -8, 10)          # left tower
        roof(-15.5, -6.5, 22, 32)
        box(9, 20, 14, 10)            # right tower
        roof(7.5, 15.5, 20, 29)
        for bx in range(-14, 15, 4):  # battlements
            box(bx, 16, bx + 2, 14)
    mask = supersampled_mask(img.size, 4, paint)
    overlay(img, tinted(mask, colour))
    px = img.load()
    windows = [(x0 + wx * k + sx, ground - wy * k + sy) for wx, wy in ((0, 22), (-11, 16), (11, 15), (3, 8))
               for sy in range(k) for sx in range(k)]
    for x, y in windows:                                        # lit windows
        px[x, y] = (255, 196, 120)
    halo = Image.new("L", img.size, 0)
    hd = ImageDraw.Draw(halo)
    for x, y in windows:
        hd.point((x, y), fill=255)
    overlay(img, glow(halo, 2.0 * k, (255, 170, 90), 0.9))


def logo(img, k):
    """TARVIK in bevelled metal with a cold glow, and the subtitle under it."""
    scale = 2 * k
    w, h = layout.WIDTH * scale, 200 * scale
    face = font("dejavu/DejaVuSerif-Bold", 68 * scale)
    text, tracking = "TARVIK", 7 * scale
    widths = [face.getlength(ch) for ch in text]
    total = sum(widths) + tracking * (len(text) - 1)
    left, top = (w - total) / 2, 28 * scale
    mask = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(mask)
    x = left
    for ch, cw in zip(text, widths):
        d.text((x, top), ch, font=face, fill=255)
        x += cw + tracking
    box = mask.getbbox()
    t0, t1 = box[1], box[3]

    metal = vertical_gradient((w, h), [
        (0.0, (255, 255, 255)),
        (t0 / h, (255, 255, 255)),
        ((t0 + 0.46 * (t1 - t0)) / h, (178, 196, 222)),
        ((t0 + 0.50 * (t1 - t0)) / h, (58, 72, 98)),
        ((t0 + 0.56 * (t1 - t0)) / h, (150, 108, 52)),
        ((t0 + 0.80 * (t1 - t0)) / h, (238, 190, 102)),
        (t1 / h, (255, 236, 178)),
        (1.0, (255, 236, 178)),
    ]).convert("RGBA")
    light, shade = bevel(mask, 3 * scale, 2 * scale)
    metal.alpha_composite(tinted(light, (255, 255, 255), 0.85))
    metal.alpha_composite(tinted(shade, (20, 12, 4), 0.75))
    metal.putalpha(mask)

    outline = mask.filter(ImageFilter.MaxFilter(5 * scale - 1))
    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    layer.alpha_composite(glow(outline, 14 * scale, (40, 170, 255), 0.75))
    layer.alpha_composite(glow(outline, 4 * scale, (120, 220, 255), 0.55))
    layer.alpha_composite(tinted(outline, (6, 8, 16), 0.92))
    layer.alpha_composite(metal)
    sparkle(layer, (box[2] - 22 * scale, t0 + 4 * scale), 22 * scale, k)
    small = layer.resize((layout.WIDTH * k, 200 * k), Image.LANCZOS)
    overlay(img, small)
    subtitle(img, t1 // scale + 14, k)


def sparkle(layer, centre, size, k):
    cx, cy = centre

    def paint(d, s):
        for rx, ry in ((size, size * 0.07), (size * 0.07, size * 0.7)):
            d.polygon([(cx - rx, cy), (cx, cy - ry), (cx + rx, cy), (cx, cy + ry)], fill=255)
    star = Image.new("L", layer.size, 0)
    paint(ImageDraw.Draw(star), 1)
    layer.alpha_composite(glow(star, 6 * k, (160, 230, 255), 0.9))
    layer.alpha_composite(tinted(star, (255, 255, 255)))


def subtitle(img, y, k):
    """The subtitle with its top at row y of the skin."""
    face = font("liberation/LiberationSans-Bold", 11 * k)
    text, tracking = "FULL-CLIENT DOWNLOADER", 3.2 * k
    widths = [face.getlength(ch) for ch in text]
    total = sum(widths) + tracking * (len(text) - 1)
    x = round((layout.WIDTH * k - total) / 2)
    y *= k
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    shadow = Image.new("L", img.size, 0)
    d, sd = ImageDraw.Draw(layer), ImageDraw.Draw(shadow)
    cx = x
    for ch, cw in zip(text, widths):
        sd.text((cx, y + k), ch, font=face, fill=255)
        d.text((cx, y), ch, font=face, fill=(236, 206, 146, 255))
        cx += cw + tracking
    overlay(img, glow(shadow, 2 * k, (0, 0, 0), 0.9))
    overlay(img, layer)
    # Rules either side, fading outwards, each ending in a small diamond.
    mid = y + 7 * k
    rules = Image.new("RGBA", img.size, (0, 0, 0, 0))
    rd = ImageDraw.Draw(rules)
    for side in (-1, 1):
        near = x - 10 * k if side < 0 else x + total + 10 * k
        for i in range(90 * k):
            a = int(200 * (1 - i / (90 * k)) ** 1.5)
            px = near + side * (i + 8 * k)
            for row in range(k):
                rd.point((px, mid + row), fill=(236, 206, 146, a))
        rd.polygon([(near, mid - 3 * k), (near + 3 * k, mid), (near, mid + 3 * k), (near - 3 * k, mid)],
                   fill=(236, 206, 146, 230))
    overlay(img, rules)


def deck(img, k):
    """The control deck: the flat information strip, the progress channel, the
    tray with the path field and the button sockets, and the accent line."""
    w, h = img.size
    d = ImageDraw.Draw(img, "RGBA")
    d.rectangle([0, DECK_TOP * k, w - 1, h - 1], fill=P.DECK)

    # Accent line between the artwork and the deck: cyan at the centre, fading out.
    for x in range(w):
        t = 1.0 - abs(x - w / 2) / (w / 2)
        line = mix(P.DECK, P.CYAN, 0.85 * t ** 1.4)
        for row in range(k):
            img.putpixel((x, (DECK_TOP + 1) * k + row), to_rgb(line))
            img.putpixel((x, DECK_TOP * k + row), to_rgb(mix(P.DECK, (0, 0, 0), 0.6)))
        for j in range(2, 8):        # its light falling on the deck below
            a = 0.22 * t ** 1.4 * math.exp(-(j - 1) / 1.6)
            for row in range(k):
                img.putpixel((x, (DECK_TOP + j) * k + row), to_rgb(mix(P.DECK, P.CYAN, a)))

    # The tray that holds the folder button, the path field and the command buttons.
    tray = (21, 327, 623, 372)
    grad = vertical_gradient(((tray[2] - tray[0]) * k, (tray[3] - tray[1]) * k),
                             [(0, P.TRAY_TOP), (1, P.TRAY_BOTTOM)])
    corner = Image.new("L", grad.size, 0)
    ImageDraw.Draw(corner).rounded_rectangle([0, 0, grad.width - 1, grad.height - 1], 5 * k, fill=255)
    img.paste(grad, (tray[0] * k, tray[1] * k), corner)
    d.rounded_rectangle(scaled_box(tray[0] - 1, tray[1] - 1, tray[2], tray[3], k), 6 * k, outline=P.DECK_EDGE,
                        width=k)
    hline(d, tray[0] + 5, tray[2] - 6, tray[1], (255, 255, 255, 26), k)

    for x, y in layout.BUTTONS.values():
        socket(d, (x, y, x + layout.BUTTON_SIZE[0], y + layout.BUTTON_SIZE[1]), k)
    field(img, d, k)

    # Under the progress channel: a dark lip, then a faint highlight, so the
    # track reads as set into the deck (its other sides lie in the flat strip).
    bx0, by0, bx1, by1 = layout.PROGRESS_BOX
    hline(d, bx0, bx1 - 1, by1, (6, 8, 12, 255), k)
    hline(d, bx0, bx1 - 1, by1 + 1, (255, 255, 255, 14), k)


def socket(d, box, k):
    """A recessed socket one pixel around a button: dark rim, light lower lip."""
    l, t, r, b = box
    d.rectangle(scaled_box(l - 1, t - 1, r, b, k), outline=P.DECK_EDGE, width=k)
    hline(d, l - 1, r, b + 1, (255, 255, 255, 22), k)
    hline(d, l - 2, r + 1, t - 2, (0, 0, 0, 60), k)


def field(img, d, k):
    """The dark inset field behind the download folder's path, with a folder glyph."""
    l, t, r, b = layout.PATH_FIELD_BOX
    d.rectangle(scaled_box(l, t, r - 1, b - 1, k), fill=P.FIELD)
    for j, a in enumerate((110, 60, 25)):        # inner shadow from the top edge
        hline(d, l, r - 1, t + j, (0, 0, 0, a), k)
    socket(d, (l, t, r, b), k)
    hline(d, l, r - 1, t, (0, 0, 0, 255), k)

    def paint(g, s):
        s *= k
        x, y = l + 5, t + 9                          # left of the path's first letter
        g.rounded_rectangle([x * s, (y + 2) * s, (x + 12) * s, (y + 11) * s], 1 * s, fill=255)
        g.polygon([(x * s, (y + 3) * s), (x * s, y * s), ((x + 5) * s, y * s), ((x + 6) * s, (y + 2) * s)],
                  fill=255)
    glyph = supersampled_mask(img.size, 4, paint)
    overlay(img, tinted(glyph, P.CYAN, 0.55))


def frame(img, k):
    """A thin dark rim round the window, broken only by the flat strip's rows."""
    w, h = layout.WIDTH, layout.HEIGHT
    d = ImageDraw.Draw(img, "RGBA")
    fx0, fy0, fx1, fy1 = layout.FLAT_BOX
    for y in (0, h - 1):
        hline(d, 0, w - 1, y, P.DECK_EDGE, k)
    for x in (0, w - 1):
        vline(d, x, 0, fy0 - 1, P.DECK_EDGE, k)
        vline(d, x, fy1, h - 1, P.DECK_EDGE, k)
    # A faint inner light along the top and the artwork's sides.
    hline(d, 1, w - 2, 1, (255, 255, 255, 30), k)
    for x in (1, w - 2):
        vline(d, x, 1, DECK_TOP - 1, (255, 255, 255, 14), k)


def vignette(img, k):
    """Darken the artwork towards its corners so the eye rests on the logo."""
    w = img.width
    shade = Image.new("L", (w, DECK_TOP * k), 0)
    px = shade.load()
    for y in range(DECK_TOP * k):
        for x in range(w):
            dx, dy = (x - w / 2) / (w / 2), (y - 110 * k) / (170 * k)
            px[x, y] = int(150 * smoothstep(0.55, 1.35, math.sqrt(dx * dx + dy * dy)))
    dark = Image.new("RGB", shade.size, (2, 3, 8))
    region = img.crop((0, 0, w, DECK_TOP * k))
    region.paste(dark, (0, 0), shade)
    img.paste(region, (0, 0))


def build(k=1):
    """The background at k times the skin's size."""
    img = Image.new("RGB", (layout.WIDTH * k, layout.HEIGHT * k), P.DECK)
    img.paste(sky(k), (0, 0))
    mountains(img, k)
    vignette(img, k)
    logo(img, k)
    deck(img, k)
    frame(img, k)
    # The flat strip is painted last, so nothing above can leak into it.
    fx0, fy0, fx1, fy1 = layout.FLAT_BOX
    img.paste(P.DECK, (fx0 * k, fy0 * k, fx1 * k, fy1 * k))
    return img
