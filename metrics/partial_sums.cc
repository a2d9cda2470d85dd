// Scalar and vector partial-sum scores: means of forecast, observation, their product and squares.
#include <cmath>
#include <initializer_list>

#include "metrics/internal.h"
#include "metrics/metrics.h"

namespace kor::metrics {
namespace {

using internal::each;
using internal::fail;

// The sample's N and the means Fk / N of fields 2..8 (index k), or false when N is unusable or 0,
// or one of the named fields is unusable.
struct Means {
  double n;
  double m[10];
};

inline bool load(const SumsView& in, int s, std::initializer_list<int> fields, Means& x) {
  x.n = in.F(1, s);
  if (!usable(x.n) || x.n == 0) return false;
  for (int k : fields) {
    const double v = in.F(k, s);
    if (!usable(v)) return false;
    x.m[k] = v / x.n;
  }
  return true;
}

template <class G>
int means_each(const SumsView& in, double missing, Output& out, std::initializer_list<int> fields,
               G&& g) {
  int top = 1;
  for (int k : fields) top = k > top ? k : top;
  if (in.fields < top) return fail(kBadDepth, in, missing, out);
  return each(in, missing, out, [&](int s) {
    Means x;
    return load(in, s, fields, x) ? g(x) : missing;
  });
}

// sqrt, or missing for a negative argument.
inline double root(double v, double missing) { return v >= 0 ? std::sqrt(v) : missing; }

// Ensemble spread consistency index; fo, ff, oo at fields a, a+1, a+2 and the spread at a+3.
int esci(int a, int m, const SumsView& in, double missing, Output& out) {
  if (m + 1 == 0) {
    // The size factor m / (m + 1) has no value: every sample is missing.
    return means_each(in, missing, out, {a, a + 1, a + 2, a + 3},
                      [&](const Means&) { return missing; });
  }
  const double factor = static_cast<double>(m) / (m + 1);
  return means_each(in, missing, out, {a, a + 1, a + 2, a + 3}, [&](const Means& x) {
    const double spread = x.m[a + 3];
    if (!(spread > 0)) return missing;
    return (x.m[a + 1] + x.m[a + 2] - 2 * x.m[a]) * factor / spread;
  });
}

}  // namespace

int scalar_partial(Scalar stat, const SumsView& in, double missing, Output& out) {
  // f = m[2], o = m[3], fo = m[4], ff = m[5], oo = m[6]
  switch (stat) {
    case Scalar::kMeanError:
      return means_each(in, missing, out, {2, 3}, [&](const Means& x) { return x.m[2] - x.m[3]; });
    case Scalar::kRmse:
      return means_each(in, missing, out, {4, 5, 6}, [&](const Means& x) {
        return root(x.m[5] + x.m[6] - 2 * x.m[4], missing);
      });
    case Scalar::kCorrelation:
      return means_each(in, missing, out, {2, 3, 4, 5, 6}, [&](const Means& x) {
        const double vf = x.m[5] - x.m[2] * x.m[2];
        const double vo = x.m[6] - x.m[3] * x.m[3];
        const double d = (vf > 0 ? std::sqrt(vf) : 0) * (vo > 0 ? std::sqrt(vo) : 0);
        return d != 0 ? (x.m[4] - x.m[2] * x.m[3]) / d : missing;
      });
    case Scalar::kCovariance:
      return means_each(in, missing, out, {2, 3, 4},
                        [&](const Means& x) { return x.m[4] - x.m[2] * x.m[3]; });
    case Scalar::kForecastVariance:
      return means_each(in, missing, out, {2, 5},
                        [&](const Means& x) { return x.m[5] - x.m[2] * x.m[2]; });
    case Scalar::kObservedVariance:
      return means_each(in, missing, out, {3, 6},
                        [&](const Means& x) { return x.m[6] - x.m[3] * x.m[3]; });
    case Scalar::kForecastSd:
      return means_each(in, missing, out, {2, 5},
                        [&](const Means& x) { return root(x.m[5] - x.m[2] * x.m[2], missing); });
    case Scalar::kObservedSd:
      return means_each(in, missing, out, {3, 6},
                        [&](const Means& x) { return root(x.m[6] - x.m[3] * x.m[3], missing); });
    case Scalar::kErrorSd:
      return means_each(in, missing, out, {2, 3, 4, 5, 6}, [&](const Means& x) {
        const double f = x.m[2], o = x.m[3];
        return root(x.m[5] - f * f + x.m[6] - o * o - 2 * (x.m[4] - f * o), missing);
      });
  }
  return fail(kBadOption, in, missing, out);
}

int scalar_esci(int m, const SumsView& in, double missing, Output& out) {
  return esci(4, m, in, missing, out);
}

int vector_partial(Vector stat, const SumsView& in, double missing, Output& out) {
  // uf = m[2], vf = m[3], uo = m[4], vo = m[5], fo = m[6], ff = m[7], oo = m[8]
  switch (stat) {
    case Vector::kSpeedBias:
      return means_each(in, missing, out, {7, 8}, [&](const Means& x) {
        return x.m[7] >= 0 && x.m[8] >= 0 ? std::sqrt(x.m[7]) - std::sqrt(x.m[8]) : missing;
      });
    case Vector::kRmse:
      return means_each(in, missing, out, {6, 7, 8}, [&](const Means& x) {
        return root(x.m[7] + x.m[8] - 2 * x.m[6], missing);
      });
    case Vector::kCorrelation:
      return means_each(in, missing, out, {2, 3, 4, 5, 6, 7, 8}, [&](const Means& x) {
        const double vf = x.m[7] - x.m[2] * x.m[2] - x.m[3] * x.m[3];
        const double vo = x.m[8] - x.m[4] * x.m[4] - x.m[5] * x.m[5];
        const double d = (vf > 0 ? std::sqrt(vf) : 0) * (vo > 0 ? std::sqrt(vo) : 0);
        return d != 0 ? (x.m[6] - x.m[2] * x.m[4] - x.m[3] * x.m[5]) / d : missing;
      });
    case Vector::kCovariance:
      return means_each(in, missing, out, {2, 3, 4, 5, 6},
                        [&](const Means& x) { return x.m[6] - x.m[2] * x.m[4] - x.m[3] * x.m[5]; });
    case Vector::kForecastVariance:
      return means_each(in, missing, out, {2, 3, 7},
                        [&](const Means& x) { return x.m[7] - x.m[2] * x.m[2] - x.m[3] * x.m[3]; });
    case Vector::kObservedVariance:
      return means_each(in, missing, out, {4, 5, 8},
                        [&](const Means& x) { return x.m[8] - x.m[4] * x.m[4] - x.m[5] * x.m[5]; });
    case Vector::kForecastSd:
      return means_each(in, missing, out, {2, 3, 7}, [&](const Means& x) {
        return root(x.m[7] - x.m[2] * x.m[2] - x.m[3] * x.m[3], missing);
      });
    case Vector::kObservedSd:
      return means_each(in, missing, out, {4, 5, 8}, [&](const Means& x) {
        return root(x.m[8] - x.m[4] * x.m[4] - x.m[5] * x.m[5], missing);
      });
    case Vector::kUBias:
      return means_each(in, missing, out, {2, 4}, [&](const Means& x) { return x.m[2] - x.m[4]; });
    case Vector::kVBias:
      return means_each(in, missing, out, {3, 5}, [&](const Means& x) { return x.m[3] - x.m[5]; });
    case Vector::kBiasMagnitude:
      return means_each(in, missing, out, {2, 3, 4, 5}, [&](const Means& x) {
        if (!(x.n > 0)) return missing;
        const double du = x.m[2] - x.m[4], dv = x.m[3] - x.m[5];
        return std::sqrt(du * du + dv * dv);
      });
    case Vector::kErrorSd:
      return means_each(in, missing, out, {2, 3, 4, 5, 6, 7, 8}, [&](const Means& x) {
        const double uf = x.m[2], vf = x.m[3], uo = x.m[4], vo = x.m[5];
        return root(x.m[7] - uf * uf - vf * vf + x.m[8] - uo * uo - vo * vo -
                        2 * (x.m[6] - uf * uo - vf * vo),
                    missing);
      });
  }
  return fail(kBadOption, in, missing, out);
}

int vector_esci(int m, const SumsView& in, double missing, Output& out) {
  return esci(6, m, in, missing, out);
}

}  // namespace kor::metrics
