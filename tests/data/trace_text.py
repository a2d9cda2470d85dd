"""Pieces of the trace data file's text shared by the test data generators of tests/data."""
import math


def fortran_e(v, w, d, letter="E"):
    """v as a formatted write's Ew.d (or Dw.d with letter "D") writes it."""
    if v == 0:
        text = "0." + "0" * d + letter + "+00"
    else:
        e = math.floor(math.log10(abs(v))) + 1
        digits = round(abs(v) / 10 ** e * 10 ** d)
        if digits >= 10 ** d:
            digits //= 10
            e += 1
        text = ("-" if v < 0 else "") + "0." + str(digits).zfill(d) + letter + \
            ("-" if e < 0 else "+") + str(abs(e)).zfill(2)
    return text.rjust(w)


def group(lines, trace, field, kind, records, plot, ptype):
    """Appends a condition group to `lines`: its header of seven integers, then its records."""
    lines.append(f"{trace:4d}{field:4d}{kind:3d}{0:3d}{len(records):4d}{plot:4d}{ptype:3d}")
    for r in records:
        lines.append(" ".join(str(x) for x in r))
