"""Knobs, switches, buttons, meters and the microphone handle.

Controls that sit at one place of the faceplate or a bar are drawn over a
crop of that picture, so they are opaque and line up with what is around
them; the large knobs are each drawn over their own spot. Controls used at
several places are drawn with transparent corners.
"""

import math

import canvas as cv
import layout as L
import panels

LARGE_SKIRT = 18.5
LARGE_CAP = 12.0


def _frames(width, height, count, draw):
    """A vertical film strip: draw(ctx, index) is called with the origin at each frame."""
    s = cv.surface(width, height * count)
    ctx = cv.context(s)
    for k in range(count):
        ctx.save()
        ctx.rectangle(0, k * height, width, height)
        ctx.clip()
        ctx.translate(0, k * height)
        draw(ctx, k)
        ctx.restore()
    return s


def _shadow(ctx, cx, cy, r, strength=0.5, drop=2.5):
    ctx.arc(cx, cy + drop, r + 2, 0, 2 * math.pi)
    ctx.set_source(cv.radial(cx, cy + drop, r - 2, r + 2.5, [(0, (0, 0, 0, strength)), (1, (0, 0, 0, 0))]))
    ctx.fill()


def draw_large_knob(ctx, cx, cy, angle):
    """Black cap on a chrome skirt; the pointer runs across both."""
    _shadow(ctx, cx, cy, LARGE_SKIRT, 0.55, 2.5)
    # Skirt: spun aluminium, lit from the upper left. Spinning marks turn with the knob.
    ctx.arc(cx, cy, LARGE_SKIRT, 0, 2 * math.pi)
    ctx.set_source(cv.radial(cx, cy, 0, LARGE_SKIRT, [(0, (0.90, 0.90, 0.88)), (0.75, (0.74, 0.74, 0.72)),
                                                      (0.93, (0.55, 0.55, 0.54)), (1, (0.30, 0.30, 0.30))],
                             cx - 6, cy - 7))
    ctx.fill()
    ctx.save()
    ctx.translate(cx, cy)
    ctx.rotate(angle)
    for i in range(36):
        a = i * 2 * math.pi / 36
        ctx.move_to(math.sin(a) * (LARGE_CAP + 1.5), -math.cos(a) * (LARGE_CAP + 1.5))
        ctx.line_to(math.sin(a) * (LARGE_SKIRT - 1.2), -math.cos(a) * (LARGE_SKIRT - 1.2))
    ctx.set_source_rgba(0, 0, 0, 0.10)
    ctx.set_line_width(0.6)
    ctx.stroke()
    # Pointer line engraved on the skirt.
    ctx.move_to(0, -(LARGE_CAP + 0.5))
    ctx.line_to(0, -(LARGE_SKIRT - 0.8))
    ctx.set_source_rgb(0.08, 0.08, 0.08)
    ctx.set_line_width(1.8)
    ctx.stroke()
    ctx.restore()
    # Cap: black bakelite with a ridged rim and a soft highlight.
    ctx.arc(cx, cy + 1.2, LARGE_CAP + 0.6, 0, 2 * math.pi)
    ctx.set_source_rgba(0, 0, 0, 0.45)
    ctx.fill()
    ctx.arc(cx, cy, LARGE_CAP, 0, 2 * math.pi)
    ctx.set_source(cv.radial(cx, cy, 0, LARGE_CAP, [(0, (0.20, 0.20, 0.21)), (0.8, (0.09, 0.09, 0.10)),
                                                    (1, (0.03, 0.03, 0.03))], cx - 4, cy - 5))
    ctx.fill()
    ctx.save()
    ctx.translate(cx, cy)
    ctx.rotate(angle)
    for i in range(24):
        a = (i + 0.5) * 2 * math.pi / 24
        ctx.move_to(math.sin(a) * (LARGE_CAP - 1.8), -math.cos(a) * (LARGE_CAP - 1.8))
        ctx.line_to(math.sin(a) * (LARGE_CAP - 0.3), -math.cos(a) * (LARGE_CAP - 0.3))
    ctx.set_source_rgba(0.35, 0.35, 0.36, 0.5)
    ctx.set_line_width(0.8)
    ctx.stroke()
    # Cream pointer inlaid in the cap.
    ctx.move_to(0, -3.0)
    ctx.line_to(0, -(LARGE_CAP - 1.2))
    ctx.set_source_rgb(0.96, 0.93, 0.84)
    ctx.set_line_width(2.0)
    ctx.set_line_cap(1)
    ctx.stroke()
    ctx.restore()
    ctx.arc(cx, cy, LARGE_CAP - 0.5, math.radians(200), math.radians(290))
    ctx.set_source_rgba(1, 1, 1, 0.18)
    ctx.set_line_width(1)
    ctx.stroke()


