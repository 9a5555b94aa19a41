#!/usr/bin/python3
"""Checks of the editor's bitmaps in resources/editor.

    test_artwork.py --root SOURCE_DIR [--scratch DIR] [Bitmaps | Reproduced]

Bitmaps: every bitmap the editor loads exists, decodes and has its size;
knob film strips turn steadily clockwise over about 300 degrees; the speaker
pictures zoom out steadily; two-state pictures differ between their states;
every small label is legible at 100 % (capitals 8 pixels tall, contrast 4.5:1)
and keeps a clear gap to its neighbours on the same row.
Reproduced: the generator draws the same pixels as the committed files (the
pad pictures, which take most of the generator's time, at sample frames).
Exits with 77 (skipped) when cairo or numpy is not installed.
"""

import argparse
import math
import os
import shutil
import struct
import subprocess
import sys
import unittest

try:
    import cairo
    import numpy as np
except ImportError as missing:
    print(f"skipped: {missing} (install python3-cairo and python3-numpy)")
    sys.exit(77)

ROOT = None
SCRATCH = None
cv = speaker = pngfile = label_boxes = None  # the generator's modules, imported once ROOT is known

# The editor's bitmaps: name -> (width, height, frames). Frames are stacked vertically.
EXPECTED = {
    "background.png": (650, 500, 1),
    "miclefton.png": (282, 23129, 101), "micleftoff.png": (282, 23129, 101),
    "micrighton.png": (282, 23129, 101), "micrightoff.png": (282, 23129, 101),
    **{f"pad{c}{axis}.png": (474, 23129, 101) for c in range(1, 6) for axis in ("on", "off")},
    "michandle.png": (90, 150, 1),
    **{name: (47, 5353, 101) for name in ("gain.png", "low.png", "mid.png", "high.png", "pres.png",
                                          "master.png", "speed.png", "depth.png", "reverb.png")},
    "knobbig.png": (26, 1326, 51), "knobsmall.png": (15, 765, 51),
    "ampon.png": (52, 88, 2), "fxonoff.png": (29, 44, 2), "sync.png": (29, 44, 2),
    "gateonoff.png": (30, 20, 2), "hiq.png": (26, 36, 2), "lim.png": (26, 36, 2),
    "bypass.png": (20, 40, 2), "cabset.png": (60, 36, 2), "cabmiconoff.png": (20, 40, 2),
    "phase.png": (20, 40, 2), "micaxis_left.png": (20, 40, 2), "micaxis_right.png": (20, 40, 2),
    "monostereo.png": (24, 40, 2),
    "amptype.png": (34, 108, 3), "ampchannel.png": (34, 48, 2),
    "arrow_left.png": (14, 32, 2), "arrow_right.png": (14, 32, 2),
    "arrow_left_ir.png": (14, 40, 2), "arrow_right_ir.png": (14, 40, 2),
    "irload.png": (20, 40, 2), "irunload.png": (20, 40, 2),
    "file.png": (26, 18, 1), "fileclicked.png": (26, 18, 1),
    "vuon.png": (42, 8, 1), "vuoff.png": (42, 8, 1),
    "clipled.png": (12, 24, 2), "slider.png": (10, 8, 1),
    "incontainer.png": (650, 30, 1), "outcontainer.png": (650, 30, 1),
    "cabsetcontainer.png": (650, 100, 1),
    "monocontainer.png": (498, 25, 1), "stereocontainer.png": (498, 25, 1),
    "about.png": (600, 414, 1),
}

# Knob strips: centre of the knob in a frame and the radius inside which only
# the pointer is bright.
KNOBS = {
    **{name: (23.5, 23.5, 10.0) for name in ("gain.png", "low.png", "mid.png", "high.png", "pres.png",
                                             "master.png", "speed.png", "depth.png", "reverb.png")},
    "knobbig.png": (13.0, 13.0, 7.5),
    "knobsmall.png": (7.5, 7.5, 4.2),
}

