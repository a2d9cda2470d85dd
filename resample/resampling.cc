// RSMP_TRC and its helpers: the trial count, the messages, the percentiles and the resampling at
// one abscissa point.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string_view>
#include <system_error>
#include <thread>

#include "resample/accumulate.h"
#include "resample/draws.h"
#include "resample/resample.h"
#include "resample/trc_steps.h"
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

}  // namespace

int RSMP_PCTL(std::span<const float> values, float missing, std::span<float> fractions,
              std::vector<float>& work, float& min, float& max) {
  using trc_steps::pctl_gather;
  using trc_steps::pctl_interpolate;
  if (const int rc = pctl_gather(values, missing, fractions, work); rc != 0) return rc;
  std::sort(work.begin(), work.end());
  pctl_interpolate(work, fractions, min, max);
  return 0;
}

int trial_thread_setting(const char* text) {
  if (text == nullptr) return 0;
  int value = 0;
  const char* end = text + std::strlen(text);
  const auto [ptr, ec] = std::from_chars(text, end, value);
  if (ec != std::errc() || ptr != end || value < 1 || value > kMaxTrialThreads) return 0;
  return value;
}

int trial_threads(int setting) {
  if (setting > 0) return std::min(setting, kMaxTrialThreads);
  if (const int env = trial_thread_setting(std::getenv("KOR_THREADS")); env > 0) return env;
  const unsigned hardware = std::thread::hardware_concurrency();
  return std::clamp(static_cast<int>(hardware), 1, kMaxTrialThreads);
}

