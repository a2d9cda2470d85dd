// RSMP_TRC and its helpers: the trial count, the messages, the percentiles and the resampling at
// one abscissa point.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <ostream>
#include <string_view>

#include "resample/resample.h"
#include "util/listout.h"

namespace kor::resample {

using util::list_write;

int accepted_trial_count(int count, std::ostream& os) {
  if (count >= kMinTrials && count <= kMaxTrials) return count;
  list_write(os, {count < kMinTrials ? "  Number of resampling trials is too small."
                                     : "  Number of resampling trials is too large."});
  list_write(os, {" Number of resampling trials set to 2000."});
  return kDefaultTrials;
}

int RSMP_NTRL(int& count, ResampleState& state, std::ostream& os) {
  count = accepted_trial_count(count, os);
  state.trials = count;
  return 0;
}

std::string_view rsmp_message(int code) {
  switch (code) {
    case 2:
      return "+02 = WARNING:  No values for resampling at a point.";
    case -1:
      return "-01 = Cannot open trace.ucd file for resampling.";
    case -2:
      return "-02 = Cannot read data depth from trace.ucd file.";
    case -3:
      return "-03 = Too many uncombined ROVA records at a point.";
    case -4:
      return "-04 = Trace ROVA record counts differ at a point.";
    case -5:
      return "-05 = Bias adjustment requires FHO records.";
    case -6:
      return "-06 = Context does not allow box-whisker objects.";
    case -7:
      return "-07 = The computational code is invalid.";
    case -8:
      return "-08 = The sample is too large for RSMP_TRC.";
    case -9:
      return "-09 = Performance metric computation failed.";
    case -10:
      return "-10 = Invalid ROVA record data field requested.";
    case -11:
      return "-11 = All values are missing in the sorting.";
    case -12:
      return "-12 = Data depth is to small.";
    case -13:
      return "-13 = Track data computation error.";
    case -14:
      return "-14 = Metric calculation error in resampling.";
    default:
      return {};
  }
}

void RSMP_ERR(int code, std::string_view context, int& word, std::ostream& os) {
  const std::size_t end = context.find_last_not_of(' ');
  if (end != std::string_view::npos) list_write(os, {context.substr(0, end + 1)});
  const std::string_view text = rsmp_message(code);
  if (!text.empty()) list_write(os, {text});
  word = 0;
}

namespace {

// Copies the values that are not missing; false when none is left.
bool gather(std::span<const float> values, float missing, std::vector<float>& work) {
  work.clear();
  for (float v : values) {
    if (std::fabs(v - missing) > 0.0005f) work.push_back(v);
  }
  return !work.empty();
}

void interpolate(const std::vector<float>& s, std::span<float> fractions, float& min, float& max) {
  const int n = static_cast<int>(s.size());
  min = s.front();
  max = s.back();
  for (float& q : fractions) {
    const float a = static_cast<float>(n) * q;
    const int j = static_cast<int>(a);  // truncation toward zero
    if (j <= 1) {
      q = min;
    } else if (j + 1 >= n) {
      q = max;
    } else {
      const float lo = s[j - 1], hi = s[j];
      q = lo + (hi - lo) * (a - static_cast<float>(j));
    }
  }
}

int percentiles(bool exchange, std::span<const float> values, float missing,
                std::span<float> fractions, std::vector<float>& work, float& min, float& max) {
  if (!gather(values, missing, work)) {
    for (float& q : fractions) q = missing;
    return kAllMissing;
  }
  if (exchange) {
    const std::size_t n = work.size();
    for (std::size_t j = 0; j + 1 < n; ++j) {
      for (std::size_t i = j + 1; i < n; ++i) {
        if (work[j] > work[i]) std::swap(work[j], work[i]);
      }
    }
  } else {
    std::sort(work.begin(), work.end());
  }
  interpolate(work, fractions, min, max);
  return 0;
}

}  // namespace

int RSMP_PCTL(std::span<const float> values, float missing, std::span<float> fractions,
              std::vector<float>& work, float& min, float& max) {
  return percentiles(false, values, missing, fractions, work, min, max);
}

int pctl_exchange_sort(std::span<const float> values, float missing, std::span<float> fractions,
                       std::vector<float>& work, float& min, float& max) {
  return percentiles(true, values, missing, fractions, work, min, max);
}

namespace {

bool present(double v) { return v > kRecordMissing; }

// The part shared by both paths: checks of the call.
bool call_is_sound(const TrcInput& in) {
  const int n = static_cast<int>(in.traces.size());
  const int lines = static_cast<int>(in.codes.size());
  return in.context != nullptr && n >= 1 && n <= kMaxTraces && lines >= 1 &&
         static_cast<long long>(lines) * (n - 1) <= in.capacity;
}

void check_trial_count(ResampleState& state, std::ostream& os) {
  if (state.trials < kMinTrials || state.trials > kMaxTrials + 2) {
    list_write(os, {"Warning:  Number of trials reset to 2000."});
    state.trials = kDefaultTrials;
  }
}

// Trace position (0-based) of trace number `trace`, or -1.
int position_of(std::span<const int> traces, int trace) {
  for (std::size_t i = 0; i < traces.size(); ++i) {
    if (traces[i] == trace) return static_cast<int>(i);
  }
  return -1;
}

// Step 9: metrics of both members in every trial, their differences and the percentiles.
// `copy_pair(p, work)` fills the (2, 28, trials) work area with pair p's trial sums.
template <typename CopyPair>
int summarise(const TrcInput& in, ResampleState& state, int depth,
              const std::vector<unsigned char>& no_data, bool exchange, CopyPair copy_pair,
              TrcOutput& out, std::ostream& os) {
  const int pairs = static_cast<int>(in.traces.size()) - 1;
  const int lines = static_cast<int>(in.codes.size());
  const int trials = state.trials;
  const float m = in.missing;
  TrcOutput r;
  const std::size_t k_count = static_cast<std::size_t>(lines) * pairs;
  for (auto* v :
       {&r.minus_lower, &r.upper, &r.upper_whisker, &r.lower_whisker, &r.median, &r.skew}) {
    v->assign(k_count, m);
  }
  state.work.assign(static_cast<std::size_t>(2) * kSumFields * trials, 0.0);
  state.values1.resize(static_cast<std::size_t>(trials));
  state.values2.resize(static_cast<std::size_t>(trials));
  std::size_t k = 0;
  for (int l = 0; l < lines; ++l) {
    for (int p = 0; p < pairs; ++p, ++k) {
      if (no_data[p]) continue;
      copy_pair(p, state.work.data());
      int word = 0;
      float lo = 0, hi = 0;
      int rc = RSMP_MET(1, in.codes[l], m, trials, depth, state.work.data(), *in.context,
                        state.values1, lo, hi, os);
      if (rc != 0) RSMP_ERR(rc, "Pair Member #1", word, os);
      if (rc < 0) return rc;
      rc = RSMP_MET(2, in.codes[l], m, trials, depth, state.work.data(), *in.context, state.values2,
                    lo, hi, os);
      if (rc != 0) RSMP_ERR(rc, "Pair Member #2", word, os);
      if (rc < 0) return rc;

      state.diffs.clear();
      for (int t = 0; t < trials; ++t) {
        const double a = state.values1[t], b = state.values2[t];
        if (std::fabs(a - m) > 0.0005 && std::fabs(b - m) > 0.0005) {
          state.diffs.push_back(static_cast<float>(a - b));
        }
      }
      if (state.diffs.empty()) continue;
      float q[3] = {1 - in.alpha / 2, in.alpha / 2, 0.5f};
      float dmin = 0, dmax = 0;
      const int pc = exchange ? pctl_exchange_sort(state.diffs, m, q, state.sort_work, dmin, dmax)
                              : RSMP_PCTL(state.diffs, m, q, state.sort_work, dmin, dmax);
      if (pc != 0) continue;
      const float upper = q[0], lower = q[1], median = q[2];
      r.upper[k] = upper;
      r.minus_lower[k] = -lower;
      if (lower > 0) {
        list_write(os, {"RE-SAMPLING error--", "right skewed difference statistics."});
        r.minus_lower[k] = 0;
      }
      r.upper_whisker[k] = dmax - upper;
      r.lower_whisker[k] = lower - dmin;
      r.median[k] = median;
      r.skew[k] = median - lower > 0 ? (upper - median) / (median - lower) : m;
    }
  }
  r.count = static_cast<int>(k_count);
  out = std::move(r);
  return 0;
}

// Keeps the plot's records in the cache, reading the file only when it is not the file read
// before (path, plot, size or time changed).  Returns 0, -1 or -2.
int load_plot(ResampleState& state, int plot) {
  namespace fs = std::filesystem;
  RecordCache& c = state.cache;
  std::error_code e1, e2;
  const std::uintmax_t size = fs::file_size(state.ucd_path, e1);
  const auto time = fs::last_write_time(state.ucd_path, e2);
  if (e1 || e2) {
    c.valid = false;
    return kCannotOpen;
  }
  const long long stamp = static_cast<long long>(time.time_since_epoch().count());
  if (c.valid && c.path == state.ucd_path && c.plot == plot && c.size == size && c.stamp == stamp) {
    return 0;
  }
  c.valid = false;
  const int rc = read_ucd(state.ucd_path, plot, c.records);
  if (rc != 0) return rc;
  c.by_point.resize(c.records.size());
  for (std::size_t i = 0; i < c.by_point.size(); ++i) c.by_point[i] = static_cast<int>(i);
  std::stable_sort(c.by_point.begin(), c.by_point.end(),
                   [&](int a, int b) { return c.records.point[a] < c.records.point[b]; });
  c.path = state.ucd_path;
  c.plot = plot;
  c.size = size;
  c.stamp = stamp;
  c.valid = true;
  return 0;
}

void announce(const TrcInput& in, const ResampleState& state, std::ostream& os) {
  list_write(os, {});
  list_write(os,
             {" Resampling at abscissa point # ", in.point, " with ", state.trials, " trials."});
}

void warn_few(int count, int point, std::ostream& os) {
  if (count <= 27) {
    list_write(os, {" WARNING -- Only ", count, " records found for", " resampling at X point ",
                    point, "."});
  }
}

// Sums of one pair over the records in order, for one trial, fields 0..D-1.  `a` and `b` hold the
// pair's records (missing fields already 0 in both); choice[r] selects the member order.
template <int kD>
void accumulate(int depth, int count, const unsigned char* choice, const double* a, const double* b,
                double* first, double* second) {
  const int d = kD > 0 ? kD : depth;
  double s1[kMaxDepth], s2[kMaxDepth];
  for (int f = 0; f < d; ++f) s1[f] = s2[f] = 0.0;
  for (int r = 0; r < count; ++r) {
    const double* x = a + static_cast<std::ptrdiff_t>(r) * d;
    const double* y = b + static_cast<std::ptrdiff_t>(r) * d;
    const double* u = choice[r] ? x : y;
    const double* v = choice[r] ? y : x;
    for (int f = 0; f < d; ++f) {
      s1[f] += u[f];
      s2[f] += v[f];
    }
  }
  for (int f = 0; f < d; ++f) {
    first[f] = s1[f];
    second[f] = s2[f];
  }
}

using Accumulate = void (*)(int, int, const unsigned char*, const double*, const double*, double*,
                            double*);

Accumulate accumulator_for(int depth) {
  switch (depth) {
    case 4:
      return accumulate<4>;
    case 5:
      return accumulate<5>;
    case 6:
      return accumulate<6>;
    case 8:
      return accumulate<8>;
    default:
      return accumulate<0>;
  }
}

}  // namespace

int RSMP_TRC(const TrcInput& in, ResampleState& state, TrcOutput& out, std::ostream& os) {
  if (!call_is_sound(in)) return kNotAllowed;
  check_trial_count(state, os);
  if (const int rc = load_plot(state, in.plot); rc != 0) return rc;
  announce(in, state, os);

  const RecordCache& c = state.cache;
  const int depth = c.records.depth;
  const int n = static_cast<int>(in.traces.size());
  const int pairs = n - 1;
  const int trials = state.trials;

  // Records of the point, by trace position, in file order.
  const auto first = std::lower_bound(c.by_point.begin(), c.by_point.end(), in.point,
                                      [&](int i, int p) { return c.records.point[i] < p; });
  const auto last = std::upper_bound(first, c.by_point.end(), in.point,
                                     [&](int p, int i) { return p < c.records.point[i]; });
  std::array<int, kMaxTraces> count{};
  for (auto it = first; it != last; ++it) {
    const int pos = position_of(in.traces, c.records.trace[*it]);
    if (pos < 0) continue;
    if (++count[pos] > kMaxRecords) return kTooManyRecords;
  }
  const int records = count[0];
  for (int pos = 1; pos < n; ++pos) {
    if (count[pos] != records) return kCountsDiffer;
  }
  warn_few(records, in.point, os);

  const std::size_t per_pos = static_cast<std::size_t>(records) * depth;
  state.store.resize(per_pos * n);
  std::array<int, kMaxTraces> filled{};
  for (auto it = first; it != last; ++it) {
    const int pos = position_of(in.traces, c.records.trace[*it]);
    if (pos < 0) continue;
    const double* v = c.records.values.data() + static_cast<std::size_t>(*it) * depth;
    std::copy(v, v + depth, state.store.begin() + per_pos * pos + filled[pos]++ * depth);
  }

  // Per pair: the benchmark's and the paired trace's records with every field that is missing in
  // either set to 0 in both (adding 0 to a sum that starts at 0 leaves it bit for bit unchanged).
  std::vector<unsigned char> no_data(static_cast<std::size_t>(std::max(pairs, 0)), 1);
  state.masked.resize(per_pos * 2 * pairs);
  for (int p = 0; p < pairs; ++p) {
    const double* a = state.store.data();
    const double* b = state.store.data() + per_pos * (p + 1);
    double* ma = state.masked.data() + per_pos * 2 * p;
    double* mb = ma + per_pos;
    for (std::size_t i = 0; i < per_pos; ++i) {
      const bool both = present(a[i]) && present(b[i]);
      ma[i] = both ? a[i] : 0.0;
      mb[i] = both ? b[i] : 0.0;
      if (both) no_data[p] = 0;
    }
  }

  // Trials: one draw per record, shared by every pair.  Sums per pair as (trial, member, field).
  const std::size_t per_trial = static_cast<std::size_t>(2) * depth;
  state.pair_sums.resize(per_trial * trials * pairs);
  state.choice.resize(static_cast<std::size_t>(records));
  const Accumulate add = accumulator_for(depth);
  for (int t = 0; t < trials; ++t) {
    for (int r = 0; r < records; ++r) state.choice[r] = state.random.next() < 0.5;
    if (records == 0) continue;
    for (int p = 0; p < pairs; ++p) {
      const double* ma = state.masked.data() + per_pos * 2 * p;
      double* sums =
          state.pair_sums.data() + per_trial * (static_cast<std::size_t>(p) * trials + t);
      add(depth, records, state.choice.data(), ma, ma + per_pos, sums, sums + depth);
    }
  }
  if (records == 0) std::fill(state.pair_sums.begin(), state.pair_sums.end(), 0.0);

  auto copy_pair = [&](int p, double* work) {
    for (int t = 0; t < trials; ++t) {
      const double* s =
          state.pair_sums.data() + per_trial * (static_cast<std::size_t>(p) * trials + t);
      double* w = work + static_cast<std::size_t>(2) * kSumFields * t;
      for (int f = 0; f < depth; ++f) {
        w[2 * f] = s[f];
        w[2 * f + 1] = s[depth + f];
      }
    }
  };
  return summarise(in, state, depth, no_data, false, copy_pair, out, os);
}

int rsmp_trc_per_call(const TrcInput& in, ResampleState& state, TrcOutput& out, std::ostream& os) {
  if (!call_is_sound(in)) return kNotAllowed;
  check_trial_count(state, os);
  const int n = static_cast<int>(in.traces.size());
  const int pairs = n - 1;
  const int trials = state.trials;

  // Clear every trial sum slot: (trial, field, pair, member).
  static constexpr std::size_t kAll =
      static_cast<std::size_t>(kTrialSlots) * kSumFields * kMaxTraces * 2;
  std::vector<double>& sums = state.pair_sums;
  sums.assign(kAll, 0.0);
  auto slot = [](int t, int f, int p, int m) {
    return static_cast<std::size_t>(m) +
           2 * (static_cast<std::size_t>(p) +
                kMaxTraces *
                    (static_cast<std::size_t>(f) + kSumFields * static_cast<std::size_t>(t)));
  };

  // The whole file at every call.
  UcdRecords plot;
  if (const int rc = read_ucd(state.ucd_path, in.plot, plot); rc != 0) return rc;
  announce(in, state, os);
  const int depth = plot.depth;
  std::array<std::vector<double>, kMaxTraces> store;
  std::array<int, kMaxTraces> count{};
  for (std::size_t i = 0; i < plot.size(); ++i) {
    if (plot.point[i] != in.point) continue;
    const int pos = position_of(in.traces, plot.trace[i]);
    if (pos < 0) continue;
    if (++count[pos] > kMaxRecords) return kTooManyRecords;
    const double* v = plot.values.data() + i * depth;
    store[pos].insert(store[pos].end(), v, v + depth);
  }
  const int records = count[0];
  for (int pos = 1; pos < n; ++pos) {
    if (count[pos] != records) return kCountsDiffer;
  }
  warn_few(records, in.point, os);

  std::vector<unsigned char> no_data(static_cast<std::size_t>(std::max(pairs, 0)), 1);
  for (int t = 0; t < trials; ++t) {
    for (int r = 0; r < records; ++r) {
      const double x = state.random.next();
      for (int p = 0; p < pairs; ++p) {
        const double* first = store[0].data() + static_cast<std::size_t>(r) * depth;
        const double* second = store[p + 1].data() + static_cast<std::size_t>(r) * depth;
        if (!(x < 0.5)) std::swap(first, second);
        for (int f = 0; f < depth; ++f) {
          if (first[f] > kRecordMissing && second[f] > kRecordMissing) {
            sums[slot(t, f, p, 0)] += first[f];
            sums[slot(t, f, p, 1)] += second[f];
            no_data[p] = 0;
          }
        }
      }
    }
  }
  auto copy_pair = [&](int p, double* work) {
    for (int t = 0; t < trials; ++t) {
      for (int f = 0; f < depth; ++f) {
        work[2 * (f + static_cast<std::size_t>(kSumFields) * t)] = sums[slot(t, f, p, 0)];
        work[2 * (f + static_cast<std::size_t>(kSumFields) * t) + 1] = sums[slot(t, f, p, 1)];
      }
    }
  };
  return summarise(in, state, depth, no_data, true, copy_pair, out, os);
}

}  // namespace kor::resample
