"""Where the program draws over the artwork, in background pixels (x right, y down).

These figures come from the window code and the shipped UX document; the art
is built around them, so a change there belongs here too.
"""

WIDTH, HEIGHT = 640, 380
BUTTON_SIZE = (70, 30)

# The information panel paints the background strip (29,284)-(639,304) at
# (32,287): three pixels off. Everything the strip or the panel can show is
# kept to one flat colour, in whole 8x8 JPEG blocks so it decodes exactly.
FLAT_BOX = (16, 272, 640, 320)            # left, top, right, bottom (exclusive)

PANEL_BOX = (32, 287, 32 + 590, 287 + 20)
PROGRESS_BOX = (30, 306, 30 + 586, 306 + 18)
FOLDER_TEXT_BOX = (128, 343, 301, 362)
# The inset field drawn behind that text, level with the buttons beside it.
PATH_FIELD_BOX = (106, 335, 304, 365)

# Button name -> (x, y) of its top-left corner; the names are also the file names.
BUTTONS = {
    "folder": (29, 335),
    "play": (312, 335),
    "start": (390, 335),
    "pause": (468, 335),
    "exit": (546, 335),
}
STATES = ("normal", "over", "down", "disabled")

# Resource ids of each button's Normal image; Over, Down and Disabled follow.
BUTTON_RESOURCES = {"exit": 134, "folder": 138, "play": 142, "start": 146, "pause": 150}
BACKGROUND_RESOURCE = 102
