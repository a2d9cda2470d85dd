#include "plot/state.h"

#include <algorithm>

#include "plot/kinds.h"

namespace kor::plot {

std::string PlotState::output_path(const std::string& name) const {
  if (output_dir.empty()) return name;
  if (output_dir.back() == '/') return output_dir + name;
  return output_dir + "/" + name;
}

void PlotState::add_bxw_error(int code) {
  if (bxw_error_count >= 0 && bxw_error_count < kMaxBxwErrors) bxw_errors[bxw_error_count] = code;
  ++bxw_error_count;
}

void reset_plot_state(PlotState& s, int trace_count, bool full) {
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

  s.x = XAxisState{};
  s.y = AxisState{};
  s.ry = AxisState{};
  for (auto& label : s.user_xlabels) label.clear();
  s.user_xlabel_count = 0;
  s.reversed = false;
  s.right_axis = false;
  s.right_only = false;
  s.right_trace.fill(false);
  s.first_right = s.first_left = 1;

  s.bar_colour.fill(0);
  s.hst_count = 0;
  s.bar_width = 0.0;

  s.btext_count = 0;
  s.btext_x = s.btext_y = kPlotMissing;
  s.btext_hash = false;
  s.btext_attr.clear();
  s.btext_box = true;
  s.sig_test = true;
  s.trace_count = n;

  if (!full) return;
  s.trials = kDefaultTrials;
  s.resample = false;
  s.test_level = 0.05;
  s.bxw_print = s.bxw_second = false;
  s.bxw_request.fill(0);
  s.bxw_colour.fill(0);
  s.bxw_spacing = 0.0;

  s.final_type = kTimeSeries;
  s.plot_number = 1;
  s.rank_hist = s.depth_flag = s.rpf_flag = false;
  s.attr_param_label.clear();
  for (auto& row : s.summary) row.fill(kPlotMissing);
  s.clim_freq.fill(kPlotMissing);

  s.group_opcodes.clear();
  s.first_group_traces.clear();
  s.group_size_fixed = false;
  s.group_size = 0;
  s.group_start = 1;
  s.bxw_flag.fill(0);
  s.bxw_errors.fill(0);
  s.bxw_error_count = 0;
  s.pairs_per_group = 0;
}

}  // namespace kor::plot
