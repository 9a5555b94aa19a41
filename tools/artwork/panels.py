"""The large pictures: window background, top and bottom bars, cabinet panel,
mixer strips and the about box.

The faceplate and the bars are drawn first; the knobs and switches that sit
on them are drawn over crops of these pictures so that they line up exactly.
"""

import math

import numpy as np

import canvas as cv
import layout as L

FACEPLATE = (10, 37, 640, 157)        # cream plate of the amplifier row (l, t, r, b)
GRILLE_TOP = 160
DIVIDER = (287, 363)                  # tolex column between the two microphone pads
KNOB_LABEL_BASELINE = 85
TICKS = 11                            # scale marks around a large knob
KNOB_SWEEP = math.radians(300)        # from about 7 o'clock to about 5 o'clock
KNOB_START = math.radians(-150)       # clockwise from 12 o'clock
# Labels set into the faceplate's bottom border line, under their switches.
BORDER_LABELS = (("FX", (L.FX_ON[0] + L.FX_ON[2]) / 2),)
BORDER_LABEL_SIZE = cv.LABEL_SIZE
SMALL = cv.LABEL_SIZE                 # every small label of the plate, the bars and the strips
# The knobs stand 50 pixels apart, the gate's 24: their labels are set in
# narrowed capitals of the full height so that words keep clear gaps. Every
# control's label on the plate shares the knobs' face.
PLATE_LABEL_NARROW = 0.88
GATE_LABEL_NARROW = 0.8
# The long "PRESENCE" leans away from "MASTER" by these few pixels.
KNOB_LABEL_SHIFT = {"PRESENCE": -2}
MODEL_LABEL_BASELINE = 74             # above the model selector, clear of the knob labels' row


def knob_angle(value):
    """Pointer angle, clockwise from 12 o'clock, for a knob value 0..1."""
    return KNOB_START + KNOB_SWEEP * value


def _rect_centre(rect):
    return (rect[0] + rect[2]) / 2, (rect[1] + rect[3]) / 2


def _faceplate(ctx):
    l, t, r, b = FACEPLATE
    # Piping around the plate, then the plate with a soft inner shadow at the top.
    cv.rounded_rect(ctx, l - 2.5, t - 2.5, r - l + 5, b - t + 5, 6)
    ctx.set_source(cv.linear(0, t - 3, 0, b + 3, [(0, (0.93, 0.90, 0.82)), (0.5, cv.PIPING), (1, (0.45, 0.42, 0.36))]))
    ctx.fill()
    cv.rounded_rect(ctx, l - 1, t - 1, r - l + 2, b - t + 2, 5)
    ctx.set_source_rgba(0, 0, 0, 0.6)
    ctx.fill()
    plate = cv.brushed(r - l, b - t, 11, cv.CREAM, 0.012)
    ctx.save()
    cv.rounded_rect(ctx, l, t, r - l, b - t, 4)
    ctx.clip()
    cv.paint_surface(ctx, plate, l, t)
    ctx.set_source(cv.linear(0, t, 0, b, [(0, (1, 1, 1, 0.10)), (0.15, (1, 1, 1, 0)), (0.85, (0, 0, 0, 0)), (1, (0, 0, 0, 0.10))]))
    ctx.paint()
    ctx.restore()
    # An engraved border line a little inside the edge, broken where the
    # labels of the channel selector and the effects toggle sit on it.
    ctx.save()
    ctx.rectangle(0, 0, L.WINDOW[0], L.WINDOW[1])
    for label, x in BORDER_LABELS:
        cv.font(ctx, BORDER_LABEL_SIZE, True, cv.FONT_CONDENSED, narrow=PLATE_LABEL_NARROW)
        w = cv.text_width(ctx, label) + 8
        ctx.rectangle(x - w / 2, b - 12, w, 10)
    ctx.set_fill_rule(1)
    ctx.clip()
    for offset, colour in ((1, (1, 1, 1, 0.6)), (0, (*cv.INK, 0.55))):
        cv.rounded_rect(ctx, l + 5.5, t + 5.5 + offset, r - l - 11, b - t - 11, 3)
        ctx.set_line_width(1)
        ctx.set_source_rgba(*colour)
        ctx.stroke()
    ctx.restore()
    for label, x in BORDER_LABELS:
        cv.engraved(ctx, label, x, b - 2, BORDER_LABEL_SIZE, family=cv.FONT_CONDENSED, narrow=PLATE_LABEL_NARROW)


