"""PNG writing for the artwork generator.

Cairo hands us premultiplied native-endian ARGB; the editor's loader wants
plain PNG. Opaque pictures with many frames (knob and speaker film strips)
are reduced to a 256-colour palette, which keeps the large strips small; the
rest is written as true colour, with alpha where the picture has any.
The encoder is our own so that the bytes depend only on the pixels and
zlib, not on the installed libpng.
"""

import struct
import zlib

import numpy as np

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
COMPRESSION_LEVEL = 9
PALETTE_SIZE = 256
LUT_BITS = 6              # bits per channel of the colour-to-index table
SAMPLE_PIXELS = 400000    # pixels the palette is chosen from


def surface_to_rgba(surface):
    """Straight (not premultiplied) RGBA uint8 array of a cairo ARGB32/RGB24 surface."""
    surface.flush()
    h, w, stride = surface.get_height(), surface.get_width(), surface.get_stride()
    raw = np.frombuffer(surface.get_data(), dtype=np.uint8).reshape(h, stride)[:, :w * 4]
    bgra = raw.reshape(h, w, 4).astype(np.uint32)
    import cairo
    if surface.get_format() == cairo.FORMAT_RGB24:
        alpha = np.full((h, w), 255, np.uint32)
    else:
        alpha = bgra[:, :, 3]
    rgba = np.empty((h, w, 4), np.uint8)
    safe = np.maximum(alpha, 1)
    for out, src in ((0, 2), (1, 1), (2, 0)):
        channel = np.where(alpha > 0, (bgra[:, :, src] * 255 + safe // 2) // safe, 0)
        rgba[:, :, out] = np.minimum(channel, 255)
    rgba[:, :, 3] = alpha
    return rgba


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def _filtered(pixels, bpp):
    """Scanlines with one filter per image: Paeth for true colour, none for palettes."""
    h = pixels.shape[0]
    rows = pixels.reshape(h, -1).astype(np.int16)
    if bpp == 1:
        out = np.zeros((h, rows.shape[1] + 1), np.uint8)
        out[:, 1:] = rows
        return out.tobytes()
    a = np.zeros_like(rows)
    a[:, bpp:] = rows[:, :-bpp]
    b = np.zeros_like(rows)
    b[1:, :] = rows[:-1, :]
    c = np.zeros_like(rows)
    c[1:, bpp:] = rows[:-1, :-bpp]
    p = a + b - c
    pa, pb, pc = np.abs(p - a), np.abs(p - b), np.abs(p - c)
    predictor = np.where((pa <= pb) & (pa <= pc), a, np.where(pb <= pc, b, c))
    out = np.empty((h, rows.shape[1] + 1), np.uint8)
    out[:, 0] = 4
    out[:, 1:] = ((rows - predictor) & 0xFF).astype(np.uint8)
    return out.tobytes()


def _write(path, width, height, colour_type, data, palette=None):
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    parts = [PNG_SIGNATURE, _chunk(b"IHDR", header)]
    if palette is not None:
        parts.append(_chunk(b"PLTE", palette.astype(np.uint8).tobytes()))
    parts.append(_chunk(b"IDAT", zlib.compress(data, COMPRESSION_LEVEL)))
    parts.append(_chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(b"".join(parts))


def _median_cut(colours, count):
    """Palette of up to `count` colours chosen by median cut of an (n, 3) sample."""
    def span(box):
        return (box.max(axis=0) - box.min(axis=0)).max() if len(box) > 1 else -1

    boxes = [colours]
    spans = [span(colours)]
    while len(boxes) < count:
        widest = int(np.argmax(spans))
        if spans[widest] <= 0:
            break
        box = boxes.pop(widest)
        spans.pop(widest)
        channel = int(np.argmax(box.max(axis=0) - box.min(axis=0)))
        box = box[np.argsort(box[:, channel], kind="stable")]
        half = len(box) // 2
        for part in (box[:half], box[half:]):
            boxes.append(part)
            spans.append(span(part))
    return np.array([np.round(b.mean(axis=0)) for b in boxes], np.int32)


def quantise(rgb):
    """(palette, indices) for an opaque (h, w, 3) uint8 picture."""
    flat = rgb.reshape(-1, 3)
    keys = (flat[:, 0].astype(np.int32) << 16) | (flat[:, 1].astype(np.int32) << 8) | flat[:, 2]
    unique = np.unique(keys)
    if len(unique) <= PALETTE_SIZE:
        palette = np.stack([unique >> 16, (unique >> 8) & 255, unique & 255], axis=1)
        return palette, np.searchsorted(unique, keys).astype(np.uint8).reshape(rgb.shape[:2])
    step = max(1, len(flat) // SAMPLE_PIXELS)
    palette = _median_cut(flat[::step].astype(np.int32), PALETTE_SIZE)
    return palette, nearest(rgb, palette)


def nearest(rgb, palette):
    """Indices of the palette entries that stand for the colours of an (h, w, 3) uint8 picture."""
    flat = rgb.reshape(-1, 3)
    levels = 1 << LUT_BITS
    shift = 8 - LUT_BITS
    grid = (np.arange(levels) << shift) + (1 << shift) // 2
    r, g, b = np.meshgrid(grid, grid, grid, indexing="ij")
    cells = np.stack([r.ravel(), g.ravel(), b.ravel()], axis=1)
    # Nearest palette entry by weighted distance (the eye is most sensitive to
    # green, least to blue): |c|^2 - 2 c.p + |p|^2, the first term being the
    # same for every entry. The products are small integers, exact in doubles.
    weight = np.array([3.0, 4.0, 2.0])
    p = palette.astype(np.float64)
    cross = (cells.astype(np.float64) * weight) @ p.T
    lut = np.argmin(((p * p) @ weight)[None, :] - 2 * cross, axis=1).astype(np.uint8)
    q = (flat >> shift).astype(np.int32)
    indices = lut[(q[:, 0] << (2 * LUT_BITS)) | (q[:, 1] << LUT_BITS) | q[:, 2]]
    return indices.reshape(rgb.shape[:2])


def write_png(path, surface, palette=False):
    """Writes a cairo surface; `palette` asks for an indexed file (opaque pictures only)."""
    rgba = surface_to_rgba(surface)
    h, w = rgba.shape[:2]
    opaque = bool((rgba[:, :, 3] == 255).all())
    if palette:
        if not opaque:
            raise ValueError(f"{path}: a palette picture must be opaque")
        colours, indices = quantise(rgba[:, :, :3])
        _write(path, w, h, 3, _filtered(indices, 1), colours)
    elif opaque:
        _write(path, w, h, 2, _filtered(rgba[:, :, :3].copy(), 3))
    else:
        _write(path, w, h, 6, _filtered(rgba, 4))