def large_knob(background, rect):
    """101 frames of 53 for one faceplate knob, drawn over its own spot of the faceplate."""
    w, fh = L.KNOB_FACE, L.KNOB_FRAME
    spot = cv.crop(background, rect[0], rect[1], w, fh)
    c = L.KNOB_FACE / 2

    def draw(ctx, k):
        cv.paint_surface(ctx, spot)
        draw_large_knob(ctx, c, c, panels.knob_angle(k / 100))
    return _frames(w, fh, 101, draw)


def _small_knob(ctx, cx, cy, r, angle, pointer=(0.96, 0.93, 0.84)):
    _shadow(ctx, cx, cy, r, 0.6, 1.2)
    ctx.arc(cx, cy, r, 0, 2 * math.pi)
    ctx.set_source(cv.radial(cx, cy, 0, r, [(0, (0.82, 0.82, 0.80)), (0.8, (0.55, 0.55, 0.55)), (1, (0.25, 0.25, 0.25))],
                             cx - r * 0.3, cy - r * 0.4))
    ctx.fill()
    inner = r * 0.78
    ctx.arc(cx, cy, inner, 0, 2 * math.pi)
    ctx.set_source(cv.radial(cx, cy, 0, inner, [(0, (0.22, 0.22, 0.23)), (1, (0.06, 0.06, 0.06))],
                             cx - inner * 0.35, cy - inner * 0.45))
    ctx.fill()
    ctx.save()
    ctx.translate(cx, cy)
    ctx.rotate(angle)
    ctx.move_to(0, -inner * 0.2)
    ctx.line_to(0, -(inner - 0.6))
    ctx.set_source_rgb(*pointer)
    ctx.set_line_width(max(1.3, r * 0.16))
    ctx.set_line_cap(1)
    ctx.stroke()
    ctx.restore()


def small_knob_strip(bar, rect, radius):
    """51 frames for the knobs of the bars, drawn over a crop of the bar (whose
    texture is the same along each row, so the frames fit anywhere at that height)."""
    size = rect[2] - rect[0]
    spot = cv.crop(bar, rect[0], rect[1], size, size)
    c = size / 2

    def draw(ctx, k):
        cv.paint_surface(ctx, spot)
        _small_knob(ctx, c, c, radius, panels.knob_angle(k / 50))
    return _frames(size, size, 51, draw)


# --- Faceplate switches -------------------------------------------------------------

