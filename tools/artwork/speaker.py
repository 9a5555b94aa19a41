"""The pictures behind the microphone pads: each cabinet as itself.

A pad picture is 101 frames of one cabinet standing in a room, seen from
where the microphone is. Frame 0 is the microphone on the grille: the cone
and the dust cap fill the view. Along the strip the view backs away at a
constant rate of zoom and rises a little, until the whole cabinet stands in
the room with its top, and its open or closed back, in view. Off-axis
pictures show the cabinet turned away, so the cones become ellipses, their
inner wall shows on one side and the cabinet's side panel appears.

The picture is as wide as the pad plus the handle's travel (474 pixels), with
the microphone's cone at its centre: wherever the handle is, the picture
covers the whole pad. Pictures are drawn for the left pad; the right pad
shows them mirrored.

Geometry is in units of a 12-inch cone's radius (0.13 m), x to the right,
y down, z out of the baffle towards the microphone. Smaller speakers have
their own radius in these units, so they are drawn in proportion.
"""

import math
from dataclasses import dataclass

import cairo

import canvas as cv

WIDTH, FRAME_HEIGHT, FRAMES = 474, 229, 101
PAD_WIDTH = 282             # the pad's width; the picture is wider by the handle's travel
HANDLE_HALF = 45            # the microphone sits at the handle's centre
CENTRE_X = WIDTH // 2       # the microphone's cone, under the handle
CENTRE_Y = 100
VISIBLE_ROWS = 199          # the bottom bar hides the rows below
SCALE_NEAR = 215.0          # pixels per unit at frame 0
SCALE_FAR = 22.0            # pixels per unit at frame 100
OFF_AXIS = math.radians(38)
RISE = math.radians(13)     # how far the view looks down at frame 100

UNIT_M = 0.13               # one unit in metres
RIM, SURROUND, CONE_TOP, CAP = 1.10, 1.0, 0.88, 0.24   # in cone radii
CONE_DEPTH = 0.45
GRILLE_INSET = 0.16
WEAVE_PERIOD = 0.038        # one pair of threads of the grille cloth, in units
WEAVE_FADE = (2.5, 4.0)     # threads fade out between these periods in pixels
CLOTH_OPACITY = 0.30
WALL_BEHIND = 1.6           # from the cabinet's back to the wall


@dataclass(frozen=True)
class Cabinet:
    name: str
    cone: float            # cone radius in units
    cones: tuple           # x of each cone centre; the microphone's cone is at 0
    left: float            # cabinet edges around the microphone's cone
    right: float
    top: float
    bottom: float
    depth: float
    open_back: bool
    covering: tuple        # tolex colour
    cloth: tuple           # dark and light thread colours; None for a metal grille
    piping: tuple
    seed: int


def _m(metres):
    return metres / UNIT_M


# The five cabinets of the selector, in menu order. Sizes in metres, as built.
CABINETS = (
    Cabinet("Black Tolex (2 x 12)", 1.0, (0.0, _m(0.33)), -_m(0.185), _m(0.515), -_m(0.23), _m(0.23),
            _m(0.28), False, (0.085, 0.082, 0.080), ((0.10, 0.10, 0.105), (0.42, 0.42, 0.44)),
            (0.70, 0.70, 0.68), 5),
    Cabinet("Red Tolex (1 x 12)", 1.0, (0.0,), -_m(0.27), _m(0.27), -_m(0.26), _m(0.21),
            _m(0.25), True, (0.36, 0.07, 0.06), ((0.16, 0.13, 0.09), (0.62, 0.55, 0.42)),
            (0.82, 0.78, 0.68), 6),
    Cabinet("Blonde Vintage (1 x 10)", _m(0.105), (0.0,), -_m(0.22), _m(0.22), -_m(0.22), _m(0.18),
            _m(0.23), True, (0.80, 0.70, 0.52), ((0.22, 0.10, 0.07), (0.55, 0.30, 0.20)),
            (0.35, 0.22, 0.14), 7),
    Cabinet("Iron Grill (1 x 10)", _m(0.105), (0.0,), -_m(0.20), _m(0.20), -_m(0.20), _m(0.20),
            _m(0.27), False, (0.11, 0.105, 0.10), None, (0.55, 0.55, 0.55), 8),
    Cabinet("Cloth Grill (1 x 8)", _m(0.082), (0.0,), -_m(0.165), _m(0.165), -_m(0.17), _m(0.14),
            _m(0.19), True, (0.40, 0.27, 0.15), ((0.20, 0.17, 0.12), (0.72, 0.66, 0.52)),
            (0.16, 0.12, 0.08), 9),
)