namespace trc_steps {

void pctl_interpolate(const std::vector<float>& s, std::span<float> fractions, float& min,
                      float& max) {
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

int pctl_gather(std::span<const float> values, float missing, std::span<float> fractions,
                std::vector<float>& work) {
  if (gather(values, missing, work)) return 0;
  for (float& q : fractions) q = missing;
  return kAllMissing;
}

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

int position_of(std::span<const int> traces, int trace) {
  for (std::size_t i = 0; i < traces.size(); ++i) {
    if (traces[i] == trace) return static_cast<int>(i);
  }
  return -1;
}

int summarise(const TrcInput& in, ResampleState& state, int depth,
              std::span<const unsigned char> no_data, Percentiles percentiles,
              const CopyPair& copy_pair, TrcOutput& out, std::ostream& os) {
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
      if (percentiles(state.diffs, m, std::span<float>(q), state.sort_work, dmin, dmax) != 0) {
        continue;
      }
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

int find_point(const TrcInput& in, const RecordCache& c, PointRecords& out) {
  const auto first = std::lower_bound(c.by_point.begin(), c.by_point.end(), in.point,
                                      [&](int i, int p) { return c.records.point[i] < p; });
  const auto last = std::upper_bound(first, c.by_point.end(), in.point,
                                     [&](int p, int i) { return p < c.records.point[i]; });
  out.index.assign(first, last);
  out.position.resize(out.index.size());
  std::array<int, kMaxTraces> count{};
  for (std::size_t i = 0; i < out.index.size(); ++i) {
    const int pos = position_of(in.traces, c.records.trace[out.index[i]]);
    out.position[i] = pos;
    if (pos < 0) continue;
    if (++count[pos] > kMaxRecords) return kTooManyRecords;
  }
  out.count = count[0];
  for (std::size_t pos = 1; pos < in.traces.size(); ++pos) {
    if (count[pos] != out.count) return kCountsDiffer;
  }
  return 0;
}

int open_point(const TrcInput& in, ResampleState& state, PointRecords& point, std::ostream& os) {
  if (!call_is_sound(in)) return kNotAllowed;
  check_trial_count(state, os);
  if (const int rc = load_plot(state, in.plot); rc != 0) return rc;
  announce(in, state, os);
  if (const int rc = find_point(in, state.cache, point); rc != 0) return rc;
  warn_few(point.count, in.point, os);
  return 0;
}

}  // namespace trc_steps

namespace {

using namespace trc_steps;

bool present(double v) { return v > kRecordMissing; }

// The point's records as rows (resample/accumulate.h) and what every pair adds from them.
struct PointRows {
  int width = 0;
  std::size_t block = 0;               // doubles per trace position
  std::vector<const double*> bench;    // per pair: the benchmark rows it adds
  std::vector<unsigned char> no_data;  // per pair: no field present in both traces anywhere
};

// Fills state.rows with the records of every trace position, then sets to 0 every field that is
// missing in the benchmark (in its rows) or in a pair's trace (in that pair's rows).  A field
// present in the benchmark but missing in a pair's trace must not be added for that pair either:
// such a pair gets its own copy of the benchmark's rows with those fields 0 (adding 0 to a sum that
// starts at 0 leaves it bit for bit as it was, since such a sum is never -0).
PointRows build_rows(const TrcInput& in, const RecordCache& c, const PointRecords& point,
                     ResampleState& state) {
  const int n = static_cast<int>(in.traces.size());
  const int pairs = n - 1;
  const int depth = c.records.depth;
  PointRows pr;
  pr.width = row_width(depth);
  pr.block = static_cast<std::size_t>(point.count) * pr.width;
  state.rows.assign(pr.block * n, 0.0);
  std::array<std::size_t, kMaxTraces> filled{};
  for (std::size_t i = 0; i < point.index.size(); ++i) {
    const int pos = point.position[i];
    if (pos < 0) continue;
    const double* v = c.records.values.data() + static_cast<std::size_t>(point.index[i]) * depth;
    std::copy(v, v + depth, state.rows.begin() + pr.block * pos + filled[pos]++ * pr.width);
  }

  double* const bench = state.rows.data();
  pr.no_data.assign(static_cast<std::size_t>(pairs), 1);
  std::vector<unsigned char> own_copy(static_cast<std::size_t>(pairs), 0);
  for (int p = 0; p < pairs; ++p) {
    const double* b = bench + pr.block * (p + 1);
    // The padding of the rows (fields from D on) is 0 in every trace and takes no part.
    for (std::size_t i = 0; i < pr.block; ++i) {
      if (static_cast<int>(i % pr.width) >= depth) continue;
      if (present(b[i])) {
        if (present(bench[i])) pr.no_data[p] = 0;
      } else if (present(bench[i])) {
        own_copy[p] = 1;
      }
    }
  }
  const std::size_t copies =
      static_cast<std::size_t>(std::count(own_copy.begin(), own_copy.end(), 1));
  state.bench_copies.resize(pr.block * copies);
  pr.bench.assign(static_cast<std::size_t>(pairs), bench);
  std::size_t next = 0;
  for (int p = 0; p < pairs; ++p) {
    double* b = bench + pr.block * (p + 1);
    if (own_copy[p]) {
      double* copy = state.bench_copies.data() + pr.block * next++;
      for (std::size_t i = 0; i < pr.block; ++i) {
        copy[i] = present(bench[i]) && present(b[i]) ? bench[i] : 0.0;
      }
      pr.bench[p] = copy;
    }
    for (std::size_t i = 0; i < pr.block; ++i) {
      if (!present(b[i]) || !present(bench[i])) b[i] = 0.0;
    }
  }
  for (std::size_t i = 0; i < pr.block; ++i) {
    if (!present(bench[i])) bench[i] = 0.0;
  }
  return pr;
}

// Runs body(b0, b1) over consecutive ranges of 0..blocks, one per thread (the last in the calling
// thread).  A thread that cannot be started leaves its range to the calling thread.
template <typename Body>
void run_split(int blocks, int threads, const Body& body) {
  threads = std::clamp(threads, 1, std::max(blocks, 1));
  auto bound = [&](int k) {
    return static_cast<int>(static_cast<long long>(blocks) * k / threads);
  };
  std::vector<std::thread> workers;
  std::vector<int> left;  // ranges no thread took
  for (int k = 0; k + 1 < threads; ++k) {
    try {
      workers.emplace_back(body, bound(k), bound(k + 1));
    } catch (const std::system_error&) {
      left.push_back(k);
    }
  }
  body(bound(threads - 1), blocks);
  for (int k : left) body(bound(k), bound(k + 1));
  for (std::thread& w : workers) w.join();
}

}  // namespace

int RSMP_TRC(const TrcInput& in, ResampleState& state, TrcOutput& out, std::ostream& os) {
  PointRecords point;
  if (const int rc = open_point(in, state, point, os); rc != 0) return rc;

  const int depth = state.cache.records.depth;
  const int pairs = static_cast<int>(in.traces.size()) - 1;
  const int trials = state.trials;
  const std::size_t records = static_cast<std::size_t>(point.count);
  const PointRows rows = build_rows(in, state.cache, point, state);
  const int width = rows.width;

  // Trial sums per pair as (trial, member, field).  The trials go in blocks of kBlockTrials, the
  // blocks split into consecutive ranges, one per thread; a block starts its draws where the
  // trials before it leave the generator.
  const std::size_t per_trial = static_cast<std::size_t>(2) * width;
  const std::size_t per_pair = per_trial * trials;
  state.pair_sums.assign(per_pair * pairs, 0.0);
  const std::uint64_t start = state.random.state;
  const SumKernel kernel = resolve_kernel(state.kernel);
  const int blocks = (trials + kBlockTrials - 1) / kBlockTrials;
  auto run_blocks = [&](int b0, int b1) {
    std::vector<std::uint8_t> bits(records);
    std::vector<PairTrials> sums(static_cast<std::size_t>(pairs));
    for (int b = b0; b < b1; ++b) {
      const int t = b * kBlockTrials;
      TrialBlock block{depth, width, per_trial, records, std::min(kBlockTrials, trials - t)};
      draw_choice_bits(lcg_jump(static_cast<std::uint64_t>(t) * records)(start), records,
                       block.trials, bits.data());
      for (int p = 0; p < pairs; ++p) {
        sums[p] = PairTrials{rows.bench[p], state.rows.data() + rows.block * (p + 1),
                             state.pair_sums.data() + per_pair * p + per_trial * t};
      }
      accumulate_trials(sums, block, bits.data(), kernel);
    }
  };
  if (records > 0 && pairs > 0) {
    run_split(blocks, trial_threads(state.threads), run_blocks);
  }
  state.random.state = lcg_jump(static_cast<std::uint64_t>(trials) * records)(start);

  const CopyPair copy_pair = [&](int p, double* work) {
    for (int t = 0; t < trials; ++t) {
      const double* s = state.pair_sums.data() + per_pair * p + per_trial * t;
      double* w = work + static_cast<std::size_t>(2) * kSumFields * t;
      for (int f = 0; f < depth; ++f) {
        w[2 * f] = s[f];
        w[2 * f + 1] = s[width + f];
      }
    }
  };
  return summarise(in, state, depth, rows.no_data, RSMP_PCTL, copy_pair, out, os);
}

}  // namespace kor::resample
