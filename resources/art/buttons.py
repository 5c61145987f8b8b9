"""The twenty 70x30 button images: five commands in four states each.

A button is drawn over the background it covers, so its rounded corners blend
into the socket; Over lights up, Down is sunk with its content moved down and
right by a pixel, Disabled is greyed out with a dim label. k is the image's
size in multiples of the skin's (1, or 2 for displays above 96 DPI).
"""

from PIL import Image, ImageDraw, ImageFilter

import layout
import palette as P
from artlib import font, hline, supersampled_mask, tinted, vertical_gradient

W, H = layout.BUTTON_SIZE
LABELS = {"folder": "FOLDER", "play": "PLAY", "start": "START", "pause": "PAUSE", "exit": "EXIT"}
LABEL_FONT = ("liberation/LiberationSans-Bold", 11)
TRACKING = 0.6
GLYPH = 11                      # glyph box, pixels
GAP = 5                         # between glyph and label
MAX_CONTENT = 58                # leaves room for the rim and the pressed shift

# Per kind and state: body gradient (top, bottom), rim colour and strength,
# glyph colour and label colour.
STEEL = {
    "normal": dict(body=(P.STEEL_LIGHT, P.STEEL_DARK), rim=(P.CYAN, 0.18),
                   glyph=P.CYAN, label=P.LABEL),
    "over": dict(body=((74, 92, 112), (32, 42, 56)), rim=(P.CYAN, 0.95),
                 glyph=(160, 240, 255), label=(255, 255, 255), inner_glow=(P.CYAN, 0.6)),
    "down": dict(body=((16, 19, 26), (34, 40, 52)), rim=(P.CYAN, 0.55),
                 glyph=(40, 180, 214), label=(178, 192, 208), sunk=True),
    "disabled": dict(body=((40, 42, 46), (28, 30, 33)), rim=((120, 124, 130), 0.08),
                     glyph=(82, 87, 95), label=(96, 101, 109)),
}
GOLD = {
    "normal": dict(body=((240, 192, 98), (150, 94, 28)), rim=(P.GOLD_LIGHT, 0.45),
                   glyph=(52, 28, 4), label=(44, 24, 4), engraved=True),
    "over": dict(body=((255, 222, 140), (196, 128, 40)), rim=((255, 250, 220), 0.95),
                 glyph=(40, 20, 0), label=(32, 16, 0), engraved=True,
                 inner_glow=((255, 244, 200), 0.45)),
    "down": dict(body=((128, 80, 22), (196, 138, 58)), rim=(P.GOLD, 0.6),
                 glyph=(40, 22, 2), label=(36, 20, 2), engraved=True, sunk=True),
    "disabled": STEEL["disabled"],
}


def glyph_mask(name, offset, k):
    """The command's small symbol, antialiased, placed with its box's corner at
    offset (in the image's pixels)."""
    ox, oy = offset

    def paint(d, s):
        def p(x, y):
            return ((ox + x * k) * s, (oy + y * k) * s)
        if name == "folder":
            d.polygon([p(0, 1.5), p(4.2, 1.5), p(5.4, 3), p(11, 3), p(11, 10), p(0, 10)], fill=255)
            d.rectangle([p(1, 5), p(10, 9)], fill=0)
            d.polygon([p(1.2, 5.2), p(10, 5.2), p(10, 9), p(1.2, 9)], fill=150)
        elif name == "play":
            d.polygon([p(1.5, 0.5), p(11, 5.5), p(1.5, 10.5)], fill=255)
        elif name == "start":
            d.rectangle([p(4, 0), p(7, 5)], fill=255)
            d.polygon([p(1, 4.5), p(10, 4.5), p(5.5, 9)], fill=255)
            d.rectangle([p(0, 9.6), p(11, 11)], fill=255)
        elif name == "pause":
            d.rectangle([p(1.5, 0.5), p(4.5, 10.5)], fill=255)
            d.rectangle([p(6.5, 0.5), p(9.5, 10.5)], fill=255)
        elif name == "exit":
            d.line([p(1.5, 1.5), p(9.5, 9.5)], fill=255, width=int(2.4 * s * k))
            d.line([p(9.5, 1.5), p(1.5, 9.5)], fill=255, width=int(2.4 * s * k))
    return supersampled_mask((W * k, H * k), 4, paint)


def spacing(text):
    """Letter tracking and glyph gap: airy, unless the label would crowd the edges."""
    face = font(*LABEL_FONT)
    plain = sum(face.getlength(ch) for ch in text)
    if GLYPH + GAP + plain + TRACKING * (len(text) - 1) <= MAX_CONTENT:
        return TRACKING, GAP
    return 0.0, GAP - 1


def label_face(k):
    return font(LABEL_FONT[0], LABEL_FONT[1] * k)


