#!/usr/bin/python3
"""Checks of the editor's bitmaps in resources/editor.

    test_artwork.py --root SOURCE_DIR [--scratch DIR] [Bitmaps | Reproduced]

Bitmaps: every bitmap the editor loads exists, decodes and has its size;
knob film strips turn steadily clockwise over about 300 degrees; the speaker
pictures zoom out steadily; two-state pictures differ between their states.
Reproduced: the generator draws the same pixels as the committed files.
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

# The editor's bitmaps: name -> (width, height, frames). Frames are stacked vertically.
EXPECTED = {
    "background.png": (650, 500, 1),
    "miclefton.png": (282, 23129, 101), "micleftoff.png": (282, 23129, 101),
    "micrighton.png": (282, 23129, 101), "micrightoff.png": (282, 23129, 101),
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
SPEAKERS = {"miclefton.png": 237, "micleftoff.png": 237, "micrighton.png": 45, "micrightoff.png": 45}
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


def bright_blob_area(frame, seed_col, row):
    """Area of the bright region around the brightest pixel near the speaker's centre row."""
    lum = luminance(frame)
    # The dust cap: the brightest spot of the centre row's band, near the handle's
    # column (turning the speaker off axis moves the cap by less than this).
    lo = max(0, seed_col - SEARCH_COLUMNS)
    band = lum[row - 5:row + 6, lo:seed_col + SEARCH_COLUMNS]
    r, c = np.unravel_index(np.argmax(band), band.shape)
    c += lo
    mask = lum > 0.33
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
                areas = [bright_blob_area(f, column, SPEAKER_ROW) for f in frames_of(name)]
                for k in range(1, len(areas)):
                    # Anti-aliased edges may add a pixel or two; the dust cap never grows.
                    self.assertLessEqual(areas[k], areas[k - 1] * 1.02 + 3, f"{name}: frame {k} is closer than {k - 1}")
                self.assertGreater(areas[0], 20 * areas[-1], f"{name}: the view hardly backs away")

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
        subprocess.run([sys.executable, generator, "--out", out, "--docs", docs], check=True)
        self.assertEqual(sorted(os.listdir(out)), sorted(EXPECTED))
        for name in EXPECTED:
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


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--scratch", default=None)
    args, rest = parser.parse_known_args()
    ROOT = args.root
    SCRATCH = args.scratch or os.path.join(ROOT, "build-artwork-scratch")
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
