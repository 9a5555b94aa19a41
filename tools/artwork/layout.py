"""The editor's geometry as far as the artwork needs it.

Every bitmap the editor loads, with its size and frame layout, and the
rectangles at which the editor places the controls (left, top, right,
bottom, relative to the view that holds them). The background, the bars
and the cabinet panel carry labels and recesses at these places, and the
mock-up composes the window from them.
"""

WINDOW = (650, 500)

# name: (width, height, frames). Frames are stacked vertically.
# The pad pictures "padNon.png" / "padNoff.png" show cabinet N on and off
# axis for the left pad (the right pad shows them mirrored); the four
# "mic..." strips are the first cabinet's picture cut to the pad's width.
BITMAPS = {
    "background.png": (650, 500, 1),
    "miclefton.png": (282, 23129, 101),
    "micleftoff.png": (282, 23129, 101),
    "micrighton.png": (282, 23129, 101),
    "micrightoff.png": (282, 23129, 101),
    **{f"pad{c}{axis}.png": (474, 23129, 101) for c in range(1, 6) for axis in ("on", "off")},
    "michandle.png": (90, 150, 1),
    "gain.png": (47, 5353, 101),
    "low.png": (47, 5353, 101),
    "mid.png": (47, 5353, 101),
    "high.png": (47, 5353, 101),
    "pres.png": (47, 5353, 101),
    "master.png": (47, 5353, 101),
    "speed.png": (47, 5353, 101),
    "depth.png": (47, 5353, 101),
    "reverb.png": (47, 5353, 101),
    "knobbig.png": (26, 1326, 51),
    "knobsmall.png": (15, 765, 51),
    "ampon.png": (52, 88, 2),
    "fxonoff.png": (29, 44, 2),
    "sync.png": (29, 44, 2),
    "gateonoff.png": (30, 20, 2),
    "hiq.png": (26, 36, 2),
    "lim.png": (26, 36, 2),
    "bypass.png": (20, 40, 2),
    "cabset.png": (60, 36, 2),
    "cabmiconoff.png": (20, 40, 2),
    "phase.png": (20, 40, 2),
    "micaxis_left.png": (20, 40, 2),
    "micaxis_right.png": (20, 40, 2),
    "monostereo.png": (24, 40, 2),
    "amptype.png": (34, 108, 3),
    "ampchannel.png": (34, 48, 2),
    "arrow_left.png": (14, 32, 2),
    "arrow_right.png": (14, 32, 2),
    "arrow_left_ir.png": (14, 40, 2),
    "arrow_right_ir.png": (14, 40, 2),
    "irload.png": (20, 40, 2),
    "irunload.png": (20, 40, 2),
    "file.png": (26, 18, 1),
    "fileclicked.png": (26, 18, 1),
    "vuon.png": (42, 8, 1),
    "vuoff.png": (42, 8, 1),
    "clipled.png": (12, 24, 2),
    "slider.png": (10, 8, 1),
    "incontainer.png": (650, 30, 1),
    "outcontainer.png": (650, 30, 1),
    "cabsetcontainer.png": (650, 100, 1),
    "monocontainer.png": (498, 25, 1),
    "stereocontainer.png": (498, 25, 1),
    "about.png": (600, 414, 1),
}

# Large knobs on the amplifier faceplate: bitmap, label, rectangle.
AMP_KNOBS = [
    ("gain.png", "GAIN", (89, 89, 136, 142), 11),
    ("low.png", "LOW", (139, 89, 186, 142), 12),
    ("mid.png", "MID", (190, 89, 237, 142), 13),
    ("high.png", "HIGH", (240, 89, 287, 142), 14),
    ("pres.png", "PRESENCE", (290, 89, 337, 142), 15),
    ("master.png", "MASTER", (340, 89, 387, 136), 16),
    ("speed.png", "SPEED", (436, 89, 483, 142), 19),
    ("depth.png", "DEPTH", (487, 89, 534, 142), 20),
    ("reverb.png", "REVERB", (537, 89, 584, 142), 21),
]
KNOB_FRAME = 53          # height of one large-knob frame
KNOB_FACE = 47           # the knob itself fills the top 47 x 47 of a frame