def _knob_scale(ctx, cx, cy):
    """Engraved scale around a large knob: eleven marks, longer at the ends and the middle."""
    for i in range(TICKS):
        a = knob_angle(i / (TICKS - 1))
        major = i in (0, 5, 10)
        r0, r1 = (19.0, 23.2) if major else (20.3, 22.6)
        sx, sy = math.sin(a), -math.cos(a)
        for dy, colour in ((0.8, (1, 1, 1, 0.55)), (0, (*cv.INK, 0.9))):
            ctx.move_to(cx + sx * r0, cy + sy * r0 + dy)
            ctx.line_to(cx + sx * r1, cy + sy * r1 + dy)
            ctx.set_line_width(1.3 if major else 1.0)
            ctx.set_source_rgba(*colour)
            ctx.stroke()


def _bracket(ctx, x0, x1, y, label):
    """Group heading: a label in the gap of an engraved line."""
    ctx.save()
    cv.font(ctx, SMALL, True)
    w = cv.text_width(ctx, label, 0.6)
    cx = (x0 + x1) / 2
    for dy, colour in ((1, (1, 1, 1, 0.55)), (0, (*cv.INK, 0.7))):
        for a, b in ((x0, cx - w / 2 - 4), (cx + w / 2 + 4, x1)):
            ctx.move_to(a, y + 0.5 + dy)
            ctx.line_to(b, y + 0.5 + dy)
        ctx.move_to(x0 + 0.5, y + 0.5 + dy)
        ctx.line_to(x0 + 0.5, y + 4.5 + dy)
        ctx.move_to(x1 - 0.5, y + 0.5 + dy)
        ctx.line_to(x1 - 0.5, y + 4.5 + dy)
        ctx.set_line_width(1)
        ctx.set_source_rgba(*colour)
        ctx.stroke()
    ctx.restore()
    cv.engraved(ctx, label, cx, y + 4, SMALL, spacing=0.6)


def _amp_labels(ctx):
    l, t, r, b = FACEPLATE
    # Name plate: the product's name on the left, the maker on the right.
    cv.text(ctx, "Orvandel Selvarine", 25, 65 + 1, 20, (1, 1, 1), True, "l", cv.FONT_SERIF, italic=True, alpha=0.5)
    cv.text(ctx, "Orvandel Selvarine", 25, 65, 20, (0.45, 0.09, 0.07), True, "l", cv.FONT_SERIF, italic=True)
    cv.engraved(ctx, "GUITAR AMPLIFIER", 252, 64, SMALL, spacing=0.6, align="l", family=cv.FONT_CONDENSED)
    cv.engraved(ctx, "DOXARO", r - 16, 56, 11, spacing=3.0, align="r")

    for _, label, rect, _ in L.AMP_KNOBS:
        cx = (rect[0] + rect[2]) / 2 + KNOB_LABEL_SHIFT.get(label, 0)
        cv.engraved(ctx, label, cx, KNOB_LABEL_BASELINE, SMALL, family=cv.FONT_CONDENSED, narrow=PLATE_LABEL_NARROW)
        _knob_scale(ctx, rect[0] + L.KNOB_FACE / 2, rect[1] + L.KNOB_FACE / 2)
    _bracket(ctx, 436, 584, 67, "TREMOLO \u00b7 REVERB")

    cx, _ = _rect_centre(L.AMP_ON)
    cv.engraved(ctx, "AMP ON", cx, 104, SMALL, family=cv.FONT_CONDENSED, narrow=PLATE_LABEL_NARROW)
    cx, _ = _rect_centre(L.AMP_TYPE)
    cv.engraved(ctx, "MODEL", cx, MODEL_LABEL_BASELINE, SMALL, family=cv.FONT_CONDENSED, narrow=PLATE_LABEL_NARROW)
    # The channel selector's label sits on its left, under the master knob.
    cv.engraved(ctx, "CHANNEL", L.AMP_CHANNEL[0] - 4, 146, SMALL, family=cv.FONT_CONDENSED, align="r",
                narrow=PLATE_LABEL_NARROW)
    cx, _ = _rect_centre(L.SYNC)
    cv.engraved(ctx, "SYNC", cx, 93, SMALL, family=cv.FONT_CONDENSED, narrow=PLATE_LABEL_NARROW)