def jewel_lamp(background):
    x0, y0, x1, y1 = L.AMP_ON
    w, h = x1 - x0, y1 - y0
    spot = cv.crop(background, x0, y0, w, h)
    cx, cy = w / 2, h / 2

    def draw(ctx, k):
        lit = k == 0          # 0 switches the amplifier on
        cv.paint_surface(ctx, spot)
        if lit:
            ctx.arc(cx, cy, 21, 0, 2 * math.pi)
            ctx.set_source(cv.radial(cx, cy, 8, 22, [(0, (1, 0.25, 0.1, 0.45)), (1, (1, 0.2, 0.1, 0))]))
            ctx.fill()
        _shadow(ctx, cx, cy, 14.5, 0.6, 2)
        # Chrome bezel with a knurled edge.
        ctx.arc(cx, cy, 15, 0, 2 * math.pi)
        ctx.set_source(cv.radial(cx, cy, 0, 15, [(0, (0.95, 0.95, 0.93)), (0.7, (0.70, 0.70, 0.69)),
                                                 (1, (0.32, 0.32, 0.32))], cx - 5, cy - 6))
        ctx.fill()
        for i in range(40):
            a = i * 2 * math.pi / 40
            ctx.move_to(cx + math.sin(a) * 13.2, cy - math.cos(a) * 13.2)
            ctx.line_to(cx + math.sin(a) * 14.8, cy - math.cos(a) * 14.8)
        ctx.set_source_rgba(0, 0, 0, 0.25)
        ctx.set_line_width(0.8)
        ctx.stroke()
        ctx.arc(cx, cy, 11, 0, 2 * math.pi)
        ctx.set_source_rgb(0.12, 0.02, 0.02)
        ctx.fill()
        # Faceted jewel.
        if lit:
            stops = [(0, (1.0, 0.92, 0.70)), (0.35, (1.0, 0.40, 0.18)), (0.8, (0.85, 0.08, 0.04)), (1, (0.45, 0.02, 0.02))]
        else:
            stops = [(0, (0.55, 0.18, 0.15)), (0.5, (0.35, 0.05, 0.04)), (1, (0.15, 0.01, 0.01))]
        ctx.arc(cx, cy, 10, 0, 2 * math.pi)
        ctx.set_source(cv.radial(cx, cy, 0, 10, stops, cx - 1, cy - 1.5))
        ctx.fill()
        for i in range(8):
            a = i * 2 * math.pi / 8 + 0.2
            ctx.move_to(cx + math.sin(a) * 4, cy - math.cos(a) * 4)
            ctx.line_to(cx + math.sin(a) * 9.6, cy - math.cos(a) * 9.6)
        ctx.set_source_rgba(0, 0, 0, 0.25 if lit else 0.35)
        ctx.set_line_width(0.8)
        ctx.stroke()
        ctx.new_path()
        for i in range(8):
            a = i * 2 * math.pi / 8 + 0.2 + math.pi / 8
            ctx.line_to(cx + math.sin(a) * 4.2, cy - math.cos(a) * 4.2)
        ctx.close_path()
        ctx.set_source_rgba(1, 1, 1, 0.25 if lit else 0.10)
        ctx.fill()
        ctx.arc(cx - 3.5, cy - 4, 2.2, 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 1, 0.8 if lit else 0.45)
        ctx.fill()
    return _frames(w, h, 2, draw)


def toggle(background, rect):
    """Bat-handle toggle: up (value 0, engaged) or down."""
    x0, y0, x1, y1 = rect
    w, h = x1 - x0, y1 - y0
    spot = cv.crop(background, x0, y0, w, h)
    cx, cy = w / 2, h / 2

    def draw(ctx, k):
        cv.paint_surface(ctx, spot)
        up = k == 0
        # Hex nut and washer.
        ctx.arc(cx, cy + 1, 7.5, 0, 2 * math.pi)
        ctx.set_source_rgba(0, 0, 0, 0.4)
        ctx.fill()
        ctx.new_path()
        for i in range(6):
            a = i * math.pi / 3 + math.pi / 6
            ctx.line_to(cx + math.cos(a) * 6.6, cy + math.sin(a) * 6.6)
        ctx.close_path()
        ctx.set_source(cv.linear(cx - 6, cy - 6, cx + 6, cy + 6, [(0, (0.95, 0.95, 0.93)), (1, (0.40, 0.40, 0.40))]))
        ctx.fill()
        ctx.arc(cx, cy, 3.6, 0, 2 * math.pi)
        ctx.set_source_rgb(0.25, 0.25, 0.25)
        ctx.fill()
        # The bat: a tapered chrome lever seen nearly end on, leaning up or down.
        tip = 1.8 if up else h - 1.8
        direction = -1 if up else 1
        ctx.move_to(cx - 2.2, cy)
        ctx.line_to(cx - 3.2, tip - direction * 2.5)
        ctx.curve_to(cx - 3.2, tip, cx + 3.2, tip, cx + 3.2, tip - direction * 2.5)
        ctx.line_to(cx + 2.2, cy)
        ctx.close_path()
        ctx.set_source(cv.linear(cx - 3.2, 0, cx + 3.2, 0, [(0, (0.45, 0.45, 0.45)), (0.35, (0.98, 0.98, 0.96)),
                                                            (1, (0.38, 0.38, 0.38))]))
        ctx.fill()
        ctx.arc(cx, tip - direction * 2.4, 2.9, 0, 2 * math.pi)
        ctx.set_source(cv.radial(cx, tip - direction * 2.4, 0, 3, [(0, (1, 1, 1)), (1, (0.55, 0.55, 0.55))], cx - 1, tip - direction * 2.4 - 1))
        ctx.fill()
    return _frames(w, h, 2, draw)


