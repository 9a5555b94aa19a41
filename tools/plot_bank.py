#!/usr/bin/env python3
"""Plots the magnitude responses of the generated cabinet response bank.

One PNG sheet per cabinet: a row per microphone, a column per axis, and in
each panel the six placements (on the grille and at a distance, each at the
dust-cap centre, half-way and at the cone edge). Documentation only; the build
does not run it.

    tools/plot_bank.py <bank file> <output folder> [family]

The bank file is the generator's output (selvarine_ir_bank.bin in the build
tree); family 0 is the 88.2 kHz set, 1 the 96 kHz set.
"""

import os
import sys

import numpy as np
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

TABLES = 480
LENGTH = 8192
RATES = (88200.0, 96000.0)
CABINETS = ("Black Tolex (2 x 12)", "Red Tolex (1 x 12)", "Blonde Vintage (1 x 10)",
            "Iron Grill (1 x 10)", "Cloth Grill (1 x 8)")
MICROPHONES = ("Dynamic 57", "Dynamic 441", "Condenser 1", "Ribbon 1")
MIC_SLOT = (2, 1, 0, 3)
PLACEMENTS = ("grille, centre", "grille, half-way", "grille, edge",
              "distance, centre", "distance, half-way", "distance, edge")
COLOURS = ("#08306b", "#2171b5", "#6baed6", "#7f2704", "#d94801", "#fd8d3c")
FFT_SIZE = 65536
SMOOTHING = 1.0 / 12.0  # octaves


def table_index(cabinet, family, microphone, axis, k):
    return 96 * (cabinet - 1) + 48 * family + 12 * MIC_SLOT[microphone - 1] + 6 * (axis - 1) + k


def smoothed_db(table, rate, freqs):
    power = np.abs(np.fft.rfft(table, FFT_SIZE)) ** 2
    bins = np.arange(power.size) * rate / FFT_SIZE
    cumulative = np.concatenate(([0.0], np.cumsum(power)))
    lo = np.searchsorted(bins, freqs * 2 ** (-SMOOTHING / 2))
    hi = np.maximum(np.searchsorted(bins, freqs * 2 ** (SMOOTHING / 2)), lo + 1)
    return 10 * np.log10((cumulative[hi] - cumulative[lo]) / (hi - lo))


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    bank = np.fromfile(sys.argv[1], dtype="<f8")
    if bank.size != TABLES * LENGTH:
        sys.exit("not a response bank: wrong size")
    bank = bank.reshape(TABLES, LENGTH)
    family = int(sys.argv[3]) if len(sys.argv) == 4 else 0
    rate = RATES[family]
    freqs = np.geomspace(30.0, 20000.0, 600)
    os.makedirs(sys.argv[2], exist_ok=True)

    for cabinet, name in enumerate(CABINETS, start=1):
        fig, axes = plt.subplots(4, 2, figsize=(14, 10), dpi=100, sharex=True, sharey=True)
        for m, mic in enumerate(MICROPHONES, start=1):
            curves = [[smoothed_db(bank[table_index(cabinet, family, m, axis, k)], rate, freqs)
                       for k in range(6)] for axis in (1, 2)]
            top = max(c.max() for row in curves for c in row)
            for axis in (1, 2):
                ax = axes[m - 1][axis - 1]
                for k in range(6):
                    ax.semilogx(freqs, curves[axis - 1][k] - top, color=COLOURS[k], lw=1.0,
                                label=PLACEMENTS[k])
                ax.set_ylim(-60, 5)
                ax.set_xlim(30, 20000)
                ax.grid(True, which="both", alpha=0.3)
                ax.set_title(f"{mic}, axis {axis}", fontsize=9)
                if axis == 1:
                    ax.set_ylabel("dB")
        for ax in axes[-1]:
            ax.set_xlabel("Hz")
        axes[0][1].legend(fontsize=7, loc="lower left", ncol=2)
        fig.suptitle(f"{name}: magnitude responses ({rate / 1000:g} kHz tables, 1/12-octave smoothed)")
        fig.tight_layout()
        fig.savefig(os.path.join(sys.argv[2], f"bank-cabinet{cabinet}.png"), pil_kwargs={"optimize": True})
        plt.close(fig)


if __name__ == "__main__":
    main()