def _divider(ctx):
    """Tolex column between the pads, with the distance legend."""
    x0, x1 = DIVIDER
    for x in (x0, x1):
        ctx.rectangle(x - 1.5, GRILLE_TOP, 3, 470 - GRILLE_TOP)
        ctx.set_source(cv.linear(x - 1.5, 0, x + 1.5, 0, [(0, (0.45, 0.42, 0.36)), (0.5, (0.93, 0.90, 0.82)), (1, (0.45, 0.42, 0.36))]))
        ctx.fill()
    cx = (x0 + x1) / 2
    cv.printed(ctx, "CLOSE", cx, 293, SMALL, spacing=0.8, family=cv.FONT_CONDENSED)
    cv.printed(ctx, "FAR", cx, 453, SMALL, spacing=0.8, family=cv.FONT_CONDENSED)
    # A tapering arrow from "close" to "far".
    ctx.move_to(cx, 302)
    ctx.line_to(cx, 432)
    ctx.set_line_width(1.2)
    ctx.set_source_rgba(*cv.LEGEND, 0.7)
    ctx.stroke()
    ctx.move_to(cx - 4, 430)
    ctx.line_to(cx + 4, 430)
    ctx.line_to(cx, 438)
    ctx.close_path()
    ctx.fill()
    for y, label in ((348, "\u25c0 MIC 1"), (396, "MIC 2 \u25b6")):
        cv.printed(ctx, label, cx, y, SMALL, family=cv.FONT_CONDENSED)
    cv.printed(ctx, "DISTANCE", cx, 376, SMALL, family=cv.FONT_CONDENSED)


def background():
    w, h = L.WINDOW
    s = cv.surface(w, h)
    ctx = cv.context(s)
    cv.paint_surface(ctx, cv.tolex(w, h, 1))
    # Grille cloth across the whole lower half, framed by piping at the top.
    cloth = cv.grille_cloth(w, 470 - GRILLE_TOP, 2)
    cv.paint_surface(ctx, cloth, 0, GRILLE_TOP)
    ctx.rectangle(0, GRILLE_TOP, w, 8)
    ctx.set_source(cv.linear(0, GRILLE_TOP, 0, GRILLE_TOP + 8, [(0, (0, 0, 0, 0.55)), (1, (0, 0, 0, 0))]))
    ctx.fill()
    ctx.rectangle(0, GRILLE_TOP - 2, w, 2)
    ctx.set_source(cv.linear(0, GRILLE_TOP - 2, 0, GRILLE_TOP, [(0, (0.93, 0.90, 0.82)), (1, (0.50, 0.46, 0.40))]))
    ctx.fill()
    ctx.save()
    ctx.rectangle(DIVIDER[0], GRILLE_TOP, DIVIDER[1] - DIVIDER[0], 470 - GRILLE_TOP)
    ctx.clip()
    cv.paint_surface(ctx, cv.tolex(w, h, 3))
    ctx.restore()
    _divider(ctx)
    _faceplate(ctx)
    _amp_labels(ctx)
    return s


# --- Bars --------------------------------------------------------------------