def selector(background, rect, names):
    """Lit-window selector: one row per position, the chosen one glows amber."""
    x0, y0, x1, y1 = rect
    w, frame_h = x1 - x0, y1 - y0
    spot = cv.crop(background, x0, y0, w, frame_h)
    rows = len(names)

    def draw(ctx, k):
        cv.paint_surface(ctx, spot)
        cv.rounded_rect(ctx, 1.5, 1.5, w - 3, frame_h - 3, 3)
        ctx.set_source_rgba(0, 0, 0, 0.55)
        ctx.fill()
        cv.rounded_rect(ctx, 2, 2, w - 4, frame_h - 4, 2.5)
        ctx.set_source(cv.linear(0, 2, 0, frame_h - 2, [(0, (0.03, 0.03, 0.03)), (1, (0.10, 0.10, 0.10))]))
        ctx.fill()
        row_h = (frame_h - 4) / rows
        for i, name in enumerate(names):
            ty = 2 + row_h * i
            lit = i == k
            if lit:
                cv.rounded_rect(ctx, 3, ty + 0.6, w - 6, row_h - 1.2, 1.5)
                ctx.set_source(cv.radial(w / 2, ty + row_h / 2, 1, w / 2, [(0, (0.55, 0.30, 0.05)), (1, (0.22, 0.11, 0.02))]))
                ctx.fill()
            size = 7.5 if len(name) <= 4 else 7.0
            colour = (1.0, 0.84, 0.55) if lit else (0.50, 0.48, 0.44)
            cv.text(ctx, name, w / 2, ty + row_h / 2 + 2.7, size, colour, True, family=cv.FONT_CONDENSED)
            if i:
                ctx.rectangle(3, ty, w - 6, 0.6)
                ctx.set_source_rgba(1, 1, 1, 0.07)
                ctx.fill()
        ctx.rectangle(2, 2, w - 4, 1)
        ctx.set_source_rgba(1, 1, 1, 0.06)
        ctx.fill()
    return _frames(w, frame_h, len(names), draw)


# --- Buttons of the bars and the cabinet panel -----------------------------------------

def _button_face(ctx, w, h, lit, pressed=False, radius=2.5):
    """Rubber push button with a dark face; lit buttons glow from behind."""
    cv.rounded_rect(ctx, 0.5, 0.5, w - 1, h - 1, radius)
    ctx.set_source_rgba(0, 0, 0, 0.85)
    ctx.fill()
    top, bottom = ((0.20, 0.20, 0.21), (0.11, 0.11, 0.12)) if not pressed else ((0.09, 0.09, 0.10), (0.15, 0.15, 0.16))
    if lit:
        top, bottom = (0.30, 0.19, 0.08), (0.17, 0.09, 0.03)
    cv.rounded_rect(ctx, 1.5, 1.5, w - 3, h - 3, radius - 0.8)
    ctx.set_source(cv.linear(0, 1.5, 0, h - 1.5, [(0, top), (1, bottom)]))
    ctx.fill()
    if not pressed:
        ctx.rectangle(2.5, 1.5, w - 5, 0.8)
        ctx.set_source_rgba(1, 1, 1, 0.18 if not lit else 0.28)
        ctx.fill()


def _legend_colour(lit):
    return (1.0, 0.80, 0.45) if lit else (0.76, 0.74, 0.69)


