#!/usr/bin/env python3
"""Compares renders of the factory programs from two builds.

Both folders hold p0.wav .. p23.wav, the demo DI rendered through program
0..23 with selvarine-render (32-bit float WAV, as the tool writes it):

    for i in $(seq 0 23); do
      selvarine-render --plugin PLUGIN --program $i --tail 2 demo-di.wav DIR/p$i.wav
    done

Prints, per program, RMS and peak level (dBFS, both channels together), the
spectral centroid and the change of every octave band, and the left/right
correlation; draws the long-term spectra of both builds side by side into
OUTPUT (PNG). Documentation only; the build does not run it.

    tools/plot_programs.py <before folder> <after folder> <output.png>
"""

import os
import struct
import sys

import numpy as np
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

NAMES = ("Clean Reverb", "Single Coil Ballad Strum", "Single Coil Indie Folk", "Tight Clean", "Kick'n Clean",
         "Crack and Crunch", "Bluesy", "Swell", "Thick Clean", "Springverb", "Hollow Clean", "Vintage Combo",
         "Next Room", "Wave", "Super Over Drive", "Use Strat", "Twin with Reverb", "Stoner Age", "Killer Stroke",
         "Enslaver", "Too Big", "Stoned and Doomed", "Distant 1", "Distant 2")
OCTAVES = (63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000)
SEGMENT = 8192  # Welch segment for the long-term spectra
SMOOTHING = 1.0 / 6.0  # octaves, for the plotted spectra


def read_float_wav(path):
    """Samples (frames x channels) and rate of a 32-bit float or 16/24-bit PCM WAV file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        sys.exit(f"{path}: not a WAV file")
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = data[pos + 8:pos + 8 + size]
        if tag == b"fmt ":
            fmt = struct.unpack("<HHIIHH", body[:16])
        elif tag == b"data":
            samples = body
        pos += 8 + size + (size & 1)
    if fmt is None or samples is None:
        sys.exit(f"{path}: no fmt or data chunk")
    code, channels, rate, _, _, bits = fmt
    if code == 0xFFFE:
        code = struct.unpack("<H", data[data.index(b"fmt ") + 8 + 24:][:2])[0]
    if code == 3 and bits == 32:
        x = np.frombuffer(samples, dtype="<f4").astype(np.float64)
    elif code == 1 and bits == 16:
        x = np.frombuffer(samples, dtype="<i2") / 32768.0
    else:
        sys.exit(f"{path}: unsupported sample format {code}/{bits}")
    return x.reshape(-1, channels), rate


def long_term_spectrum(x, rate):
    """Power spectrum averaged over Hann-windowed half-overlapping segments (both channels)."""
    window = np.hanning(SEGMENT)
    power = np.zeros(SEGMENT // 2 + 1)
    count = 0
    for ch in x.T:
        for start in range(0, len(ch) - SEGMENT, SEGMENT // 2):
            power += np.abs(np.fft.rfft(ch[start:start + SEGMENT] * window)) ** 2
            count += 1
    return power / max(count, 1), np.fft.rfftfreq(SEGMENT, 1.0 / rate)


def smoothed_db(power, freqs, grid):
    """Power averaged over a sixth of an octave around each grid frequency, dB."""
    cumulative = np.concatenate(([0.0], np.cumsum(power)))
    lo = np.searchsorted(freqs, grid * 2 ** (-SMOOTHING / 2))
    hi = np.maximum(np.searchsorted(freqs, grid * 2 ** (SMOOTHING / 2)), lo + 1)
    return 10 * np.log10((cumulative[hi] - cumulative[lo]) / (hi - lo) + 1e-30)


def measure(path):
    x, rate = read_float_wav(path)
    power, freqs = long_term_spectrum(x, rate)
    rms = 10 * np.log10(np.mean(x ** 2) + 1e-30)
    peak = 20 * np.log10(np.max(np.abs(x)) + 1e-30)
    centroid = np.sum(freqs * power) / np.sum(power)
    octaves = [10 * np.log10(power[(freqs >= f / np.sqrt(2)) & (freqs < f * np.sqrt(2))].sum() + 1e-30)
               for f in OCTAVES]
    correlation = np.corrcoef(x[:, 0], x[:, 1])[0, 1] if x.shape[1] == 2 and np.std(x[:, 1]) > 0 else 1.0
    return {"rms": rms, "peak": peak, "centroid": centroid, "octaves": np.array(octaves),
            "power": power, "freqs": freqs, "correlation": correlation}


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    before_dir, after_dir, output = sys.argv[1:]
    rows = []
    header = "| # | Program | RMS dBFS before → after | Peak dBFS before → after | Centroid Hz before → after | " \
             "Octave change dB, " + " ".join(f"{f}" for f in OCTAVES) + " Hz | L/R correlation before → after |"
    print(header)
    print("|" + "---|" * 7)
    fig, axes = plt.subplots(4, 6, figsize=(20, 12), dpi=90, sharex=True, sharey=True)
    for i, name in enumerate(NAMES):
        b = measure(os.path.join(before_dir, f"p{i}.wav"))
        a = measure(os.path.join(after_dir, f"p{i}.wav"))
        change = a["octaves"] - b["octaves"]
        print(f"| {i} | {name} | {b['rms']:.1f} → {a['rms']:.1f} | {b['peak']:.1f} → {a['peak']:.1f} | "
              f"{b['centroid']:.0f} → {a['centroid']:.0f} | " + " ".join(f"{c:+.1f}" for c in change) +
              f" | {b['correlation']:.2f} → {a['correlation']:.2f} |")
        rows.append((b, a))
        ax = np.ravel(axes)[i]
        grid = np.geomspace(30.0, 20000.0, 400)
        before_curve = smoothed_db(b["power"], b["freqs"], grid)
        reference = before_curve.max()
        for curve, colour, label in ((before_curve, "#999999", "before"),
                                     (smoothed_db(a["power"], a["freqs"], grid), "#08306b", "after")):
            ax.semilogx(grid, curve - reference, color=colour, lw=1.0, label=label)
        ax.set_title(f"{i} {name}", fontsize=8)
        ax.set_xlim(30, 20000)
        ax.set_ylim(-70, 10)
        ax.grid(True, which="both", alpha=0.3)
    np.ravel(axes)[0].legend(fontsize=8, loc="lower left")
    for ax in axes[-1]:
        ax.set_xlabel("Hz")
    for ax in axes[:, 0]:
        ax.set_ylabel("dB")
    fig.suptitle("Factory programs: long-term spectra of the demo DI, earlier bank (grey) and this one "
                 "(1/6-octave smoothed, each pair relative to the earlier maximum)")
    fig.tight_layout()
    fig.savefig(output, pil_kwargs={"optimize": True})
    plt.close(fig)
    rms_change = np.array([a["rms"] - b["rms"] for b, a in rows])
    print(f"\nRMS change: median {np.median(rms_change):+.1f} dB, range {rms_change.min():+.1f} .. "
          f"{rms_change.max():+.1f} dB; highest peak after {max(a['peak'] for _, a in rows):.1f} dBFS")


if __name__ == "__main__":
    main()
