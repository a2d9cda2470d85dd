// Reference kernels of the resampling.
#include "tests/reference/resample_reference.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <utility>

#include "resample/trc_steps.h"

namespace kor::resample::reference {

using namespace trc_steps;

int pctl_exchange_sort(std::span<const float> values, float missing, std::span<float> fractions,
                       std::vector<float>& work, float& min, float& max) {
  if (const int rc = pctl_gather(values, missing, fractions, work); rc != 0) return rc;
  const std::size_t n = work.size();
  for (std::size_t j = 0; j + 1 < n; ++j) {
    for (std::size_t i = j + 1; i < n; ++i) {
      if (work[j] > work[i]) std::swap(work[j], work[i]);
    }
  }
  pctl_interpolate(work, fractions, min, max);
  return 0;
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
  const CopyPair copy_pair = [&](int p, double* work) {
    for (int t = 0; t < trials; ++t) {
      for (int f = 0; f < depth; ++f) {
        work[2 * (f + static_cast<std::size_t>(kSumFields) * t)] = sums[slot(t, f, p, 0)];
        work[2 * (f + static_cast<std::size_t>(kSumFields) * t) + 1] = sums[slot(t, f, p, 1)];
      }
    }
  };
  return summarise(in, state, depth, no_data, pctl_exchange_sort, copy_pair, out, os);
}

namespace {

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

bool present(double v) { return v > kRecordMissing; }

}  // namespace

int rsmp_trc_serial(const TrcInput& in, ResampleState& state, TrcOutput& out, std::ostream& os) {
  PointRecords point;
  if (const int rc = open_point(in, state, point, os); rc != 0) return rc;

  const RecordCache& c = state.cache;
  const int depth = c.records.depth;
  const int n = static_cast<int>(in.traces.size());
  const int pairs = n - 1;
  const int trials = state.trials;
  const int records = point.count;

  const std::size_t per_pos = static_cast<std::size_t>(records) * depth;
  std::vector<double> store(per_pos * n);
  std::array<int, kMaxTraces> filled{};
  for (std::size_t i = 0; i < point.index.size(); ++i) {
    const int pos = point.position[i];
    if (pos < 0) continue;
    const double* v = c.records.values.data() + static_cast<std::size_t>(point.index[i]) * depth;
    std::copy(v, v + depth, store.begin() + per_pos * pos + filled[pos]++ * depth);
  }

  // Per pair: the benchmark's and the paired trace's records with every field that is missing in
  // either set to 0 in both.
  std::vector<unsigned char> no_data(static_cast<std::size_t>(std::max(pairs, 0)), 1);
  std::vector<double> masked(per_pos * 2 * pairs);
  for (int p = 0; p < pairs; ++p) {
    const double* a = store.data();
    const double* b = store.data() + per_pos * (p + 1);
    double* ma = masked.data() + per_pos * 2 * p;
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
  state.pair_sums.assign(per_trial * trials * pairs, 0.0);
  std::vector<unsigned char> choice(static_cast<std::size_t>(records));
  const Accumulate add = accumulator_for(depth);
  for (int t = 0; t < trials; ++t) {
    for (int r = 0; r < records; ++r) choice[r] = state.random.next() < 0.5;
    if (records == 0) continue;
    for (int p = 0; p < pairs; ++p) {
      const double* ma = masked.data() + per_pos * 2 * p;
      double* sums =
          state.pair_sums.data() + per_trial * (static_cast<std::size_t>(p) * trials + t);
      add(depth, records, choice.data(), ma, ma + per_pos, sums, sums + depth);
    }
  }

  const CopyPair copy_pair = [&](int p, double* work) {
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
  return summarise(in, state, depth, no_data, RSMP_PCTL, copy_pair, out, os);
}

}  // namespace kor::resample::reference