def _bar_base(width, height, seed):
    """Anthracite rack strip. Its texture depends only on the row, so that a
    control drawn over one spot of a bar fits any other spot at the same height."""
    r = cv.rng(seed)
    rows = np.linspace(0, 1, height)
    shade = 0.205 - 0.075 * rows + cv.blur(r.standard_normal((height, 1)), 1)[:, 0] * 0.006
    rgb = np.empty((height, width, 3))
    for c, tint in enumerate((0.97, 1.0, 1.04)):
        rgb[:, :, c] = (shade * tint)[:, None]
    rgb[0, :, :] = 0.36
    rgb[1, :, :] = 0.27
    rgb[-1, :, :] = 0.03
    rgb[-2, :, :] *= 0.7
    return cv.from_array(rgb)


def bar_base():
    return _bar_base(650, 30, 21)


def top_bar():
    s = bar_base()
    ctx = cv.context(s)
    x0, y0, x1, y1 = L.IN_CHANNEL_MENU
    cv.recess(ctx, x0, y0, x1 - x0, y1 - y0)
    x0, y0, x1, y1 = L.VU_METER
    cv.recess(ctx, x0 - 2, y0 - 2, x1 - x0 + 4, y1 - y0 + 4, 1.5, (0.02, 0.02, 0.02))
    x0, y0, x1, y1 = L.PROGRAM_MENU
    cv.recess(ctx, x0, y0, x1 - x0 + 29, y1 - y0)
    for label, rect in L.GATE_KNOBS:
        cv.printed(ctx, label[:3], (rect[0] + rect[2]) / 2, 10, SMALL, family=cv.FONT_CONDENSED,
                   narrow=GATE_LABEL_NARROW)
    x0, y0, x1, y1 = L.GATE_ON
    cv.printed(ctx, "GATE", (x0 + x1) / 2, 12, SMALL, family=cv.FONT_CONDENSED, narrow=GATE_LABEL_NARROW)
    # Thin separators between the groups, like the seams of a rack strip.
    for x in (118.5, 363.5, 484.5, 562.5, 605.5):
        for dx, colour in ((0, (0, 0, 0, 0.6)), (1, (1, 1, 1, 0.08))):
            ctx.move_to(x + dx, 4)
            ctx.line_to(x + dx, 26)
            ctx.set_source_rgba(*colour)
            ctx.set_line_width(1)
            ctx.stroke()
    return s


def bottom_bar():
    s = bar_base()
    ctx = cv.context(s)
    x0, y0, x1, y1 = L.ABOUT_TRIGGER
    top = y0 - L.BOTTOM_BAR[1]
    cv.printed(ctx, "DOXARO", (x0 + x1) / 2, top + 10, 11, spacing=2.6)
    x0, y0, x1, y1 = L.IR_NAME
    cv.recess(ctx, x0 - 1, y0 - 2, x1 - x0 + 2, y1 - y0 + 4)
    cv.printed(ctx, "IR", 109, 19, SMALL)
    cv.printed(ctx, "OUT", 631, 19, SMALL, family=cv.FONT_CONDENSED)
    x0, y0, x1, y1 = L.CLIP_LED
    cv.printed(ctx, "CLIP", (x0 + x1) / 2, y0 - 3, SMALL, family=cv.FONT_CONDENSED)
    for x in (98.5, 533.5):
        for dx, colour in ((0, (0, 0, 0, 0.6)), (1, (1, 1, 1, 0.08))):
            ctx.move_to(x + dx, 4)
            ctx.line_to(x + dx, 26)
            ctx.set_source_rgba(*colour)
            ctx.set_line_width(1)
            ctx.stroke()
    return s


# --- Cabinet panel and mixer strips --------------------------------------------

