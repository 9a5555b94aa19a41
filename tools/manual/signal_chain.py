#!/usr/bin/env python3
"""Draws the plug-in's signal chain as an SVG picture for the user manual.

    tools/manual/signal_chain.py OUT.svg

The blocks are laid out in two rows read left to right: the mono part of the
chain (input to spring reverb) on the first row, the cabinet section and the
output stage on the second. Plain SVG, no libraries needed.
"""

import sys
from xml.sax.saxutils import escape

WIDTH = 720
BOX_W = 118
BOX_H = 58
GAP = 28
ROW_Y = (40, 170)
FONT = "DejaVu Sans, sans-serif"

# (title, lines under it, fill) per block, in signal order.
ROW1 = [
    ("Input", ["IN L / IN R / IN LR", "gain, level meter"], "#e8eef7"),
    ("Noise gate", ["threshold,", "attack, decay"], "#e8eef7"),
    ("Amplifier", ["MV, BKVG or JC,", "clean or lead"], "#f6e3c8"),
    ("Tremolo", ["speed (free or", "synced), depth"], "#e3f0e0"),
    ("Spring reverb", ["amount"], "#e3f0e0"),
]
ROW2 = [
    ("Cabinet 1 + 2", ["cabinet, microphone,", "axis, place, distance"], "#efe1ef"),
    ("Your response", ["a WAV file", "(optional)"], "#efe1ef"),
    ("Output", ["output level"], "#e8eef7"),
    ("Limiter", ["on: ceiling 0 dBFS", "off: clip LED"], "#e8eef7"),
    ("Host", ["left and right", "outputs"], "#ffffff"),
]


def box(x, y, title, lines, fill):
    parts = [f'<rect x="{x}" y="{y}" width="{BOX_W}" height="{BOX_H}" rx="7" '
             f'fill="{fill}" stroke="#333" stroke-width="1.2"/>',
             f'<text x="{x + BOX_W / 2}" y="{y + 19}" text-anchor="middle" '
             f'font-family="{FONT}" font-size="12.5" font-weight="bold">{escape(title)}</text>']
    for i, line in enumerate(lines):
        parts.append(f'<text x="{x + BOX_W / 2}" y="{y + 35 + 12 * i}" text-anchor="middle" '
                     f'font-family="{FONT}" font-size="9.5" fill="#333">{escape(line)}</text>')
    return parts


def arrow(x1, y1, x2, y2):
    return [f'<line x1="{x1}" y1="{y1}" x2="{x2}" y2="{y2}" stroke="#333" stroke-width="1.4" '
            f'marker-end="url(#head)"/>']


def row(blocks, y):
    parts = []
    total = len(blocks) * BOX_W + (len(blocks) - 1) * GAP
    x0 = (WIDTH - total) / 2
    for i, (title, lines, fill) in enumerate(blocks):
        x = x0 + i * (BOX_W + GAP)
        parts += box(x, y, title, lines, fill)
        if i > 0:
            parts += arrow(x - GAP, y + BOX_H / 2, x - 2, y + BOX_H / 2)
    return parts, x0, x0 + total


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: signal_chain.py OUT.svg")
    parts = []
    row1, first1, last1 = row(ROW1, ROW_Y[0])
    row2, first2, last2 = row(ROW2, ROW_Y[1])
    parts += row1 + row2
    # From the end of row 1 down and back to the start of row 2.
    mid_y = (ROW_Y[0] + BOX_H + ROW_Y[1]) / 2
    parts.append(f'<polyline points="{last1 - BOX_W / 2},{ROW_Y[0] + BOX_H} {last1 - BOX_W / 2},{mid_y} '
                 f'{first2 + BOX_W / 2},{mid_y} {first2 + BOX_W / 2},{ROW_Y[1] - 2}" fill="none" '
                 f'stroke="#333" stroke-width="1.4" marker-end="url(#head)"/>')
    # The guitar goes in on the left.
    parts += arrow(2, ROW_Y[0] + BOX_H / 2, first1 - 2, ROW_Y[0] + BOX_H / 2)
    # Bands: what runs in mono, what may run in stereo, what "High Res." doubles.
    amp_x = (WIDTH - (5 * BOX_W + 4 * GAP)) / 2 + 2 * (BOX_W + GAP)
    parts.append(f'<text x="{amp_x + BOX_W / 2}" y="{ROW_Y[0] - 10}" text-anchor="middle" '
                 f'font-family="{FONT}" font-size="9.5" fill="#8a4b00">"High Res.": twice the host rate</text>')
    parts.append(f'<text x="{first1}" y="{ROW_Y[0] + BOX_H + 18}" font-family="{FONT}" font-size="9.5" '
                 f'fill="#555">mono</text>')
    parts.append(f'<text x="{first2}" y="{ROW_Y[1] + BOX_H + 18}" font-family="{FONT}" font-size="9.5" '
                 f'fill="#555">mono, or stereo with the cabinet section set to STEREO</text>')
    parts.append(f'<text x="{last2}" y="{ROW_Y[1] + BOX_H + 18}" text-anchor="end" font-family="{FONT}" '
                 f'font-size="9.5" fill="#555">BYPASS: input straight to output</text>')
    height = ROW_Y[1] + BOX_H + 30
    svg = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{height}" '
           f'viewBox="0 0 {WIDTH} {height}">',
           '<defs><marker id="head" markerWidth="8" markerHeight="8" refX="7" refY="4" orient="auto">'
           '<path d="M0,0 L8,4 L0,8 z" fill="#333"/></marker></defs>']
    svg += parts
    svg.append('</svg>')
    with open(sys.argv[1], "w", encoding="utf-8") as f:
        f.write("\n".join(svg) + "\n")


if __name__ == "__main__":
    main()
