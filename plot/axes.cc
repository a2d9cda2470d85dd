#include "plot/axes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "plot/kinds.h"
#include "tracefile/format.h"
#include "util/format.h"
#include "util/text.h"

namespace kor::plot {
namespace {

constexpr int kMaxNormaliseSteps = 28;
constexpr double kAbsent = -1.1e31;  // default of list items: "not given"

// Splits an axis value into its four "/" items (blanks removed).
std::array<std::string, 4> axis_items(std::string_view value) {
  std::array<std::string, 4> items;
  int count = 0;
  (void)util::ST_SPLS(value, '/', "", 72, items, count);
  return items;
}

// Reads an optional real item: nullopt when blank or not a number.
std::optional<double> optional_real(std::string_view item) {
  if (util::ST_TLEN(item) == 0) return std::nullopt;
  double v = 0.0;
  if (util::ST_TREL(item, v) != 0 || v == util::kPlotMissing) return std::nullopt;
  return v;
}

// The real values of a ";"-list that converted, in order.
std::vector<double> real_list(std::string_view text) {
  std::array<double, kMaxAxisLabels> values;
  int count = 0;
  (void)util::ST_SPLR(text, ';', kAbsent, values, count);
  std::vector<double> out;
  for (int i = 0; i < std::min(count, kMaxAxisLabels); ++i) {
    if (values[i] != kAbsent) out.push_back(values[i]);
  }
  return out;
}

// Nearest integer, halves away from zero, kept within the int range.
int nint(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::clamp(v, -2.0e9, 2.0e9);
  return static_cast<int>(std::lround(v));
}

// Values this close together relative to their size are one value: the traces are kept in single
// precision, so a constant score computed two ways differs in its last bits.
constexpr double kSameValue = 1.0e-6;

// A single data value v becomes v -+ 0.5 * 10**k, k = log10|v| - 1 truncated toward zero; 0 gives
// -0.5 to 0.5.  A range narrower than the rounding of single precision counts as a single value
// (its middle), so that a constant trace is not spread over an axis whose labels all read alike.
void widen_single_value(double& lo, double& hi) {
  if (lo > hi || !(hi - lo <= kSameValue * std::max(std::fabs(lo), std::fabs(hi)))) return;
  const double v = lo == hi ? lo : lo + (hi - lo) / 2;
  if (v == 0.0) {
    lo = -0.5;
    hi = 0.5;
    return;
  }
  const double k = std::trunc(std::log10(std::fabs(v)) - 1.0);
  const double half = 0.5 * std::pow(10.0, k);
  lo = v - half;
  hi = v + half;
}

// Labels from `start` at the increment (see the XAX rules).  `from_start` starts at the start
// itself (a negative increment given by the user) instead of a multiple of the increment.
void labels_at_increment(AxisState& axis, double start, double stop, double inc, bool from_start) {
  axis.label_count = 0;
  if (!(inc > 0.0) || !std::isfinite(inc)) {
    axis.labels[axis.label_count++] = start;
    return;
  }
  if (start > stop) inc = -inc;
  const double first = from_start ? start : std::trunc(start / inc) * inc;
  const double span = std::fabs(stop - start);
  // A small allowance keeps the stop label that rounding would otherwise lose.
  const double allowance = 1.0e-5 * std::fabs(inc);
  double label = first;
  for (int i = 0; i < kMaxAxisLabelsMade; ++i) {
    label = first + i * inc;
    axis.labels[axis.label_count++] = std::fabs(label) < 0.05 * std::fabs(inc) ? 0.0 : label;
    if (std::fabs(label + inc - start) > span + allowance) break;
  }
}

// Start and stop from the first two items, or the data range with a 3.75 % margin (none for a
// histogram X axis when `bare` is set).
void start_stop(const std::array<std::string, 4>& items, double lo, double hi, bool bare,
                double& start, double& stop) {
  const double margin = bare ? 0.0 : 0.0375 * std::fabs(hi - lo);
  start = optional_real(items[0]).value_or(lo - margin);
  stop = optional_real(items[1]).value_or(hi + margin);
}

// Label positions from the increment values (none, one or several).
void place_labels(AxisState& axis, const std::vector<double>& incs, double start, double stop,
                  int intervals, int base) {
  if (incs.size() >= 2) {
    axis.label_count = std::min<int>(static_cast<int>(incs.size()), kMaxAxisLabels);
    std::copy_n(incs.begin(), axis.label_count, axis.labels.begin());
    return;
  }
  if (incs.empty()) {
    labels_at_increment(axis, start, stop, nice_increment(stop - start, intervals, base), false);
    return;
  }
  const double inc = incs[0];
  if (inc > 0.0) {
    labels_at_increment(axis, start, stop, inc, false);
  } else if (inc < 0.0) {
    labels_at_increment(axis, start, stop, -inc, true);
  } else {
    axis.label_count = 2;
    axis.labels[0] = start;
    axis.labels[1] = stop;
  }
}

// Y axis common to YAX and RYA.
int y_axis(AxisState& axis, std::string_view value, int final_type, bool colon_form) {
  const auto items = axis_items(value);
  double lo = axis.data_min, hi = axis.data_max;
  if (lo > hi) {  // no data at all on this axis
    lo = 0.0;
    hi = 1.0;
  }
  widen_single_value(lo, hi);

  std::array<int, 3> freq{-1, -1, -1};
  int fcount = 0;
  (void)util::ST_SPLI(items[3], ';', -1, freq, fcount);
  axis.label_freq = freq[0] < 0 ? 1 : freq[0];
  axis.grid_freq = freq[1] < 0 ? 0 : freq[1];
  axis.tick_freq = freq[2] < 0 ? 1 : freq[2];

  double start = 0.0, stop = 0.0;
  start_stop(items, lo, hi, false, start, stop);

  std::string inc_text = items[2];
  int n = 10;
  bool colon = false;
  if (colon_form) {
    const auto pos = inc_text.find(':');
    if (pos != std::string::npos) {
      colon = true;
      const auto intervals = optional_real(std::string_view(inc_text).substr(pos + 1));
      if (intervals && nint(*intervals) >= 1) n = nint(*intervals);
      inc_text.resize(pos);
    }
  }
  std::vector<double> incs = real_list(inc_text);
  const double range = std::fabs(stop - start);
  if (colon && incs.size() == 1 && incs[0] > 0.0 && range > 0.0) {
    double inc = incs[0];
    const int e = nint(std::log10(inc * n / range));
    inc /= std::pow(10.0, e);
    if (range / inc > n) inc *= std::trunc(range / (n * inc)) + 1.0;
    incs[0] = inc;
  }
  place_labels(axis, incs, start, stop, n, n);
  axis.start = start;
  axis.stop = stop;
  if (final_type == kSkillScore) axis.stop += 0.05 * std::fabs(stop - start);
  if (final_type == kHistogram) axis.start = 0.0;
  return 0;
}

// The bins of a histogram whose range the user left open: centred on multiples of `inc`, from the
// bin that holds the smallest value to the bin that holds the largest, and the axis from the first
// bin's left edge to the last bin's right edge, so that every value lands in a bin and every bin
// lies inside the axis.
void histogram_axis(AxisState& axis, double lo, double hi, double inc) {
  if (!(inc > 0.0) || !std::isfinite(inc) || !std::isfinite(lo) || !std::isfinite(hi)) {
    inc = 1.0;
  }
  double first = 0.0, last = 0.0;
  long long bins = 0;
  for (int doubling = 0; doubling < 64; ++doubling, inc *= 2.0) {
    first = std::floor(lo / inc + 0.5) * inc;
    if (lo < first - inc / 2) first -= inc;
    last = std::floor(hi / inc + 0.5) * inc;
    if (hi > last + inc / 2) last += inc;
    bins = std::llround((last - first) / inc) + 1;
    if (bins <= kMaxAxisLabelsMade) break;
  }
  bins = std::clamp<long long>(bins, 1, kMaxAxisLabelsMade);
  axis.label_count = static_cast<int>(bins);
  for (int i = 0; i < axis.label_count; ++i) {
    const double centre = first + i * inc;
    axis.labels[i] = std::fabs(centre) < 0.05 * inc ? 0.0 : centre;
  }
  axis.start = first - inc / 2;
  axis.stop = first + (static_cast<double>(bins) - 0.5) * inc;
}

// The label spacing of a time axis (in days) that the user left to us: the nice increment when it
// is a whole number of days, else the next of 1, 2, 3, 6 and 12 hours or a day, so that the
// labels fall on whole hours.
double time_increment(double range) {
  const double nice = nice_increment(range, 10, 10);
  if (nice >= 1.0 || !(nice > 0.0)) return nice;
  static constexpr double kHours[] = {1, 2, 3, 6, 12};
  for (double hours : kHours) {
    if (hours / 24 >= nice * (1 - 1e-9)) return hours / 24;
  }
  return 1.0;
}

// Date-time of a "YYYYMMDDHH" text placed on the time axis: the abscissa of the last label not
// after it plus the minutes past that label in days (the first label when all lie after it).
std::optional<double> time_position(std::string_view text, const MergedAxis& times) {
  if (text.size() != 10) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const auto want = tracefile::read_label_time(text);
  if (!want) return std::nullopt;
  std::optional<double> best;
  std::optional<double> first;
  const int count = std::min<int>(
      {times.count, static_cast<int>(times.position.size()), static_cast<int>(times.label.size())});
  for (int i = 0; i < count; ++i) {
    const auto at = tracefile::read_label_time(times.label[i]);
    if (!at) continue;
    const auto minutes = tracefile::minutes_between(*want, *at);
    if (!minutes) continue;
    const double value = times.position[i] + static_cast<double>(*minutes) / 1440.0;
    if (!first) first = value;
    if (*minutes >= 0) best = value;
  }
  if (!best) best = first;
  if (!best) return std::nullopt;
  const double whole = std::round(*best);
  return std::fabs(*best - whole) < 0.0001 ? whole : *best;
}

// The date-time `minutes` (>= 0) before `t`: counted forward from 1 January of a year far enough
// back.  False when that year is not a valid one.
bool time_before(const tracefile::DateTime& t, long long minutes, tracefile::DateTime& out) {
  const auto year = tracefile::normalise_year(t.year);
  if (!year || minutes < 0 || minutes > 1440LL * 366 * 100) return false;
  const tracefile::DateTime base{*year - static_cast<int>(minutes / (1440LL * 365)) - 1, 1, 1, 0,
                                 0};
  const auto offset = tracefile::minutes_between(t, base);
  return offset && tracefile::add_minutes(base, *offset - minutes, out) == 0;
}

std::string two(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", ((v % 100) + 100) % 100);
  return buf;
}

}  // namespace

int PLT_XLBS(int capacity, int points, const std::vector<double>& x,
             const std::vector<std::string>& labels, const std::vector<int>& tags,
             MergedAxis& merged) {
  capacity = std::min(capacity, kMaxPoints);
  if (points <= 0) return 0;
  if (points > static_cast<int>(x.size()) || points > static_cast<int>(labels.size()) ||
      points > static_cast<int>(tags.size())) {
    return 1;
  }
  const int count = std::clamp(
      merged.count, 0,
      std::min({static_cast<int>(merged.position.size()), static_cast<int>(merged.label.size()),
                static_cast<int>(merged.tag.size())}));
  MergedAxis out;
  if (count == 0) {
    if (points > capacity) return 1;
    out.position.assign(x.begin(), x.begin() + points);
    out.label.assign(labels.begin(), labels.begin() + points);
    out.tag.assign(tags.begin(), tags.begin() + points);
  } else {
    const double first = merged.position[0];
    const double last = merged.position[count - 1];
    int lead = 0;
    while (lead < points && x[lead] < first) ++lead;
    int tail = points;
    while (tail > lead && x[tail - 1] > last) --tail;
    if (count + lead + (points - tail) > capacity) return 1;
    for (int i = 0; i < lead; ++i) {
      out.position.push_back(x[i]);
      out.label.push_back(labels[i]);
      out.tag.push_back(tags[i]);
    }
    out.position.insert(out.position.end(), merged.position.begin(),
                        merged.position.begin() + count);
    out.label.insert(out.label.end(), merged.label.begin(), merged.label.begin() + count);
    out.tag.insert(out.tag.end(), merged.tag.begin(), merged.tag.begin() + count);
    for (int i = tail; i < points; ++i) {
      out.position.push_back(x[i]);
      out.label.push_back(labels[i]);
      out.tag.push_back(tags[i]);
    }
  }
  out.count = static_cast<int>(out.position.size());
  merged = std::move(out);
  return 0;
}

double nice_increment(double range, int intervals, int base) {
  if (intervals < 1) intervals = 10;
  if (base < 2) base = 10;
  double r = std::fabs(range) / intervals;
  if (!(r > 0.0) || !std::isfinite(r)) return 0.0;
  int k = 0;
  for (int step = 0; r > base && step < kMaxNormaliseSteps; ++step) {
    r /= base;
    ++k;
  }
  for (int step = 0; r < 1.0 && step < kMaxNormaliseSteps; ++step) {
    r *= base;
    --k;
  }
  r = std::round(r);
  if (r < 1.0) r = 1.0;
  return r * std::pow(static_cast<double>(base), k);
}

int x_axis_from_xax(XAxisState& axis, std::string_view value, const MergedAxis& times,
                    int final_type) {
  const auto items = axis_items(value);

  std::optional<double> time_start, time_stop;
  if (value.find(':') != std::string_view::npos) {
    std::array<std::string, 2> ends;
    int count = 0;
    (void)util::ST_SPLS(items[0], ':', "", 16, ends, count);
    time_start = time_position(ends[0], times);
    time_stop = time_position(ends[1], times);
    if (count != 2 || !time_start || !time_stop) return -19;
  }

  double lo = axis.data_min, hi = axis.data_max;
  if (lo > hi) {
    lo = 0.0;
    hi = 1.0;
  }
  widen_single_value(lo, hi);

  constexpr int kNoFreq = -99999;
  std::array<int, 3> freq{};
  int fcount = 0;
  (void)util::ST_SPLI(items[3], ';', kNoFreq, freq, fcount);
  const int label_freq = freq[0] >= 0 ? freq[0] : 1;
  const int grid_freq = freq[1] >= 0 ? freq[1] : 0;
  int tick_freq = 1, minor = 0;
  if (freq[2] != kNoFreq) {
    if (freq[2] < 0) {
      // The most negative int has no opposite: it gives the longest period there is.
      minor =
          freq[2] == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : -freq[2];
    } else {
      tick_freq = freq[2];
    }
  }

  double start = 0.0, stop = 0.0;
  start_stop(items, lo, hi, final_type == kHistogram, start, stop);
  if (time_start) {
    start = *time_start;
    stop = *time_stop;
  }

  std::string inc_text = util::ST_UPPR(util::ST_NOBL(items[2]));
  char unit = 'D';
  for (char letter : {'Y', 'M', 'D'}) {
    const auto pos = inc_text.find(letter);
    if (pos != std::string::npos) {
      unit = letter;
      inc_text = pos == 0 ? std::string("1") : inc_text.substr(0, pos);
      break;
    }
  }
  const std::vector<double> incs = real_list(inc_text);

  axis.time_unit = unit;
  axis.time_inc = incs.empty() ? 1 : nint(std::fabs(incs[0]));
  axis.minor_period = minor;
  axis.label_freq = label_freq;
  axis.grid_freq = grid_freq;
  axis.tick_freq = tick_freq;
  const bool range_given = optional_real(items[0]) || optional_real(items[1]) || time_start;
  if (final_type == kHistogram && !range_given &&
      (incs.empty() || (incs.size() == 1 && incs[0] > 0.0))) {
    histogram_axis(axis, lo, hi, incs.empty() ? nice_increment(hi - lo, 10, 10) : incs[0]);
    return 0;
  }
  if (final_type == kTimeSeries && incs.empty() && unit == 'D') {
    labels_at_increment(axis, start, stop, time_increment(stop - start), false);
  } else {
    place_labels(axis, incs, start, stop, 10, 10);
  }
  axis.start = start;
  axis.stop = stop;
  return 0;
}

void log_axis(AxisState& axis, std::string_view value) {
  const auto items = axis_items(value);
  double lo = axis.data_min > 0.0 ? axis.data_min : axis.positive_min;
  double hi = axis.data_max;
  if (!(lo > 0.0) || !(hi >= lo) || !std::isfinite(hi)) {
    lo = 1.0;
    hi = 10.0;
  }
  double start = std::pow(10.0, std::floor(std::log10(lo) + 1e-9));
  double stop = std::pow(10.0, std::ceil(std::log10(hi) - 1e-9));
  if (!(stop > start)) stop = start * 10.0;
  if (const auto given = optional_real(items[0]); given && *given > 0.0) start = *given;
  if (const auto given = optional_real(items[1]); given && *given > 0.0) stop = *given;
  if (start == stop) stop = start * 10.0;
  axis.start = start;
  axis.stop = stop;
  const double a = std::min(start, stop), b = std::max(start, stop);
  std::vector<double> at;
  for (double v : real_list(items[2])) {
    if (v > 0.0) at.push_back(v);
  }
  if (at.size() < 2) {
    at.clear();
    const int first = static_cast<int>(std::floor(std::log10(a) - 1e-9));
    const int last = static_cast<int>(std::ceil(std::log10(b) + 1e-9));
    const bool fine = std::log10(b / a) <= 2 + 1e-9;  // two decades or less: 2 and 5 too
    for (int k = first; k <= last && static_cast<int>(at.size()) < kMaxAxisLabelsMade; ++k) {
      for (double m : {1.0, 2.0, 5.0}) {
        if (m != 1.0 && !fine) continue;
        const double v = m * std::pow(10.0, k);
        if (v >= a * (1 - 1e-9) && v <= b * (1 + 1e-9)) at.push_back(v);
      }
    }
    if (start > stop) std::reverse(at.begin(), at.end());
  }
  axis.label_count = std::min(static_cast<int>(at.size()), kMaxAxisLabels);
  std::copy_n(at.begin(), axis.label_count, axis.labels.begin());
}

int y_axis_from_yax(AxisState& y, std::string_view value, int final_type) {
  return y_axis(y, value, final_type, true);
}

int ry_axis_from_rya(AxisState& ry, std::string_view value, int final_type) {
  return y_axis(ry, value, final_type, false);
}

bool parse_axis_label(std::string_view value, std::string& text, int& line) {
  line = 1;
  const auto slash = value.rfind('/');
  std::string_view label = value;
  if (slash != std::string_view::npos) {
    // Only a number (or nothing) after the last slash is the line; "mg/kg" and "m/s" are text.
    const std::string_view after = value.substr(slash + 1);
    int n = 0;
    const bool number = util::ST_TINT(after, n) == 0;
    if (number || util::ST_TLEN(after) == 0) {
      label = value.substr(0, slash);
      if (number && n > 0) line = n;
    }
  }
  const std::string whole = util::ST_LJST(label);
  text = util::cut(whole, kAxisTitleWidth);
  return util::rtrim(text).size() < util::rtrim(whole).size();
}

std::vector<std::string> shorten_time_labels(const std::vector<LabelTime>& times, int frequency,
                                             bool with_minutes) {
  std::vector<std::string> out;
  if (times.empty()) return out;
  // Runs of repeats of the five pieces (year, month, day, hour, minutes).
  std::array<int, 5> run{};
  for (std::size_t i = 0; i < times.size(); ++i) {
    const LabelTime& t = times[i];
    const std::array<int, 5> piece{t.year % 100, t.month, t.day, t.hour, t.minute};
    if (i == 0) {
      std::string text = two(piece[0]) + two(piece[1]) + two(piece[2]) + "/" + two(piece[3]);
      if (with_minutes) text += two(piece[4]);
      out.push_back(text);
      continue;
    }
    const LabelTime& p = times[i - 1];
    const std::array<int, 5> prev{p.year % 100, p.month, p.day, p.hour, p.minute};
    std::array<bool, 5> write{};
    for (int k = 0; k < 5; ++k) {
      if (piece[k] != prev[k]) {
        run[k] = 0;
        write[k] = true;
      } else {
        ++run[k];
        write[k] = run[k] < frequency;
      }
    }
    write[1] = write[1] || write[0];
    write[2] = write[2] || write[1];
    std::string text;
    if (write[0]) text += two(piece[0]);
    if (write[1]) text += two(piece[1]);
    if (write[2]) text += two(piece[2]);
    text += "/";
    if (write[3]) text += two(piece[3]);
    if (with_minutes && write[4]) {
      if (!write[3]) text += two(piece[3]);
      text += two(piece[4]);
    }
    out.push_back(text);
  }
  return out;
}

int time_labels(const XAxisState& x, const MergedAxis& points, TimeLabels& out) {
  out = TimeLabels{};
  const int count = std::min<int>({points.count, static_cast<int>(points.position.size()),
                                   static_cast<int>(points.label.size())});
  std::vector<tracefile::DateTime> when(count);
  for (int i = 0; i < count; ++i) {
    const auto t = tracefile::read_label_time(points.label[i]);
    tracefile::DateTime norm;
    if (!t || tracefile::add_minutes(*t, 0, norm) != 0) return -19;
    when[i] = norm;
  }
  std::vector<LabelTime> stamps;
  int status = 0;
  auto add = [&](const tracefile::DateTime& t, double pos) {
    stamps.push_back({t.year, t.month, t.day, t.hour, t.minute});
    out.position.push_back(pos);
  };

  if (x.time_unit == 'D' && x.label_count > 0) {
    for (int j = 0; j < x.label_count; ++j) {
      const double xp = x.labels[j];
      int at = -1;
      for (int i = 0; i < count && points.position[i] <= xp; ++i) at = i;
      if (count == 0) continue;  // no point to count from
      tracefile::DateTime t;
      const long long minutes = std::llround((xp - points.position[std::max(at, 0)]) * 1440.0);
      // Before the first point the time runs back from it.
      if (at < 0 ? !time_before(when[0], -minutes, t)
                 : tracefile::add_minutes(when[at], std::max(0LL, minutes), t) != 0) {
        continue;
      }
      add(t, xp);
    }
  } else if (x.time_unit == 'D') {
    for (int i = 0; i < count && i < kMaxAxisLabels; ++i) add(when[i], points.position[i]);
  } else {
    int first = 0;
    while (first < count && points.position[first] < x.start) ++first;
    if (first < count) {
      tracefile::DateTime t = when[first];
      double pos = points.position[first];
      const int past = t.hour * 60 + t.minute;
      if (past != 0) {
        status = 9;
        if (tracefile::add_minutes(t, 1440 - past, t) != 0) return -19;
        pos += (1440 - past) / 1440.0;
      }
      const int inc = std::max(1, x.time_inc);
      const int k = x.minor_period;
      // The walk ends at the X stop; the cap keeps a wild range from running away.
      for (int day = 0; pos <= x.stop + 1.0e-9 && day < 400000; ++day) {
        if (t.day == 1 &&
            (x.time_unit == 'M' ? (t.month - 1) % inc == 0 : t.month == 1 && t.year % inc == 0)) {
          if (static_cast<int>(stamps.size()) < kMaxAxisLabels) add(t, pos);
        }
        if (k > 0 && (x.time_unit == 'M' ? t.day % k == 0 : t.day == 1 && t.month % k == 0)) {
          out.minor_ticks.push_back(pos);
        }
        if (tracefile::add_minutes(t, 1440, t) != 0) break;
        pos += 1.0;
      }
    }
  }
  const bool with_minutes = stamps.empty() || stamps[0].minute != 0;
  out.text = shorten_time_labels(stamps, std::max(1, x.label_freq), with_minutes);
  out.times = std::move(stamps);
  out.with_minutes = with_minutes;
  return status;
}

std::vector<std::string> category_label_texts(const PlotSettings& settings, int final_type,
                                              char label_type, const MergedAxis& merged,
                                              const std::vector<double>& merged_values,
                                              int point_count) {
  std::vector<std::string> out;
  const int users = std::clamp(settings.user_xlabel_count, 0, kMaxUserLabels);
  if (final_type == kBinnedData && users > 0) {
    for (int i = 0; i < std::min(users, point_count); ++i) out.push_back(settings.user_xlabels[i]);
    return out;
  }
  if (label_type != 'r') {
    if (users > 0) {
      for (int i = 0; i < users; ++i) out.push_back(settings.user_xlabels[i]);
      return out;
    }
    const int count =
        std::min({merged.count, static_cast<int>(merged.label.size()), kMaxAxisLabelsMade});
    for (int i = 0; i < count; ++i) out.push_back(util::ST_NOBL(merged.label[i]));
    return out;
  }
  const int count =
      std::min({merged.count, static_cast<int>(merged_values.size()), kMaxAxisLabelsMade});
  if (count <= 0) return out;
  const auto [lo, hi] = std::minmax_element(merged_values.begin(), merged_values.begin() + count);
  // Decimals: how often the mean spacing must be multiplied by 10 to reach 1.
  double spacing = (*hi - *lo) / count;
  int d = 0;
  if (spacing > 0.0 && std::isfinite(spacing)) {
    while (spacing < 1.0 && d < 6) {
      spacing *= 10.0;
      ++d;
    }
  }
  // The digits that tell the cells apart: as many decimals as the values themselves carry (at most
  // six), trailing zeros beyond the spacing's decimals dropped, so that thresholds 0.254, 2.54 and
  // 12.7 read so and not 0., 3. and 13.
  int exact = d;
  for (int i = 0; i < count && d < 6; ++i) {
    const double v = merged_values[i];
    while (exact < 6) {
      const double scale = std::pow(10.0, exact);
      if (std::fabs(std::round(v * scale) / scale - v) <= 1e-7 * std::max(1.0, std::fabs(v))) {
        break;
      }
      ++exact;
    }
  }
  for (int i = 0; i < count; ++i) {
    const double v = merged_values[i];
    std::string text;
    if (d < 6) {
      int digits = 1;
      for (double m = std::fabs(v); m >= 10.0 && digits < 30; m /= 10.0) ++digits;
      char fmt[32];
      std::snprintf(fmt, sizeof fmt, "(F%d.%d)", exact + digits + 2, exact);
      text = util::format(fmt, {v});
      const std::size_t point = text.find('.');
      while (point != std::string::npos && text.size() > point + 1 + d && text.back() == '0') {
        text.pop_back();
      }
    } else {
      text = util::format("(1PE11.4)", {v});
    }
    out.push_back(util::ST_LJST(text));
  }
  return out;
}

std::string bin_count_text(double count, bool few) {
  const double limit = few ? 1000000.0 : 100000.0;
  if (!(count >= limit)) {
    const long long v = std::isfinite(count) ? std::llround(std::max(count, -1.0e9)) : -1;
    if (v < 0) return "MSSNG";
    return util::format("(I7)", {v});
  }
  int e = static_cast<int>(std::floor(std::log10(count))) - 1;
  long long m = std::llround(count / std::pow(10.0, e));
  if (m >= 100) {
    m = std::llround(m / 10.0);
    ++e;
  }
  return util::format("(I2.2,A1,I2.2)", {m, "E", e});
}

int check_bin_counts(int count_count, int label_count) {
  return count_count == label_count ? 0 : -17;
}

}  // namespace kor::plot
