#!/usr/bin/env python3
"""Writes examples/example.trc, the bundled trace data file, and examples/probability.trc, the
probabilistic traces of the attribute, ROC and CRPS reliability diagrams.

Plot 1: time series of FHO traces (24-h precipitation above 12.7 mm) for two models over November
        2026, daily verifying times; the regional model misses three days.
Plot 2: binned-data plot (type 4) of the same FHO traces against thresholds (real labels).
Plot 3: skill-score plot (type 3) of SL1L2 2-m temperature traces against forecast hour (real labels),
        the second trace with packed values.
probability.trc:
Plot 1: PBS_POP probability traces (12 categories, the default probabilities 0, .05, .15, ... .95,
        1) of the two models over five days: an attribute diagram with op code 1360 and display 6,
        a ROC diagram with op code 1362 and display 5.
Plot 2: CRPS traces (seven default cumulative levels, data depth 20) of the two models: a CRPS
        reliability diagram with op code 2307 and display 7.
The values are made up from smooth formulas so that the files are reproducible.
"""
import math


def fortran_e(v, w, d, letter="E"):
    if v == 0:
        text = "0." + "0" * d + letter + "+00"
    else:
        e = math.floor(math.log10(abs(v))) + 1
        m = abs(v) / 10 ** e
        digits = round(m * 10 ** d)
        if digits >= 10 ** d:
            digits //= 10
            e += 1
        text = ("-" if v < 0 else "") + "0." + str(digits).zfill(d) + letter + ("-" if e < 0 else "+") + str(abs(e)).zfill(2)
    return text.rjust(w)


