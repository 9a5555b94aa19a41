"""Documentation pictures made from the written bitmaps: a contact sheet of
every bitmap and a full-size mock-up of the editor window.

Both read the PNG files back, so they show exactly what the editor loads.
The mock-up places every picture the way the editor does, with the values
of the first factory program, the cabinet panel shown and the stereo strip.
"""

import math
import os
import re

import cairo

import canvas as cv
import layout as L

SHEET_WIDTH = 1320
MARGIN = 16
CAPTION = 14


def _load(folder, name):
    return cairo.ImageSurface.create_from_png(os.path.join(folder, name))


def _mirrored(picture):
    out = cv.surface(picture.get_width(), picture.get_height())
    ctx = cairo.Context(out)
    ctx.translate(picture.get_width(), 0)
    ctx.scale(-1, 1)
    ctx.set_source_surface(picture)
    ctx.paint()
    return out


def _frame(ctx, picture, frames, k, x, y, clip=None):
    """Draws frame k of a vertical strip at x, y (optionally clipped to w, h)."""
    w = picture.get_width()
    fh = picture.get_height() // frames
    cw, ch = clip or (w, fh)
    ctx.save()
    ctx.rectangle(x, y, cw, ch)
    ctx.clip()
    ctx.set_source_surface(picture, x, y - k * fh)
    ctx.paint()
    ctx.restore()


def _samples(frames):
    if frames <= 3:
        return list(range(frames))
    return sorted({round(i * (frames - 1) / 4) for i in range(5)})


