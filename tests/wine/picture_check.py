#!/usr/bin/python3
"""Judges a screenshot of the main window (640x380, taken from outside) against
the artwork the program embeds: the background everywhere the children do not
cover, each button's image for its state, the progress bar's margin, fill and
texts, the folder text in its box and the panel over its backdrop. On a scaled
display (--scale) the window and every place are that many times the skin's,
and the expected pixels are the larger artwork's, brought to that size.

  picture_check.py SHOT.png RESOURCE_SCRIPT [options]
    --buttons launch=D,start=N,pause=D,cancel=N,folder=N   N normal, O over, D down, X disabled
    --fill PIXELS|any      expected fill width of the bar (default 0)
    --measure-fill         only print the bar's fill width
  picture_check.py --watch-fill X Y SECONDS
    prints "SECONDS FILL" for the window at (X, Y) on $DISPLAY, as often as the
    screen can be read (every ~15 ms), for that long
    --folder-text yes|no   whether the folder text is drawn (default yes)
    --panel yes|no         whether the panel is there (default yes)
    --scale 1|1.5|2        the display's DPI / 96 (default 1): above 1 the
                           artwork made at twice the size is expected; at a
                           scale it does not match pixel for pixel, each part
                           is judged by its mean difference (interpolation
                           moves every edge a little)

Prints what it found and exits 1 when a check fails. Expected pixels are
decoded here with Pillow; the program decodes with Wine's imaging component,
which agrees within 1 per channel for 4:4:4 JPEGs; the background is drawn at
99% opacity, so a few more levels are allowed there.
"""
import argparse
import os
import re
import sys
import time

from PIL import Image

BUTTONS = {"folder": (29, 138), "launch": (312, 142), "start": (390, 146), "pause": (468, 150), "cancel": (546, 134)}
STATE_INDEX = {"N": 0, "O": 1, "D": 2, "X": 3}
BAR = (30, 306, 586, 18)
BAR_BG, BAR_FG = (0x33, 0x33, 0x33), (0x33, 0xDD, 0xFF)
RATE_RECT, SPEED_RECT = (263, 3, 323, 17), (486, 3, 581, 17)  # texts overflow their 10-pixel boxes
FOLDER_BOX = (128, 343, 301, 362)
PANEL = (32, 287, 590, 20)
BACKGROUND_TOLERANCE = 4
IMAGE_TOLERANCE = 2
# The large artwork's ids: each skin-sized id plus this (resource_ids.h).
DOUBLE_SIZE = 1000
# At a scale the large artwork is not drawn 1:1 at: the mean difference
# allowed over each part (an image of the wrong state is off by far more).
MEAN_TOLERANCE = 3.0

failures = []


def check(condition, message):
    print(("ok   " if condition else "FAIL ") + message)
    if not condition:
        failures.append(message)


def resources(script, names=None):
    """Resource id -> file, following #include lines of the resource script;
    ids given by name are those #defined in an included header
    (resource_ids.h)."""
    found = {}
    names = {} if names is None else names
    folder = os.path.dirname(os.path.abspath(script))
    for line in open(script, encoding="latin-1"):
        include = re.match(r'\s*#include\s+"([^"]+)"', line)
        if include:
            path = include.group(1)
            found.update(resources(path if os.path.isabs(path) else os.path.join(folder, path), names))
            continue
        define = re.match(r'\s*#define\s+(\w+)\s+(\d+)\s*$', line)
        if define:
            names[define.group(1)] = int(define.group(2))
            continue
        entry = re.match(r'\s*(\w+)\s+RCDATA\s+"([^"]+)"', line)
        if entry:
            path = entry.group(2).replace("\\\\", "/")
            name = entry.group(1)
            number = int(name) if name.isdigit() else names[name]
            found[number] = path if os.path.isabs(path) else os.path.join(folder, path)
    return found


def diff(a, b):
    return max(abs(x - y) for x, y in zip(a[:3], b[:3]))


def inside(x, y, rect):
    left, top, width, height = rect
    return left <= x < left + width and top <= y < top + height


def count_text_pixels(shot, rect, base, threshold=60):
    left, top, right, bottom = rect
    return sum(1 for y in range(top, bottom) for x in range(left, right) if diff(shot[x, y], base) > threshold)


def fill_width(shot, origin=(0, 0)):
    """The bar's filled width: its foreground colour from the left along the
    bar's second row, which no text reaches."""
    left, top, width, _ = BAR
    x = 0
    while x < width - 2 and diff(shot[origin[0] + left + 1 + x, origin[1] + top + 1], BAR_FG) <= 1:
        x += 1
    return x