def lit_button(w, h, label, size, lit_state=0, family=cv.FONT_CONDENSED, led=True):
    """Two states: the label glows amber (with its LED) in lit_state, grey otherwise.
    A label with a line break is set in two lines."""
    def draw(ctx, k):
        lit = k == lit_state
        _button_face(ctx, w, h, lit)
        tx = w / 2 + (2 if led else 0)
        if led:
            ctx.arc(4.5, h / 2, 1.6, 0, 2 * math.pi)
            ctx.set_source_rgb(*((1.0, 0.65, 0.2) if lit else (0.25, 0.18, 0.12)))
            ctx.fill()
            if lit:
                ctx.arc(4.5, h / 2, 3.2, 0, 2 * math.pi)
                ctx.set_source(cv.radial(4.5, h / 2, 0.5, 3.2, [(0, (1, 0.7, 0.3, 0.6)), (1, (1, 0.6, 0.2, 0))]))
                ctx.fill()
        lines = label.split("\n") if label else []
        for i, line in enumerate(lines):
            y = h / 2 + size * 0.36 + (i - (len(lines) - 1) / 2) * (size + 0.5)
            cv.text(ctx, line, tx, y, size, _legend_colour(lit), True, family=family, label=True)
    return _frames(w, h, 2, draw)


def _power_icon(ctx, cx, cy, r, colour, width=1.4):
    ctx.arc(cx, cy, r, math.radians(-60), math.radians(240))
    ctx.move_to(cx, cy - r - 1)
    ctx.line_to(cx, cy - r * 0.2)
    ctx.set_source_rgb(*colour)
    ctx.set_line_width(width)
    ctx.set_line_cap(1)
    ctx.stroke()


def icon_button(w, h, icon, lit_state=0, lit_both=False):
    """Square button with a drawn symbol; icon(ctx, k, colour) draws state k."""
    def draw(ctx, k):
        lit = lit_both or k == lit_state
        _button_face(ctx, w, h, lit and not lit_both, pressed=lit_both and k == 1)
        icon(ctx, k, _legend_colour(lit))
    return _frames(w, h, 2, draw)


def bypass_button():
    def icon(ctx, k, colour):
        _power_icon(ctx, 10, 10.5, 5, (1.0, 0.35, 0.25) if k == 0 else (0.62, 0.60, 0.56), 1.6)
    return icon_button(20, 20, icon)


def cabinet_on_button():
    def icon(ctx, k, colour):
        _power_icon(ctx, 10, 10.5, 4.5, colour, 1.4)
    return icon_button(20, 20, icon)


def phase_button():
    def icon(ctx, k, colour):
        ctx.arc(10, 10, 4.6, 0, 2 * math.pi)
        ctx.move_to(5.2, 15.5)
        ctx.line_to(14.8, 4.5)
        ctx.set_source_rgb(*colour)
        ctx.set_line_width(1.4)
        ctx.stroke()
    return icon_button(20, 20, icon)


def axis_button(mirror):
    """State 0: microphone aimed straight at the cone; state 1: beside it, angled in."""
    def icon(ctx, k, colour):
        ctx.save()
        if mirror:
            ctx.translate(20, 0)
            ctx.scale(-1, 1)
        # The speaker from above: the baffle with the cone dipping into it.
        ctx.move_to(3, 4.5)
        ctx.line_to(7, 4.5)
        ctx.line_to(8.6, 7)
        ctx.line_to(11.4, 7)
        ctx.line_to(13, 4.5)
        ctx.line_to(17, 4.5)
        ctx.set_source_rgb(*colour)
        ctx.set_line_width(1.3)
        ctx.stroke()
        # The microphone: head towards the cone, body trailing away.
        if k == 0:
            ctx.translate(10, 14.5)
        else:
            ctx.translate(14.6, 14)
            ctx.rotate(math.radians(-40))
        ctx.arc(0, -2.2, 2.1, 0, 2 * math.pi)
        ctx.fill()
        cv.rounded_rect(ctx, -1.3, -0.4, 2.6, 5.2, 0.9)
        ctx.fill()
        ctx.restore()
    return icon_button(20, 20, icon, lit_both=True)


