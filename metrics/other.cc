// Phase, direction, S1, object, fractions-skill and paired-exceedance scores, and the percentage
// transforms of raw sums over a threshold axis.
#include <cmath>

#include "metrics/internal.h"
#include "metrics/metrics.h"

namespace kor::metrics {
namespace {

using internal::each;
using internal::fail;
using internal::to_float;

constexpr double kDegrees = 57.29578;

}  // namespace

int phase(int i, int j, bool sum, const SumsView& in, double missing, Output& out) {
  if (i < 1 || i > in.fields || j < 1 || j > in.fields) return fail(kBadDepth, in, missing, out);
  return each(in, missing, out, [&](int s) {
    const double n = in.F(1, s), fi = in.F(i, s), fj = in.F(j, s);
    if (!(usable(n) && usable(fi) && usable(fj)) || n == 0) return missing;
    const double a = fi / n, b = fj / n;
    if (sum) return a + b;
    return b != 0 ? a / b : missing;
  });
}

int direction(const SumsView& in, double missing, Output& out) {
  if (in.fields < 8) return fail(kBadDepth, in, missing, out);
  return each(in, missing, out, [&](int s) {
    const double n = in.F(1, s), f7 = in.F(7, s), f8 = in.F(8, s);
    if (!(usable(n) && usable(f7) && usable(f8)) || n == 0) return missing;
    if (f7 == 0 && f8 == 0) return 0.0;
    double d = kDegrees * std::atan2(f7 / n, f8 / n);
    if (d <= 0) d += 360;
    return d;
  });
}

int s1_score(int option, const SumsView& in, int depth, double missing, Output& out) {
  if (option < 1 || option > 3) return fail(kBadOption, in, missing, out);
  if (depth <= 10 || depth > in.fields) return fail(kBadDepth, in, missing, out);
  return each(in, missing, out, [&](int s) {
    const double n = in.F(1, s), f8 = in.F(8, s), f9 = in.F(9, s), f10 = in.F(10, s),
                 f11 = in.F(11, s);
    if (!(usable(n) && usable(f8) && usable(f9) && usable(f10) && usable(f11))) return missing;
    if (!(n > 0 && f9 > 0 && f11 > 0)) return missing;
    switch (option) {
      case 1:
        return 100 * f8 / f9;
      case 2:
        return 100 * f10 / f11;
      default:
        return 100 * (f8 + f10) / (f9 + f11);
    }
  });
}

int object_attribute(int option, const SumsView& in, int depth, double missing, Output& out) {
  if (option < 1 || option > 5) return fail(kBadOption, in, missing, out);
  if (depth >= 18 || depth > in.fields || in.fields < 16) return fail(kBadDepth, in, missing, out);
  // Numerator fields a, b (b = 0: none) and denominator field d (1 = N).
  auto ratio = [&](int a, int b, int d) {
    return each(in, missing, out, [&, a, b, d](int s) {
      const double num_a = in.F(a, s), num_b = b > 0 ? in.F(b, s) : 0.0, den = in.F(d, s);
      if (!(usable(num_a) && usable(num_b) && usable(den)) || !(den > 0)) return missing;
      return (num_a - num_b) / den;
    });
  };
  switch (option) {
    case 1:
      return ratio(10, 11, 1);
    case 2:
      return ratio(12, 0, 13);
    case 4:
      return ratio(15, 0, 13);
    case 5:
      return ratio(15, 0, 16);
    default:  // 3: direction from the observed to the forecast object, single precision
      return each(in, missing, out, [&](int s) -> double {
        const double n = in.F(1, s), f8 = in.F(8, s), f9 = in.F(9, s);
        if (!(usable(n) && usable(f8) && usable(f9)) || !(n > 0)) return missing;
        const float nf = to_float(n);
        if (nf == 0) return missing;
        float d = 57.29578f * std::atan2(to_float(f8) / nf, to_float(f9) / nf);
        if (d < 0) d += 360;
        if (d >= 360) d -= 360;
        return d;
      });
  }
}

int fractions_skill(const SumsView& in, int depth, double missing, Output& out) {
  if (depth <= 3 || depth > in.fields) return fail(kBadDepth, in, missing, out);
  return each(in, missing, out, [&](int s) {
    const double n = in.F(1, s), f2 = in.F(2, s), f3 = in.F(3, s), f4 = in.F(4, s);
    if (!(n > 0 && f2 > 0 && f3 > 0 && f4 > 0)) return missing;
    return 1 - f2 / (f3 + f4);
  });
}

int paired_exceedance(int option, const SumsView& in, double missing, Output& out) {
  static constexpr int kNum[] = {3, 5, 6, 7}, kDen[] = {4, 6, 4, 8};
  if (option < 1 || option > 4) return fail(kBadOption, in, missing, out);
  if (in.fields < 8) return fail(kBadDepth, in, missing, out);
  const int a = kNum[option - 1], b = kDen[option - 1];
  return each(in, missing, out, [&](int s) {
    const double num = in.F(a, s), den = in.F(b, s);
    if (!(usable(num) && usable(den)) || den == 0) return missing;
    return num / den;
  });
}

int percent_of_total(Percent kind, const double* thresholds, int n, double missing, Output& out) {
  const bool volume = kind == Percent::kVolume || kind == Percent::kCumulativeVolume;
  if (n < 0 || (n > 0 && out.values == nullptr) || (volume && thresholds == nullptr) ||
      (kind != Percent::kCount && kind != Percent::kCountBelow && !volume)) {
    out.min = kMinStart;
    out.max = kMaxStart;
    return kBadOption;
  }
  double* y = out.values;
  auto present = [&](double v) { return v != missing && usable(v); };

  double first = 0;  // y(f), the first present value
  bool have_first = false;
  for (int i = 0; i < n && !have_first; ++i) {
    if (present(y[i])) {
      first = y[i];
      have_first = true;
    }
  }

  // Pass 1: each point's term, in place (y(i) is not needed once term(i) is formed), and the total.
  double total = 0;
  for (int i = 0; i < n; ++i) {
    const bool last = i == n - 1;
    const double yi = y[i];
    const double next = last ? 0.0 : y[i + 1];
    if (!present(yi) || (!last && !present(next))) {
      y[i] = missing;
      continue;
    }
    const double count = last ? yi : yi - next;
    double term;
    switch (kind) {
      case Percent::kCount:
        term = count;
        break;
      case Percent::kCountBelow:
        term = last ? first : first - next;
        break;
      default: {
        const double t = thresholds[i];
        const double rad =
            last ? t * (2 * t - (n > 1 ? thresholds[i - 1] : t)) : t * thresholds[i + 1];
        if (rad < 0) {
          y[i] = missing;
          continue;
        }
        term = count * std::sqrt(rad);
        break;
      }
    }
    // The total of the "below" form is the sum of the counts; the others sum their own terms.
    total += kind == Percent::kCountBelow ? count : term;
    y[i] = term;
  }

  // Pass 2: percentages (and running sums for the cumulative form), with the range.
  internal::Writer w(missing, out);
  double running = 0;
  for (int i = 0; i < n; ++i) {
    if (!(total > 0) || y[i] == missing) {
      w.put(i, missing);
      continue;
    }
    double v = 100 * y[i] / total;
    if (kind == Percent::kCumulativeVolume) v = running += v;
    w.put(i, v);
  }
  return kOk;
}

}  // namespace kor::metrics