def watch_fill(window_x, window_y, seconds):
    from PIL import ImageGrab
    start = time.time()
    while time.time() - start < seconds:
        grabbed = ImageGrab.grab(bbox=(window_x, window_y, window_x + 640, window_y + 380),
                                 xdisplay=os.environ["DISPLAY"]).convert("RGB")
        print("%.3f %d" % (time.time() - start, fill_width(grabbed.load())), flush=True)
    return 0


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "--watch-fill":
        return watch_fill(int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4]))
    parser = argparse.ArgumentParser()
    parser.add_argument("shot")
    parser.add_argument("script")
    parser.add_argument("--buttons", default="launch=X,start=N,pause=X,cancel=N,folder=N")
    parser.add_argument("--fill", default="0")
    parser.add_argument("--measure-fill", action="store_true")
    parser.add_argument("--folder-text", default="yes")
    parser.add_argument("--panel", default="yes")
    parser.add_argument("--scale", type=float, default=1.0)
    args = parser.parse_args()

    shot_image = Image.open(args.shot).convert("RGB")
    if args.measure_fill:
        print(fill_width(shot_image.load()))
        return 0
    files = resources(args.script)
    if args.scale != 1:
        return check_scaled(shot_image, files, args)
    check(shot_image.size == (640, 380), "the window is 640x380 (%dx%d)" % shot_image.size)
    shot = shot_image.load()
    background = Image.open(files[102]).convert("RGB").load()
    states = dict(item.split("=") for item in args.buttons.split(","))

    children = [(x, 335, 70, 30) for x, _ in BUTTONS.values()] + [BAR]
    if args.panel == "yes":
        children.append(PANEL)
    folder_rect = (FOLDER_BOX[0], FOLDER_BOX[1], FOLDER_BOX[2] - FOLDER_BOX[0], FOLDER_BOX[3] - FOLDER_BOX[1])
    worst = 0
    for y in range(380):
        for x in range(640):
            if any(inside(x, y, rect) for rect in children) or inside(x, y, folder_rect):
                continue
            worst = max(worst, diff(shot[x, y], background[x, y]))
    check(worst <= BACKGROUND_TOLERANCE, "the background shows around the children (largest difference %d)" % worst)

    for name, (left, first_id) in BUTTONS.items():
        index = STATE_INDEX[states[name]]
        image = Image.open(files[first_id + index]).convert("RGB").load()
        worst = max(diff(shot[left + x, 335 + y], image[x, y]) for y in range(30) for x in range(70))
        check(worst <= IMAGE_TOLERANCE, "%s shows image %d (largest difference %d)" % (name, first_id + index, worst))

    left, top, width, height = BAR
    # The bar's top row lies under the panel's last one (287 + 20 > 306).
    margin = [(x, height - 1) for x in range(width)] + [(0, y) for y in range(1, height)] + \
        [(width - 1, y) for y in range(1, height)]
    worst = max(diff(shot[left + x, top + y], BAR_BG) for x, y in margin)
    check(worst <= 1, "the bar keeps a one-pixel margin of its background (largest difference %d)" % worst)
    # "any": a bar filled some way, its fill and its rest clean on both rows.
    fill = fill_width(shot) if args.fill == "any" else int(args.fill)
    fill_columns = [x for x in range(1, min(fill, RATE_RECT[0] - 1) + 1)]
    empty_columns = [x for x in range(fill + 1, RATE_RECT[0] - 1)]
    worst_fill = max([diff(shot[left + x, top + y], BAR_FG) for x in fill_columns for y in (1, height - 2)] or [0])
    worst_empty = max([diff(shot[left + x, top + y], BAR_BG) for x in empty_columns for y in (1, height - 2)] or [0])
    check(worst_fill <= 1 and worst_empty <= 1,
          "the bar is filled %d pixels (differences: fill %d, rest %d)" % (fill, worst_fill, worst_empty))
    check(fill_width(shot) == fill, "the fill ends at %d pixels (%d)" % (fill, fill_width(shot)))
    bar = {(x, y): shot[left + x, top + y] for x in range(width) for y in range(height)}
    rate_pixels = sum(1 for (x, y), p in bar.items() if inside(x, y, (263, 3, 60, 14)) and diff(p, BAR_BG) > 60
                      and diff(p, BAR_FG) > 60)
    speed_pixels = sum(1 for (x, y), p in bar.items() if inside(x, y, (486, 3, 95, 14)) and diff(p, BAR_BG) > 60
                       and diff(p, BAR_FG) > 60)
    check(rate_pixels >= 20 and speed_pixels >= 40,
          "the rate and speed texts are drawn inside the bar (%d and %d text pixels)" % (rate_pixels, speed_pixels))

    check_folder_and_panel(shot, background, args, folder_rect, PANEL, 1)
    return summary()


def px(dips, scale):
    """Skin units in the display's pixels, as the program rounds them."""
    value = dips * scale
    return int(value + 0.5) if value >= 0 else -int(-value + 0.5)


