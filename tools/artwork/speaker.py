"""The pictures behind the microphone pads.

Each of the four strips is 101 frames of a guitar speaker in its cabinet,
seen from where the microphone is. Frame 0 is the microphone on the grille:
the cone and the dust cap fill the picture. Along the strip the view backs
away at a constant rate of zoom until the whole cabinet stands in the room.
Off-axis strips show the cabinet turned away, so the cone becomes an
ellipse, its inner wall shows on one side and the cabinet's side panel
appears. The right pad's pictures are the left pad's mirrored.

Geometry is in speaker units (cone radius 1), x to the right, y down, z out
of the baffle towards the microphone.
"""

import math

import cairo

import canvas as cv

WIDTH, FRAME_HEIGHT, FRAMES = 282, 229, 101
CENTRE_X = 45               # under the handle, which covers the first 90 columns
CENTRE_Y = 100              # the bottom bar hides the last 30 rows of the picture
SCALE_NEAR = 215.0          # pixels per unit at frame 0
SCALE_FAR = 27.0            # pixels per unit at frame 100
OFF_AXIS = math.radians(38)

CABINET_HALF_W, CABINET_TOP, CABINET_BOTTOM = 1.62, -1.30, 1.50
CABINET_DEPTH = 1.4
GRILLE_INSET = 0.16
RIM, SURROUND, CONE_TOP, CAP = 1.10, 1.0, 0.88, 0.24
CONE_DEPTH = 0.45
WEAVE_PERIOD = 0.038        # one pair of threads of the grille cloth, in units
WEAVE_FADE = (2.5, 4.0)     # threads fade out between these periods in pixels
WEAVE_AVERAGE = (0.353, 0.295, 0.221)   # mean colour of the weave tile
CLOTH_OPACITY = 0.30


def frame_scale(k):
    return SCALE_NEAR * (SCALE_FAR / SCALE_NEAR) ** (k / (FRAMES - 1))


class View:
    """Orthographic view of the cabinet turned by `angle` about the vertical axis."""

    def __init__(self, scale, angle):
        self.s = scale
        self.cos = math.cos(angle)
        self.sin = math.sin(angle)

    def x(self, x, z=0.0):
        return CENTRE_X + self.s * (x * self.cos - z * self.sin)

    def y(self, y):
        return CENTRE_Y + self.s * y

    def ellipse(self, ctx, r, z=0.0, cy=0.0):
        ctx.save()
        ctx.translate(self.x(0, z), self.y(cy))
        ctx.scale(self.s * r * self.cos, self.s * r)
        ctx.new_sub_path()
        ctx.arc(0, 0, 1, 0, 2 * math.pi)
        ctx.restore()


def _weave():
    """One tile of grille cloth for the close views, 16 x 16 pixels = 4 thread pairs."""
    return cv.grille_cloth(16, 16, 7)


def _tiled(texture):
    pattern = cairo.SurfacePattern(texture)
    pattern.set_extend(cairo.EXTEND_REPEAT)
    return pattern


def _room(ctx, v):
    floor = v.y(CABINET_BOTTOM)
    ctx.rectangle(0, 0, WIDTH, FRAME_HEIGHT)
    ctx.set_source(cv.radial(CENTRE_X, CENTRE_Y - 30, 20, 300,
                             [(0, (0.30, 0.27, 0.24)), (1, (0.09, 0.08, 0.075))]))
    ctx.fill()
    if floor < FRAME_HEIGHT:
        ctx.rectangle(0, floor, WIDTH, FRAME_HEIGHT - floor)
        ctx.set_source(cv.linear(0, floor, 0, FRAME_HEIGHT, [(0, (0.25, 0.16, 0.09)), (1, (0.40, 0.26, 0.14))]))
        ctx.fill()
        # Floorboards running away from the viewer.
        for i in range(-12, 13):
            x_far = CENTRE_X + i * v.s * 0.55
            x_near = CENTRE_X + i * v.s * 0.55 * 2.2
            ctx.move_to(x_far, floor)
            ctx.line_to(x_near, floor + (FRAME_HEIGHT - floor) * 1.3)
        ctx.set_source_rgba(0, 0, 0, 0.35)
        ctx.set_line_width(1)
        ctx.stroke()
        ctx.rectangle(0, floor, WIDTH, 2)
        ctx.set_source_rgba(0, 0, 0, 0.5)
        ctx.fill()


