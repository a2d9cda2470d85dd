// Probability and multi-category scores: Brier family, risk categories, threshold 2x2 tables,
// ranked probability family, forecast-interval fractions and the CRPS decomposition.
#include <cmath>

#include "metrics/internal.h"
#include "metrics/metrics.h"

namespace kor::metrics {
namespace {

using internal::each;
using internal::fail;
using internal::to_float;
using internal::usable_to;

// Fields 1..depth usable and N > 0.
inline bool sample_ok(const SumsView& in, int depth, int s) {
  return usable_to(in, depth, s) && in.F(1, s) > 0;
}

inline bool depth_ok(const SumsView& in, int depth, int least) {
  return depth >= least && depth <= in.fields;
}

// Sum of fields a..b of sample s.
inline double field_sum_range(const SumsView& in, int a, int b, int s) {
  double t = 0;
  for (int k = a; k <= b; ++k) t += in.F(k, s);
  return t;
}

// Forecast count of category j (1..K).
inline double category_count(const SumsView& in, int K, int j, int s) {
  return j == 1 ? in.F(1, s) - field_sum_range(in, 2, K, s) : in.F(j, s);
}

// Runs g(s) over the samples whose fields 1..depth are usable and whose N is positive.
template <class G>
int cpb_each(const SumsView& in, int depth, double missing, Output& out, G&& g) {
  return each(in, missing, out, [&](int s) { return sample_ok(in, depth, s) ? g(s) : missing; });
}

}  // namespace

int brier(int option, const SumsView& in, int depth, const float* p, int count, double missing,
          Output& out) {
  if (option != 0 && option != 1) return fail(kBadOption, in, missing, out);
  if (!depth_ok(in, depth, 2)) return fail(kBadDepth, in, missing, out);
  const int K = depth / 2;
  if (p == nullptr || count < K) return fail(kBadDepth, in, missing, out);
  if (option == 0) {
    return cpb_each(in, depth, missing, out, [&](int s) {
      const double n = in.F(1, s);
      double sum = 0;
      bool any = false;
      for (int j = 1; j <= K; ++j) {
        const double c = category_count(in, K, j, s);
        if (!(c > 0)) continue;
        any = true;
        const double o = in.F(K + j, s) / c;
        const double pj = p[j - 1];
        sum += (c / n) * (pj * pj - 2 * pj * o + o);
      }
      return any ? sum : missing;
    });
  }
  return cpb_each(in, depth, missing, out, [&](int s) {
    const double n = in.F(1, s);
    double sum = 0;
    int empty = 0;
    for (int j = 1; j <= K; ++j) {
      const double w = category_count(in, K, j, s) / n;
      if (!(w > 0)) {
        ++empty;
        continue;
      }
      const double pj = p[j - 1];
      sum += w * (pj - pj * pj);
    }
    if (empty == K) return missing;
    return empty > 0 ? 0.0 : sum;
  });
}

int risk_probability(int i, const SumsView& in, int depth, double missing, Output& out) {
  if (!depth_ok(in, depth, 2)) return fail(kBadDepth, in, missing, out);
  const int K = depth / 2;
  if (i < 1 || i > K) return fail(kBadOption, in, missing, out);
  return cpb_each(in, depth, missing, out, [&](int s) {
    const double c = category_count(in, K, i, s);
    return c != 0 ? in.F(K + i, s) / c : missing;
  });
}

int brier_decomposition(int option, const SumsView& in, int depth, const float* p, int count,
                        double missing, Output& out) {
  if (option < 1 || option > 4) return fail(kBadOption, in, missing, out);
  if (!depth_ok(in, depth, 2)) return fail(kBadDepth, in, missing, out);
  const int K = depth / 2;
  if (p == nullptr || count != K) return fail(kBadDepth, in, missing, out);
  return cpb_each(in, depth, missing, out, [&](int s) {
    const double n = in.F(1, s);
    double rel = 0, res = 0, obar = 0;
    bool any = false;
    for (int j = 1; j <= K; ++j) {
      const double c = category_count(in, K, j, s);
      if (!(c > 0)) continue;
      any = true;
      const double w = c / n, o = in.F(K + j, s) / c, d = p[j - 1] - o;
      rel += w * d * d;
      res += w * o * o;
      obar += w * o;
    }
    if (!any) return missing;
    res -= obar * obar;
    const double unc = (1 - obar) * obar;
    switch (option) {
      case 1:
        return rel;
      case 2:
        return res;
      case 3:
        return unc;
      default:
        return unc > 0 ? (res - rel) / unc : missing;
    }
  });
}

int climatology(int option, const SumsView& in, int depth, double missing, Output& out) {
  if (option != 0 && option != 1) return fail(kBadOption, in, missing, out);
  if (!depth_ok(in, depth, 2)) return fail(kBadDepth, in, missing, out);
  const int K = depth / 2;
  return cpb_each(in, depth, missing, out, [&](int s) {
    const double f = field_sum_range(in, K + 1, depth, s) / in.F(1, s);
    return option == 1 ? f : f * (1 - f);
  });
}

int category_sum(int selector, const SumsView& in, int depth, double missing, Output& out) {
  if (selector != 1 && selector != 2) return fail(kBadOption, in, missing, out);
  if (!depth_ok(in, depth, 2)) return fail(kBadDepth, in, missing, out);
  const int K = depth / 2;
  const int a = selector == 1 ? 2 : K + 1, b = selector == 1 ? K : depth;
  return cpb_each(in, depth, missing, out, [&](int s) { return field_sum_range(in, a, b, s); });
}

namespace {

struct Table {
  double n, a, b, c;  // N, forecasts at or above, hits, events
};

inline bool table_odds(const Table& t, double& r) {
  const double w = (t.c - t.b) * (t.a - t.b);
  if (w == 0) return false;
  r = (t.n - t.a - t.c + t.b) * t.b / w;
  return true;
}

inline double table_score(Threshold2x2 score, const Table& t, double missing) {
  const double n = t.n, a = t.a, b = t.b, c = t.c;
  double r, d;
  switch (score) {
    case Threshold2x2::kBias:
      return c != 0 ? a / c : missing;
    case Threshold2x2::kEquitableThreat:
      r = a * c / n;
      d = a + c - b - r;
      return d != 0 ? (b - r) / d : missing;
    case Threshold2x2::kFalseAlarmRate:
      return n - c > 0 ? (a - b) / (n - c) : missing;
    case Threshold2x2::kFalseAlarmRatio:
      return a != 0 ? 1 - b / a : missing;
    case Threshold2x2::kPostAgreement:
      return a != 0 ? b / a : missing;
    case Threshold2x2::kDetection:
      return c != 0 ? b / c : missing;
    case Threshold2x2::kThreat:
      d = a + c - b;
      return d != 0 ? b / d : missing;
    case Threshold2x2::kHeidke:
      d = (a + c) * n - 2 * a * c;
      return d != 0 ? 2 * (n * b - a * c) / d : missing;
    case Threshold2x2::kPeirce:
      d = (n - c) * c;
      return d != 0 ? (n * b - a * c) / d : missing;
    case Threshold2x2::kOddsRatio:
      return table_odds(t, r) ? r : missing;
    case Threshold2x2::kLogOddsRatio:
      return table_odds(t, r) && r > 0 ? std::log(r) : missing;
    case Threshold2x2::kLogOddsStdErr:
      if (!(b > 5 && a > b && b < c && n + b > a + c)) return missing;
      return std::sqrt(1 / (n - a - c + b) + 1 / b + 1 / (a - b) + 1 / (c - b));
    case Threshold2x2::kOddsRatioSkill:
    case Threshold2x2::kOddsRatioSkillCubed: {
      if (!table_odds(t, r) || r + 1 == 0) return missing;
      const double k = (r - 1) / (r + 1);
      return score == Threshold2x2::kOddsRatioSkill ? k : k * k * k;
    }
    case Threshold2x2::kExtremeDependency: {
      if (!(b > 0 && c > 0)) return missing;
      const double lb = std::log(b / n);
      return lb != 0 ? 2 * std::log(c / n) / lb - 1 : missing;
    }
  }
  return missing;
}

bool known(Threshold2x2 score) {
  return static_cast<int>(score) >= static_cast<int>(Threshold2x2::kBias) &&
         static_cast<int>(score) <= static_cast<int>(Threshold2x2::kExtremeDependency);
}

}  // namespace

int threshold_score(Threshold2x2 score, int e, const SumsView& in, int depth, double missing,
                    Output& out) {
  if (!known(score)) return fail(kBadOption, in, missing, out);
  if (!depth_ok(in, depth, 2)) return fail(kBadDepth, in, missing, out);
  const int K = depth / 2;
  if (K < 2) return fail(kBadDepth, in, missing, out);
  if (e < 1) e = 1;
  if (e > K - 1) e = K - 1;
  return cpb_each(in, depth, missing, out, [&](int s) {
    const Table t{in.F(1, s), field_sum_range(in, e + 1, K, s),
                  field_sum_range(in, K + e + 1, depth, s), field_sum_range(in, K + 1, depth, s)};
    return table_score(score, t, missing);
  });
}

// ----- Ranked probability family -----

namespace {

// Checks the depth of a ranked-probability record; G = depth / 3 > 1.
inline int ranked_groups(const SumsView& in, int depth) {
  if (depth > in.fields || depth < 0) return 0;
  return depth / 3;
}

// m_k: observed count of category k.
inline double category_observed(const SumsView& in, int depth, int k, int s) {
  if (3 * k + 1 <= depth) return in.F(3 * k + 1, s);
  double m = in.F(1, s);
  for (int t = 1; t < k; ++t) m -= in.F(3 * t + 1, s);
  return m;
}

// The error word for category k of a ranked-probability record: 0, or the depth, option or
// category error.
int check_ranked_category(int k, const SumsView& in, int depth) {
  const int G = ranked_groups(in, depth);
  if (G <= 1) return kBadDepth;
  if (k < 1) return kBadOption;
  if (k > G) return kBadCategory;
  return 0;
}

}  // namespace

int ranked_probability(const SumsView& in, int depth, double missing, Output& out) {
  const int G = ranked_groups(in, depth);
  if (G <= 1) return fail(kBadDepth, in, missing, out);
  return cpb_each(in, depth, missing, out, [&](int s) {
    const double n = in.F(1, s);
    double sum = 0, earlier = 0;
    for (int t = 1; t <= G; ++t) {
      const double w = t < G ? in.F(3 * t + 1, s) : n - earlier;
      earlier += w;
      sum += (in.F(3 * t, s) - 2 * in.F(3 * t - 1, s) + w) / n;
    }
    return 0.5 * sum;
  });
}

int category_forecast_probability(int k, const SumsView& in, int depth, double missing,
                                  Output& out) {
  if (int rc = check_ranked_category(k, in, depth)) return fail(rc, in, missing, out);
  return cpb_each(in, depth, missing, out, [&](int s) {
    const double m = category_observed(in, depth, k, s);
    return m > 0 ? in.F(3 * k - 1, s) / m : missing;
  });
}

int category_observed_frequency(int k, const SumsView& in, int depth, double missing, Output& out) {
  if (int rc = check_ranked_category(k, in, depth)) return fail(rc, in, missing, out);
  return cpb_each(in, depth, missing, out,
                  [&](int s) { return category_observed(in, depth, k, s) / in.F(1, s); });
}

int climatology_ranked_probability(const SumsView& in, int depth, double missing, Output& out) {
  const int G = ranked_groups(in, depth);
  if (G <= 1) return fail(kBadDepth, in, missing, out);
  return cpb_each(in, depth, missing, out, [&](int s) {
    const double n = in.F(1, s);
    double sum = 0, earlier = 0;
    for (int t = 1; t <= G; ++t) {
      const double w = t < G ? in.F(3 * t + 1, s) : n - earlier;
      earlier += w;
      sum += (w / n) * (1 - w / n);
    }
    return 0.5 * sum;
  });
}

int count_fraction(int option, const SumsView& in, int depth, double missing, Output& out) {
  if (option < 1 || option > 5) return fail(kBadCountOption, in, missing, out);
  if (!depth_ok(in, depth, 2)) return fail(kBadDepth, in, missing, out);
  const double shift = option == 5 ? 2.0 / depth : 0.0;
  internal::Writer w(missing, out);
  for (int s = 0; s < in.n; ++s) {
    if (!sample_ok(in, depth, s)) {
      w.put(s, missing);
      continue;
    }
    const double n = in.F(1, s), lower = in.F(2, s), within = field_sum_range(in, 3, depth, s);
    const double higher = n - (lower + within);
    double h;
    switch (option) {
      case 1:
        h = lower;
        break;
      case 2:
        h = within;
        break;
      case 3:
        h = higher;
        break;
      default:
        h = higher + lower;
        break;
    }
    double v = h / n;
    v = v < 0 ? 0 : (v > 1 ? 1 : v);
    w.put(s, v - shift);
  }
  if (option != 5) w.fix_range(0.0f, 1.0f);
  return kOk;
}

int no_skill_fraction(const SumsView& in, double missing, Output& out) {
  if (in.fields < 3) return fail(kBadDepth, in, missing, out);
  internal::Writer w(missing, out);
  for (int s = 0; s < in.n; ++s) {
    const double n = in.F(1, s), f3 = in.F(3, s);
    if (!(usable(n) && usable(f3) && f3 > 0 && n > 0)) {
      w.put(s, missing);
      continue;
    }
    double v = 1 - f3 / n;
    w.put(s, v < 0 ? 0 : (v > 1 ? 1 : v));
  }
  w.fix_range(0.0f, 1.0f);
  return kOk;
}

// ----- CRPS decomposition -----

int crps_decomposition(int option, const SumsView& in, int depth, const float* cal, int count,
                       double missing, Output& out) {
  if (option < 1 || option > 6) return fail(kBadOption, in, missing, out);
  if (depth > in.fields || depth < 8) return fail(kBadDepth, in, missing, out);
  const int I = (depth - 4) / 2;
  if (cal == nullptr || count < I - 1) return fail(kBadDepth, in, missing, out);
  return cpb_each(in, depth, missing, out, [&](int s) -> double {
    const float n = to_float(in.F(1, s));
    if (n == 0) return missing;  // N too small for single precision
    auto f = [&](int k) { return to_float(in.F(k, s)) / n; };
    float crps = 0, potential = 0, reliability = 0;
    for (int t = 1; t <= I; ++t) {
      float p, g, o;
      if (t == 1) {
        p = 0;
        o = f(2 * I + 2);
        if (o > 0) {
          g = f(I + 2) / o;
        } else {
          g = 0;
          o = 0;
        }
      } else if (t == I) {
        p = 1;
        o = f(2 * I + 3);
        if (o < 1) {
          g = f(I + 1) / (1 - o);
        } else {
          g = 0;
          o = 1;
        }
      } else {
        p = cal[t - 2];
        const float a = f(t + 1), b = f(I + t + 1);
        g = a + b;
        o = g > 0 ? b / g : 0;
      }
      crps += g * (o * (1 - p) * (1 - p) + (1 - o) * p * p);
      potential += g * o * (1 - o);
      reliability += g * (o - p) * (o - p);
    }
    const float u = f(2 * I + 4);
    switch (option) {
      case 1:
        return crps;
      case 2:
        return potential;
      case 3:
        return reliability;
      case 4:
        return u - potential;
      case 5:
        return u;
      default:
        return u > 0 ? (u - crps) / u : missing;
    }
  });
}

}  // namespace kor::metrics
