"""Drawing helpers shared by every bitmap: surfaces, text, shapes, textures.

Textures come from seeded noise so that every run draws the same pixels.
Text is DejaVu through cairo's font selection, hinted for small sizes.
"""

import math

import cairo
import numpy as np

FONT_SANS = "DejaVu Sans"
FONT_CONDENSED = "DejaVu Sans Condensed"
FONT_SERIF = "DejaVu Serif"

# Small labels are set at this size at least: DejaVu's capitals are 0.73 em
# tall, so they come out 8 pixels high, legible at 100 %.
LABEL_SIZE = 11

# While a list is set here, every label drawn (engraved, printed or on a
# button) is appended to it as (text, (left, top, right, bottom)) in device
# pixels: the box of the label's capitals, from the ink of its first letter to
# that of its last, for checks of legibility and of the gaps between labels.
_labels = None


class LabelBoxes:
    """Collects the boxes of the labels drawn inside a `with` block."""

    def __enter__(self):
        global _labels
        self.boxes = []
        _labels = self.boxes
        return self.boxes

    def __exit__(self, *exc):
        global _labels
        _labels = None
        return False


# The palette of the whole look.
TOLEX = (0.105, 0.100, 0.098)
PIPING = (0.80, 0.76, 0.66)
CREAM = (0.91, 0.87, 0.77)
INK = (0.17, 0.13, 0.10)          # engraving on the cream faceplate
STRIP = (0.16, 0.165, 0.17)        # anthracite of the bars and the cabinet panel
LEGEND = (0.86, 0.83, 0.75)        # cream print on the dark strips


def surface(width, height):
    return cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)


def context(target):
    ctx = cairo.Context(target)
    options = cairo.FontOptions()
    options.set_antialias(cairo.ANTIALIAS_GRAY)
    options.set_hint_style(cairo.HINT_STYLE_SLIGHT)
    options.set_hint_metrics(cairo.HINT_METRICS_ON)
    ctx.set_font_options(options)
    return ctx


def from_array(rgb, alpha=None):
    """Opaque (or alpha-carrying) surface from float arrays in 0..1 (h, w, 3) and (h, w)."""
    h, w = rgb.shape[:2]
    if alpha is None:
        alpha = np.ones((h, w))
    target = surface(w, h)
    stride = target.get_stride()
    data = np.zeros((h, stride), np.uint8)
    pixels = data[:, :w * 4].reshape(h, w, 4)
    a = np.clip(alpha, 0, 1)
    for out, src in ((2, 0), (1, 1), (0, 2)):
        pixels[:, :, out] = np.round(np.clip(rgb[:, :, src], 0, 1) * a * 255)
    pixels[:, :, 3] = np.round(a * 255)
    target.get_data()[:] = data.tobytes()
    target.mark_dirty()
    return target


def blur(a, radius):
    """Box blur, applied twice (close to a Gaussian), wrapping at the edges."""
    for _ in range(2):
        for axis in (0, 1):
            acc = np.zeros_like(a)
            for k in range(-radius, radius + 1):
                acc += np.roll(a, k, axis=axis)
            a = acc / (2 * radius + 1)
    return a


def rng(seed):
    return np.random.default_rng(seed)


def tolex(width, height, seed, base=TOLEX):
    """Pebbled vinyl covering: a bumpy height map lit from the upper left."""
    r = rng(seed)
    bumps = blur(r.standard_normal((height, width)), 1)
    light = bumps - np.roll(np.roll(bumps, 1, 0), 1, 1)
    grain = r.standard_normal((height, width)) * 0.006
    v = light * 0.045 + grain
    rgb = np.stack([np.full((height, width), c) for c in base], axis=2) + v[:, :, None]
    return from_array(rgb)


def brushed(width, height, seed, base, strength=0.018):
    """A brushed or lightly grained plate: horizontal streaks."""
    r = rng(seed)
    streaks = blur(np.repeat(r.standard_normal((height, 1)), width, axis=1)
                   + r.standard_normal((height, width)) * 0.6, 1)
    v = streaks * strength
    rgb = np.stack([np.full((height, width), c) for c in base], axis=2) + v[:, :, None]
    return from_array(rgb)