def _cabinet(ctx, v, tolex):
    top, bottom = v.y(CABINET_TOP), v.y(CABINET_BOTTOM)
    left, right = v.x(-CABINET_HALF_W), v.x(CABINET_HALF_W)
    # Shadow on the floor and the wall.
    ctx.rectangle(left - v.s * 0.1, bottom - v.s * 0.05, right - left + v.s * 0.5, v.s * 0.12)
    ctx.set_source_rgba(0, 0, 0, 0.45)
    ctx.fill()
    # Side panel, visible when the cabinet is turned.
    if v.sin > 0:
        side = v.x(CABINET_HALF_W, -CABINET_DEPTH)
        ctx.move_to(right, top)
        ctx.line_to(side, top + v.s * 0.12)
        ctx.line_to(side, bottom - v.s * 0.06)
        ctx.line_to(right, bottom)
        ctx.close_path()
        ctx.save()
        ctx.clip_preserve()
        ctx.set_source(_tiled(tolex))
        ctx.fill_preserve()
        ctx.set_source_rgba(0, 0, 0, 0.45)
        ctx.fill()
        ctx.restore()
    # Front: tolex with piping around the grille and metal corners.
    ctx.rectangle(left, top, right - left, bottom - top)
    ctx.save()
    ctx.clip_preserve()
    ctx.set_source(_tiled(tolex))
    ctx.fill()
    ctx.restore()
    corner = v.s * 0.22
    for cx, sx in ((left, 1), (right, -1)):
        for cy, sy in ((top, 1), (bottom, -1)):
            ctx.move_to(cx, cy)
            ctx.line_to(cx + sx * corner * v.cos, cy)
            ctx.line_to(cx, cy + sy * corner)
            ctx.close_path()
            ctx.set_source_rgb(0.62, 0.62, 0.60)
            ctx.fill()


def _grille_area(v):
    return (v.x(-CABINET_HALF_W + GRILLE_INSET), v.y(CABINET_TOP + GRILLE_INSET),
            v.x(CABINET_HALF_W - GRILLE_INSET), v.y(CABINET_BOTTOM - GRILLE_INSET))


def _cone_shade(r, lit):
    """Cone paper: dark near the voice coil, lighter towards the rim, lit side warmer."""
    t = (r - CAP) / (CONE_TOP - CAP)
    base = 0.11 + 0.15 * t
    return (base * 1.08 + lit, base + lit * 0.9, base * 0.92 + lit * 0.75)


def _speaker(ctx, v):
    # Gasket and basket rim with its bolts.
    v.ellipse(ctx, RIM)
    ctx.set_source(cv.radial(v.x(0), v.y(0), v.s * SURROUND, v.s * RIM,
                             [(0, (0.16, 0.16, 0.17)), (0.5, (0.34, 0.34, 0.35)), (1, (0.10, 0.10, 0.10))]))
    ctx.fill()
    for i in range(8):
        a = i * math.pi / 4 + math.pi / 8
        bx, by = v.x(math.cos(a) * 1.055), v.y(math.sin(a) * 1.055)
        ctx.save()
        ctx.translate(bx, by)
        ctx.scale(v.cos, 1)
        ctx.arc(0, 0, max(0.6, v.s * 0.025), 0, 2 * math.pi)
        ctx.restore()
        ctx.set_source_rgb(0.70, 0.70, 0.68)
        ctx.fill()
    # Surround: a half roll, bright on its upper left.
    v.ellipse(ctx, SURROUND, -0.02)
    ctx.set_source(cv.linear(v.x(-1), v.y(-1), v.x(1), v.y(1), [(0, (0.24, 0.22, 0.20)), (1, (0.07, 0.065, 0.06))]))
    ctx.fill()
    v.ellipse(ctx, 0.94, -0.03)
    ctx.set_source_rgba(0, 0, 0, 0.25)
    ctx.set_line_width(max(0.5, v.s * 0.02))
    ctx.stroke()
    # Cone: rings from the rim down to the dust cap, each one deeper.
    steps = 48
    for i in range(steps + 1):
        r = CONE_TOP - (CONE_TOP - CAP) * i / steps
        z = -CONE_DEPTH * (CONE_TOP - r) / (CONE_TOP - CAP)
        v.ellipse(ctx, r, z)
        g = cv.linear(v.x(-r, z), v.y(-r), v.x(r, z), v.y(r),
                      [(0, _cone_shade(r, 0.10)), (0.5, _cone_shade(r, 0.01)), (1, _cone_shade(r, -0.05))])
        ctx.set_source(g)
        ctx.fill()
    # Ribs pressed into the paper.
    for r in (0.80, 0.70, 0.60):
        z = -CONE_DEPTH * (CONE_TOP - r) / (CONE_TOP - CAP)
        v.ellipse(ctx, r, z)
        ctx.set_source_rgba(1, 0.95, 0.85, 0.10)
        ctx.set_line_width(max(0.4, v.s * 0.012))
        ctx.stroke()
    # Inner wall of the cone, lit on the side turned towards the viewer.
    if v.sin > 0:
        v.ellipse(ctx, CONE_TOP, -0.04)
        ctx.set_source(cv.linear(v.x(-CONE_TOP), 0, v.x(CONE_TOP), 0,
                                 [(0, (0.0, 0.0, 0.0, 0.0)), (0.6, (0, 0, 0, 0.0)), (1, (0, 0, 0, 0.35))]))
        ctx.fill()
    # Dust cap: a spun aluminium dome at the bottom of the cone.
    z = -CONE_DEPTH
    v.ellipse(ctx, CAP + 0.02, z)
    ctx.set_source_rgba(0, 0, 0, 0.5)
    ctx.fill()
    v.ellipse(ctx, CAP, z + 0.06)
    hx, hy = v.x(-0.10, z + 0.06), v.y(-0.12)
    ctx.set_source(cv.radial(v.x(0, z + 0.06), v.y(0), 0, v.s * CAP,
                             [(0, (0.88, 0.89, 0.90)), (0.45, (0.62, 0.63, 0.65)), (0.85, (0.40, 0.41, 0.43)),
                              (1, (0.22, 0.22, 0.23))], hx, hy))
    ctx.fill()