def frame_scale(k):
    return SCALE_NEAR * (SCALE_FAR / SCALE_NEAR) ** (k / (FRAMES - 1))


def frame_rise(k):
    return RISE * k / (FRAMES - 1)


class View:
    """Orthographic view of the cabinet turned by `angle` about the vertical
    axis and seen from above by `rise`."""

    def __init__(self, scale, angle, rise):
        self.s = scale
        self.ca, self.sa = math.cos(angle), math.sin(angle)
        self.ce, self.se = math.cos(rise), math.sin(rise)

    def point(self, x, y, z):
        xs = CENTRE_X + self.s * (x * self.ca - z * self.sa)
        ys = CENTRE_Y + self.s * (y * self.ce + (x * self.sa + z * self.ca) * self.se)
        return xs, ys

    def front(self, z=0.0):
        """Matrix from a plane parallel to the baffle (at depth z) to the screen."""
        s = self.s
        return cairo.Matrix(s * self.ca, s * self.sa * self.se, 0, s * self.ce,
                            CENTRE_X - s * z * self.sa, CENTRE_Y + s * z * self.ca * self.se)

    def side(self, x):
        """Matrix from the side plane at x, coordinates (z, y), to the screen."""
        s = self.s
        return cairo.Matrix(-s * self.sa, s * self.ca * self.se, 0, s * self.ce,
                            CENTRE_X + s * x * self.ca, CENTRE_Y + s * x * self.sa * self.se)

    def top(self, y):
        """Matrix from the top plane at y, coordinates (x, z), to the screen."""
        s = self.s
        return cairo.Matrix(s * self.ca, s * self.sa * self.se, -s * self.sa, s * self.ca * self.se,
                            CENTRE_X, CENTRE_Y + s * y * self.ce)


def _in_plane(ctx, matrix):
    ctx.save()
    ctx.transform(matrix)


TOLEX_GRAIN = 60.0          # texture pixels of the tolex per unit
WEAVE_SCALE = 16 / (WEAVE_PERIOD * 4)   # the weave tile holds four thread pairs


def _tiled(texture, texels_per_unit):
    """A repeating texture for drawing in plane units (under a View matrix)."""
    pattern = cairo.SurfacePattern(texture)
    pattern.set_extend(cairo.EXTEND_REPEAT)
    pattern.set_filter(cairo.FILTER_GOOD)
    m = cairo.Matrix()
    m.scale(texels_per_unit, texels_per_unit)
    pattern.set_matrix(m)
    return pattern


def _room(ctx, v, cab):
    wall_z = -cab.depth - WALL_BEHIND
    # The floor meets the wall at the back, straight across the picture.
    _, horizon = v.point(0, cab.bottom, wall_z)
    horizon = min(FRAME_HEIGHT, horizon)
    ctx.rectangle(0, 0, WIDTH, FRAME_HEIGHT)
    ctx.set_source(cv.radial(CENTRE_X, CENTRE_Y - 40, 30, 420,
                             [(0, (0.31, 0.28, 0.25)), (0.6, (0.17, 0.155, 0.14)), (1, (0.10, 0.09, 0.085))]))
    ctx.fill()
    if horizon < FRAME_HEIGHT:
        ctx.rectangle(0, horizon, WIDTH, FRAME_HEIGHT - horizon)
        ctx.set_source(cv.linear(0, horizon, 0, VISIBLE_ROWS + 10,
                                 [(0, (0.22, 0.14, 0.08)), (1, (0.40, 0.26, 0.14))]))
        ctx.fill()
        # Floorboards running towards the viewer, seams across them.
        board = 0.9
        for i in range(-40, 41):
            x_far, y_far = v.point(i * board, cab.bottom, wall_z)
            x_near, y_near = v.point(i * board, cab.bottom, 30.0)
            spread = 1.0 + 0.6 * (y_near - y_far) / max(1.0, FRAME_HEIGHT - horizon + 1)
            ctx.move_to(x_far, y_far)
            ctx.line_to(CENTRE_X + (x_near - CENTRE_X) * spread, y_near)
        ctx.set_source_rgba(0, 0, 0, 0.32)
        ctx.set_line_width(1)
        ctx.stroke()
        ctx.rectangle(0, horizon, WIDTH, 2)
        ctx.set_source_rgba(0, 0, 0, 0.45)
        ctx.fill()
        # Skirting board along the wall.
        ctx.rectangle(0, horizon - v.s * 0.35, WIDTH, v.s * 0.35)
        ctx.set_source_rgba(0.55, 0.50, 0.44, 0.25)
        ctx.fill()