def cabinet_panel():
    w, h = 650, 100
    s = cv.surface(w, h)
    ctx = cv.context(s)
    cv.paint_surface(ctx, cv.brushed(w, h, 31, cv.STRIP, 0.010))
    ctx.rectangle(0, 0, w, 1)
    ctx.set_source_rgba(1, 1, 1, 0.22)
    ctx.fill()
    ctx.rectangle(0, h - 2, w, 2)
    ctx.set_source_rgba(0, 0, 0, 0.7)
    ctx.fill()
    for rect in (L.CAB1_MENU, L.MIC1_MENU, L.CAB2_MENU, L.MIC2_MENU):
        cv.recess(ctx, rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1])
    x0, y0, x1, y1 = L.MIXER_STRIP
    cv.recess(ctx, x0, y0, x1 - x0, y1 - y0, 3, (0.07, 0.072, 0.075))
    for rects, x, align in (((L.CAB1_ON, L.MIC1_PHASE, L.MIC1_AXIS), 47, "r"),
                            ((L.CAB2_ON, L.MIC2_PHASE, L.MIC2_AXIS), 603, "l")):
        for rect, label in zip(rects, ("ON", "PHASE", "AXIS")):
            cv.printed(ctx, label, x, rect[1] + 14, SMALL, family=cv.FONT_CONDENSED, align=align)
    cv.printed(ctx, "CAB 1", 8, 91, SMALL, align="l", spacing=0.4)
    cv.printed(ctx, "CAB 2", 642, 91, SMALL, align="r", spacing=0.4)
    cv.printed(ctx, "CAB", 325, 18, SMALL, family=cv.FONT_CONDENSED)
    cv.printed(ctx, "MIC", 325, 42, SMALL, family=cv.FONT_CONDENSED)
    x0, y0, x1, y1 = L.CAB_TYPE
    cv.printed(ctx, "MONO", x0 - 5, 91, SMALL, family=cv.FONT_CONDENSED, align="r")
    cv.printed(ctx, "STEREO", x1 + 5, 91, SMALL, family=cv.FONT_CONDENSED, align="l")
    for x in (7, 643):
        cv.screw(ctx, x, 8, 2.6, 0.4 if x < 100 else 1.1)
    return s


def _slot(ctx, x0, x1, y):
    """A slider slot with its end and centre marks."""
    cv.rounded_rect(ctx, x0, y - 1.5, x1 - x0, 3, 1.5)
    ctx.set_source_rgba(0, 0, 0, 0.9)
    ctx.fill()
    ctx.rectangle(x0 + 1, y + 1.5, x1 - x0 - 2, 0.8)
    ctx.set_source_rgba(1, 1, 1, 0.12)
    ctx.fill()


def _strip(seed):
    w, h = 498, 25
    s = cv.surface(w, h)
    ctx = cv.context(s)
    cv.paint_surface(ctx, cv.brushed(w, h, seed, (0.075, 0.078, 0.082), 0.006))
    ctx.rectangle(0, 0, w, 1)
    ctx.set_source_rgba(0, 0, 0, 0.6)
    ctx.fill()
    return s, ctx


