"""The launcher's colours: a dusk sky over dark mountains, a steel-blue control
deck, cyan as the working accent (it matches the progress bar's 0x33DDFF fill)
and gold for the call to action and the logo."""

from artlib import flat_colour_near

# Sky, from the zenith down to the glow on the horizon.
SKY = [
    (0.00, (5, 7, 20)),
    (0.30, (14, 17, 46)),
    (0.55, (40, 31, 80)),
    (0.74, (104, 54, 98)),
    (0.88, (200, 102, 84)),
    (1.00, (252, 180, 108)),
]
EMBER = (255, 170, 90)           # the sunset glow behind the peaks
HAZE = (168, 92, 110)            # the far mountains in the evening air

# The control deck. DECK is the flat colour of the information strip: dark
# enough for white labels and for the 0x333333 progress track to read as a
# lighter channel in it, and exact after JPEG decoding.
DECK = flat_colour_near((14, 18, 26))
DECK_EDGE = (3, 4, 7)            # outlines and sockets
TRAY_TOP, TRAY_BOTTOM = (27, 33, 44), (17, 21, 29)
FIELD = (6, 8, 12)               # the download folder's path field

CYAN = (51, 221, 255)
GOLD_LIGHT, GOLD, GOLD_DARK = (255, 232, 170), (226, 168, 72), (120, 74, 20)
STEEL_LIGHT, STEEL_DARK = (58, 67, 82), (25, 29, 38)
LABEL = (206, 220, 235)