def _grille_overlay(ctx, v, weave, area):
    """The cloth in front of the speaker: threads at close range, a fine tint far away."""
    x0, y0, x1, y1 = area
    ctx.save()
    ctx.rectangle(x0, y0, x1 - x0, y1 - y0)
    ctx.clip()
    pixels_per_tile = v.s * WEAVE_PERIOD * 4
    pattern = cairo.SurfacePattern(weave)
    pattern.set_extend(cairo.EXTEND_REPEAT)
    pattern.set_filter(cairo.FILTER_GOOD)
    m = cairo.Matrix()
    m.scale(16 / (pixels_per_tile * v.cos), 16 / pixels_per_tile)
    m.translate(-v.x(0), -v.y(0))
    pattern.set_matrix(m)
    # Threads finer than a few pixels would only make moire: they fade into
    # the cloth's average colour as the view backs away.
    period = v.s * WEAVE_PERIOD
    threads = min(1.0, max(0.0, (period - WEAVE_FADE[0]) / (WEAVE_FADE[1] - WEAVE_FADE[0])))
    if threads < 1.0:
        ctx.set_source_rgb(*WEAVE_AVERAGE)
        ctx.paint_with_alpha(CLOTH_OPACITY * (1.0 - threads))
    if threads > 0.0:
        ctx.set_source(pattern)
        ctx.paint_with_alpha(CLOTH_OPACITY * threads)
    ctx.restore()
    # The piping around the grille.
    ctx.rectangle(x0, y0, x1 - x0, y1 - y0)
    ctx.set_source_rgb(0.62, 0.58, 0.50)
    ctx.set_line_width(max(0.8, v.s * 0.03))
    ctx.stroke()


def draw_frame(ctx, k, off_axis, tolex, weave):
    v = View(frame_scale(k), OFF_AXIS if off_axis else 0.0)
    _room(ctx, v)
    _cabinet(ctx, v, tolex)
    area = _grille_area(v)
    ctx.save()
    ctx.rectangle(area[0], area[1], area[2] - area[0], area[3] - area[1])
    ctx.clip()
    ctx.set_source_rgb(0.05, 0.045, 0.04)
    ctx.paint()
    _speaker(ctx, v)
    ctx.restore()
    _grille_overlay(ctx, v, weave, area)
    # The picture's own edge: a soft vignette and a dark rim so it reads as a view.
    ctx.rectangle(0, 0, WIDTH, FRAME_HEIGHT)
    ctx.set_source(cv.radial(CENTRE_X, CENTRE_Y, 110, 300, [(0, (0, 0, 0, 0)), (1, (0, 0, 0, 0.5))]))
    ctx.fill()
    ctx.rectangle(0.5, 0.5, WIDTH - 1, FRAME_HEIGHT - 1)
    ctx.set_source_rgba(0, 0, 0, 0.8)
    ctx.set_line_width(1)
    ctx.stroke()


def strip(off_axis, mirrored):
    tolex = cv.tolex(64, 64, 5)
    weave = _weave()
    s = cv.surface(WIDTH, FRAME_HEIGHT * FRAMES)
    ctx = cv.context(s)
    for k in range(FRAMES):
        ctx.save()
        ctx.rectangle(0, k * FRAME_HEIGHT, WIDTH, FRAME_HEIGHT)
        ctx.clip()
        ctx.translate(0, k * FRAME_HEIGHT)
        if mirrored:
            ctx.translate(WIDTH, 0)
            ctx.scale(-1, 1)
        draw_frame(ctx, k, off_axis, tolex, weave)
        ctx.restore()
    return s
