#!/usr/bin/env python3
"""Cuts parts out of an editor snapshot for the user manual.

    tools/manual/crop.py SNAPSHOT.png SCALE OUT.png:X,Y,W,H [OUT.png:X,Y,W,H ...]

Each OUT.png receives the rectangle X,Y,W,H of the snapshot (in editor
pixels), enlarged SCALE times with sharp pixels so that small parts stay
legible in print. Uses Debian's python3-cairo.
"""

import sys

import cairo


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    source = cairo.ImageSurface.create_from_png(sys.argv[1])
    scale = int(sys.argv[2])
    for item in sys.argv[3:]:
        path, _, rect = item.rpartition(":")
        x, y, w, h = (int(v) for v in rect.split(","))
        if x < 0 or y < 0 or w <= 0 or h <= 0 or x + w > source.get_width() or y + h > source.get_height():
            sys.exit(f"crop.py: {rect} lies outside the {source.get_width()} x {source.get_height()} snapshot")
        out = cairo.ImageSurface(cairo.FORMAT_RGB24, w * scale, h * scale)
        cr = cairo.Context(out)
        cr.scale(scale, scale)
        cr.set_source_surface(source, -x, -y)
        cr.get_source().set_filter(cairo.FILTER_NEAREST)
        cr.paint()
        out.write_to_png(path)


if __name__ == "__main__":
    main()
