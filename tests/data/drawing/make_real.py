#!/usr/bin/env python3
"""Writes real.trc, the trace data file of the drawing end-to-end tests: plots as forecasters make
them, with the awkward values that real data brings.  Every trace is SL1L2 with field 2 (the
forecast mean, op code 2) carrying the plotted value v as N x v, so the values below are exactly
what a plot of op code 2 shows.

Plot 1: time series (type 1), 24 traces over 30 days of November 2026, values between -4 and -2.
Plot 2: time series, 2 traces over 30 days: -0.6 in single precision (its last bits alternate, as
        a constant score computed from two traces does), and a constant 0.
Plot 3: time series, 2 traces over 30 days, values from 1 to 1e5 (a logarithmic axis).
Plot 4: time series, 2 traces over 30 days, values near 1e-6.
Plot 5: time series, 1 trace over 7 days.
Plot 6: time series, 1 trace of one point.
Plot 7: time series, 1 trace over a season (1 December 2026 to 28 February 2027).
Plot 8: time series, 3 traces over 10 days: a good one, one whose counts are -9999 (written as data)
        and one whose values are all missing.
Plot 9: skill-score plot (type 3) of 2 traces against forecast hour, one trace constant -0.6.
"""
import datetime
import functools
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import trace_text  # noqa: E402
from trace_text import fortran_e  # noqa: E402


header, body = [], []
group = functools.partial(trace_text.group, header)


def days(start, count):
    return [start + datetime.timedelta(days=i) for i in range(count)]


def series(plot, traces, dates, ptype=1):
    """traces: list of (trace number, model, values, counts); values None for missing."""
    first, last = dates[0].strftime("%Y%m%d00"), dates[-1].strftime("%Y%m%d00")
    for t, model, _, _ in traces:
        group(t, 2, 0, [(1, model, 0, 0, 0)], plot, ptype)
        group(t, 10, 0, [(10, 0, 0, "SL1L2", 0)], plot, ptype)
        group(t, 12, 0, [(10, 0, 0, "T", 0)], plot, ptype)
        group(t, 5, 1, [(5, first, last, 0, 0)], plot, ptype)
    for t, _, values, counts in traces:
        rows = []
        for d, v, n in zip(dates, values, counts):
            label = d.strftime("%Y%m%d") + "1200"
            if v is None:
                fields = [-1.0e31] * 6
            else:
                fields = [n, n * v, n * v, n * v * v, n * v * v, n * v * v]
            rows.append((label.ljust(24), fields))
        body.append(f"{t} 6 {len(rows)} c F")
        for label, fields in rows:
            body.append(label + "".join(fortran_e(f, 20, 12, "D") for f in fields))


nov = days(datetime.datetime(2026, 11, 1), 30)
series(1, [(100 + k, f"M{k + 1:02d}", [-3 + math.sin(d / 4 + k) for d in range(30)], [100] * 30)
           for k in range(24)], nov)
series(2, [(201, "FLAT", [-0.6 * (1 + 1.5e-7 * (-1) ** d) for d in range(30)], [100] * 30), (202, "ZERO", [0.0] * 30, [100] * 30)], nov)
series(3, [(301, "RAIN", [10 ** (5 * d / 29) for d in range(30)], [100] * 30),
           (302, "SNOW", [3 * 10 ** (4 * d / 29) for d in range(30)], [100] * 30)], nov)
series(4, [(401, "TRACE", [1e-6 * (0.8 + 0.5 * d / 29) for d in range(30)], [100] * 30),
           (402, "OTHER", [1e-6 * (0.9 + 0.3 * math.sin(d)) for d in range(30)], [100] * 30)], nov)
week = days(datetime.datetime(2026, 11, 1), 7)
series(5, [(501, "WEEK", [1 + 0.1 * d for d in range(7)], [100] * 7)], week)
series(6, [(601, "ONE", [1.5], [100])], days(datetime.datetime(2026, 11, 14), 1))
season = days(datetime.datetime(2026, 12, 1), 90)
series(7, [(701, "SEASON", [1 + 0.2 * math.sin(d / 9) for d in range(90)], [100] * 90)], season)
ten = days(datetime.datetime(2026, 11, 1), 10)
series(8, [(801, "GOOD", [0.5 + 0.05 * d for d in range(10)], [100] * 10),
           (802, "NEGATIVE", [0.5] * 10, [-9999] * 10),
           (803, "EMPTY", [None] * 10, [100] * 10)], ten)

# Plot 9: skill score against forecast hour.
hours = [12, 24, 36, 48]
for t, model in ((901, "FLAT"), (902, "RISING")):
    group(t, 2, 0, [(1, model, 0, 0, 0)], 9, 3)
    group(t, 10, 0, [(10, 0, 0, "SL1L2", 0)], 9, 3)
    group(t, 12, 0, [(10, 0, 0, "T", 0)], 9, 3)
    group(t, 3, 1, [(1, h, 0, 0, 0) for h in hours], 9, 3)
for t, values in ((901, [-0.6] * 4), (902, [0.1 * h for h in hours])):
    body.append(f"{t} 6 {len(hours)} r F")
    for h, v in zip(hours, values):
        n = 100
        fields = [n, n * v, n * v, n * v * v, n * v * v, n * v * v]
        body.append(fortran_e(h, 24, 7) + "".join(fortran_e(f, 20, 12, "D") for f in fields))

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "real.trc")
with open(path, "w", encoding="latin-1", newline="\n") as out:
    out.write("\n".join(header + ["EOCF"] + body) + "\n")
print("wrote", path)