def _shadow(ctx, v, cab):
    """Contact shadow on the floor under and behind the cabinet."""
    b = cab.bottom
    corners = [(cab.left - 0.1, -cab.depth - 0.5), (cab.right + 0.35, -cab.depth - 0.5),
               (cab.right + 0.35, 0.12), (cab.left - 0.1, 0.12)]
    for i, (x, z) in enumerate(corners):
        px, py = v.point(x, b, z)
        (ctx.line_to if i else ctx.move_to)(px, py + (0 if z < 0 else 0.05 * v.s))
    ctx.close_path()
    ctx.set_source_rgba(0, 0, 0, 0.45)
    ctx.fill()


def _covered(ctx, tolex, shade):
    ctx.set_source(_tiled(tolex, TOLEX_GRAIN))
    ctx.fill_preserve()
    if shade > 0:
        ctx.set_source_rgba(0, 0, 0, shade)
        ctx.fill_preserve()
    ctx.new_path()


def _side(ctx, v, cab, tolex):
    if v.sa <= 0:
        return
    _in_plane(ctx, v.side(cab.right))
    ctx.rectangle(-cab.depth, cab.top, cab.depth, cab.bottom - cab.top)
    _covered(ctx, tolex, 0.42)
    # The rear edge of the side: a closed back shows its back board flush
    # with the side; an open back shows the cut-out of the open box.
    h = cab.bottom - cab.top
    if cab.open_back:
        ctx.rectangle(-cab.depth, cab.top + 0.30 * h, 0.10, 0.55 * h)
        ctx.set_source_rgba(0.02, 0.02, 0.02, 0.9)
        ctx.fill()
    else:
        ctx.rectangle(-cab.depth, cab.top, 0.10, h)
        ctx.set_source_rgba(0.70, 0.66, 0.58, 0.45)
        ctx.fill()
    ctx.restore()


def _top(ctx, v, cab, tolex):
    if v.se <= 0:
        return
    w = cab.right - cab.left
    _in_plane(ctx, v.top(cab.top))
    ctx.rectangle(cab.left, -cab.depth, w, cab.depth)
    _covered(ctx, tolex, -1)
    ctx.rectangle(cab.left, -cab.depth, w, cab.depth)
    ctx.set_source_rgba(1, 1, 1, 0.08)
    ctx.fill()
    if cab.open_back:
        # Looking down past the top's back edge into the open box: the dark
        # interior and the speaker's magnet behind the baffle.
        gap = min(0.45 * cab.depth, 0.9)
        ctx.rectangle(cab.left + 0.12, -cab.depth, w - 0.24, gap)
        ctx.set_source_rgb(0.035, 0.03, 0.03)
        ctx.fill()
        for x in cab.cones:
            r = cab.cone * 0.42
            ctx.rectangle(x - r, -cab.depth + gap * 0.25, 2 * r, gap * 0.75)
            ctx.set_source(cv.linear(x - r, 0, x + r, 0, [(0, (0.15, 0.15, 0.16)), (0.4, (0.55, 0.55, 0.57)),
                                                           (1, (0.12, 0.12, 0.13))]))
            ctx.fill()
        ctx.rectangle(cab.left + 0.12, -cab.depth + gap - 0.06, w - 0.24, 0.06)
        ctx.set_source_rgba(0, 0, 0, 0.6)
        ctx.fill()
    else:
        # A closed back: the back board flush with the top, held by screws.
        ctx.rectangle(cab.left, -cab.depth, w, 0.12)
        ctx.set_source_rgba(0.62, 0.58, 0.52, 0.35)
        ctx.fill()
        for i in range(4):
            x = cab.left + w * (i + 0.5) / 4
            ctx.arc(x, -cab.depth + 0.06, 0.035, 0, 2 * math.pi)
            ctx.set_source_rgb(0.72, 0.72, 0.70)
            ctx.fill()
    # A leather carrying handle on the top.
    cx = (cab.left + cab.right) / 2
    cv.rounded_rect(ctx, cx - 0.6, -cab.depth / 2 - 0.09, 1.2, 0.18, 0.08)
    ctx.set_source_rgb(0.06, 0.05, 0.045)
    ctx.fill()
    ctx.restore()


