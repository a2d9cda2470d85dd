#!/usr/bin/env python3
"""Writes examples/trace.ucd, the uncombined records of plot 3 of example.trc for resampling.

At each forecast hour 12..72 (abscissa points 1..6), 40 records of count 1 per model: observation
283 + 0.1 r, forecast = observation + the model's scalar bias err (0.5 + h/72) (err 0.25 for the
global model, trace 31, and 0.40 for the regional model, trace 32) plus a small spread.  The values
are the SL1L2 fields N, F, O, FO, FF, OO of one record.  Framing: each record is enclosed by its
4-byte little-endian byte count; the first record is the data depth (6).
"""
import os
import struct

PLOT, DEPTH = 3, 6


def frame(body):
    n = struct.pack("<i", len(body))
    return n + body + n


out = [frame(struct.pack("<i", DEPTH))]
for p in range(1, 7):
    h = 12.0 * p
    for r in range(40):
        o = 283.0 + 0.1 * r
        spread = 0.01 * ((r * 7) % 5 - 2)
        for trace, err in ((31, 0.25), (32, 0.40)):
            f = o + err * (0.5 + h / 72.0) + spread
            body = struct.pack("<iii", PLOT, trace, p) + struct.pack("<6d", 1.0, f, o, f * o, f * f, o * o)
            out.append(frame(body))

# Beside this script, wherever it is run from.
path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "trace.ucd")
with open(path, "wb") as fh:
    fh.write(b"".join(out))
print("wrote", path)