def packed(v):
    if v == 0:
        digits, e = 0, 0
    else:
        e = math.floor(math.log10(abs(v))) + 1
        digits = round(abs(v) / 10 ** e * 10 ** 12)
        if digits >= 10 ** 12:
            digits //= 10
            e += 1
    pairs = [(digits // 100 ** (5 - i)) % 100 for i in range(6)]
    chars = [14 + p for p in pairs]
    if v < 0:
        chars[0] += 127
    chars.append(14 + (abs(e) + 127 if e < 0 else e))
    return " " + bytes(chars).decode("latin-1")


lines = []


def group(trace, field, kind, n, plot, ptype, records):
    lines.append(f"{trace:4d}{field:4d}{kind:3d}{0:3d}{n:4d}{plot:4d}{ptype:3d}")
    for r in records:
        lines.append(" ".join(str(x) for x in r))


def fho_header(plot, ptype, traces, ind):
    for t, model in traces:
        group(t, 2, 0, 1, plot, ptype, [(1, model, 0, 0, 0)])
    for t, _ in traces:
        group(t, 10, 0, 1, plot, ptype, [(10, 0, 0, "FHO", 0)])
    for t, _ in traces:
        group(t, 12, 0, 1, plot, ptype, [(10, 0, 0, "APCP/24", 0)])
    for t, _ in traces:
        group(t, 9, 0, 1, plot, ptype, [(1, "CONUS", 0, 0, 0)])
    for t, _ in traces:
        ind(t)


# Plot 1: time series.
fho_header(1, 1, [(11, "GLOBAL"), (12, "REGIONAL")],
           lambda t: group(t, 5, 1, 1, 1, 1, [(5, 2026110100, 2026113000, 0, 0)]))
# Plot 2: thresholds.
thresholds = [0.254, 2.54, 6.35, 12.7, 25.4]
fho_header(2, 4, [(21, "GLOBAL"), (22, "REGIONAL")],
           lambda t: group(t, 11, 1, len(thresholds), 2, 4, [(1, f">{x}", 0, 0, 0) for x in thresholds]))
# Plot 3: SL1L2 against forecast hour.
hours = [12, 24, 36, 48, 60, 72]
for t, model in [(31, "GLOBAL"), (32, "REGIONAL")]:
    group(t, 2, 0, 1, 3, 3, [(1, model, 0, 0, 0)])
for t in (31, 32):
    group(t, 10, 0, 1, 3, 3, [(10, 0, 0, "SL1L2", 0)])
for t in (31, 32):
    group(t, 12, 0, 1, 3, 3, [(10, 0, 0, "T", 0)])
for t in (31, 32):
    group(t, 13, 0, 1, 3, 3, [(1, "Z2", 0, 0, 0)])
for t in (31, 32):
    group(t, 3, 1, len(hours), 3, 3, [(1, h, 0, 0, 0) for h in hours])
lines.append("EOCF")


def data(trace, labels, rows, real=False, packed_values=False):
    lines.append(f"{trace} {len(rows[0])} {len(rows)} {'r' if real else 'c'} {'T' if packed_values else 'F'}")
    for label, row in zip(labels, rows):
        lab = fortran_e(label, 24, 7) if real else label.ljust(24)
        vals = "".join(packed(v) if packed_values else fortran_e(v, 20, 12, "D") for v in row)
        lines.append(lab + vals)


def fho_row(n, f, h, o):
    return [n, n * f, n * h, n * o]


# Plot 1 data: daily points; the regional model lacks 8, 9 and 20 November.
for trace, bias, skip in [(11, 1.10, set()), (12, 0.92, {8, 9, 20})]:
    labels, rows = [], []
    for day in range(1, 31):
        if day in skip:
            continue
        o = 0.06 + 0.03 * math.sin(day / 4.0)
        f = o * (bias + 0.05 * math.cos(day / 3.0))
        h = min(f, o) * (0.55 + 0.1 * math.sin(day / 5.0))
        labels.append(f"202611{day:02d}1200")
        rows.append(fho_row(9000 + 37 * day, f, h, o))
    data(trace, labels, rows)

# Plot 2 data: the whole month per threshold.
for trace, bias in [(21, 1.10), (22, 0.92)]:
    rows = []
    for k, x in enumerate(thresholds):
        o = 0.30 * math.exp(-0.12 * x)
        f = o * bias * (1.0 + 0.02 * k)
        h = min(f, o) * (0.75 - 0.08 * k)
        rows.append(fho_row(285000, f, h, o))
    data(trace, thresholds, rows, real=True)

# Plot 3 data: SL1L2 means (N, F, O, FO, FF, OO) by forecast hour.
for trace, err, pack in [(31, 0.25, False), (32, 0.40, True)]:
    rows = []
    for h in hours:
        n = 120000
        obs_mean, obs_var = 283.0, 49.0
        bias = err * (0.5 + h / 72.0)
        fmean = obs_mean + bias
        sd_err = 1.0 + h / 48.0
        ff = fmean * fmean + obs_var + sd_err ** 2 * 0.5
        oo = obs_mean * obs_mean + obs_var
        fo = fmean * obs_mean + obs_var - sd_err ** 2 * 0.25
        rows.append([n, n * fmean, n * obs_mean, n * fo, n * ff, n * oo])
    data(trace, hours, rows, real=True, packed_values=pack)

with open("example.trc", "w", encoding="latin-1", newline="\n") as out:
    out.write("\n".join(lines) + "\n")


# probability.trc: the probabilistic plots.
lines = []
CATEGORIES = 12
probabilities = [0.0, 0.05] + [0.05 + 0.1 * i for i in range(1, 10)] + [1.0]
for t, model in [(41, "GLOBAL"), (42, "REGIONAL")]:
    group(t, 2, 0, 1, 1, 4, [(1, model, 0, 0, 0)])
for t in (41, 42):
    group(t, 10, 0, 1, 1, 4, [(10, 0, 0, "PBS_POP", 0)])
for t in (41, 42):
    group(t, 12, 0, 1, 1, 4, [(10, 0, 0, "APCP/24", 0)])
for t in (41, 42):
    group(t, 5, 1, 1, 1, 4, [(5, 2026110100, 2026110500, 0, 0)])
for t, model in [(51, "GLOBAL"), (52, "REGIONAL")]:
    group(t, 2, 0, 1, 2, 4, [(1, model, 0, 0, 0)])
for t in (51, 52):
    group(t, 10, 0, 1, 2, 4, [(10, 0, 0, "CRPS", 0)])
for t in (51, 52):
    group(t, 12, 0, 1, 2, 4, [(10, 0, 0, "T", 0)])
for t in (51, 52):
    group(t, 5, 1, 1, 2, 4, [(5, 2026110100, 2026110500, 0, 0)])
lines.append("EOCF")

# PBS samples: field 1 the forecast count N, fields 2..12 the forecasts of categories 2..12,
# fields 13..24 the events of categories 1..12.  The global model is a little overconfident, the
# regional one more so.
for trace, slope, base in [(41, 0.85, 0.04), (42, 0.65, 0.09)]:
    rows = []
    for day in range(1, 6):
        n = 2000.0 + 150.0 * day
        use = [math.exp(-3.2 * p) * (1.0 + 0.1 * math.sin(day + 3 * p)) for p in probabilities]
        total = sum(use)
        forecasts = [n * u / total for u in use]
        events = [f * min(1.0, base + slope * p) for f, p in zip(forecasts, probabilities)]
        rows.append([n] + forecasts[1:] + events)
    data(trace, [float(d) for d in range(1, 6)], rows, real=True)

# CRPS samples: field 1 N, fields 2..9 and 10..17 the pair of each of the eight quantile bins (the
# observed cumulative frequency of a bin is its second field over the pair's sum), fields 18..20
# the terms of the decomposition.
centres = [0.0, 0.075, 0.175, 0.375, 0.625, 0.825, 0.925, 0.975]
for trace, power, terms in [(51, 0.9, (2.6, 3.4, 25.0)), (52, 1.35, (2.0, 3.0, 25.0))]:
    rows = []
    for day in range(1, 6):
        n = 100.0
        target = [min(0.99, max(0.01, (c if c > 0 else 0.02) ** power)) for c in centres]
        lo = [n * (1.0 - t) for t in target]
        hi = [n * t for t in target]
        rows.append([n] + lo + hi + list(terms))
    data(trace, [float(d) for d in range(1, 6)], rows, real=True)

with open("probability.trc", "w", encoding="latin-1", newline="\n") as out:
    out.write("\n".join(lines) + "\n")