def _front(ctx, v, cab, tolex):
    w, h = cab.right - cab.left, cab.bottom - cab.top
    _in_plane(ctx, v.front())
    ctx.rectangle(cab.left, cab.top, w, h)
    _covered(ctx, tolex, -1)
    corner = 0.28
    for cx, sx in ((cab.left, 1), (cab.right, -1)):
        for cy, sy in ((cab.top, 1), (cab.bottom, -1)):
            ctx.move_to(cx, cy)
            ctx.line_to(cx + sx * corner, cy)
            ctx.line_to(cx, cy + sy * corner)
            ctx.close_path()
            ctx.set_source_rgb(0.62, 0.62, 0.60)
            ctx.fill()
    ctx.restore()


def _grille_area(cab):
    return (cab.left + GRILLE_INSET, cab.top + GRILLE_INSET, cab.right - GRILLE_INSET, cab.bottom - GRILLE_INSET)


def _cone_shade(t, lit):
    """Cone paper: dark near the voice coil, lighter towards the rim, lit side warmer."""
    base = 0.11 + 0.15 * t
    return (base * 1.08 + lit, base + lit * 0.9, base * 0.92 + lit * 0.75)


def _circle(ctx, cx, cy, r):
    ctx.new_sub_path()
    ctx.arc(cx, cy, r, 0, 2 * math.pi)


def _speaker(ctx, v, x0, R):
    """One speaker of radius R (units) centred at x0 on the baffle."""
    ctx.save()
    ctx.transform(v.front())
    _circle(ctx, x0, 0, RIM * R)
    ctx.set_source(cv.radial(x0, 0, SURROUND * R, RIM * R,
                             [(0, (0.16, 0.16, 0.17)), (0.5, (0.34, 0.34, 0.35)), (1, (0.10, 0.10, 0.10))]))
    ctx.fill()
    for i in range(8):
        a = i * math.pi / 4 + math.pi / 8
        _circle(ctx, x0 + math.cos(a) * 1.055 * R, math.sin(a) * 1.055 * R, max(0.6 / v.s, 0.025 * R))
        ctx.set_source_rgb(0.70, 0.70, 0.68)
        ctx.fill()
    ctx.restore()
    # Surround: a half roll, bright on its upper left.
    _in_plane(ctx, v.front(-0.02 * R))
    _circle(ctx, x0, 0, SURROUND * R)
    ctx.set_source(cv.linear(x0 - R, -R, x0 + R, R, [(0, (0.24, 0.22, 0.20)), (1, (0.07, 0.065, 0.06))]))
    ctx.fill()
    _circle(ctx, x0, 0, 0.94 * R)
    ctx.set_source_rgba(0, 0, 0, 0.25)
    ctx.set_line_width(0.02 * R)
    ctx.stroke()
    ctx.restore()
    # Cone: rings from the rim down to the dust cap, each one deeper.
    steps = 40
    for i in range(steps + 1):
        t = 1 - i / steps
        r = (CAP + (CONE_TOP - CAP) * t) * R
        z = -CONE_DEPTH * R * (1 - t)
        _in_plane(ctx, v.front(z))
        _circle(ctx, x0, 0, r)
        ctx.set_source(cv.linear(x0 - r, -r, x0 + r, r,
                                 [(0, _cone_shade(t, 0.10)), (0.5, _cone_shade(t, 0.01)), (1, _cone_shade(t, -0.05))]))
        ctx.fill()
        ctx.restore()
    for t in (0.86, 0.72, 0.58):
        r = (CAP + (CONE_TOP - CAP) * t) * R
        _in_plane(ctx, v.front(-CONE_DEPTH * R * (1 - t)))
        _circle(ctx, x0, 0, r)
        ctx.restore()
        ctx.set_source_rgba(1, 0.95, 0.85, 0.10)
        ctx.set_line_width(max(0.4, v.s * 0.012 * R))
        ctx.stroke()
    # Inner wall of the cone, in shadow on the side turned away.
    if v.sa > 0:
        _in_plane(ctx, v.front(-0.04 * R))
        _circle(ctx, x0, 0, CONE_TOP * R)
        ctx.set_source(cv.linear(x0 - R, 0, x0 + R, 0,
                                 [(0, (0, 0, 0, 0.0)), (0.6, (0, 0, 0, 0.0)), (1, (0, 0, 0, 0.35))]))
        ctx.fill()
        ctx.restore()
    # Dust cap: a spun aluminium dome at the bottom of the cone. A dome looks
    # round from any direction, so it is drawn as a circle on the screen.
    cx, cy = v.point(x0, 0, -CONE_DEPTH * R + 0.06 * R)
    rc = CAP * R * v.s
    # The shadowed glue joint round the dome, at least a pixel and a half wide.
    _circle(ctx, cx, cy, rc + max(1.5, 0.08 * rc))
    ctx.set_source_rgba(0, 0, 0, 0.75)
    ctx.fill()
    _circle(ctx, cx, cy, rc)
    ctx.set_source(cv.radial(cx, cy, 0, rc, [(0, (0.88, 0.89, 0.90)), (0.45, (0.62, 0.63, 0.65)),
                                             (0.85, (0.40, 0.41, 0.43)), (1, (0.22, 0.22, 0.23))],
                             cx - 0.42 * rc, cy - 0.5 * rc))
    ctx.fill()