# Speaker pictures: the column under the handle, where the speaker is centred,
# and the row of its centre.
SPEAKERS = {"miclefton.png": 237, "micleftoff.png": 237, "micrighton.png": 45, "micrightoff.png": 45,
            **{f"pad{c}{axis}.png": 237 for c in range(1, 6) for axis in ("on", "off")}}
PADS = tuple(f"pad{c}{axis}.png" for c in range(1, 6) for axis in ("on", "off"))
PAD_STRIPS = PADS + ("miclefton.png", "micleftoff.png", "micrighton.png", "micrightoff.png")
SAMPLE_FRAMES = (0, 37, 100)      # pad picture frames the reproduction test redraws
VISIBLE_ROWS = 199                # rows of a pad frame above the bottom bar

# Legibility of small labels (WCAG 2 relative luminance and contrast ratio).
MIN_CAP_HEIGHT = 8
MIN_CONTRAST = 4.5
# Neighbouring labels on a row: letters of a word stand 1 to 2 pixels apart,
# so words closer than this read as one.
MIN_LABEL_GAP = 6
SPEAKER_ROW = 100
SEARCH_COLUMNS = 100

# Smallest acceptable sweep of the pointer, in degrees (7 o'clock to 5 o'clock is 300).
MIN_SWEEP, MAX_SWEEP = 270.0, 320.0
MAX_FILE_BYTES = 3_000_000


def folder():
    return os.path.join(ROOT, "resources", "editor")


def load(path):
    """RGBA float array (h, w, 4), alpha not premultiplied, through libpng (cairo's loader)."""
    s = cairo.ImageSurface.create_from_png(path)
    h, w, stride = s.get_height(), s.get_width(), s.get_stride()
    raw = np.frombuffer(s.get_data(), np.uint8).reshape(h, stride)[:, :w * 4].reshape(h, w, 4)
    a = raw[:, :, 3].astype(float) / 255
    rgb = raw[:, :, [2, 1, 0]].astype(float) / 255
    safe = np.where(a > 0, a, 1)[:, :, None]
    return np.concatenate([rgb / safe, a[:, :, None]], axis=2)


def surface_pixels(s):
    """RGBA float array of a cairo surface, alpha not premultiplied."""
    s.flush()
    h, w, stride = s.get_height(), s.get_width(), s.get_stride()
    raw = np.frombuffer(s.get_data(), np.uint8).reshape(h, stride)[:, :w * 4].reshape(h, w, 4)
    a = raw[:, :, 3].astype(float) / 255
    rgb = raw[:, :, [2, 1, 0]].astype(float) / 255
    safe = np.where(a > 0, a, 1)[:, :, None]
    return np.concatenate([rgb / safe, a[:, :, None]], axis=2)


def png_palette(path):
    """The PLTE chunk of an indexed PNG as an (n, 3) uint8 array."""
    with open(path, "rb") as f:
        data = f.read()
    at = 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        if kind == b"PLTE":
            return np.frombuffer(data[at + 8:at + 8 + length], np.uint8).reshape(-1, 3)
        at += 12 + length
    raise AssertionError(f"{path} has no palette")


def relative_luminance(rgb):
    """WCAG 2 relative luminance of sRGB colours in 0..1."""
    linear = np.where(rgb <= 0.04045, rgb / 12.92, ((rgb + 0.055) / 1.055) ** 2.4)
    return linear @ np.array([0.2126, 0.7152, 0.0722])