def mono_stereo_switch(panel):
    """Horizontal toggle over the cabinet panel: left for mono, right for stereo."""
    x0, y0, x1, y1 = L.CAB_TYPE
    w, h = x1 - x0, y1 - y0
    spot = cv.crop(panel, x0, y0, w, h)
    cx, cy = w / 2, h / 2

    def draw(ctx, k):
        cv.paint_surface(ctx, spot)
        ctx.arc(cx, cy + 1, 6.5, 0, 2 * math.pi)
        ctx.set_source_rgba(0, 0, 0, 0.5)
        ctx.fill()
        ctx.new_path()
        for i in range(6):
            a = i * math.pi / 3
            ctx.line_to(cx + math.cos(a) * 6, cy + math.sin(a) * 6)
        ctx.close_path()
        ctx.set_source(cv.linear(cx - 6, cy - 6, cx + 6, cy + 6, [(0, (0.92, 0.92, 0.90)), (1, (0.35, 0.35, 0.35))]))
        ctx.fill()
        tip = 2.5 if k == 0 else w - 2.5
        d = -1 if k == 0 else 1
        ctx.move_to(cx, cy - 2)
        ctx.line_to(tip - d * 2.5, cy - 2.8)
        ctx.curve_to(tip, cy - 2.8, tip, cy + 2.8, tip - d * 2.5, cy + 2.8)
        ctx.line_to(cx, cy + 2)
        ctx.close_path()
        ctx.set_source(cv.linear(0, cy - 3, 0, cy + 3, [(0, (0.45, 0.45, 0.45)), (0.35, (0.98, 0.98, 0.96)), (1, (0.35, 0.35, 0.35))]))
        ctx.fill()
    return _frames(w, h, 2, draw)


def arrow(w, h, left):
    """Kick button: state 0 at rest, state 1 pressed."""
    fh = h // 2

    def draw(ctx, k):
        pressed = k == 1
        _button_face(ctx, w, fh, False, pressed, 2)
        dy = 0.6 if pressed else 0
        cx, cy = w / 2, fh / 2 + dy
        d = -1 if left else 1
        ctx.move_to(cx + d * 2.6, cy)
        ctx.line_to(cx - d * 2.0, cy - 3.4)
        ctx.line_to(cx - d * 2.0, cy + 3.4)
        ctx.close_path()
        ctx.set_source_rgb(*((1.0, 0.80, 0.45) if pressed else (0.78, 0.76, 0.70)))
        ctx.fill()
    return _frames(w, fh, 2, draw)


def ir_load():
    def draw(ctx, k):
        pressed = k == 1
        _button_face(ctx, 20, 20, False, pressed)
        colour = (1.0, 0.80, 0.45) if pressed else (0.78, 0.76, 0.70)
        # A folder with an arrow into it.
        ctx.move_to(4, 7)
        ctx.line_to(8, 7)
        ctx.line_to(9.3, 8.5)
        ctx.line_to(16, 8.5)
        ctx.line_to(16, 15)
        ctx.line_to(4, 15)
        ctx.close_path()
        ctx.set_source_rgb(*colour)
        ctx.set_line_width(1.2)
        ctx.stroke()
        ctx.move_to(10, 3.5)
        ctx.line_to(10, 12)
        ctx.stroke()
        ctx.move_to(7.5, 9.8)
        ctx.line_to(10, 12.6)
        ctx.line_to(12.5, 9.8)
        ctx.stroke()
    return _frames(20, 20, 2, draw)


def ir_unload():
    def draw(ctx, k):
        pressed = k == 1
        _button_face(ctx, 20, 20, False, pressed)
        colour = (1.0, 0.80, 0.45) if pressed else (0.78, 0.76, 0.70)
        ctx.move_to(6.5, 6.5)
        ctx.line_to(13.5, 13.5)
        ctx.move_to(13.5, 6.5)
        ctx.line_to(6.5, 13.5)
        ctx.set_source_rgb(*colour)
        ctx.set_line_width(1.6)
        ctx.set_line_cap(1)
        ctx.stroke()
    return _frames(20, 20, 2, draw)


