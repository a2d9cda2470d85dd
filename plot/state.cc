#include "plot/state.h"

#include <algorithm>

#include "plot/kinds.h"

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
  const int n = std::clamp(trace_count, 0, kMaxTraces);
  s.title.clear();
  for (auto& label : s.trace_labels) label.clear();
  s.label_given.fill(false);
  s.weighted_mean.fill(false);
  s.x_title.clear();
  s.y_title.clear();
  s.ry_title.clear();
  s.x_title_line = s.y_title_line = s.ry_title_line = 1;
  s.two_column = false;

  s.border_colour = s.border_type = s.border_width = 1;
  s.clear = true;
  s.device = "TX";
  s.colours.clear();
  s.dev_given = false;
  s.left_factor = s.right_factor = 1.0;
  s.scale_lines.clear();

  for (int i = 0; i < kMaxTraces; ++i) {
    s.line_colour[i] = 1;
    s.line_type[i] = i + 1;
    s.line_width[i] = 1;
    s.marker_interval[i] = 1;
    s.marker_colour[i] = 1;
    s.marker_type[i] = i + 1;
    s.marker_size[i] = 1.0;
    s.marker_width[i] = 1;
  }
  s.line_defs = n;
  s.marker_defs = n;

  s.panel = {0.0, 0.0, 1.0, 1.0};
  s.left_axis_type = s.right_axis_type = 1;
  s.aspect = 0.0;
  s.margins = {0.0, 0.0, 0.0, 0.0};
  s.adl_colour.fill(1);
  s.adl_type.fill(2);
  s.adl_width.fill(1);
  s.label_level = 1;
  s.l_text = kDefaultTextAttr;
  s.t_text.fill(kDefaultTextAttr);

  s.left_refs = RefLines{};
  s.right_refs = RefLines{};
  s.ref_count = 0;
  s.ref_x.fill(0.0);
  s.ref_y.fill(0.0);
  s.ref_colour = s.ref_type = s.ref_width = 1;

  s.xax.clear();
  s.yax.clear();
  s.rya.clear();
  s.yax_given = s.rya_given = false;
  for (auto& label : s.user_xlabels) label.clear();
  s.user_xlabel_count = 0;
  s.reversed = false;
  s.right_axis = false;
  s.right_only = false;
  s.right_trace.fill(false);
  s.first_right = s.first_left = 1;

  s.bar_colour.fill(0);
  s.hst_count = 0;
  s.bar_traces = 0;

  s.btext_count = 0;
  s.btext_x = s.btext_y = kPlotMissing;
  s.btext_hash = false;
  s.btext_attr.clear();
  s.btext_box = true;
  s.sig_test = true;
  s.ci_level = 0.0;

  if (!full) return;
  s.trials = kDefaultTrials;
  s.resample = false;
  s.test_level = 0.05;
  s.bxw_print = s.bxw_second = false;
  s.bxw_request.fill(0);
  s.bxw_colour.fill(0);
}

bool box_whiskers_wanted(const PlotSettings& s) {
  return std::any_of(s.bxw_colour.begin(), s.bxw_colour.end(), [](int c) { return c > 0; });
}

void reset_results(PlotResults& r) {
  r.final_type = kTimeSeries;
  r.plot_number = 1;
  r.rank_hist = r.depth_flag = r.rpf_flag = false;
  r.attr_param_label.clear();
  for (auto& row : r.summary) row.fill(kPlotMissing);
  r.clim_freq.fill(kPlotMissing);
  r.bxw = BoxWhiskerBook{};
  r.diagrams = DiagramResults{};
}

}  // namespace kor::plot
