#!/usr/bin/env python3
"""Prints the figures of the cabinet bank that docs/cabinet-model.md quotes.

    tools/measure_bank.py <bank file> [family]

Third-octave bands (power averaged over the band), family 0 (88.2 kHz) unless
told otherwise:
  - level-normalised RMS difference of two cabinets over 100 Hz - 5 kHz, under
    the same microphone and placement: the mean over all pairs and settings,
    the least pair mean, and the least single setting, then every pair;
  - 100-160 Hz against 300 Hz - 3 kHz, median per cabinet;
  - 3-6.3 kHz against 0.5-2 kHz (presence) and 8-16 kHz against 1-4 kHz
    (extension) per microphone, on axis, median over cabinets and placements;
  - in sixth-octave bands: the deepest dip of a 50/50 blend of neighbouring
    placements below the mean of their magnitudes (40 Hz - 16 kHz), and the
    deepest notch at a distance (300 Hz - 3 kHz) below the mean of the bands
    within half an octave either side.
Documentation only; the build does not run it.
"""

import itertools
import os
import sys

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from plot_bank import CABINETS, MICROPHONES, RATES, load_bank, table_index  # noqa: E402

CENTRES = 1000.0 * 2.0 ** (np.arange(-17, 13) / 3.0)
FFT_SIZE = 65536


def third_octaves(table, rate):
    power = np.abs(np.fft.rfft(table, FFT_SIZE)) ** 2
    bins = np.arange(power.size) * rate / FFT_SIZE
    out = np.empty(CENTRES.size)
    for i, centre in enumerate(CENTRES):
        mask = (bins >= centre * 2 ** (-1 / 6)) & (bins < centre * 2 ** (1 / 6))
        out[i] = 10 * np.log10(power[mask].mean())
    return out


def level(bands, lo, hi):
    mask = (CENTRES >= lo * 0.99) & (CENTRES <= hi * 1.01)
    return 10 * np.log10(np.mean(10 ** (bands[mask] / 10)))


def difference(x, y):
    mask = (CENTRES >= 99.0) & (CENTRES <= 5100.0)
    d = x[mask] - y[mask]
    d -= d.mean()
    return np.sqrt(np.mean(d * d))


SIXTHS = 1000.0 * 2.0 ** (np.arange(-30, 25) / 6.0)


def sixth_octaves(power, rate):
    bins = np.arange(power.size) * rate / FFT_SIZE
    out = np.empty(SIXTHS.size)
    for i, centre in enumerate(SIXTHS):
        mask = (bins >= centre * 2 ** (-1 / 12)) & (bins < centre * 2 ** (1 / 12))
        out[i] = 10 * np.log10(power[mask].mean() + 1e-300)
    return out


def blend_and_notch(bank, family, rate):
    worst_dip = (0.0, None)
    worst_notch = (0.0, None)
    band = (SIXTHS >= 39.0) & (SIXTHS <= 16500.0)
    mids = (SIXTHS >= 290.0) & (SIXTHS <= 3100.0)
    neighbours = [(0, 1), (1, 2), (3, 4), (4, 5), (0, 3), (1, 4), (2, 5)]
    for c, m, a in itertools.product(range(1, 6), range(1, 5), (1, 2)):
        spectra = [np.fft.rfft(bank[table_index(c, family, m, a, k)], FFT_SIZE) for k in range(6)]
        for k1, k2 in neighbours:
            x, y = spectra[k1], spectra[k2]
            blend = sixth_octaves(np.abs(0.5 * (x + y)) ** 2, rate)
            mean = sixth_octaves((0.5 * (np.abs(x) + np.abs(y))) ** 2, rate)
            d = blend - mean
            i = int(np.argmin(np.where(band, d, 0.0)))
            if d[i] < worst_dip[0]:
                worst_dip = (d[i], (c, m, a, k1, k2, round(SIXTHS[i])))
        for k in (3, 4, 5):
            levels = sixth_octaves(np.abs(spectra[k]) ** 2, rate)
            for i in np.nonzero(mids)[0]:
                around = [j for j in range(i - 3, i + 4) if j != i]
                d = levels[i] - np.mean(levels[around])
                if d < worst_notch[0]:
                    worst_notch = (d, (c, m, a, k, round(SIXTHS[i])))
    print("deepest neighbour blend dip %.1f dB %s; deepest notch at a distance %.1f dB %s"
          % (worst_dip[0], worst_dip[1], worst_notch[0], worst_notch[1]))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    bank = load_bank(sys.argv[1])
    family = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    rate = RATES[family]
    bands = {}
    for c, m, a, k in itertools.product(range(1, 6), range(1, 5), (1, 2), range(6)):
        bands[c, m, a, k] = third_octaves(bank[table_index(c, family, m, a, k)], rate)
    settings = list(itertools.product(range(1, 5), (1, 2), range(6)))

    pair_means = {}
    least = (1e9, None)
    for c1, c2 in itertools.combinations(range(1, 6), 2):
        values = [difference(bands[(c1,) + s], bands[(c2,) + s]) for s in settings]
        pair_means[c1, c2] = np.mean(values)
        i = int(np.argmin(values))
        if values[i] < least[0]:
            least = (values[i], (c1, c2) + settings[i])
    print("cabinet difference 100 Hz - 5 kHz: mean %.1f dB, least pair %.1f dB, least setting %.1f dB %s"
          % (np.mean(list(pair_means.values())), min(pair_means.values()), least[0], least[1]))
    for (c1, c2), value in pair_means.items():
        print("  %d-%d %.1f" % (c1, c2, value))
    for c in range(1, 6):
        lows = [level(bands[(c,) + s], 100, 160) - level(bands[(c,) + s], 300, 3000) for s in settings]
        deep = [level(bands[(c,) + s], 50, 100) - level(bands[(c,) + s], 300, 3000) for s in settings]
        top = [level(bands[(c,) + s], 5000, 8000) - level(bands[(c,) + s], 1000, 4000) for s in settings]
        print("%-26s 100-160 Hz re mids %+.1f dB, 50-100 Hz %+.1f dB, 5-8 kHz re 1-4 kHz %+.1f dB"
              % (CABINETS[c - 1], np.median(lows), np.median(deep), np.median(top)))
    for m in range(1, 5):
        keys = [(c, m, 1, k) for c in range(1, 6) for k in range(6)]
        presence = [level(bands[key], 3000, 6300) - level(bands[key], 500, 2000) for key in keys]
        extension = [level(bands[key], 8000, 16000) - level(bands[key], 1000, 4000) for key in keys]
        print("%-12s presence %+.1f dB, extension %+.1f dB"
              % (MICROPHONES[m - 1], np.median(presence), np.median(extension)))
    blend_and_notch(bank, family, rate)


if __name__ == "__main__":
    main()
