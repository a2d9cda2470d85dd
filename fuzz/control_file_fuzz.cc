// The graphics control file on any text: the three passes of the parser, the layout derived from
// the settings and the traces' extremes, the device set-up (the text device's files in the
// scratch folder, or the graphics requests of a device recorded instead of sent), and the drawing
// of the plot under those settings into recorded requests, for several trace counts and final
// plot types.  The control file's numbers (title lines, margins, text attributes, tick counts,
// bar widths, colours) reach the drawing's arithmetic this way.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "fuzz/fuzz_support.h"
#include "plot/control.h"
#include "plot/device.h"
#include "plot/draw/plot.h"
#include "tests/support/recording_requests.h"
#include "util/support.h"
#include "util/unit.h"

namespace {

using namespace kor;

struct Setting {
  int traces;
  int final_type;
  int labels;  // abscissa labels of the merged axis
};
// Time series, scatter, skill score, binned data, histogram, ROC, attribute and CRPS reliability
// diagrams, with trace counts from 1 to the capacity (and one beyond it); a negative label count
// gives that many daily date-time labels, so that the time axis of XAX is drawn.
constexpr Setting kSettings[] = {{2, 1, 0},  {2, 2, 0},  {5, 3, 7}, {24, 4, 64}, {1, 5, 3},
                                 {3, 6, 11}, {8, 7, 10}, {2, 8, 4}, {25, 1, 0}, {2, 1, -10}};

plot::MergedAxis merged_axis(int labels) {
  plot::MergedAxis axis;
  axis.count = std::abs(labels);
  for (int i = 0; i < axis.count; ++i) {
    axis.position.push_back(i + 1);
    const std::string text = labels < 0 ? "201611" + std::to_string(10 + i) + "0000"
                                        : std::to_string(10 * i);
    axis.label.push_back(std::string(24, ' ').replace(0, text.size(), text));
    axis.tag.push_back(i);
  }
  return axis;
}

// Ten points per trace inside the extremes given to the parser, the fourth one missing.
void fill_traces(resample::PlotTraces& traces, int count) {
  for (int h = 0; h < std::min(count, plot::kMaxTraces); ++h) {
    for (int p = 0; p < 10; ++p) {
      traces.X(h, p) = 1.0f + 3.0f * p;
      traces.Y(h, p) = p == 3 ? -9999.0f : 0.1f * static_cast<float>((p * 7 + h) % 10) - 0.5f * h;
    }
    traces.count[h] = 10;
  }
}

// Draws the plot of final type `s.final_type` with `settings` and `layout` into `requests`.
void draw(const plot::PlotSettings& settings, const plot::PlotLayout& layout,
          const plot::MergedAxis& axis, const Setting& s,
          kor::testing::RecordingRequests& requests) {
  static resample::PlotTraces traces{64};
  fill_traces(traces, s.traces);
  plot::draw::PlotView view{settings, layout, traces};
  view.trace_count = std::min(s.traces, plot::kMaxTraces);
  view.final_type = s.final_type;
  view.stat_type = "FHO";
  for (int h = 1; h <= view.trace_count; ++h) view.trace_list.push_back(h);
  for (auto& v : view.summary) v.fill(0.25);
  view.clim_freq.fill(0.3);
  view.merged = &axis;
  if (s.labels < 0) view.label_type = 't';  // date-time labels: a time axis
  for (int i = 0; i < axis.count; ++i) view.merged_values.push_back(axis.position[i]);
  view.bin_counts.assign(axis.count, 12.0);
  std::ostringstream os;
  plot::draw::Pen pen{requests, os};
  util::SupportState support;
  if (s.final_type >= 7) {
    (void)plot::draw::draw_diagram(pen, view);
  } else {
    (void)plot::draw::draw_plot(
        pen, view, false, [](plot::draw::Pen&) { return 0; }, support);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = kor::fuzz::write_file("input.ctl", {data, size});
  // A device file name that climbs out of the scratch folder is not followed.
  const bool contained = kor::fuzz::as_text(data, size).find("..") == std::string_view::npos;
  std::ostringstream os;
  for (const Setting& s : kSettings) {
    util::TextUnit unit(9);
    if (!unit.open(path)) return 0;
    const plot::MergedAxis axis = merged_axis(s.labels);
    plot::ControlInput in;
    in.trace_count = s.traces;
    in.final_type = s.final_type;
    in.labels = &axis;
    for (int h = 0; h < plot::kMaxTraces; ++h) {
      in.xmin[h] = 1.0;
      in.xmax[h] = 30.0 + h;
      in.ymin[h] = -0.5 * h;
      in.ymax[h] = 1.0 + h;
    }
    plot::PlotSettings settings;
    plot::BoxWhiskerBook book;
    const bool text_only = s.final_type == 2;
    if (plot::parse_control_file(settings, book, unit, in, text_only, os) != 0) continue;
    plot::PlotLayout layout;
    if (plot::derive_layout(layout, settings, book, in, os) != 0) continue;
    {
      kor::testing::RecordingRequests drawn;
      draw(settings, layout, axis, s, drawn);
    }
    if (!contained) continue;
    plot::PlotFiles files;
    files.output_dir = kor::fuzz::scratch_dir();
    kor::testing::RecordingRequests requests;
    (void)plot::start_output_device(settings, plot::parse_device(settings.device), files, &requests,
                                    os);
    files.text.close();
  }
  return 0;
}
