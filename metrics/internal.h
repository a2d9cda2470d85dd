// Shared machinery of the metric routines: the per-sample loop, the result writer that keeps the
// single-precision range, and the safe narrowing to single precision.  Private to kor_metrics.
#ifndef KOR_METRICS_INTERNAL_H_
#define KOR_METRICS_INTERNAL_H_

#include <cassert>
#include <cfloat>
#include <cmath>

#include "metrics/metrics.h"

namespace kor::metrics::internal {

// Narrows to single precision without leaving the float range (a plain conversion of a value beyond
// it is undefined).
inline float to_float(double v) {
  if (v > static_cast<double>(FLT_MAX)) return FLT_MAX;
  if (v < -static_cast<double>(FLT_MAX)) return -FLT_MAX;
  return static_cast<float>(v);
}

inline bool view_ok(const SumsView& in) {
  return in.lead >= 1 && in.index >= 0 && in.index < in.lead && in.fields >= 1 && in.n >= 0 &&
         (in.n == 0 || in.data != nullptr);
}

// Writes results and tracks the range of the non-missing ones.  A result that is not finite (an
// overflow the guards let through) is stored as missing.
class Writer {
 public:
  Writer(double missing, Output& out) : missing_(missing), out_(out) {}
  ~Writer() {
    out_.min = min_;
    out_.max = max_;
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  void put(int s, double v) {
    if (!std::isfinite(v)) v = missing_;
    out_.values[s] = v;
    if (v != missing_) {
      const float f = to_float(v);
      if (f < min_) min_ = f;
      if (f > max_) max_ = f;
    }
  }
  // Replaces the range by fixed bounds.
  void fix_range(float lo, float hi) {
    min_ = lo;
    max_ = hi;
  }

 private:
  double missing_;
  Output& out_;
  float min_ = kMinStart;
  float max_ = kMaxStart;
};

// Runs fn(s) -> double for every sample; fn returns `missing` where there is no value.
template <class Fn>
inline int each(const SumsView& in, double missing, Output& out, Fn&& fn) {
  assert(view_ok(in));
  Writer w(missing, out);
  for (int s = 0; s < in.n; ++s) w.put(s, fn(s));
  return kOk;
}

// Error exit: every result missing, range at its start values.
inline int fail(int code, const SumsView& in, double missing, Output& out) {
  for (int s = 0; s < in.n; ++s) out.values[s] = missing;
  out.min = kMinStart;
  out.max = kMaxStart;
  return code;
}

// True when fields 1..k of sample s are all usable.
inline bool usable_to(const SumsView& in, int k, int s) {
  for (int f = 1; f <= k; ++f)
    if (!usable(in.F(f, s))) return false;
  return true;
}

}  // namespace kor::metrics::internal

#endif  // KOR_METRICS_INTERNAL_H_
