"""Small drawing helpers shared by the background, button and icon builders.

Everything here is deterministic: noise comes from seeded generators, and the
files are written without timestamps, so a rebuild gives the same bytes.
"""

import io
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

FONT_DIR = "/usr/share/fonts/truetype"
JPEG_QUALITY = 94


def font(name, size):
    """A Debian-shipped TrueType face, e.g. font("dejavu/DejaVuSans-Bold", 11)."""
    return ImageFont.truetype(f"{FONT_DIR}/{name}.ttf", size)


def mix(a, b, t):
    """Colour a..b at t in 0..1 (floats kept; round when writing pixels)."""
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def ramp(stops, t):
    """Colour at t along stops [(t0, colour0), (t1, colour1), ...] sorted by t."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return stops[-1][1]


def smoothstep(e0, e1, x):
    t = min(1.0, max(0.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def to_rgb(colour):
    return tuple(max(0, min(255, int(round(c)))) for c in colour)


def value_noise(size, cell, rng):
    """Smooth noise (an 'L' image): a random grid of one value per cell, bicubic-scaled."""
    w, h = size
    gw, gh = w // cell + 3, h // cell + 3
    grid = Image.frombytes("L", (gw, gh), bytes(rng.randrange(256) for _ in range(gw * gh)))
    big = grid.resize((gw * cell, gh * cell), Image.BICUBIC)
    return big.crop((cell, cell, cell + w, cell + h))


def fbm(size, cell, octaves, seed, stretch=1):
    """Fractal noise as a list of rows of floats in 0..1; stretch > 1 widens features."""
    rng = random.Random(seed)
    w, h = size
    total = [[0.0] * w for _ in range(h)]
    weight, norm = 1.0, 0.0
    for _ in range(octaves):
        small = value_noise((max(1, w // stretch), h), max(2, cell), rng)
        layer = small.resize((w, h), Image.BICUBIC) if stretch > 1 else small
        px = layer.load()
        for y in range(h):
            row = total[y]
            for x in range(w):
                row[x] += weight * px[x, y] / 255.0
        norm += weight
        weight *= 0.5
        cell //= 2
    return [[v / norm for v in row] for row in total]


def noise_1d(length, cell, octaves, seed):
    """Fractal noise along a line, floats in 0..1 (for ridge lines)."""
    rng = random.Random(seed)
    total = [0.0] * length
    weight, norm = 1.0, 0.0
    for _ in range(octaves):
        points = [rng.random() for _ in range(length // cell + 4)]
        for x in range(length):
            f = x / cell
            i = int(f)
            t = f - i
            t = t * t * (3 - 2 * t)
            total[x] += weight * (points[i] + (points[i + 1] - points[i]) * t)
        norm += weight
        weight *= 0.5
        cell = max(1, cell // 2)
    return [v / norm for v in total]


def supersampled_mask(size, factor, paint):
    """An 'L' coverage mask painted by paint(draw, scale) at factor times the size."""
    w, h = size
    big = Image.new("L", (w * factor, h * factor), 0)
    paint(ImageDraw.Draw(big), factor)
    return big.resize(size, Image.LANCZOS)


def tinted(mask, colour, strength=1.0):
    """An RGBA layer of one colour whose alpha is mask scaled by strength."""
    layer = Image.new("RGBA", mask.size, to_rgb(colour) + (0,))
    alpha = mask if strength == 1.0 else mask.point(lambda v: int(round(v * strength)))
    layer.putalpha(alpha)
    return layer


def overlay(img, layer):
    """Paints an RGBA layer over img (RGB), by the layer's own alpha."""
    img.paste(layer, (0, 0), layer)


def glow(mask, radius, colour, strength=1.0):
    """A soft halo of colour around the mask."""
    return tinted(mask.filter(ImageFilter.GaussianBlur(radius)), colour, strength)


def shifted(mask, dx, dy):
    """The mask moved by (dx, dy), filled with 0 where it uncovers."""
    out = Image.new("L", mask.size, 0)
    out.paste(mask, (dx, dy))
    return out


def bevel(mask, blur, depth):
    """Light and shade masks of an embossed shape lit from above.

    The blurred shape's slope facing up gives the light, facing down the shade.
    """
    soft = mask.filter(ImageFilter.GaussianBlur(blur))
    # soft minus soft moved down is positive where the shape's top edge is.
    light = ImageChops.subtract(soft, shifted(soft, 0, depth), scale=1.0 / 3.0)
    light = ImageChops.multiply(light.point(lambda v: min(255, v * 4)), mask)
    shade = ImageChops.subtract(soft, shifted(soft, 0, -depth), scale=1.0 / 3.0)
    shade = ImageChops.multiply(shade.point(lambda v: min(255, v * 4)), mask)
    return light, shade


def scaled_box(left, top, right, bottom, k):
    """The pixels [left..right] x [top..bottom] of the skin (inclusive, as
    ImageDraw takes them) in an image k times its size."""
    return [left * k, top * k, right * k + k - 1, bottom * k + k - 1]


def hline(d, x0, x1, y, fill, k):
    """A one-pixel row of the skin from x0 to x1 (inclusive): k rows at k times the size."""
    for row in range(k):
        d.line([x0 * k, y * k + row, x1 * k + k - 1, y * k + row], fill=fill)


def vline(d, x, y0, y1, fill, k):
    """A one-pixel column of the skin from y0 to y1 (inclusive): k columns at k times the size."""
    for column in range(k):
        d.line([x * k + column, y0 * k, x * k + column, y1 * k + k - 1], fill=fill)


def vertical_gradient(size, stops):
    """An RGB image whose rows follow the colour ramp stops (t from 0 at top to 1 at bottom)."""
    w, h = size
    column = Image.new("RGB", (1, h))
    for y in range(h):
        column.putpixel((0, y), to_rgb(ramp(stops, y / max(1, h - 1))))
    return column.resize((w, h), Image.NEAREST)


def jpeg_bytes(image):
    """Baseline JPEG, full-resolution chroma (4:4:4), no optimisation: the same
    bytes every run, and decoders agree on it within one level."""
    out = io.BytesIO()
    image.convert("RGB").save(out, "JPEG", quality=JPEG_QUALITY, subsampling=0,
                              progressive=False, optimize=False)
    return out.getvalue()


def decoded_jpeg(image):
    return Image.open(io.BytesIO(jpeg_bytes(image))).convert("RGB")


def flat_colour_near(target):
    """The colour closest to target that a flat 8x8 block keeps exactly through
    JPEG encoding and decoding, so a flat area's value is known in advance."""
    best = None
    for dr in range(-3, 4):
        for dg in range(-3, 4):
            for db in range(-3, 4):
                c = (target[0] + dr, target[1] + dg, target[2] + db)
                if min(c) < 0 or max(c) > 255:
                    continue
                if decoded_jpeg(Image.new("RGB", (8, 8), c)).getpixel((3, 3)) != c:
                    continue
                d = dr * dr + dg * dg + db * db
                if best is None or d < best[0]:
                    best = (d, c)
    if best is None:
        raise RuntimeError(f"no colour near {target} survives JPEG unchanged")
    return best[1]


def write_jpeg(image, path):
    with open(path, "wb") as f:
        f.write(jpeg_bytes(image))
