#!/usr/bin/env python3
"""Writes codes.trc, the trace data file of tests/e2e/kor_driver_codes_e2e_test.cc.

Plot 1: time series (type 1) of VL1L2 traces: trace 11 over three days, trace 12 over the first two
        days only (a pair of traces whose point counts differ).
Plot 2: binned-data plot (type 4) of one VL1L2 trace against two thresholds (real labels).
Plot 3: binned-data plot (type 4) of one FHO trace against four thresholds (x-axis field ID 11).
Every data value is a count-weighted sum: field k = N x (mean of data value k).  The means are
listed here so that the expected scores can be worked out by hand from them.
"""
import functools
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import trace_text  # noqa: E402
from trace_text import fortran_e  # noqa: E402


lines = []
group = functools.partial(trace_text.group, lines)


# Means per point: N, then uf vf uo vo fo ff oo (VL1L2) or F H O as counts (FHO, N-weighted
# fractions: the counts are given directly).
vl_series = {
    11: [("202611011200", 10, [3, 4, 1, 2, 12, 30, 9]),
         ("202611021200", 20, [1, 1, 2, 0, 3, 6, 5]),
         ("202611031200", 10, [0, 0, 0, 0, 0, 0, 0])],
    12: [("202611011200", 10, [3, 4, 1, 2, 12, 30, 9]),
         ("202611021200", 20, [1, 1, 2, 0, 3, 6, 5])],
}
vl_bins = [(5.0, 4, [2, 0, 1, 1, 2, 5, 3]), (10.0, 8, [-1, 2, 0, 1, 4, 9, 1])]
fho_counts = [(1.0, 100, [30, 10, 20]), (2.0, 100, [40, 10, 20]), (3.0, 100, [10, 0, 5]),
              (4.0, 100, [8, 4, 6])]

for t, model in ((11, "GLOBAL"), (12, "REGIONAL")):
    group(t, 2, 0, [(1, model, 0, 0, 0)], 1, 1)
    group(t, 10, 0, [(10, 0, 0, "VL1L2", 0)], 1, 1)
    group(t, 12, 0, [(10, 0, 0, "WIND/10M", 0)], 1, 1)
    group(t, 5, 1, [(5, 2026110100, 2026110300, 0, 0)], 1, 1)
group(21, 10, 0, [(10, 0, 0, "VL1L2", 0)], 2, 4)
group(21, 12, 0, [(10, 0, 0, "WIND/10M", 0)], 2, 4)
group(21, 11, 1, [(1, f">{x}", 0, 0, 0) for x, _, _ in vl_bins], 2, 4)
group(31, 10, 0, [(10, 0, 0, "FHO", 0)], 3, 4)
group(31, 12, 0, [(10, 0, 0, "APCP/24", 0)], 3, 4)
group(31, 11, 1, [(1, f">{x}", 0, 0, 0) for x, _, _ in fho_counts], 3, 4)
lines.append("EOCF")


def values(n, means):
    return fortran_e(n, 20, 12, "D") + "".join(fortran_e(n * m, 20, 12, "D") for m in means)


for t, points in vl_series.items():
    lines.append(f"{t} 8 {len(points)} c F")
    for label, n, means in points:
        lines.append(label.ljust(24) + values(n, means))
lines.append(f"21 8 {len(vl_bins)} r F")
for x, n, means in vl_bins:
    lines.append(fortran_e(x, 24, 7) + values(n, means))
lines.append(f"31 4 {len(fho_counts)} r F")
for x, n, counts in fho_counts:
    lines.append(fortran_e(x, 24, 7) + fortran_e(n, 20, 12, "D") +
                 "".join(fortran_e(c, 20, 12, "D") for c in counts))

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "codes.trc"), "w") as f:
    f.write("\n".join(lines) + "\n")
