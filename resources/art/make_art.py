#!/usr/bin/python3
"""Builds the program's artwork: the background (resource 102), the twenty
button images (134-153) and the icon (101), and the same images at twice the
size for displays above 96 DPI (in 2x/: resources 1102 and 1134-1153). Run
with Debian's Python and Pillow (package python3-pil):

    /usr/bin/python3 resources/art/make_art.py [--preview DIR]

The outputs are committed; the build embeds them and does not run this. The
same inputs give the same bytes, so a rerun shows no change unless the art did.
With --preview, DIR also gets pictures of the whole window as the program
draws it and an enlarged sheet of every button state.
"""

import sys

sys.dont_write_bytecode = True          # keep the source folder clean

import argparse                          # noqa: E402
import os                                # noqa: E402

import artlib                            # noqa: E402
import background                        # noqa: E402
import buttons                           # noqa: E402
import icon                              # noqa: E402
import layout                            # noqa: E402
import palette                           # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.dirname(HERE)


def button_path(folder, name, state):
    return os.path.join(folder, "buttons", f"{name}-{state}.jpg")


def write_set(folder, k):
    """The background and the buttons at k times the skin's size into folder;
    returns them, after checking that the flat strip decodes to its colour."""
    back = background.build(k)
    os.makedirs(os.path.join(folder, "buttons"), exist_ok=True)
    artlib.write_jpeg(back, os.path.join(folder, "background.jpg"))
    images = buttons.build(back, k)
    for (name, state), image in images.items():
        artlib.write_jpeg(image, button_path(folder, name, state))
    decoded = artlib.decoded_jpeg(back)
    fx0, fy0, fx1, fy1 = layout.FLAT_BOX
    colours = decoded.crop((fx0 * k, fy0 * k, fx1 * k, fy1 * k)).getcolors()
    if colours is None or len(colours) != 1 or colours[0][1] != palette.DECK:
        sys.exit(f"make_art: the flat strip at {k}x does not decode to {palette.DECK}: {colours and colours[:4]}")
    return decoded, images


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--preview", metavar="DIR", help="also write preview pictures here")
    args = parser.parse_args()

    decoded, images = write_set(HERE, 1)
    write_set(os.path.join(HERE, "2x"), 2)
    with open(os.path.join(RESOURCES, "icon.ico"), "wb") as f:
        f.write(icon.ico_bytes(icon.build()))
    print("deck colour #%02X%02X%02X" % palette.DECK)

    if args.preview:
        import preview
        os.makedirs(args.preview, exist_ok=True)
        shown = {k: artlib.decoded_jpeg(v) for k, v in images.items()}
        at_start = {"folder": "normal", "play": "disabled", "start": "normal",
                    "pause": "disabled", "exit": "normal"}
        running = {"folder": "over", "play": "disabled", "start": "normal",
                   "pause": "down", "exit": "normal"}
        done = {"folder": "normal", "play": "over", "start": "normal",
                "pause": "disabled", "exit": "down"}
        preview.window(decoded, shown, at_start, rate=0).save(os.path.join(args.preview, "window-start.png"))
        preview.window(decoded, shown, running, rate=4237).save(os.path.join(args.preview, "window-running.png"))
        preview.window(decoded, shown, done, rate=10000).save(os.path.join(args.preview, "window-done.png"))
        preview.sheet(shown).save(os.path.join(args.preview, "buttons.png"))


if __name__ == "__main__":
    main()