def check_scaled(shot_image, files, args):
    """The same checks on a scaled window: the places scaled, the larger
    artwork brought to the drawn size, each part judged exactly where it is
    drawn 1:1 (a scale of 2) and by its mean difference otherwise."""
    s = args.scale
    exact = s == 2
    size = (px(640, s), px(380, s))
    check(shot_image.size == size, "the window is %dx%d (%dx%d)" % (size + shot_image.size))
    if shot_image.size != size:
        return 1
    shot = shot_image.load()

    def art(resource, width, height):
        image = Image.open(files[resource + DOUBLE_SIZE]).convert("RGB")
        return image if image.size == (width, height) else image.resize((width, height), Image.BICUBIC)

    background = art(102, *size).load()
    states = dict(item.split("=") for item in args.buttons.split(","))

    def judged(differences, tolerance):
        differences = list(differences)
        if exact:
            return max(differences), max(differences) <= tolerance
        mean = sum(differences) / len(differences)
        return mean, mean <= MEAN_TOLERANCE

    def box(left, top, width, height):
        return (px(left, s), px(top, s), px(width, s), px(height, s))

    buttons = {name: box(left, 335, 70, 30) for name, (left, _) in BUTTONS.items()}
    bar, panel = box(*BAR), box(*PANEL)
    folder = box(FOLDER_BOX[0], FOLDER_BOX[1], FOLDER_BOX[2] - FOLDER_BOX[0], FOLDER_BOX[3] - FOLDER_BOX[1])
    children = list(buttons.values()) + [bar] + ([panel] if args.panel == "yes" else [])
    # An interpolated edge reaches a pixel past each child's place.
    margin = 0 if exact else 1
    grown = [(l - margin, t - margin, w + 2 * margin, h + 2 * margin) for l, t, w, h in children + [folder]]
    value, ok = judged((diff(shot[x, y], background[x, y]) for y in range(size[1]) for x in range(size[0])
                        if not any(inside(x, y, rect) for rect in grown)), BACKGROUND_TOLERANCE)
    check(ok, "the background shows around the children (%s difference %.1f)" % ("largest" if exact else "mean", value))

    for name, (left, top, width, height) in buttons.items():
        resource = BUTTONS[name][1] + STATE_INDEX[states[name]]
        image = art(resource, width, height).load()
        value, ok = judged((diff(shot[left + x, top + y], image[x, y]) for y in range(height) for x in range(width)),
                           IMAGE_TOLERANCE)
        check(ok, "%s shows image %d at (%d, %d) (difference %.1f)" % (name, resource + DOUBLE_SIZE, left, top, value))

    left, top, width, height = bar
    # The bar's top row lies under the panel's last one.
    inside_bar = [(x, y) for x in range(width) for y in range(px(1, s), height)]
    off = sum(1 for x, y in inside_bar if diff(shot[left + x, top + y], BAR_BG) > 1)
    rate_box, speed_box = box(263, 3, 60, 14), box(486, 3, 95, 14)
    rate = sum(1 for x, y in inside_bar if inside(x, y, rate_box) and diff(shot[left + x, top + y], BAR_BG) > 60)
    speed = sum(1 for x, y in inside_bar if inside(x, y, speed_box) and diff(shot[left + x, top + y], BAR_BG) > 60)
    texts = [(x, y) for x, y in inside_bar
             if any(inside(x, y, (l - margin, t - margin, w + 2 * margin, h + 2 * margin))
                    for l, t, w, h in (rate_box, speed_box))]
    text_off = sum(1 for x, y in texts if diff(shot[left + x, top + y], BAR_BG) > 1)
    check(off == text_off, "the empty bar is its background outside its texts (%d other pixels)" % (off - text_off))
    check(rate >= 20 * s * s and speed >= 40 * s * s,
          "the rate and speed texts are drawn inside the bar (%d and %d text pixels)" % (rate, speed))

    check_folder_and_panel(shot, background, args, folder, panel, s)
    return summary()


def check_folder_and_panel(shot, background, args, folder, panel, s):
    """The folder text in its box and the panel over its backdrop, on a window
    at `s` times the skin's size, against the background drawn at that size."""
    left, top, width, height = folder
    text_pixels = sum(1 for y in range(top, top + height) for x in range(left, left + width)
                      if diff(shot[x, y], background[x, y]) > 60)
    if args.folder_text == "yes":
        check(text_pixels >= 50 * s * s, "the folder text is drawn in its box (%d text pixels)" % text_pixels)
    else:
        check(text_pixels == 0, "no folder text is drawn (%d text pixels)" % text_pixels)

    if args.panel == "yes":
        left, top, width, height = panel
        # The backdrop: the background three skin pixels up and left.
        dx, dy = left - px(3, s), top - px(3, s)
        backdrop = [diff(shot[left + x, top + y], background[dx + x, dy + y]) for y in range(height)
                    for x in range(width)]
        labels = sum(1 for d in backdrop if d > 60)
        check(labels >= 300 * s * s, "the panel draws its labels and values over its backdrop (%d text pixels)" % labels)
        quiet = sum(1 for d in backdrop if d <= BACKGROUND_TOLERANCE)
        check(quiet >= len(backdrop) * 0.6, "the rest of the panel is its backdrop (%d of %d pixels)" %
              (quiet, len(backdrop)))


def summary():
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    return 0

if __name__ == "__main__":
    sys.exit(main())