def _ticks(ctx, x0, x1, marks, y=12.5):
    for i in range(marks):
        x = round(x0 + (x1 - x0) * i / (marks - 1)) + 0.5
        ctx.move_to(x, y)
        ctx.line_to(x, y + (2.5 if i in (0, marks // 2, marks - 1) else 1.5))
    ctx.set_source_rgba(*cv.LEGEND, 0.6)
    ctx.set_line_width(1)
    ctx.stroke()


def mono_strip():
    s, ctx = _strip(41)
    _, rect, travel, _ = L.MONO_SLIDERS[0]
    a, b = travel[0] + 5, travel[1] + 5
    _slot(ctx, a - 3, b + 3, 7)
    _ticks(ctx, a, b, 11)
    cv.printed(ctx, "CAB 1", a - 10, 12, SMALL, family=cv.FONT_CONDENSED, align="r")
    cv.printed(ctx, "CAB 2", b + 10, 12, SMALL, family=cv.FONT_CONDENSED, align="l")
    cv.printed(ctx, "BLEND", (a + b) / 2, 23, SMALL, family=cv.FONT_CONDENSED, spacing=0.6)
    return s


def stereo_strip():
    s, ctx = _strip(42)
    for label, rect, travel, _ in L.STEREO_SLIDERS:
        a, b = travel[0] + 5, travel[1] + 5
        _slot(ctx, a - 3, b + 3, 7)
        _ticks(ctx, a, b, 5)
        cv.printed(ctx, label, (a + b) / 2, 23, SMALL, family=cv.FONT_CONDENSED, spacing=0.3)
        if label.startswith("PAN"):
            cv.printed(ctx, "L", a - 1, 23, SMALL, family=cv.FONT_CONDENSED, align="l")
            cv.printed(ctx, "R", b + 1, 23, SMALL, family=cv.FONT_CONDENSED, align="r")
    return s


# --- About box -------------------------------------------------------------------

def about_box():
    w, h = L.BITMAPS["about.png"][:2]
    s = cv.surface(w, h)
    ctx = cv.context(s)
    cv.paint_surface(ctx, cv.tolex(w, h, 51))
    border = 16
    cv.rounded_rect(ctx, border - 3, border - 3, w - 2 * border + 6, h - 2 * border + 6, 7)
    ctx.set_source(cv.linear(0, 0, 0, h, [(0, (0.93, 0.90, 0.82)), (0.5, cv.PIPING), (1, (0.45, 0.42, 0.36))]))
    ctx.fill()
    ctx.save()
    cv.rounded_rect(ctx, border, border, w - 2 * border, h - 2 * border, 5)
    ctx.clip()
    cv.paint_surface(ctx, cv.brushed(w, h, 52, cv.CREAM, 0.012))
    ctx.restore()
    for offset, colour in ((1, (1, 1, 1, 0.6)), (0, (*cv.INK, 0.55))):
        cv.rounded_rect(ctx, border + 7.5, border + 7.5 + offset, w - 2 * border - 15, h - 2 * border - 15, 3)
        ctx.set_line_width(1)
        ctx.set_source_rgba(*colour)
        ctx.stroke()
    cx = w / 2
    cv.engraved(ctx, "DOXARO", cx, 72, 15, spacing=6)
    cv.text(ctx, "Orvandel Selvarine", cx, 133, 44, (1, 1, 1), True, "c", cv.FONT_SERIF, italic=True, alpha=0.5)
    cv.text(ctx, "Orvandel Selvarine", cx, 132, 44, (0.45, 0.09, 0.07), True, "c", cv.FONT_SERIF, italic=True)
    cv.engraved(ctx, "GUITAR AMPLIFIER AND CABINET SIMULATOR", cx, 160, 10, spacing=2.2, bold=False)
    # Version line: the editor puts its version label into the box on the right.
    # The area of L.ABOUT_VERSION (476, 192 to 531, 207) stays clear for it;
    # the format sits on the left of the same line.
    vx0, vy0, vx1, vy1 = L.ABOUT_VERSION
    cv.engraved(ctx, "VST 2.4 PLUG-IN", w - vx1, vy1 - 3, SMALL, align="l", spacing=0.6)
    ctx.move_to(60, 183.5)
    ctx.line_to(w - 60, 183.5)
    ctx.set_source_rgba(*cv.INK, 0.35)
    ctx.set_line_width(1)
    ctx.stroke()
    lines = [
        ("Three amplifier voices, each with a clean and a lead channel,", False),
        ("circuit-modelled tone stacks and an optional 2x high-resolution mode.", False),
        ("Tremolo with tempo sync, spring reverb, noise gate and limiter.", False),
        ("Five cabinets and four microphones, two at once, placed by hand.", False),
        ("Your own impulse responses from WAV files.", False),
    ]
    y = 236
    for line, bold in lines:
        cv.engraved(ctx, line, cx, y, 10.5, bold=bold)
        y += 18
    cv.engraved(ctx, "VST is a trademark of Steinberg Media Technologies GmbH.", cx, 346, SMALL, bold=False)
    cv.engraved(ctx, "\u00a9 Doxaro. All rights reserved.", cx, 362, SMALL, bold=False)
    cv.engraved(ctx, "Click anywhere to close", cx, 384, SMALL, spacing=0.6)
    for x, y in ((36, 36), (w - 36, 36), (36, h - 36), (w - 36, h - 36)):
        cv.screw(ctx, x, y, 4, 0.3 + x * 0.01)
    return s
