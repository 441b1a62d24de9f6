#!/usr/bin/env python3
"""Draws the About window's 21 logo frames and writes its start chime.

Run from the project root; needs python3 and ImageMagick's `convert`.
The results are committed under resources/about/, so the build needs neither.
"""
import math
import os
import struct
import subprocess
import wave

OUT = os.path.join("resources", "about")
SIZE = 96
CENTRE = SIZE / 2
RING = 38          # radius of the ring's centre line
BLUE = "#1f4e8c"
LIGHT = "#d6e4f5"
FRAMES = 21


def ring_polygon(sweep, width=9.0):
    """Outline of the ring from twelve o'clock, clockwise over `sweep` degrees, as polygon points."""
    steps = max(2, int(sweep / 3))
    outer, inner = RING + width / 2, RING - width / 2
    pts = []
    for radius, order in ((outer, range(steps + 1)), (inner, reversed(range(steps + 1)))):
        for k in order:
            a = math.radians(sweep * k / steps - 90)
            pts.append("%.2f,%.2f" % (CENTRE + radius * math.cos(a), CENTRE + radius * math.sin(a)))
    return " ".join(pts)


def frame(i):
    """Frame i of 1..21: the ring closes over 14 frames, then the disc and the letters grow."""
    sweep = 360.0 * min(1.0, i / 14.0)
    grow = max(0.0, (i - 14) / 7.0)            # 0 .. 1 over the last seven frames
    disc = (RING - 9) * min(1.0, (i - 4) / 10.0) if i > 4 else 0
    args = ["convert", "-size", "%dx%d" % (SIZE, SIZE), "xc:none",
            "-stroke", "none", "-fill", BLUE, "-draw", "polygon " + ring_polygon(sweep)]
    if disc:
        shade = BLUE if grow > 0 else LIGHT
        args += ["-stroke", "none", "-fill", shade,
                 "-draw", "circle %.1f,%.1f %.1f,%.1f" % (CENTRE, CENTRE, CENTRE + disc, CENTRE)]
    if grow > 0:
        args += ["-fill", "white", "-font", "Liberation-Sans-Bold", "-pointsize", "%.1f" % (9 + 11 * grow),
                 "-gravity", "center", "-annotate", "+0+0", "ORV"]
    args += ["-strip", "PNG32:" + os.path.join(OUT, "logo%03d.png" % (100 + i))]
    subprocess.run(args, check=True)


def chime():
    """A soft two-note chime (a rising fifth) with bell-like decay, 16 kHz mono."""
    rate = 16000
    notes = [(0.00, 659.25), (0.16, 987.77)]   # E5, then B5
    length = 0.9
    samples = []
    for n in range(int(rate * length)):
        t = n / rate
        v = 0.0
        for start, f in notes:
            if t >= start:
                u = t - start
                env = math.exp(-4.5 * u) * min(1.0, u / 0.005)
                v += env * (math.sin(2 * math.pi * f * u) + 0.3 * math.sin(4 * math.pi * f * u)
                            + 0.1 * math.sin(6 * math.pi * f * u))
        fade = min(1.0, (length - t) / 0.05)
        samples.append(int(max(-1.0, min(1.0, 0.35 * v * fade)) * 32767))
    with wave.open(os.path.join(OUT, "start.wav"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for i in range(1, FRAMES + 1):
        frame(i)
    chime()