def file_button(clicked):
    s = cv.surface(26, 18)
    ctx = cv.context(s)
    _button_face(ctx, 26, 18, clicked, clicked)
    colour = _legend_colour(clicked)
    cv.text(ctx, "FILE", 13, 13, cv.LABEL_SIZE, colour, True, family=cv.FONT_CONDENSED, label=True)
    return s


def vu(lit):
    """14 segments of 3 pixels: ten green, two yellow, two red."""
    s = cv.surface(42, 8)
    ctx = cv.context(s)
    ctx.rectangle(0, 0, 42, 8)
    ctx.set_source_rgb(0.02, 0.02, 0.02)
    ctx.fill()
    for i in range(14):
        colour = (0.30, 0.95, 0.30) if i < 10 else ((1.0, 0.85, 0.20) if i < 12 else (1.0, 0.20, 0.12))
        if not lit:
            colour = tuple(c * 0.22 for c in colour)
        ctx.rectangle(i * 3, 1, 2, 6)
        ctx.set_source(cv.linear(0, 1, 0, 7, [(0, tuple(min(1, c * 1.25) for c in colour)), (1, tuple(c * 0.75 for c in colour))]))
        ctx.fill()
    return s


def clip_led():
    def draw(ctx, k):
        lit = k == 1
        ctx.arc(6, 6, 5.5, 0, 2 * math.pi)
        ctx.set_source(cv.radial(6, 6, 0, 5.5, [(0, (0.75, 0.75, 0.73)), (1, (0.25, 0.25, 0.25))], 4.5, 4.5))
        ctx.fill()
        ctx.arc(6, 6, 4, 0, 2 * math.pi)
        stops = ([(0, (1.0, 0.85, 0.75)), (0.4, (1.0, 0.22, 0.12)), (1, (0.60, 0.04, 0.02))] if lit else
                 [(0, (0.45, 0.14, 0.12)), (1, (0.16, 0.03, 0.03))])
        ctx.set_source(cv.radial(6, 6, 0, 4, stops, 5.2, 5.2))
        ctx.fill()
        ctx.arc(4.8, 4.6, 1.1, 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 1, 0.7 if lit else 0.35)
        ctx.fill()
    return _frames(12, 12, 2, draw)


def slider_handle():
    s = cv.surface(10, 8)
    ctx = cv.context(s)
    cv.rounded_rect(ctx, 0.5, 0.5, 9, 7, 1.5)
    ctx.set_source(cv.linear(0, 0, 0, 8, [(0, (0.93, 0.92, 0.88)), (0.5, (0.74, 0.73, 0.70)), (1, (0.42, 0.41, 0.40))]))
    ctx.fill_preserve()
    ctx.set_source_rgba(0, 0, 0, 0.8)
    ctx.set_line_width(1)
    ctx.stroke()
    ctx.rectangle(4.5, 1.5, 1, 5)
    ctx.set_source_rgb(0.12, 0.12, 0.12)
    ctx.fill()
    return s


# --- Microphone handle -------------------------------------------------------------------

