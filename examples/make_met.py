#!/usr/bin/env python3
"""Writes examples/met/, a few days of .stat files of the Model Evaluation Tools, and prints where.

Two models, one file each per verifying day, 1 to 5 November 2026: GLOBAL files in the layout of
MET 12 (with the FCST_UNITS and OBS_UNITS columns), REGIONAL files in the older layout without
them.  Each file holds, for the 00 and 12 UTC cycles and lead times of 12, 24, 36 and 48 hours over
CONUS:
  CTC lines of 24-h precipitation (APCP_24, A24) at five thresholds,
  SL1L2 lines of 2-m temperature (TMP, Z2),
  VL1L2 lines of 500-hPa wind (UGRD_VGRD, P500),
  PCT lines of the probability of 24-h precipitation of 2.54 mm or more (ten categories),
  and CNT lines, which kor_select does not read.
The regional model misses the 3 November 00 UTC cycle.  The values come from smooth formulas, so
the files are reproducible; examples/select/met.ctl selects two plots from them.
"""
import math
import os

HEADER_NEW = ("VERSION MODEL DESC FCST_LEAD FCST_VALID_BEG FCST_VALID_END OBS_LEAD OBS_VALID_BEG "
              "OBS_VALID_END FCST_VAR FCST_UNITS FCST_LEV OBS_VAR OBS_UNITS OBS_LEV OBTYPE VX_MASK "
              "INTERP_MTHD INTERP_PNTS FCST_THRESH OBS_THRESH COV_THRESH ALPHA LINE_TYPE")
HEADER_OLD = HEADER_NEW.replace(" FCST_UNITS", "").replace(" OBS_UNITS", "")
THRESHOLDS = [0.254, 2.54, 6.35, 12.7, 25.4]
MODELS = [("GLOBAL", "V12.0", True, 1.12), ("REGIONAL", "V10.1", False, 0.90)]

here = os.path.dirname(os.path.abspath(__file__))
folder = os.path.join(here, "met")
os.makedirs(folder, exist_ok=True)


def line(new, version, model, lead, valid, var, units, lev, obtype, thresh, obs_thresh, alpha,
         line_type, columns):
    head = [version, model, "NA", f"{lead:02d}0000", valid, valid, f"{lead:02d}0000", valid, valid,
            var] + ([units] if new else []) + [lev, var] + ([units] if new else []) + \
           [lev, obtype, "CONUS", "NEAREST", "1", thresh, obs_thresh, "NA", alpha, line_type]
    return " ".join(head + [str(c) for c in columns])


count = 0
for model, version, new, wet_bias in MODELS:
    for day in range(1, 6):
        rows = [HEADER_NEW if new else HEADER_OLD]
        for cycle in (0, 12):
            if model == "REGIONAL" and day == 3 and cycle == 0:
                continue
            valid = f"202611{day:02d}_{cycle:02d}0000"
            for lead in (12, 24, 36, 48):
                skill = 1.0 - 0.004 * lead
                for k, x in enumerate(THRESHOLDS):
                    total = 5000 + 37 * day + 11 * lead
                    o = 0.32 * math.exp(-0.11 * x) * (1 + 0.15 * math.sin(day + cycle / 10.0))
                    f = o * wet_bias * (1 + 0.001 * lead)
                    h = min(f, o) * skill * (0.80 - 0.08 * k)
                    oy = round(total * h)
                    fy = round(total * f)
                    ob = round(total * o)
                    rows.append(line(new, version, model, lead, valid, "APCP_24", "kg/m^2", "A24",
                                     "ADPSFC", f">={x}", f">={x}", "NA", "CTC",
                                     [total, oy, fy - oy, ob - oy, total - fy - ob + oy]))
                total = 800 + 9 * day + lead
                obs = 281.0 + 2.0 * math.sin(day / 2.0) + (2.5 if cycle == 12 else 0.0)
                err = (0.3 if model == "GLOBAL" else 0.5) * (0.6 + lead / 48.0)
                spread = (1.1 if model == "GLOBAL" else 1.5) + 0.02 * lead
                fc = obs + err
                rows.append(line(new, version, model, lead, valid, "TMP", "K", "Z2", "ADPSFC", "NA",
                                 "NA", "NA", "SL1L2",
                                 [total, f"{fc:.5f}", f"{obs:.5f}", f"{fc * obs + 4.0 - 0.5 * spread:.5f}",
                                  f"{fc * fc + 4.0 + 0.3 * spread:.5f}", f"{obs * obs + 4.0:.5f}", "0.95"]))
                uo, vo = 12.0 + math.cos(day), 3.0 + math.sin(day)
                uf, vf = uo + err * 0.8, vo - err * 0.3
                rows.append(line(new, version, model, lead, valid, "UGRD_VGRD", "m/s", "P500",
                                 "ADPUPA", "NA", "NA", "NA", "VL1L2",
                                 [total // 4, f"{uf:.5f}", f"{vf:.5f}", f"{uo:.5f}", f"{vo:.5f}",
                                  f"{uf * uo + vf * vo + 6.0:.5f}", f"{uf * uf + vf * vf + 9.0:.5f}",
                                  f"{uo * uo + vo * vo + 8.0:.5f}"]))
                edges = [i / 10 for i in range(11)]
                cats = []
                total = 4000 + 20 * day
                left = total
                for i in range(10):
                    n = total // 10 if i < 9 else left
                    left -= n
                    p = (i + 0.5) / 10
                    yes = round(n * min(1.0, max(0.0, p * (wet_bias ** -1) * skill)))
                    cats += [f"{edges[i]:.1f}", yes, n - yes]
                rows.append(line(new, version, model, lead, valid, "APCP_24", "kg/m^2", "A24",
                                 "ADPSFC", "==0.1", ">=2.54", "NA", "PCT",
                                 [total, 11] + cats + ["1.0"]))
                rows.append(line(new, version, model, lead, valid, "TMP", "K", "Z2", "ADPSFC", "NA",
                                 "NA", "0.05", "CNT", [total] + ["NA"] * 20))
        path = os.path.join(folder, f"{model.lower()}_202611{day:02d}.stat")
        with open(path, "w") as out:
            out.write("\n".join(rows) + "\n")
        count += 1
print("wrote", count, ".stat files to", folder)
