#!/usr/bin/env python3
"""Plots the magnitude responses of the generated cabinet response bank.

Sheets written to the output folder:
  bank-cabinet1.png .. bank-cabinet5.png  one per cabinet: a row per
      microphone, a column per axis, and in each panel the six placements (on
      the grille and at a distance, each at the dust-cap centre, half-way and
      at the cone edge);
  bank-cabinets.png    the five cabinets side by side, "Dynamic 57" on axis,
      for the dust-cap centre and the cone edge on the grille and at a distance;
  bank-microphones.png the four microphones side by side on each cabinet
      (on the grille, half-way out, on axis);
  bank-before-after.png (with --before OLD_BANK) the five cabinets of an
      earlier bank against this one, "Dynamic 57" on axis at the dust cap.
Documentation only; the build does not run it.

    tools/plot_bank.py [--before OLD_BANK] <bank file> <output folder> [family]

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
CABINET_COLOURS = ("#1b1b1b", "#c62828", "#d4a017", "#1565c0", "#2e7d32")
MIC_COLOURS = ("#1565c0", "#6a1b9a", "#2e7d32", "#c62828")
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


def load_bank(path):
    bank = np.fromfile(path, dtype="<f8")
    if bank.size != TABLES * LENGTH:
        sys.exit(f"{path}: not a response bank: wrong size")
    return bank.reshape(TABLES, LENGTH)


def finish(fig, axes, title, path):
    for ax in np.ravel(axes):
        ax.set_xlim(30, 20000)
        ax.grid(True, which="both", alpha=0.3)
    fig.suptitle(title)
    fig.tight_layout()
    fig.savefig(path, pil_kwargs={"optimize": True})
    plt.close(fig)


def plot_cabinets(bank, rate, family, freqs, folder):
    """The five cabinets side by side: one microphone, four placements."""
    panels = ((0, "grille, dust-cap centre"), (2, "grille, cone edge"),
              (3, "distance, dust-cap centre"), (5, "distance, cone edge"))
    fig, axes = plt.subplots(2, 2, figsize=(14, 9), dpi=100, sharex=True, sharey=True)
    for ax, (k, label) in zip(np.ravel(axes), panels):
        for c in range(1, 6):
            ax.semilogx(freqs, relative_db(bank[table_index(c, family, 1, 1, k)], rate, freqs),
                        color=CABINET_COLOURS[c - 1], lw=1.2, label=CABINETS[c - 1])
        ax.set_ylim(-50, 15)
        ax.set_title(f"Dynamic 57, axis 1, {label}", fontsize=9)
        ax.set_ylabel("dB re 1–4 kHz")
    axes[0][0].legend(fontsize=8, loc="lower left")
    for ax in axes[-1]:
        ax.set_xlabel("Hz")
    finish(fig, axes, f"The five cabinets ({rate / 1000:g} kHz tables, 1/12-octave smoothed, "
           "each at its 1–4 kHz level)", os.path.join(folder, "bank-cabinets.png"))


def relative_db(table, rate, freqs):
    """Smoothed level relative to the table's own 1–4 kHz mean, dB."""
    curve = smoothed_db(table, rate, freqs)
    return curve - curve[(freqs >= 1000) & (freqs <= 4000)].mean()


def cabinet_grid(draw, panel_title, ylim, title, path):
    """One panel per cabinet on a 2 x 3 sheet; draw(ax, cabinet) fills a panel."""
    fig, axes = plt.subplots(2, 3, figsize=(16, 9), dpi=100, sharex=True, sharey=True)
    for c in range(1, 6):
        ax = np.ravel(axes)[c - 1]
        draw(ax, c)
        ax.set_ylim(*ylim)
        ax.set_title(f"{CABINETS[c - 1]}, {panel_title}", fontsize=9)
        ax.set_ylabel("dB re 1–4 kHz")
    np.ravel(axes)[0].legend(fontsize=8, loc="lower left")
    np.ravel(axes)[-1].axis("off")
    for ax in axes[-1]:
        ax.set_xlabel("Hz")
    finish(fig, axes, title, path)


def plot_microphones(bank, rate, family, freqs, folder):
    """The four microphones side by side on every cabinet."""
    def draw(ax, c):
        for m in range(1, 5):
            ax.semilogx(freqs, relative_db(bank[table_index(c, family, m, 1, 1)], rate, freqs),
                        color=MIC_COLOURS[m - 1], lw=1.2, label=MICROPHONES[m - 1])
    cabinet_grid(draw, "grille, half-way, axis 1", (-50, 15),
                 f"The four microphones ({rate / 1000:g} kHz tables, 1/12-octave smoothed, "
                 "each at its 1–4 kHz level)", os.path.join(folder, "bank-microphones.png"))


def plot_before_after(old, bank, rate, family, freqs, folder):
    """An earlier bank against this one, cabinet by cabinet."""
    def draw(ax, c):
        for source, colour, label in ((old, "#999999", "before"), (bank, "#08306b", "after")):
            for k, style, where in ((0, "-", "grille"), (3, "--", "distance")):
                ax.semilogx(freqs, relative_db(source[table_index(c, family, 1, 1, k)], rate, freqs),
                            color=colour, ls=style, lw=1.2, label=f"{label}, {where}")
    cabinet_grid(draw, "Dynamic 57, axis 1, dust-cap centre", (-60, 15),
                 f"Earlier bank against this one ({rate / 1000:g} kHz tables, 1/12-octave smoothed)",
                 os.path.join(folder, "bank-before-after.png"))


def main():
    args = sys.argv[1:]
    old = None
    if len(args) >= 2 and args[0] == "--before":
        old = load_bank(args[1])
        args = args[2:]
    if len(args) not in (2, 3):
        sys.exit(__doc__)
    bank = load_bank(args[0])
    family = int(args[2]) if len(args) == 3 else 0
    folder = args[1]
    rate = RATES[family]
    freqs = np.geomspace(30.0, 20000.0, 600)
    os.makedirs(folder, exist_ok=True)
    plot_cabinets(bank, rate, family, freqs, folder)
    plot_microphones(bank, rate, family, freqs, folder)
    if old is not None:
        plot_before_after(old, bank, rate, family, freqs, folder)

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
        fig.savefig(os.path.join(folder, f"bank-cabinet{cabinet}.png"), pil_kwargs={"optimize": True})
        plt.close(fig)


if __name__ == "__main__":
    main()
