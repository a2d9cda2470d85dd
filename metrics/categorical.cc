// 2x2 (FHO) scores: N = F1, F2 forecast events, F3 hits, F4 observed events.
#include <array>
#include <cmath>
#include <string_view>

#include "metrics/internal.h"
#include "metrics/metrics.h"

namespace kor::metrics {
namespace {

using internal::each;
using internal::fail;
using internal::to_float;

// The four fields of one sample, or false when any is unusable.
struct Fho {
  double n, f, h, o;
};

inline bool load(const SumsView& in, int s, Fho& x) {
  x.n = in.F(1, s);
  x.f = in.F(2, s);
  x.h = in.F(3, s);
  x.o = in.F(4, s);
  return usable(x.n) && usable(x.f) && usable(x.h) && usable(x.o);
}

struct FhoF {
  float n, f, h, o;
};

inline bool load_single(const SumsView& in, int s, FhoF& x) {
  Fho d;
  if (!load(in, s, d)) return false;
  x = {to_float(d.n), to_float(d.f), to_float(d.h), to_float(d.o)};
  return true;
}

// Runs a formula over the four fields; g(const Fho&) returns the missing value where it has none.
template <class G>
int fho_each(const SumsView& in, double missing, Output& out, G&& g) {
  if (in.fields < 4) return fail(kBadDepth, in, missing, out);
  return each(in, missing, out, [&](int s) {
    Fho x;
    return load(in, s, x) ? g(x) : missing;
  });
}

template <class G>
int fho_each_single(const SumsView& in, double missing, Output& out, G&& g) {
  if (in.fields < 4) return fail(kBadDepth, in, missing, out);
  return each(in, missing, out, [&](int s) {
    FhoF x;
    return load_single(in, s, x) ? g(x) : missing;
  });
}

constexpr std::array<std::string_view, 17> kBenchmarkLabels = {
    "POD_CPR", "EDS_CPR",    "TSS_CPR",     "PC_CPR",     "POFD_CPR",   "FAR_CPR",
    "TS_CPR",  "ETS_CPR",    "HSS_CPR",     "CSS_CPR",    "ORSS_CPR",   "CMR_CPR",
    "PA_CPR",  "TSDHDF_CPR", "ETSDHDF_CPR", "TSDHDA_CPR", "ETSDHDA_CPR"};

}  // namespace

int frequency_bias(const SumsView& in, double missing, Output& out) {
  return fho_each(in, missing, out, [&](const Fho& x) { return x.o != 0 ? x.f / x.o : missing; });
}

int skill_score(int option, const SumsView& in, double missing, Output& out) {
  switch (option) {
    case 0:  // equitable threat score
      return fho_each(in, missing, out, [&](const Fho& x) {
        if (x.n == 0) return missing;
        const double r = x.f * x.o / x.n;
        const double d = x.f + x.o - x.h - r;
        return d != 0 ? (x.h - r) / d : missing;
      });
    case 1:  // Heidke
      return fho_each(in, missing, out, [&](const Fho& x) {
        const double u = x.n * x.h - x.f * x.o;
        const double d = (x.f + x.o) * x.n - 2 * x.o * x.f;
        return d != 0 ? 2 * u / d : missing;
      });
    case 2:  // Peirce
      return fho_each(in, missing, out, [&](const Fho& x) {
        const double u = x.n * x.h - x.f * x.o;
        const double d = (x.n - x.o) * x.o;
        return d != 0 ? u / d : missing;
      });
    default:
      return fail(kBadOption, in, missing, out);
  }
}

int threat_score(const SumsView& in, double missing, Output& out) {
  return fho_each(in, missing, out, [&](const Fho& x) {
    const double d = x.o + x.f - x.h;
    return d != 0 ? x.h / d : missing;
  });
}

int false_alarm(int option, const SumsView& in, double missing, Output& out) {
  switch (option) {
    case 0:
      return fho_each(in, missing, out,
                      [&](const Fho& x) { return x.f != 0 ? 1 - x.h / x.f : missing; });
    case 1:
      return fho_each(in, missing, out, [&](const Fho& x) {
        return x.n - x.o > 0 ? (x.f - x.h) / (x.n - x.o) : missing;
      });
    case 2:
      return fho_each(in, missing, out, [&](const Fho& x) {
        return x.n - x.f > 0 ? (x.o - x.h) / (x.n - x.f) : missing;
      });
    default:
      return fail(kBadOption, in, missing, out);
  }
}

int post_agreement(const SumsView& in, double missing, Output& out) {
  return fho_each(in, missing, out, [&](const Fho& x) { return x.f != 0 ? x.h / x.f : missing; });
}

int detection_probability(const SumsView& in, double missing, Output& out) {
  return fho_each(in, missing, out, [&](const Fho& x) { return x.o != 0 ? x.h / x.o : missing; });
}

namespace {

// Odds ratio of one sample; false when the denominator is 0.
inline bool odds(const Fho& x, double& r) {
  const double w = (x.f - x.h) * (x.o - x.h);
  if (w == 0) return false;
  r = (x.n - x.f - x.o + x.h) * x.h / w;
  return true;
}

// Standard error of ln OR; false outside its conditions.
inline bool log_odds_stderr(const Fho& x, double& se) {
  const double a = x.h;
  if (!(a > 5 && a < x.o && x.f > a && x.n + a > x.f + x.o)) return false;
  const double c = x.n - x.f - x.o + a;
  se = std::sqrt(1 / c + 1 / a + 1 / (x.f - a) + 1 / (x.o - a));
  return true;
}

// ROC area from the odds ratio, minus chance; false for OR <= 0.
inline bool roc_area(double r, double& v) {
  if (!(r > 0)) return false;
  if (r == 1) {
    v = 0;
    return true;
  }
  v = r / (r - 1) * (1 - std::log(r) / (r - 1)) - 0.5;
  return true;
}

}  // namespace

int odds_ratio(int option, const SumsView& in, double missing, Output& out) {
  switch (option) {
    case 0:
      return fho_each(in, missing, out, [&](const Fho& x) {
        double r;
        return odds(x, r) ? r : missing;
      });
    case 1:
    case 4:
      return fho_each(in, missing, out, [&, cube = option == 4](const Fho& x) {
        double r;
        if (!odds(x, r) || r + 1 == 0) return missing;
        const double k = (r - 1) / (r + 1);
        return cube ? k * k * k : k;
      });
    case 2:
      return fho_each(in, missing, out, [&](const Fho& x) {
        double r;
        return odds(x, r) && r > 0 ? std::log(r) : missing;
      });
    case 3:
      return fho_each(in, missing, out, [&](const Fho& x) {
        double se;
        return log_odds_stderr(x, se) ? se : missing;
      });
    case 5:
      return fho_each(in, missing, out, [&](const Fho& x) {
        double se, r;
        if (!log_odds_stderr(x, se) || !odds(x, r) || !(r > 0)) return missing;
        return std::log(r) / se;
      });
    case 6:
    case 7:
      return fho_each(in, missing, out, [&, twice = option == 7](const Fho& x) {
        double r, v;
        if (!odds(x, r) || !roc_area(r, v)) return missing;
        return twice ? 2 * v : v;
      });
    default:
      return fail(kBadOption, in, missing, out);
  }
}

int accuracy(const SumsView& in, double missing, Output& out) {
  return fho_each(in, missing, out, [&](const Fho& x) {
    return x.n != 0 ? (2 * x.h + x.n - (x.f + x.o)) / x.n : missing;
  });
}

int extreme_dependency(int option, const SumsView& in, double missing, Output& out) {
  switch (option) {
    case 1:
      return fho_each(in, missing, out, [&](const Fho& x) {
        if (!(x.n > 0 && x.h > 0 && x.o > 0)) return missing;
        const double lh = std::log(x.h / x.n);
        return lh != 0 ? 2 * std::log(x.o / x.n) / lh - 1 : missing;
      });
    case 2:
      return fho_each(in, missing, out, [&](const Fho& x) {
        if (!(x.n > 0 && x.h > 0 && x.o > 0 && x.f > 0)) return missing;
        const double lh = std::log(x.h / x.n);
        return lh != 0 ? std::log(x.f * x.o / (x.n * x.n)) / lh - 1 : missing;
      });
    case 3:
    case 4:
      return fho_each(in, missing, out, [&, symmetric = option == 4](const Fho& x) {
        if (!(x.n > 0 && x.h > 0 && x.o > 0 && x.f > 0)) return missing;
        if (x.f == x.h || x.n == x.o) return missing;
        const double p = (x.f - x.h) / (x.n - x.o);
        const double hr = x.h / x.o;
        const double ph = p * hr;
        if (!(p > 0) || !(ph > 0)) return missing;
        const double lr = std::log(p / hr);
        if (!symmetric) {
          const double d = std::log(ph);
          return d != 0 ? lr / d : missing;
        }
        if (x.f - x.h == x.n - x.o || x.h == x.o) return missing;
        const double q = (1 - hr) / (1 - p);
        const double z = (1 - hr) * ph * (1 - p);
        if (!(q > 0) || !(z > 0)) return missing;
        const double d = std::log(z);
        return d != 0 ? (lr + std::log(q)) / d : missing;
      });
    default:
      return fail(kBadOption, in, missing, out);
  }
}

int clayton_skill(const SumsView& in, double missing, Output& out) {
  return fho_each_single(in, missing, out, [&](const FhoF& x) -> double {
    if (!(x.n > 0 && x.o > 0)) return missing;
    const float bias = x.f / x.o;
    const float l = (x.o / x.n) * bias;
    const float d = (1 - l) * bias;
    return d != 0 ? (x.h / x.o - l) / d : missing;
  });
}

int adjusted_threat_score(int option, const SumsView& in, double missing, Output& out) {
  if (option < 1 || option > 4) return fail(kBadOption, in, missing, out);
  const bool equitable = option == 2 || option == 4;
  if (option <= 2) {
    return fho_each_single(in, missing, out, [&](const FhoF& x) -> double {
      // The equitable forms also need s = 1 - F4/N, so N not 0.
      if (x.o == 0 || (equitable && x.n == 0)) return missing;
      const float b = x.f / x.o, h = x.h / x.o, s = equitable ? 1 - x.o / x.n : 0.0f;
      if (b == 0) return missing;
      const float base = 1 - h, e = 1 / b;
      if (base < 0 || (base == 0 && !(e > 0))) return missing;
      const float q = std::pow(base, e);
      if (!equitable) return 1 + q != 0 ? (1 - q) / (1 + q) : missing;
      return q + s != 0 ? (s - q) / (q + s) : missing;
    });
  }
  return fho_each_single(in, missing, out, [&](const FhoF& x) -> double {
    if (x.o == 0 || (equitable && x.n == 0)) return missing;
    const float b = x.f / x.o, h = x.h / x.o, s = equitable ? 1 - x.o / x.n : 0.0f;
    if (!(h < 1) || b - h == 0) return missing;
    const float xx = -std::log(1 - h) / (b - h);
    if (!(xx > 0)) return missing;
    const float a = lambert_w(xx) / xx;
    if (!equitable) return 1 + a != 0 ? (1 - a) / (1 + a) : missing;
    return a + s != 0 ? (s - a) / (a + s) : missing;
  });
}

int two_afc(const SumsView& in, double missing, Output& out) {
  return fho_each_single(in, missing, out, [&](const FhoF& x) -> double {
    if (!(x.n > 0 && x.o > 0)) return missing;
    const float h = x.h / x.o, b = x.o / x.n;
    const float f = (x.f / x.o - h) * b;
    const float t = 1 - b - f;  // correct negatives: 1 - (hits + misses) - false alarms
    const float u = (1 - h) * b;
    const float v = (f + t) * (b * h + u);
    return v != 0 ? (0.5f * (b * h * f + u * t) + b * h * t) / v : missing;
  });
}

std::string_view benchmark_label(int k) {
  return k >= 1 && k <= 17 ? kBenchmarkLabels[k - 1] : std::string_view();
}

int benchmark_value(int k, const SumsView& in, double missing, Output& out,
                    std::string_view* label) {
  if (k < 1 || k > 17) return fail(kBadOption, in, missing, out);
  if (label != nullptr) *label = kBenchmarkLabels[k - 1];
  return fho_each_single(in, missing, out, [&](const FhoF& x) -> double {
    if (!(x.n > 0 && x.o > 0)) return missing;
    const float b = x.o / x.n, h = x.h / x.o, B = x.f / x.o;
    float num, den;
    switch (k) {
      case 1:
      case 2:
        return 0.0;
      case 3:
        return b;
      case 4:
        return 0.5;
      case 5:
        return 1.0;
      case 6:
      case 13:
        return B > 0 ? h / B : missing;
      case 7:
        num = h, den = B + 1;
        break;
      case 8:
      case 9:
        num = h + b - 2 * b * h, den = B + 1 - 2 * b * B;
        break;
      case 10:
        num = b * b * B * B + h - 2 * b * h * B, den = (1 - b * B) * B;
        break;
      case 11:
        num = (1 - b) * (1 - h) * h, den = B - h * h - b * B * B - b * B + 2 * b * B * h;
        break;
      case 12:
        num = (1 - h) * b, den = 1 - b * B;
        break;
      case 14:
      case 15:
        if (!(B > 0 && h < 1)) return missing;
        num = std::log(1 - h) * (h - 1), den = B;
        break;
      default:  // 16, 17
        if (!(h < 1)) return missing;
        num = std::log(1 - h) * (h - 1), den = num + B - h;
        break;
    }
    return den != 0 ? num / den : missing;
  });
}

int benchmark_reference(const SumsView& in, double missing, Output& out) {
  return fho_each_single(in, missing, out, [&](const FhoF& x) -> double {
    if (!(x.n > 0 && x.o > 0)) return missing;
    const float b = x.o / x.n, B = x.f / x.o, h = x.h / x.o;
    const float d = 2 * B * (1 - b * B);
    return d != 0 ? (b * B + h - 2 * b * h * B) / d : missing;
  });
}

int field_sum(int k, const SumsView& in, double missing, Output& out) {
  if (k < 1 || k > in.fields) return fail(kBadDepth, in, missing, out);
  return each(in, missing, out, [&](int s) {
    const double v = in.F(k, s);
    return usable(v) ? v : missing;
  });
}

int field_mean(int k, const SumsView& in, double missing, Output& out) {
  if (k < 1 || k > in.fields) return fail(kBadDepth, in, missing, out);
  return each(in, missing, out, [&](int s) {
    const double n = in.F(1, s), v = in.F(k, s);
    return usable(n) && usable(v) && n != 0 ? v / n : missing;
  });
}

}  // namespace kor::metrics