def mic_handle():
    """A stick microphone seen from above, head up towards the speaker, cable trailing down."""
    w, h = L.HANDLE
    s = cv.surface(w, h)
    ctx = cv.context(s)
    cx = w / 2
    head_y, head_r = 26, 15
    body_top, body_bottom = 38, 122
    # Soft shadow of the whole microphone, offset down and right.
    ctx.save()
    ctx.translate(4, 5)
    for grow, alpha in ((4, 0.10), (2.5, 0.14), (1, 0.18)):
        ctx.arc(cx, head_y, head_r + grow, 0, 2 * math.pi)
        ctx.set_source_rgba(0, 0, 0, alpha)
        ctx.fill()
        cv.rounded_rect(ctx, cx - 9 - grow, body_top - grow, 18 + 2 * grow, body_bottom - body_top + 2 * grow, 6)
        ctx.fill()
    ctx.restore()
    # Cable.
    ctx.move_to(cx, body_bottom)
    ctx.curve_to(cx, body_bottom + 14, cx + 14, body_bottom + 14, cx + 12, h)
    ctx.set_source_rgb(0.05, 0.05, 0.05)
    ctx.set_line_width(5)
    ctx.stroke()
    ctx.move_to(cx - 0.8, body_bottom)
    ctx.curve_to(cx - 0.8, body_bottom + 13, cx + 12.5, body_bottom + 13, cx + 10.7, h)
    ctx.set_source_rgba(1, 1, 1, 0.18)
    ctx.set_line_width(1)
    ctx.stroke()
    # Connector sleeve.
    ctx.rectangle(cx - 7, body_bottom - 12, 14, 14)
    ctx.set_source(cv.linear(cx - 7, 0, cx + 7, 0, [(0, (0.35, 0.35, 0.35)), (0.35, (0.92, 0.92, 0.90)), (1, (0.30, 0.30, 0.30))]))
    ctx.fill()
    # Body: dark satin tube, lit from the left.
    cv.rounded_rect(ctx, cx - 9, body_top, 18, body_bottom - body_top - 10, 3)
    ctx.set_source(cv.linear(cx - 9, 0, cx + 9, 0, [(0, (0.10, 0.10, 0.11)), (0.3, (0.42, 0.42, 0.44)),
                                                   (0.55, (0.20, 0.20, 0.21)), (1, (0.05, 0.05, 0.05))]))
    ctx.fill()
    # Taper towards the head and a brand-free ring.
    ctx.move_to(cx - 9, body_top + 2)
    ctx.line_to(cx - 12, body_top - 4)
    ctx.line_to(cx + 12, body_top - 4)
    ctx.line_to(cx + 9, body_top + 2)
    ctx.close_path()
    ctx.set_source(cv.linear(cx - 12, 0, cx + 12, 0, [(0, (0.25, 0.25, 0.25)), (0.3, (0.85, 0.85, 0.83)), (1, (0.22, 0.22, 0.22))]))
    ctx.fill()
    ctx.rectangle(cx - 9, body_top + 44, 18, 2)
    ctx.set_source_rgba(0.85, 0.60, 0.25, 0.9)
    ctx.fill()
    # Ball grille: mesh over a dark foam, with a specular highlight.
    ctx.arc(cx, head_y, head_r, 0, 2 * math.pi)
    ctx.set_source(cv.radial(cx, head_y, 0, head_r, [(0, (0.80, 0.80, 0.78)), (0.75, (0.52, 0.52, 0.52)),
                                                      (1, (0.22, 0.22, 0.22))], cx - 5, head_y - 5))
    ctx.fill()
    ctx.save()
    ctx.arc(cx, head_y, head_r - 0.8, 0, 2 * math.pi)
    ctx.clip()
    for i in range(-16, 17, 2):
        ctx.move_to(cx + i - 16, head_y - 16)
        ctx.line_to(cx + i + 16, head_y + 16)
        ctx.move_to(cx + i + 16, head_y - 16)
        ctx.line_to(cx + i - 16, head_y + 16)
    ctx.set_source_rgba(0.10, 0.10, 0.10, 0.65)
    ctx.set_line_width(0.8)
    ctx.stroke()
    ctx.restore()
    ctx.arc(cx, head_y, head_r, 0, 2 * math.pi)
    ctx.set_source_rgba(0.1, 0.1, 0.1, 0.9)
    ctx.set_line_width(1.2)
    ctx.stroke()
    ctx.arc(cx, head_y, head_r - 4, math.radians(190), math.radians(260))
    ctx.set_source_rgba(1, 1, 1, 0.55)
    ctx.set_line_width(2)
    ctx.stroke()
    # Band around the grille's equator, seen from above as a bar across it.
    ctx.rectangle(cx - head_r, head_y + 6, 2 * head_r, 3)
    ctx.save()
    ctx.arc(cx, head_y, head_r - 0.5, 0, 2 * math.pi)
    ctx.clip()
    ctx.rectangle(cx - head_r, head_y + 7, 2 * head_r, 3)
    ctx.set_source(cv.linear(cx - head_r, 0, cx + head_r, 0, [(0, (0.3, 0.3, 0.3)), (0.35, (0.95, 0.95, 0.93)), (1, (0.3, 0.3, 0.3))]))
    ctx.fill()
    ctx.restore()
    return s