def _weave(cab):
    """One tile of grille cloth, 16 x 16 pixels = 4 thread pairs."""
    dark, light = cab.cloth
    return cv.grille_cloth(16, 16, 7, dark=dark, light=light)


def _cloth(ctx, v, cab, weave, area):
    """The cloth in front of the speakers: threads at close range, a fine tint far away."""
    x0, y0, x1, y1 = area
    _in_plane(ctx, v.front())
    ctx.rectangle(x0, y0, x1 - x0, y1 - y0)
    ctx.restore()
    ctx.save()
    ctx.clip()
    period = v.s * WEAVE_PERIOD
    threads = min(1.0, max(0.0, (period - WEAVE_FADE[0]) / (WEAVE_FADE[1] - WEAVE_FADE[0])))
    dark, light = cab.cloth
    average = tuple(0.55 * d + 0.45 * l for d, l in zip(dark, light))
    if threads < 1.0:
        ctx.set_source_rgb(*average)
        ctx.paint_with_alpha(CLOTH_OPACITY * (1.0 - threads))
    if threads > 0.0:
        ctx.transform(v.front())
        ctx.set_source(_tiled(weave, WEAVE_SCALE))
        ctx.paint_with_alpha(CLOTH_OPACITY * threads)
    ctx.restore()


def _iron(ctx, v, area):
    """A perforated steel grille: holes at close range, a grey tint far away."""
    x0, y0, x1, y1 = area
    _in_plane(ctx, v.front())
    ctx.rectangle(x0, y0, x1 - x0, y1 - y0)
    ctx.restore()
    ctx.save()
    ctx.clip()
    pitch = 0.075
    if v.s * pitch >= 4.5:          # finer holes would only make moire
        # Sheet steel with round holes, staggered rows.
        ctx.transform(v.front())
        ctx.rectangle(x0, y0, x1 - x0, y1 - y0)
        rows = int((y1 - y0) / pitch) + 1
        cols = int((x1 - x0) / pitch) + 1
        for j in range(rows):
            for i in range(cols):
                _circle(ctx, x0 + (i + 0.5 * (j % 2)) * pitch, y0 + j * pitch * 0.87, pitch * 0.33)
        ctx.set_fill_rule(cairo.FILL_RULE_EVEN_ODD)
        ctx.set_source_rgba(0.30, 0.31, 0.32, 0.85)
        ctx.fill()
    else:
        ctx.set_source_rgba(0.27, 0.28, 0.29, 0.66)   # about as much steel as the sheet with its holes
        ctx.paint()
    ctx.restore()
    # Steel bars across the grille.
    _in_plane(ctx, v.front())
    for k in range(5):
        y = y0 + (y1 - y0) * (k + 0.5) / 5
        ctx.rectangle(x0, y - 0.025, x1 - x0, 0.05)
    ctx.restore()
    ctx.set_source_rgba(0.55, 0.56, 0.57, 0.55)
    ctx.fill()