def grille_cloth(width, height, seed, period=4, dark=(0.13, 0.105, 0.085), light=(0.50, 0.42, 0.31)):
    """Woven speaker cloth: a basket weave of two-tone threads."""
    y, x = np.mgrid[0:height, 0:width]
    u, v = (x % period + 0.5) / period, (y % period + 0.5) / period
    over = ((x // period + y // period) % 2) == 0
    profile = np.where(over, np.sin(math.pi * u), np.sin(math.pi * v)) ** 0.7
    r = rng(seed)
    slub = blur(r.standard_normal((height, width)), 3) * 0.8 + r.standard_normal((height, width)) * 0.08
    dark, light = np.array(dark), np.array(light)
    t = np.clip(profile * (0.85 + 0.15 * slub), 0, 1)[:, :, None]
    return from_array(dark + (light - dark) * t)


def rounded_rect(ctx, x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def font(ctx, size, bold=False, family=FONT_SANS, italic=False, narrow=1.0):
    """Selects the face; `narrow` below 1 draws the letters that much narrower
    at the same height, for labels set tight over a row of controls."""
    ctx.select_font_face(family, cairo.FONT_SLANT_ITALIC if italic else cairo.FONT_SLANT_NORMAL,
                         cairo.FONT_WEIGHT_BOLD if bold else cairo.FONT_WEIGHT_NORMAL)
    ctx.set_font_matrix(cairo.Matrix(size * narrow, 0, 0, size, 0, 0))


def text_width(ctx, s, spacing=0.0):
    return ctx.text_extents(s).x_advance + spacing * max(0, len(s) - 1)


def text(ctx, s, x, y, size, colour, bold=False, align="c", family=FONT_SANS,
         spacing=0.0, italic=False, alpha=1.0, label=False, narrow=1.0):
    """Draws s with its baseline at y; align is l, c or r about x. spacing adds
    letter spacing, narrow narrows the letters (see `font`). `label` records
    the text's box while LabelBoxes collects."""
    font(ctx, size, bold, family, italic, narrow)
    w = text_width(ctx, s, spacing)
    left = x - w / 2 if align == "c" else (x - w if align == "r" else x)
    if label and _labels is not None:
        # From the first letter's ink to the last's, as the letters are placed below.
        if spacing == 0.0:
            ink = ctx.text_extents(s)
            x0, x1 = round(left) + ink.x_bearing, round(left) + ink.x_bearing + ink.width
        else:
            spans, pen = [], left
            for ch in s:
                e = ctx.text_extents(ch)
                if e.width > 0:
                    spans.append((round(pen) + e.x_bearing, round(pen) + e.x_bearing + e.width))
                pen += e.x_advance + spacing
            x0, x1 = min(a for a, _ in spans), max(b for _, b in spans)
        top = y + ctx.text_extents(s).y_bearing
        corners = [ctx.user_to_device(px, py) for px in (x0, x1) for py in (top, y)]
        xs, ys = [c[0] for c in corners], [c[1] for c in corners]
        _labels.append((s, (min(xs), min(ys), max(xs), max(ys))))
    ctx.set_source_rgba(*colour, alpha)
    if spacing == 0.0:
        ctx.move_to(round(left), y)
        ctx.show_text(s)
    else:
        pen = left
        for ch in s:
            ctx.move_to(round(pen), y)
            ctx.show_text(ch)
            pen += ctx.text_extents(ch).x_advance + spacing
    return w


def engraved(ctx, s, x, y, size, colour=INK, bold=True, align="c", family=FONT_SANS, spacing=0.0, narrow=1.0):
    """Text cut into a light plate: a light lip below the dark letters."""
    text(ctx, s, x, y + 1, size, (1, 1, 1), bold, align, family, spacing, alpha=0.55, narrow=narrow)
    return text(ctx, s, x, y, size, colour, bold, align, family, spacing, label=True, narrow=narrow)


def printed(ctx, s, x, y, size, colour=LEGEND, bold=True, align="c", family=FONT_SANS, spacing=0.0, narrow=1.0):
    """Print on a dark plate: a dark shadow above the light letters keeps them crisp."""
    text(ctx, s, x, y - 1, size, (0, 0, 0), bold, align, family, spacing, alpha=0.5, narrow=narrow)
    return text(ctx, s, x, y, size, colour, bold, align, family, spacing, label=True, narrow=narrow)


def radial(cx, cy, r0, r1, stops, fx=None, fy=None):
    p = cairo.RadialGradient(cx if fx is None else fx, cy if fy is None else fy, r0, cx, cy, r1)
    for offset, colour in stops:
        p.add_color_stop_rgba(offset, *colour) if len(colour) == 4 else p.add_color_stop_rgb(offset, *colour)
    return p


def linear(x0, y0, x1, y1, stops):
    p = cairo.LinearGradient(x0, y0, x1, y1)
    for offset, colour in stops:
        p.add_color_stop_rgba(offset, *colour) if len(colour) == 4 else p.add_color_stop_rgb(offset, *colour)
    return p


def screw(ctx, x, y, r=3.2, angle=0.6):
    """A countersunk slotted screw head."""
    ctx.arc(x, y + 0.5, r + 0.8, 0, 2 * math.pi)
    ctx.set_source_rgba(0, 0, 0, 0.45)
    ctx.fill()
    ctx.arc(x, y, r, 0, 2 * math.pi)
    ctx.set_source(radial(x, y, 0, r, [(0, (0.92, 0.92, 0.90)), (0.7, (0.62, 0.62, 0.60)),
                                       (1, (0.35, 0.35, 0.34))], x - r * 0.4, y - r * 0.4))
    ctx.fill()
    ctx.save()
    ctx.translate(x, y)
    ctx.rotate(angle)
    ctx.rectangle(-r * 0.85, -0.55, r * 1.7, 1.1)
    ctx.set_source_rgba(0.12, 0.12, 0.12, 0.9)
    ctx.fill()
    ctx.restore()


def recess(ctx, x, y, w, h, r=2.5, fill=(0.045, 0.047, 0.05)):
    """A dark display window sunk into a panel, lit from above."""
    rounded_rect(ctx, x - 1, y - 1, w + 2, h + 2, r + 1)
    ctx.set_source_rgba(1, 1, 1, 0.10)
    ctx.fill()
    rounded_rect(ctx, x - 1, y - 1, w + 2, h + 1, r + 1)
    ctx.set_source_rgba(0, 0, 0, 0.55)
    ctx.fill()
    rounded_rect(ctx, x, y, w, h, r)
    ctx.set_source(linear(0, y, 0, y + h, [(0, tuple(c * 0.6 for c in fill)), (0.3, fill), (1, tuple(c * 1.5 for c in fill))]))
    ctx.fill()


def paint_surface(ctx, source, x=0, y=0, alpha=1.0):
    ctx.set_source_surface(source, x, y)
    ctx.paint_with_alpha(alpha) if alpha < 1.0 else ctx.paint()


def crop(source, x, y, w, h):
    out = surface(w, h)
    c = cairo.Context(out)
    c.set_source_surface(source, -x, -y)
    c.paint()
    return out