def contact_sheet(folder, path):
    tiles = []
    for name, (w, h, frames) in L.BITMAPS.items():
        for k in _samples(frames):
            label = name if frames == 1 else f"{name} [{k}]"
            tiles.append((name, frames, k, w, h // frames, label))
    # Lay the tiles out in rows, tallest first within the order of the table.
    rows, row, x = [], [], MARGIN
    measure = cv.context(cv.surface(1, 1))
    cv.font(measure, 9)
    tiles = [t + (max(t[3], int(cv.text_width(measure, t[5])) + 4),) for t in tiles]
    for tile in tiles:
        tw = tile[6]
        if row and x + tw > SHEET_WIDTH - MARGIN:
            rows.append(row)
            row, x = [], MARGIN
        row.append(tile)
        x += tw + MARGIN
    rows.append(row)
    height = MARGIN + sum(max(t[4] for t in r) + CAPTION + MARGIN for r in rows) + 30
    sheet = cv.surface(SHEET_WIDTH, height)
    ctx = cv.context(sheet)
    ctx.set_source_rgb(0.42, 0.43, 0.45)
    ctx.paint()
    cv.text(ctx, "Orvandel Selvarine editor bitmaps: every picture, film strips sampled", MARGIN, 20, 13,
            (1, 1, 1), True, "l")
    pictures = {}
    y = 36
    for r in rows:
        x = MARGIN
        for name, frames, k, w, fh, label, tw in r:
            if name not in pictures:
                pictures[name] = _load(folder, name)
            # A checkerboard under each tile shows transparency.
            for cy in range(0, fh, 6):
                for cx in range(0, w, 6):
                    ctx.rectangle(x + cx, y + cy, min(6, w - cx), min(6, fh - cy))
                    shade = 0.55 if (cx // 6 + cy // 6) % 2 else 0.65
                    ctx.set_source_rgb(shade, shade, shade)
                    ctx.fill()
            _frame(ctx, pictures[name], frames, k, x, y)
            cv.text(ctx, label, x, y + fh + 11, 9, (1, 1, 1), False, "l")
            x += tw + MARGIN
        y += max(t[4] for t in r) + CAPTION + MARGIN
    sheet.write_to_png(path)


def program_values(header, index=0):
    """The parameter values of factory program `index`, read from its source table."""
    with open(header) as f:
        source = f.read()
    lists = re.findall(r'\{"[^"]*",\s*\{([^}]*)\}\}', source)
    return [float(v) for v in lists[index].split(",")]


def _menu_text(ctx, rect, s, ox=0, oy=0, align="l"):
    x0, y0, x1, y1 = rect
    ctx.save()
    ctx.rectangle(ox + x0, oy + y0, x1 - x0, y1 - y0)
    ctx.clip()
    x = ox + x0 + 4 if align == "l" else ox + (x0 + x1) / 2
    cv.text(ctx, s, x, oy + (y0 + y1) / 2 + 3.5, 10, (0.95, 0.88, 0.70), False, align)
    ctx.restore()


def mockup(folder, path, programs_header):
    p = program_values(programs_header)
    p[22] = 1.0                                    # show the stereo mixer strip
    bmp = {name: _load(folder, name) for name in L.BITMAPS}
    frames = {name: f for name, (_, _, f) in L.BITMAPS.items()}
    window = cv.surface(*L.WINDOW)
    ctx = cv.context(window)
    ctx.set_source_surface(bmp["background.png"])
    ctx.paint()

    def put(name, rect, value, ox=0, oy=0):
        n = frames[name]
        k = min(n - 1, int(value * (n - 1) + 0.5))
        _frame(ctx, bmp[name], n, k, ox + rect[0], oy + rect[1], (rect[2] - rect[0], rect[3] - rect[1]))

    put("ampon.png", L.AMP_ON, p[8])
    put("amptype.png", L.AMP_TYPE, p[9])
    put("ampchannel.png", L.AMP_CHANNEL, p[10])
    for name, _, rect, index in L.AMP_KNOBS:
        put(name, rect, p[index])
    put("fxonoff.png", L.FX_ON, p[17])
    put("sync.png", L.SYNC, p[18])

    # Microphone pads: picture frame by distance, sliding with the handle.
    hw, hh = L.HANDLE
    for pad, cab, pos, dist, axis, left in ((L.PAD_LEFT, p[24], p[27], p[28], p[26], True),
                                            (L.PAD_RIGHT, p[33], p[36], p[37], p[35], False)):
        l, t, r, b = pad
        hx = hw // 2 + int((r - hw - l) * pos) + l
        hy = hh // 2 + int((b - hh - t) * dist) + t
        k = min(100, max(0, int((hy - hh // 2 - 271) / (99 / 101))))
        # The cabinet as the engine picks it: ceil(4 v + 1), 1 outside 1..5.
        number = math.ceil(4 * cab + 1)
        number = number if 1 <= number <= 5 else 1
        picture = bmp[f"pad{number}{'on' if axis == 0 else 'off'}.png"]
        if not left:
            picture = _mirrored(picture)
        wide = picture.get_width()
        ctx.save()
        ctx.rectangle(l, t, r - l, b - t)
        ctx.clip()
        _frame(ctx, picture, 101, k, hx - wide // 2, L.PAD_PICTURE_TOP, (wide, 229))
        ctx.set_source_surface(bmp["michandle.png"], hx - hw // 2, hy - hh // 2)
        ctx.paint()
        ctx.restore()

    # Top bar.
    ctx.set_source_surface(bmp["incontainer.png"], 0, 0)
    ctx.paint()
    _menu_text(ctx, L.IN_CHANNEL_MENU, ("IN L", "IN R", "IN LR")[math.ceil(2 * p[1])], align="c")
    put("knobbig.png", L.INPUT_KNOB, p[2])
    x0, y0, x1, y1 = L.VU_METER
    ctx.set_source_surface(bmp["vuoff.png"], x0, y0)
    ctx.paint()
    ctx.save()
    ctx.rectangle(x0, y0, 27, y1 - y0)          # a guitar playing at about two thirds
    ctx.clip()
    ctx.set_source_surface(bmp["vuon.png"], x0, y0)
    ctx.paint()
    ctx.restore()
    ctx.set_source_surface(bmp["file.png"], L.FILE_MENU[0], L.FILE_MENU[1])
    ctx.paint()
    _menu_text(ctx, L.PROGRAM_MENU, "Clean Reverb")
    put("arrow_left.png", L.PROGRAM_PREV, 0)
    put("arrow_right.png", L.PROGRAM_NEXT, 0)
    put("gateonoff.png", L.GATE_ON, p[3])
    for (_, rect), index in zip(L.GATE_KNOBS, (4, 5, 6)):
        put("knobsmall.png", rect, p[index])
    put("cabset.png", L.CABINET_SWITCH, 0)
    put("hiq.png", L.HIGH_RES, p[7])
    put("bypass.png", L.BYPASS, p[0])

    # Bottom bar.
    oy = L.BOTTOM_BAR[1]
    ctx.set_source_surface(bmp["outcontainer.png"], 0, oy)
    ctx.paint()
    put("irload.png", L.IR_LOAD, 0, 0, oy)
    put("irunload.png", L.IR_UNLOAD, 0, 0, oy)
    put("arrow_left_ir.png", L.IR_PREV, 0, 0, oy)
    put("arrow_right_ir.png", L.IR_NEXT, 0, 0, oy)
    put("lim.png", L.LIMITER, p[43], 0, oy)
    put("clipled.png", L.CLIP_LED, 0, 0, oy)
    put("knobbig.png", L.OUTPUT_KNOB, p[42], 0, oy)

    # Cabinet panel with the stereo strip.
    oy = L.CABINET_PANEL[1]
    ctx.set_source_surface(bmp["cabsetcontainer.png"], 0, oy)
    ctx.paint()
    put("cabmiconoff.png", L.CAB1_ON, p[23], 0, oy)
    put("phase.png", L.MIC1_PHASE, p[29], 0, oy)
    put("micaxis_left.png", L.MIC1_AXIS, p[26], 0, oy)
    put("cabmiconoff.png", L.CAB2_ON, p[32], 0, oy)
    put("phase.png", L.MIC2_PHASE, p[38], 0, oy)
    put("micaxis_right.png", L.MIC2_AXIS, p[35], 0, oy)
    _menu_text(ctx, L.CAB1_MENU, L.CABINET_NAMES[int(p[24] * 4)], 0, oy)
    _menu_text(ctx, L.MIC1_MENU, L.MICROPHONE_NAMES[int(round(p[25] * 3))], 0, oy)
    _menu_text(ctx, L.CAB2_MENU, L.CABINET_NAMES[int(p[33] * 4)], 0, oy)
    _menu_text(ctx, L.MIC2_MENU, L.MICROPHONE_NAMES[int(round(p[34] * 3))], 0, oy)
    for pair in (L.CAB1_ARROWS, L.MIC1_ARROWS, L.CAB2_ARROWS, L.MIC2_ARROWS):
        put("arrow_left.png", pair[0], 0, 0, oy)
        put("arrow_right.png", pair[1], 0, 0, oy)
    put("monostereo.png", L.CAB_TYPE, p[22], 0, oy)
    sx, sy = L.MIXER_STRIP[0], oy + L.MIXER_STRIP[1]
    ctx.set_source_surface(bmp["stereocontainer.png"], sx, sy)
    ctx.paint()
    for _, rect, (lo, hi), index in L.STEREO_SLIDERS:
        ctx.set_source_surface(bmp["slider.png"], sx + lo + round((hi - lo) * p[index]), sy + rect[1])
        ctx.paint()
    window.write_to_png(path)