def draw_frame(ctx, k, off_axis, cab, tolex, weave):
    v = View(frame_scale(k), OFF_AXIS if off_axis else 0.0, frame_rise(k))
    _room(ctx, v, cab)
    _shadow(ctx, v, cab)
    _side(ctx, v, cab, tolex)
    _top(ctx, v, cab, tolex)
    _front(ctx, v, cab, tolex)
    area = _grille_area(cab)
    ctx.save()
    _in_plane(ctx, v.front())
    ctx.rectangle(area[0], area[1], area[2] - area[0], area[3] - area[1])
    ctx.restore()
    ctx.clip()
    ctx.set_source_rgb(0.05, 0.045, 0.04)
    ctx.paint()
    for x in cab.cones:
        _speaker(ctx, v, x, cab.cone)
    ctx.restore()
    if cab.cloth is None:
        _iron(ctx, v, area)
    else:
        _cloth(ctx, v, cab, weave, area)
    # The piping around the grille.
    _in_plane(ctx, v.front())
    ctx.rectangle(area[0], area[1], area[2] - area[0], area[3] - area[1])
    ctx.restore()
    ctx.set_source_rgb(*cab.piping)
    ctx.set_line_width(max(0.8, v.s * 0.03))
    ctx.stroke()
    # A soft vignette round the microphone's cone; no edge of its own, since
    # the picture always reaches beyond the pad.
    ctx.rectangle(0, 0, WIDTH, FRAME_HEIGHT)
    ctx.set_source(cv.radial(CENTRE_X, CENTRE_Y, 150, 420, [(0, (0, 0, 0, 0)), (1, (0, 0, 0, 0.45))]))
    ctx.fill()
    # Rows under the bottom bar are never seen: one flat colour packs small.
    ctx.rectangle(0, VISIBLE_ROWS, WIDTH, FRAME_HEIGHT - VISIBLE_ROWS)
    ctx.set_source_rgb(0.02, 0.02, 0.02)
    ctx.fill()


def strip(cabinet, off_axis, frames=None):
    """The left pad's picture of cabinet 1..5. `frames` limits the drawing to
    some frames (the others stay black), for quick checks."""
    cab = CABINETS[cabinet - 1]
    tolex = cv.tolex(64, 64, cab.seed, base=cab.covering)
    weave = _weave(cab) if cab.cloth else None
    s = cv.surface(WIDTH, FRAME_HEIGHT * FRAMES)
    ctx = cv.context(s)
    for k in range(FRAMES) if frames is None else frames:
        ctx.save()
        ctx.rectangle(0, k * FRAME_HEIGHT, WIDTH, FRAME_HEIGHT)
        ctx.clip()
        ctx.translate(0, k * FRAME_HEIGHT)
        # Drawn for the right pad (cone left of centre turned to show its
        # right side), mirrored for the left pad.
        ctx.translate(WIDTH, 0)
        ctx.scale(-1, 1)
        draw_frame(ctx, k, off_axis, cab, tolex, weave)
        ctx.restore()
    return s


def named(wide, left):
    """The first cabinet's picture under the pad strips' original names: the
    pad's width of it, with the microphone's cone under the handle."""
    if not left:
        flipped = cv.surface(WIDTH, wide.get_height())
        ctx = cairo.Context(flipped)
        ctx.translate(WIDTH, 0)
        ctx.scale(-1, 1)
        ctx.set_source_surface(wide)
        ctx.paint()
        wide = flipped
    x = CENTRE_X + HANDLE_HALF - PAD_WIDTH if left else CENTRE_X - HANDLE_HALF
    return cv.crop(wide, x, 0, PAD_WIDTH, wide.get_height())