AMP_ON = (32, 108, 84, 152)
AMP_TYPE = (390, 81, 424, 117)
AMP_CHANNEL = (390, 124, 424, 148)
AMP_TYPE_NAMES = ("MV", "BKVG", "JC")
AMP_CHANNEL_NAMES = ("CLEAN", "LEAD")
FX_ON = (593, 120, 622, 142)
SYNC = (590, 95, 619, 117)
PAD_LEFT = (0, 271, 282, 520)
PAD_RIGHT = (368, 271, 650, 520)
PAD_PICTURE_TOP = 271                  # pictures run from here to 500
PAD_PICTURES = tuple(f"pad{c}{axis}.png" for c in range(1, 6) for axis in ("on", "off"))
PAD_STRIPS = PAD_PICTURES + ("miclefton.png", "micleftoff.png", "micrighton.png", "micrightoff.png")
HANDLE = (90, 150)
ABOUT_TRIGGER = (10, 480, 90, 490)
TOP_BAR = (0, 0, 650, 30)
BOTTOM_BAR = (0, 470, 650, 500)
CABINET_PANEL = (0, 160, 650, 260)
MIXER_STRIP = (76, 50, 574, 75)        # inside the cabinet panel
ABOUT_BOX = (25, 48, 625, 462)
ABOUT_VERSION = (476, 192, 531, 207)   # inside the about box

# Top bar children.
IN_CHANNEL_MENU = (4, 5, 32, 25)
INPUT_KNOB = (37, 3, 63, 29)
VU_METER = (71, 11, 113, 19)
FILE_MENU = (123, 6, 149, 24)
PROGRAM_MENU = (154, 6, 320, 24)
PROGRAM_PREV = (321, 7, 335, 23)
PROGRAM_NEXT = (335, 7, 349, 23)
GATE_ON = (373, 15, 403, 25)
GATE_KNOBS = [("THRESH", (411, 12, 426, 27)), ("ATTACK", (435, 12, 450, 27)),
              ("DECAY", (459, 12, 474, 27))]
CABINET_SWITCH = (493, 6, 553, 24)
HIGH_RES = (571, 6, 597, 24)
BYPASS = (613, 4, 633, 24)

# Bottom bar children.
IR_NAME = (120, 6, 530, 24)
IR_LOAD = (120, 5, 140, 25)
IR_UNLOAD = (140, 5, 160, 25)
IR_PREV = (502, 5, 516, 25)
IR_NEXT = (516, 5, 530, 25)
LIMITER = (536, 6, 562, 24)
CLIP_LED = (570, 15, 582, 27)
OUTPUT_KNOB = (587, 3, 613, 29)

# Cabinet panel children.
CAB1_ON, MIC1_PHASE, MIC1_AXIS = (52, 4, 72, 24), (52, 28, 72, 48), (52, 52, 72, 72)
CAB2_ON, MIC2_PHASE, MIC2_AXIS = (578, 4, 598, 24), (578, 28, 598, 48), (578, 52, 598, 72)
CAB1_MENU, MIC1_MENU = (79, 5, 273, 23), (79, 29, 273, 47)
CAB2_MENU, MIC2_MENU = (377, 5, 571, 23), (377, 29, 571, 47)
CAB1_ARROWS, MIC1_ARROWS = ((274, 6, 288, 22), (288, 6, 302, 22)), ((274, 30, 288, 46), (288, 30, 302, 46))
CAB2_ARROWS, MIC2_ARROWS = ((348, 6, 362, 22), (362, 6, 376, 22)), ((348, 30, 362, 46), (362, 30, 376, 46))
CAB_TYPE = (313, 76, 337, 96)

# Mixer strip sliders (inside the strip): label, rectangle, handle travel.
MONO_SLIDERS = [("1 <--> 2", (127, 3, 371, 11), (127, 361), 41)]
STEREO_SLIDERS = [("VOLUME 1", (3, 3, 103, 11), (3, 93), 30),
                  ("PAN 1", (127, 3, 227, 11), (127, 217), 31),
                  ("PAN 2", (271, 3, 371, 11), (271, 361), 40),
                  ("VOLUME 2", (395, 3, 495, 11), (395, 485), 39)]

CABINET_NAMES = ("Black Tolex (2 x 12)", "Red Tolex (1 x 12)", "Blonde Vintage (1 x 10)",
                 "Iron Grill (1 x 10)", "Cloth Grill (1 x 8)")
MICROPHONE_NAMES = ("Dynamic 57", "Dynamic 441", "Condenser 1", "Ribbon 1")
