#!/usr/bin/env python3
"""Writes examples/records/, a small archive of verification records, and prints where.

One file per verifying day, 1 to 7 November 2026, with the records of two models (GLOBAL and
REGIONAL) at the 00 and 12 UTC cycles, forecast hours 12, 24, 36 and 48, and three regions
(CONUS, EAST, WEST):
  FHO records of 24-h precipitation (APCP/24) at five thresholds, and
  SL1L2 records of 2-m temperature (T at Z 2),
one record per text line as docs/record-format.md describes.  The regional model misses the
4 November 00 UTC cycle.  The values come from smooth formulas, so the files are reproducible;
examples/select/records.ctl selects three plots from them.
"""
import math
import os

MODELS = [("GLOBAL", 1.10, 0.25), ("REGIONAL", 0.92, 0.40)]  # FHO bias, 2-m temperature bias
HOURS = [12, 24, 36, 48]
REGIONS = [("CONUS", 1.0), ("EAST", 1.3), ("WEST", 0.7)]
THRESHOLDS = [0.254, 2.54, 6.35, 12.7, 25.4]

here = os.path.dirname(os.path.abspath(__file__))
folder = os.path.join(here, "records")
os.makedirs(folder, exist_ok=True)
for day in range(1, 8):
    lines = [f"# verification records valid on 2026-11-{day:02d}"]
    for cycle in (0, 12):
        time = f"202611{day:02d}{cycle:02d}"
        for model, fho_bias, t_bias in MODELS:
            if model == "REGIONAL" and day == 4 and cycle == 0:
                continue
            for hour in HOURS:
                for region, wet in REGIONS:
                    for k, x in enumerate(THRESHOLDS):
                        n = 4000 + 97 * day + 13 * hour + 400 * k
                        o = wet * 0.30 * math.exp(-0.12 * x) * (1 + 0.2 * math.sin(day + cycle / 12.0))
                        f = o * fho_bias * (1 + 0.002 * hour) * (1 + 0.05 * math.cos(day / 2.0 + cycle / 40.0))
                        h = min(f, o) * (0.78 - 0.07 * k - 0.002 * hour)
                        lines.append(f"V01 {model} {hour} - {time} - - ADPSFC {region} FHO >{x} "
                                     f"APCP/24 SFC 0 - = {n} {f:.6f} {h:.6f} {o:.6f}")
                    n = 900 + 11 * day + hour
                    obs = 281.0 + 2.0 * math.sin(day / 2.0) + (3.0 if cycle == 12 else 0.0) - 2 * wet
                    err = t_bias * (0.5 + hour / 48.0)
                    spread = (1.0 if model == "GLOBAL" else 1.6) + 0.03 * hour + 0.1 * REGIONS.index((region, wet))
                    fc = obs + err
                    ovar, fvar = 4.0, 4.0 + 0.3 * spread
                    cov = 4.0 - 0.5 * spread
                    lines.append(f"V01 {model} {hour} - {time} - - ADPSFC {region} SL1L2 - T Z 2 - = "
                                 f"{n} {fc:.4f} {obs:.4f} {fc * obs + cov:.4f} {fc * fc + fvar:.4f} "
                                 f"{obs * obs + ovar:.4f}")
    path = os.path.join(folder, f"202611{day:02d}.rec")
    with open(path, "w") as out:
        out.write("\n".join(lines) + "\n")
print("wrote", len(os.listdir(folder)), "record files to", folder)
