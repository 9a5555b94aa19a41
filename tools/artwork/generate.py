#!/usr/bin/python3
"""Draws every bitmap of the editor, the contact sheet and the mock-up.

    /usr/bin/python3 tools/artwork/generate.py [--out DIR] [--docs DIR] [--only NAME ...]

--out defaults to resources/editor and --docs to docs, both in the source
tree. --only draws just the named bitmaps (for quick looks while drawing);
the sheets are then skipped. --keep-pads copies the committed pad pictures
instead of drawing them (they take most of the time; the artwork test checks
them frame by frame on its own). Needs Debian's python3-cairo, python3-numpy,
fonts-dejavu-core and fonts-dejavu-extra.
"""

import argparse
import os
import shutil
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import canvas as cv  # noqa: E402
import controls as ctl  # noqa: E402
import layout as L  # noqa: E402
import panels  # noqa: E402
import pngfile  # noqa: E402
import sheets  # noqa: E402
import speaker  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(HERE))

# Film strips with many frames and no transparency go out as palette files.
PALETTE = {name for name, (w, h, frames) in L.BITMAPS.items() if frames > 50 and name not in
           ("knobbig.png", "knobsmall.png")}


def drawers():
    """name -> function returning the cairo surface. Shared pictures are made once."""
    cache = {}

    def once(key, make):
        if key not in cache:
            cache[key] = make()
        return cache[key]

    bg = lambda: once("background", panels.background)  # noqa: E731
    top = lambda: once("top", panels.top_bar)  # noqa: E731
    cab = lambda: once("cab", panels.cabinet_panel)  # noqa: E731
    pad = lambda name: once(name, lambda: speaker.strip(int(name[3]), name.endswith("off.png")))  # noqa: E731
    d = {
        "background.png": bg,
        "incontainer.png": top,
        "outcontainer.png": panels.bottom_bar,
        "cabsetcontainer.png": cab,
        "monocontainer.png": panels.mono_strip,
        "stereocontainer.png": panels.stereo_strip,
        "about.png": panels.about_box,
        "miclefton.png": lambda: speaker.named(pad("pad1on.png"), True),
        "micleftoff.png": lambda: speaker.named(pad("pad1off.png"), True),
        "micrighton.png": lambda: speaker.named(pad("pad1on.png"), False),
        "micrightoff.png": lambda: speaker.named(pad("pad1off.png"), False),
        "michandle.png": ctl.mic_handle,
        "knobbig.png": lambda: ctl.small_knob_strip(panels.bar_base(), L.INPUT_KNOB, 11.5),
        "knobsmall.png": lambda: ctl.small_knob_strip(panels.bar_base(), L.GATE_KNOBS[0][1], 6.6),
        "ampon.png": lambda: ctl.jewel_lamp(bg()),
        "fxonoff.png": lambda: ctl.toggle(bg(), L.FX_ON),
        "sync.png": lambda: ctl.toggle(bg(), L.SYNC),
        "amptype.png": lambda: ctl.selector(bg(), L.AMP_TYPE, L.AMP_TYPE_NAMES),
        "ampchannel.png": lambda: ctl.selector(bg(), L.AMP_CHANNEL, L.AMP_CHANNEL_NAMES),
        # The gate's button carries only its lamp: "GATE" is printed above it.
        "gateonoff.png": lambda: ctl.lit_button(30, 10, "", 0, led=True),
        "hiq.png": lambda: ctl.lit_button(26, 18, "HQ", cv.LABEL_SIZE, led=False),
        "lim.png": lambda: ctl.lit_button(26, 18, "LIM", cv.LABEL_SIZE, led=False),
        "cabset.png": lambda: ctl.lit_button(60, 18, "CABINET", cv.LABEL_SIZE),
        "bypass.png": ctl.bypass_button,
        "cabmiconoff.png": ctl.cabinet_on_button,
        "phase.png": ctl.phase_button,
        "micaxis_left.png": lambda: ctl.axis_button(False),
        "micaxis_right.png": lambda: ctl.axis_button(True),
        "monostereo.png": lambda: ctl.mono_stereo_switch(cab()),
        "arrow_left.png": lambda: ctl.arrow(14, 32, True),
        "arrow_right.png": lambda: ctl.arrow(14, 32, False),
        "arrow_left_ir.png": lambda: ctl.arrow(14, 40, True),
        "arrow_right_ir.png": lambda: ctl.arrow(14, 40, False),
        "irload.png": ctl.ir_load,
        "irunload.png": ctl.ir_unload,
        "file.png": lambda: ctl.file_button(False),
        "fileclicked.png": lambda: ctl.file_button(True),
        "vuon.png": lambda: ctl.vu(True),
        "vuoff.png": lambda: ctl.vu(False),
        "clipled.png": ctl.clip_led,
        "slider.png": ctl.slider_handle,
    }
    for name in L.PAD_PICTURES:
        d[name] = (lambda n: lambda: pad(n))(name)
    for name, _, rect, _ in L.AMP_KNOBS:
        d[name] = (lambda r: lambda: ctl.large_knob(bg(), r))(rect)
    missing = set(L.BITMAPS) - set(d)
    assert not missing, f"no drawing for {sorted(missing)}"
    return d


# Bitmaps whose labels must be legible at 100 %: the bars, the cabinet panel,
# the mixer strips, the plate and the buttons on the bars.
LABELLED = ("background.png", "incontainer.png", "outcontainer.png", "cabsetcontainer.png",
            "monocontainer.png", "stereocontainer.png", "about.png", "hiq.png", "lim.png",
            "cabset.png", "file.png", "fileclicked.png")


def label_boxes():
    """name -> [(text, (left, top, right, bottom))]: where each label of the
    labelled bitmaps is drawn, in the bitmap's pixels."""
    d = drawers()
    boxes = {}
    for name in LABELLED:
        with cv.LabelBoxes() as found:
            d[name]()
        boxes[name] = found
    return boxes


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(ROOT, "resources", "editor"))
    parser.add_argument("--docs", default=os.path.join(ROOT, "docs"))
    parser.add_argument("--only", nargs="*")
    parser.add_argument("--keep-pads", action="store_true",
                        help="copy the pad pictures from resources/editor instead of drawing them")
    args = parser.parse_args(argv)
    os.makedirs(args.out, exist_ok=True)
    names = args.only or list(L.BITMAPS)
    drawn = {}
    for name, draw in drawers().items():
        if name not in names:
            continue
        if args.keep_pads and name in L.PAD_STRIPS:
            shutil.copyfile(os.path.join(ROOT, "resources", "editor", name), os.path.join(args.out, name))
            continue
        picture = draw()
        w, h, _ = L.BITMAPS[name]
        if (picture.get_width(), picture.get_height()) != (w, h):
            raise SystemExit(f"{name}: drew {picture.get_width()} x {picture.get_height()}, expected {w} x {h}")
        pngfile.write_png(os.path.join(args.out, name), picture, palette=name in PALETTE)
        drawn[name] = picture
    if not args.only:
        os.makedirs(args.docs, exist_ok=True)
        sheets.contact_sheet(args.out, os.path.join(args.docs, "artwork-contact-sheet.png"))
        sheets.mockup(args.out, os.path.join(args.docs, "editor-mockup.png"),
                      os.path.join(ROOT, "plugin", "FactoryPrograms.h"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