def legibility(pixels, box):
    """(cap height in pixels, contrast ratio) of the label whose capitals fill `box`.

    The ground is the median luminance of the box grown by 3 pixels (opaque
    pixels only: letters cover far less than half of it); the ink is the
    luminance farthest from it inside the box (its 98th percentile, so one
    stray pixel does not count). The cap height
    is the number of rows in which some pixel gets at least half way from the
    ground to the ink."""
    h, w = pixels.shape[:2]
    l, t, r, b = box
    l, t, r, b = int(math.floor(l)), int(math.floor(t)), int(math.ceil(r)), int(math.ceil(b))
    lum = relative_luminance(pixels[:, :, :3])
    opaque = pixels[:, :, 3] > 0.99
    y, x = np.mgrid[0:h, 0:w]
    inside = (x >= l) & (x < r) & (y >= t) & (y < b)
    around = (x >= l - 3) & (x < r + 3) & (y >= t - 3) & (y < b + 3) & opaque
    ground = float(np.median(lum[around]))
    distance = np.abs(lum - ground)
    ink_distance = float(np.percentile(distance[inside], 98))
    # Which way the ink lies: towards the farthest pixels of the box.
    far = distance[inside] >= ink_distance * 0.9
    ink = ground + ink_distance if (lum[inside][far] > ground).mean() >= 0.5 else ground - ink_distance
    strong = inside & (distance >= ink_distance / 2) & opaque
    rows = np.nonzero(strong.any(axis=1))[0]
    cap = int(rows.max() - rows.min() + 1) if len(rows) else 0
    lighter, darker = max(ground, ink), min(ground, ink)
    return cap, (lighter + 0.05) / (darker + 0.05)


def crowded_neighbours(labels, min_gap=MIN_LABEL_GAP):
    """Pairs of labels on the same row (their capitals share a pixel row) less
    than min_gap pixels apart, as (text, text, gap) from the recorded boxes."""
    crowded = []
    for i, (a, (al, at, ar, ab)) in enumerate(labels):
        for b, (bl, bt, br, bb) in labels[i + 1:]:
            if at < bb and bt < ab:
                gap = max(bl - ar, al - br)
                if gap < min_gap:
                    crowded.append((a, b, gap))
    return crowded


_recorded = None