def label_mask(text, origin, k):
    face = label_face(k)
    tracking, _ = spacing(text)
    mask = Image.new("L", (W * k, H * k), 0)
    d = ImageDraw.Draw(mask)
    x, y = origin
    for ch in text:
        d.text((x, y), ch, font=face, fill=255)
        x += face.getlength(ch) + tracking * k
    return mask


def content_width(text, k):
    face = label_face(k)
    tracking, gap = spacing(text)
    return GLYPH * k + gap * k + sum(face.getlength(ch) for ch in text) + tracking * k * (len(text) - 1)


def body_masks(k):
    """The whole button with rounded corners, its face inside the dark outline,
    and the face less its one-pixel rim."""
    size = (W * k, H * k)
    outer = supersampled_mask(size, 4, lambda d, s: d.rounded_rectangle(
        [0, 0, W * s * k - 1, H * s * k - 1], 3.5 * s * k, fill=255))
    inner = supersampled_mask(size, 4, lambda d, s: d.rounded_rectangle(
        [1 * s * k, 1 * s * k, (W - 1) * s * k - 1, (H - 1) * s * k - 1], 2.5 * s * k, fill=255))
    rim_inner = supersampled_mask(size, 4, lambda d, s: d.rounded_rectangle(
        [2 * s * k, 2 * s * k, (W - 2) * s * k - 1, (H - 2) * s * k - 1], 1.5 * s * k, fill=255))
    return outer, inner, rim_inner


def render(name, state, under, k=1):
    """One button image; under is the background it is drawn over (70x30 times k)."""
    style = (GOLD if name == "play" else STEEL)[state]
    size = (W * k, H * k)
    img = under.convert("RGBA")
    outer, inner, rim_inner = body_masks(k)

    img.alpha_composite(tinted(outer, P.DECK_EDGE))
    face = vertical_gradient(size, [(0.0, style["body"][0]), (1.0, style["body"][1])]).convert("RGBA")
    img.paste(face, (0, 0), inner)

    # The rim: one pixel inside the outline, in the state's accent.
    rim_colour, rim_strength = style["rim"]
    ring = Image.composite(Image.new("L", size, 0), inner, rim_inner)
    img.alpha_composite(tinted(ring, rim_colour, rim_strength))

    if "inner_glow" in style:
        colour, strength = style["inner_glow"]
        halo = ring.filter(ImageFilter.GaussianBlur(2.2 * k))
        halo = Image.composite(halo, Image.new("L", size, 0), rim_inner)
        img.alpha_composite(tinted(halo, colour, strength))

    lines = Image.new("RGBA", size, (0, 0, 0, 0))
    d = ImageDraw.Draw(lines)
    if style.get("sunk"):
        # Pressed: a shadow inside the top edge instead of the light.
        for j, a in enumerate((150, 80, 30)):
            hline(d, 2, W - 3, 2 + j, (0, 0, 0, a), k)
    else:
        # A soft gloss over the upper half and a light line along the top.
        if state != "disabled":
            for y in range(3, H // 2):
                a = int(30 * (1 - (y - 3) / (H // 2 - 3)) ** 1.5)
                hline(d, 2, W - 3, y, (255, 255, 255, a), k)
        hline(d, 3, W - 4, 2, (255, 255, 255, 60 if state != "disabled" else 16), k)
    img.alpha_composite(lines)

    # Glyph and label centred together; pressed content moves by one pixel.
    text = LABELS[name]
    total = content_width(text, k)
    shift = k if style.get("sunk") else 0
    gx = round((W * k - total) / 2) + shift
    gy = (H * k - GLYPH * k) // 2 + shift
    face = label_face(k)
    cap = face.getbbox("H")
    ty = round((H * k - (cap[3] - cap[1])) / 2 - cap[1]) + shift
    glyph = glyph_mask(name, (gx, gy), k)
    label = label_mask(text, (gx + GLYPH * k + spacing(text)[1] * k, ty), k)
    content = Image.composite(label, glyph, label)
    below = Image.new("L", size, 0)
    below.paste(content, (0, k))
    if style.get("engraved"):
        # Dark lettering pressed into the gold: a light edge below it.
        img.alpha_composite(tinted(below, (255, 240, 200), 0.45))
    elif state != "disabled":
        img.alpha_composite(tinted(below.filter(ImageFilter.GaussianBlur(0.7 * k)), (0, 0, 0), 0.9))
    if state == "over" and name != "play":
        img.alpha_composite(tinted(content.filter(ImageFilter.GaussianBlur(2.5 * k)), P.CYAN, 0.55))
    img.alpha_composite(tinted(glyph, style["glyph"]))
    img.alpha_composite(tinted(label, style["label"]))
    return img.convert("RGB")


def build(background, k=1):
    """{(name, state): image} for every button, each over its own piece of the
    background (which is k times the skin's size)."""
    images = {}
    for name, (x, y) in layout.BUTTONS.items():
        under = background.crop((x * k, y * k, (x + W) * k, (y + H) * k))
        for state in layout.STATES:
            images[(name, state)] = render(name, state, under, k)
    return images
