// Lambert W and the bias-adjusted hit counts of the dH/dF, odds-ratio and dH/dA models.
#include <cmath>
#include <optional>

#include "metrics/metrics.h"

namespace kor::metrics {

float lambert_w(float z) {
  if (!(z > 0)) return 0.0f;
  float w;
  if (z <= 0.7385f) {
    w = z * (3 + 4 * z) / (3 + z * (7 + 2.5f * z));
  } else {
    const float l = std::log(z);
    w = l - 24 * (l * (l + 2) - 3) / (127 + l * (58 + 0.7f * l));
  }
  const float zn = std::log(z) - w - std::log(w);
  const float c = 2 * (1 + w) * (1 + w + zn / 1.5f) - zn;
  const float d = (c - zn) * (1 + w);
  if (d == 0) return w;
  const float e = zn * c / d;
  return w * (1 + e);
}

std::optional<double> dhdf_hits(double f, double h, double o) {
  if (!(o > 0 && f > 0)) return std::nullopt;
  const double base = (o - h) / o;
  if (base < 0) return std::nullopt;
  return o * (1 - std::pow(base, o / f));
}

std::optional<double> orba_hits(double n, double f, double h, double o) {
  if (h != 0 && (f == h || h == o)) return o;
  if (h == 0) return 0.0;
  if (!(o > h && f > h && h > 0)) return std::nullopt;
  const double r = (n - f - o + h) * h / ((f - h) * (o - h));
  if (r > 1) {
    const double g = n / (r - 1) * 0.5 + o;
    const double rad = g * g - r * o * o / (r - 1);
    if (rad < 0) return std::nullopt;
    return g - std::sqrt(rad);
  }
  if (r < 1) {
    const double g = o - n / (1 - r) * 0.5;
    const double rad = g * g + r * o * o / (1 - r);
    if (rad < 0) return std::nullopt;
    return std::sqrt(rad) + g;
  }
  // Independence: the odds ratio stays 1 when the hits are those of chance, O x O / N.
  if (n == 0) return std::nullopt;
  return o * o / n;
}

std::optional<float> dhda_hits(float f, float h, float o) {
  if ((f == h && h != 0) || h == o) return o;
  if (h == 0) return 0.0f;
  if (o - h == 0 || f - h == 0) return std::nullopt;
  const float q = o / (o - h);
  if (!(q > 0)) return std::nullopt;
  const float lq = std::log(q);
  if (lq == 0) return std::nullopt;
  const float z = lq * o / (f - h);
  if (!(z > 0)) return std::nullopt;
  return o - (f - h) / lq * lambert_w(z);
}

}  // namespace kor::metrics
