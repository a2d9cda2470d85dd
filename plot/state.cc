#include "plot/state.h"

#include <algorithm>

namespace kor::plot {

std::string PlotFiles::output_path(const std::string& name) const {
  if (output_dir.empty()) return name;
  if (output_dir.back() == '/') return output_dir + name;
  return output_dir + "/" + name;
}

void BoxWhiskerBook::add_error(int code) {
  if (error_count >= 0 && error_count < kMaxBxwErrors) errors[error_count] = code;
  ++error_count;
}

void reset_settings(PlotSettings& s, int trace_count, bool full) {
  PlotSettings fresh;
  fresh.line_defs = fresh.marker_defs = std::clamp(trace_count, 0, kMaxTraces);
  if (!full) {
    fresh.trials = s.trials;
    fresh.resample = s.resample;
    fresh.test_level = s.test_level;
    fresh.bxw_print = s.bxw_print;
    fresh.bxw_second = s.bxw_second;
    fresh.bxw_request = s.bxw_request;
    fresh.bxw_colour = s.bxw_colour;
  }
  s = std::move(fresh);
}

void BoxWhiskerTables::clear() {
  const std::size_t size = static_cast<std::size_t>(kMaxTraces) * kBxwPoints;
  for (auto* table : {&minus_lower, &upper, &upper_whisker, &lower_whisker}) {
    table->assign(size, 0.0f);
  }
}

bool box_whiskers_wanted(const PlotSettings& s) {
  return std::any_of(s.bxw_colour.begin(), s.bxw_colour.end(), [](int c) { return c > 0; });
}

}  // namespace kor::plot
