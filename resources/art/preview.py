"""Pictures for looking at the artwork: the window as the program draws it
(buttons, progress bar, the panel's figures, the folder path) and a sheet of
every button state enlarged. Not part of the build."""

from PIL import Image, ImageDraw

import layout
from artlib import font

TEXT_FONT = ("liberation/LiberationSans-Regular", 12)     # Arial under Wine


def text(img, xy, s, colour, alpha):
    layer = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(layer).text(xy, s, font=font(*TEXT_FONT), fill=colour + (int(255 * alpha),))
    img.alpha_composite(layer)


def window(background, buttons, states, rate=4237):
    """The window with the given {button: state}, the bar at rate (1/100 %)."""
    img = background.convert("RGBA")
    # The panel paints the background strip three pixels off as its backdrop.
    px, py, px1, py1 = layout.PANEL_BOX
    img.paste(background.crop((29, 284, 29 + (px1 - px), 284 + (py1 - py))), (px, py))
    white, green = (255, 255, 255), (0xcc, 0xff, 0x00)
    for x, label, value in ((0, "Remained :", "00:03:12"), (120, "Elapsed :", "00:02:21"),
                            (290, "Transfered :", "1734.2 MBytes"), (445, "Total Size :", "4093.6 MBytes")):
        text(img, (px + x, py), label, white, 0.79)
        offset = {0: 64, 120: 54, 290: 67, 445: 63}[x]
        text(img, (px + x + offset, py), value, green, 0.79)
    bx, by, bx1, by1 = layout.PROGRESS_BOX
    d = ImageDraw.Draw(img)
    d.rectangle([bx, by, bx1 - 1, by1 - 1], fill=(0x33, 0x33, 0x33))
    fill = (bx1 - bx - 2) * rate // 10000
    if fill:
        d.rectangle([bx + 1, by + 1, bx + fill, by1 - 2], fill=(0x33, 0xdd, 0xff))
    w = bx1 - bx
    text(img, (bx + w // 2 - 30, by + 3), f"{rate / 100:.2f}%", white, 0.79)
    speed = "2.431 MiB/Sec"
    tw = font(*TEXT_FONT).getlength(speed)
    text(img, (bx + w - 5 - tw, by + 3), speed, white, 0.79)
    fx, fy = layout.FOLDER_TEXT_BOX[:2]
    text(img, (fx, fy), "c:\\PLAX\\download\\zt_kr\\", green, 0.79)
    for name, (x, y) in layout.BUTTONS.items():
        img.paste(buttons[(name, states[name])], (x, y))
    return img.convert("RGB")


def sheet(buttons, zoom=4):
    """Every button in every state, enlarged, one row per button."""
    w, h = layout.BUTTON_SIZE
    pad = 6
    names = list(layout.BUTTONS)
    img = Image.new("RGB", (len(layout.STATES) * (w * zoom + pad) + pad,
                            len(names) * (h * zoom + pad) + pad), (40, 40, 40))
    for r, name in enumerate(names):
        for c, state in enumerate(layout.STATES):
            big = buttons[(name, state)].resize((w * zoom, h * zoom), Image.NEAREST)
            img.paste(big, (pad + c * (w * zoom + pad), pad + r * (h * zoom + pad)))
    return img