def recorded_label_boxes():
    """The generator's label boxes, drawn once for every test that needs them."""
    global _recorded
    if _recorded is None:
        _recorded = label_boxes()
    return _recorded


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    assert head[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG file"
    return struct.unpack(">II", head[16:24])


def frames_of(name):
    pixels = load(os.path.join(folder(), name))
    count = EXPECTED[name][2]
    return pixels.reshape(count, pixels.shape[0] // count, pixels.shape[1], 4)


def luminance(rgba):
    return (0.2126 * rgba[..., 0] + 0.7152 * rgba[..., 1] + 0.0722 * rgba[..., 2]) * rgba[..., 3]


def pointer_angle(frame, cx, cy, radius):
    """Clockwise angle from 12 o'clock of the brightest pixels inside the knob's cap."""
    h, w = frame.shape[:2]
    y, x = np.mgrid[0:h, 0:w]
    dx, dy = x + 0.5 - cx, y + 0.5 - cy
    inside = dx * dx + dy * dy <= radius * radius
    # The pointer is cream on a black cap; highlights of the cap stay below half brightness.
    weight = np.where(inside, np.maximum(luminance(frame) - 0.5, 0), 0)
    return math.degrees(math.atan2((weight * dx).sum(), -(weight * dy).sum()))


def bright_blob_area(frame, seed_col, row, search=SEARCH_COLUMNS):
    """Area of the bright region around the brightest pixel near the speaker's centre row."""
    lum = luminance(frame)
    # The dust cap: the brightest spot of the centre row's band, near the handle's
    # column (turning the speaker off axis moves the cap by less than this).
    lo = max(0, seed_col - search)
    band = lum[row - 5:row + 6, lo:seed_col + search]
    r, c = np.unravel_index(np.argmax(band), band.shape)
    c += lo
    mask = lum > 0.5      # the cap's spun aluminium; cones, grilles and tolex stay below
    region = np.zeros_like(mask)
    region[row - 5 + r, c] = True
    while True:
        grown = region.copy()
        grown[1:, :] |= region[:-1, :]
        grown[:-1, :] |= region[1:, :]
        grown[:, 1:] |= region[:, :-1]
        grown[:, :-1] |= region[:, 1:]
        grown &= mask
        if (grown == region).all():
            return int(region.sum())
        region = grown


class Bitmaps(unittest.TestCase):
    def test_every_bitmap_exists_with_its_size(self):
        for name, (w, h, _) in EXPECTED.items():
            with self.subTest(name=name):
                path = os.path.join(folder(), name)
                self.assertTrue(os.path.isfile(path), f"{name} is missing")
                self.assertEqual(png_size(path), (w, h))
                s = cairo.ImageSurface.create_from_png(path)
                self.assertEqual((s.get_width(), s.get_height()), (w, h), f"{name} does not decode to its size")
                self.assertLessEqual(os.path.getsize(path), MAX_FILE_BYTES, f"{name} is too large")

    def test_no_stray_files(self):
        present = {f for f in os.listdir(folder()) if f.endswith(".png")}
        self.assertEqual(present - set(EXPECTED), set())

    def test_knobs_turn_clockwise_over_the_whole_scale(self):
        for name, (cx, cy, radius) in KNOBS.items():
            with self.subTest(name=name):
                angles = [pointer_angle(f, cx, cy, radius) for f in frames_of(name)]
                unwrapped = np.degrees(np.unwrap(np.radians(angles)))
                steps = np.diff(unwrapped)
                self.assertTrue((steps > 0).all(), f"{name}: pointer goes back at frame {int(np.argmin(steps)) + 1}")
                self.assertGreater(unwrapped[-1] - unwrapped[0], MIN_SWEEP)
                self.assertLess(unwrapped[-1] - unwrapped[0], MAX_SWEEP)
                # About 7 o'clock at the start, symmetric about 12 o'clock.
                self.assertAlmostEqual(angles[0], -150, delta=12)
                self.assertAlmostEqual(angles[-1], 150, delta=12)
                # Steady: no step more than three times the mean step.
                self.assertLess(steps.max(), 3 * steps.mean())

    def test_speaker_pictures_back_away_steadily(self):
        for name, column in SPEAKERS.items():
            with self.subTest(name=name):
                # Off axis the cap lies off the handle's column by about a
                # quarter of a 12-inch cone's radius; a 2 x 12's second cap
                # lies more than two radii away and must not be found instead.
                areas = [bright_blob_area(f, column, SPEAKER_ROW, int(0.35 * speaker.frame_scale(k)) + 6)
                         for k, f in enumerate(frames_of(name))]
                for k in range(1, len(areas)):
                    # Anti-aliased edges, and the holes of a steel grille that the
                    # cap shows through, may add a few pixels; the cap never grows.
                    self.assertLessEqual(areas[k], areas[k - 1] * 1.02 + 5, f"{name}: frame {k} is closer than {k - 1}")
                self.assertGreater(areas[0], 20 * areas[-1], f"{name}: the view hardly backs away")

    def test_every_cabinet_has_its_own_pictures(self):
        far = {name: frames_of(name)[100, :VISIBLE_ROWS, :, :3] for name in PADS}
        for a in range(len(PADS)):
            for b in range(a + 1, len(PADS)):
                with self.subTest(pair=(PADS[a], PADS[b])):
                    changed = (np.abs(far[PADS[a]] - far[PADS[b]]).max(axis=2) > 0.1).mean()
                    self.assertGreater(changed, 0.02)

    def test_pad_pictures_reach_beyond_the_pad_without_an_edge(self):
        # The picture slides with the handle over the 282-pixel pad and must
        # cover it at both ends of the travel: out to its left and right edges
        # it shows the scene (room, cabinet), no dark rim and no flat fill.
        for name in PADS:
            frames = frames_of(name)
            for k in (0, 50, 100):
                with self.subTest(name=name, frame=k):
                    rgb = frames[k, :VISIBLE_ROWS, :, :3]
                    for cols in (rgb[:, :3], rgb[:, -3:]):
                        self.assertGreater(luminance(np.concatenate([cols, np.ones(cols.shape[:2] + (1,))], axis=2)).mean(),
                                           0.03, "the edge is dark")
                        self.assertGreater(cols.std(axis=0).mean(), 0.002, "the edge is a flat fill")

    def test_on_and_off_axis_differ(self):
        for side in ("left", "right"):
            with self.subTest(side=side):
                on, off = frames_of(f"mic{side}on.png"), frames_of(f"mic{side}off.png")
                for k in (0, 50, 100):
                    changed = (np.abs(on[k, :, :, :3] - off[k, :, :, :3]).max(axis=2) > 0.1).mean()
                    self.assertGreater(changed, 0.03, f"frame {k}")

    def test_left_and_right_pictures_are_mirrored(self):
        for axis in ("on", "off"):
            with self.subTest(axis=axis):
                left, right = frames_of(f"micleft{axis}.png"), frames_of(f"micright{axis}.png")
                for k in (0, 100):
                    self.assertLess(np.abs(left[k, :, ::-1, :3] - right[k, :, :, :3]).mean(), 0.02)

    def test_states_differ(self):
        for name, (_, _, count) in EXPECTED.items():
            if count < 2 or count > 3:
                continue
            with self.subTest(name=name):
                frames = frames_of(name)
                for a in range(count):
                    for b in range(a + 1, count):
                        diff = np.abs(frames[a] - frames[b]).max(axis=2)
                        self.assertGreater((diff > 0.15).sum(), 8, f"states {a} and {b} look alike")
        for pair in (("vuon.png", "vuoff.png"), ("file.png", "fileclicked.png")):
            with self.subTest(pair=pair):
                a, b = (load(os.path.join(folder(), n)) for n in pair)
                self.assertGreater((np.abs(a - b).max(axis=2) > 0.15).sum(), 8)

    def test_lit_states_are_brighter(self):
        # Lit meter segments and a lit clip LED, and the lamp of a running amplifier (value 0).
        a, b = (load(os.path.join(folder(), n)) for n in ("vuon.png", "vuoff.png"))
        self.assertGreater(luminance(a).mean(), 2 * luminance(b).mean())
        led = frames_of("clipled.png")
        self.assertGreater(luminance(led[1]).mean(), luminance(led[0]).mean() * 1.3)
        lamp = frames_of("ampon.png")
        self.assertGreater(luminance(lamp[0]).mean(), luminance(lamp[1]).mean())

    def test_small_labels_are_legible(self):
        for name, labels in recorded_label_boxes().items():
            pixels = load(os.path.join(folder(), name))
            for text, box in labels:
                with self.subTest(name=name, label=text):
                    cap, contrast = legibility(pixels, box)
                    self.assertGreaterEqual(cap, MIN_CAP_HEIGHT, "capitals too small")
                    self.assertGreaterEqual(contrast, MIN_CONTRAST, "too little contrast")

    def test_labels_on_a_row_keep_apart(self):
        for name, labels in recorded_label_boxes().items():
            with self.subTest(name=name):
                self.assertEqual(crowded_neighbours(labels), [], "words run together")

    def test_crowding_is_measured_along_a_row_only(self):
        # A knob label's capitals span rows 77..85.
        knob = ("MASTER", (342, 77, 389, 85))
        cases = [
            ("a word 5 pixels on", ("MODEL", (394, 77, 430, 85)), True),
            ("a word 6 pixels on", ("MODEL", (395, 77, 430, 85)), False),
            ("a word overlapping it", ("MODEL", (388, 71, 428, 79)), True),
            ("a word on its left", ("HIGH", (310, 77, 338, 85)), True),
            ("a word whose capitals end where its own begin", ("MODEL", (388, 69, 428, 77)), False),
            ("a word below it", ("CHANNEL", (334, 138, 387, 146)), False),
        ]
        for what, other, crowded in cases:
            with self.subTest(what):
                self.assertEqual(bool(crowded_neighbours([knob, other])), crowded)

    def test_legibility_measure_tells_small_and_faint_labels(self):
        # The measure itself, on labels drawn for it: 6-pixel capitals and
        # grey on dark grey fail, the editor's label size and colours pass.
        def label(size, ink, ground):
            s = cairo.ImageSurface(cairo.FORMAT_ARGB32, 80, 30)
            ctx = cv.context(s)
            ctx.set_source_rgb(*ground)
            ctx.paint()
            with cv.LabelBoxes() as boxes:
                cv.text(ctx, "THR", 40, 20, size, ink, True, family=cv.FONT_CONDENSED, label=True)
            return legibility(surface_pixels(s), boxes[0][1])
        cap, contrast = label(cv.LABEL_SIZE, cv.LEGEND, cv.STRIP)
        self.assertGreaterEqual(cap, MIN_CAP_HEIGHT)
        self.assertGreaterEqual(contrast, MIN_CONTRAST)
        self.assertLess(label(8, cv.LEGEND, cv.STRIP)[0], MIN_CAP_HEIGHT)
        self.assertLess(label(cv.LABEL_SIZE, (0.45, 0.45, 0.45), (0.2, 0.2, 0.2))[1], MIN_CONTRAST)

    def test_handle_is_transparent_around_the_microphone(self):
        handle = load(os.path.join(folder(), "michandle.png"))
        alpha = handle[:, :, 3]
        self.assertEqual(alpha[0, 0], 0)
        self.assertEqual(alpha[:, 0].max(), 0, "the left edge should be clear")
        self.assertGreater((alpha > 0.9).mean(), 0.08)
        self.assertLess((alpha > 0).mean(), 0.6)


class Reproduced(unittest.TestCase):
    def test_generator_draws_the_committed_pixels(self):
        if os.path.isdir(SCRATCH):
            shutil.rmtree(SCRATCH)
        out, docs = os.path.join(SCRATCH, "editor"), os.path.join(SCRATCH, "docs")
        generator = os.path.join(ROOT, "tools", "artwork", "generate.py")
        # The pad pictures are copied, not drawn: the next test redraws them at sample frames.
        subprocess.run([sys.executable, generator, "--out", out, "--docs", docs, "--keep-pads"], check=True)
        self.assertEqual(sorted(os.listdir(out)), sorted(EXPECTED))
        for name in EXPECTED:
            if name in PAD_STRIPS:
                continue
            with self.subTest(name=name):
                fresh, committed = load(os.path.join(out, name)), load(os.path.join(folder(), name))
                self.assertEqual(fresh.shape, committed.shape)
                differing = np.argwhere(np.abs(fresh - committed).max(axis=2) > 0)
                self.assertEqual(len(differing), 0,
                                 f"{name}: {len(differing)} pixels differ, first at (x, y) = "
                                 f"{tuple(differing[0][::-1]) if len(differing) else None}")
        for doc in ("artwork-contact-sheet.png", "editor-mockup.png"):
            with self.subTest(doc=doc):
                self.assertTrue(os.path.isfile(os.path.join(docs, doc)))


    def test_pad_pictures_are_drawn_as_committed_at_sample_frames(self):
        # Each sample frame is drawn anew and mapped through the committed
        # file's palette, as the generator maps the whole strip.
        for name in PAD_STRIPS:
            path = os.path.join(folder(), name)
            palette = png_palette(path)
            committed = frames_of(name)
            cabinet = 1 if name.startswith("mic") else int(name[3])
            off = "off" in name
            wide = speaker.strip(cabinet, off, frames=SAMPLE_FRAMES)
            picture = wide if name in PADS else speaker.named(wide, "left" in name)
            drawn = surface_pixels(picture)
            drawn = drawn.reshape(speaker.FRAMES, speaker.FRAME_HEIGHT, drawn.shape[1], 4)
            for k in SAMPLE_FRAMES:
                with self.subTest(name=name, frame=k):
                    rgb = np.round(drawn[k, :, :, :3] * 255).astype(np.uint8)
                    mapped = palette[pngfile.nearest(rgb, palette)] / 255.0
                    differing = np.argwhere(np.abs(mapped - committed[k, :, :, :3]).max(axis=2) > 1e-6)
                    self.assertEqual(len(differing), 0, f"{len(differing)} pixels differ, first at (x, y) = "
                                     f"{tuple(differing[0][::-1]) if len(differing) else None}")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--scratch", default=None)
    args, rest = parser.parse_known_args()
    ROOT = args.root
    SCRATCH = args.scratch or os.path.join(ROOT, "build-artwork-scratch")
    sys.path.insert(0, os.path.join(ROOT, "tools", "artwork"))
    import canvas as cv  # noqa: E402,F811
    import pngfile  # noqa: E402,F811
    import speaker  # noqa: E402,F811
    from generate import label_boxes  # noqa: E402,F811
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
