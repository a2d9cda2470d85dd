#include "plot/draw/plot.h"

#include <ostream>

#include "graphics/request_codes.h"
#include "plot/draw/axis_draw.h"
#include "plot/draw/box_whisker.h"
#include "plot/draw/frame.h"
#include "plot/draw/lines.h"
#include "plot/draw/methods.h"
#include "plot/draw/summary_draw.h"
#include "plot/kinds.h"
#include "plot/messages.h"
#include "util/listout.h"

namespace kor::plot::draw {

int frame_and_axes(Pen& pen, const PlotView& view) {
  AxisPlan plan;
  const int planned = plan_axes(view, plan);
  int rc = frame_and_legend(pen, view, plan);
  if (rc != 0) {
    PLT_MSG(rc, "PLT_DRIV", pen.os);
    if (rc < 0) return rc;
  }
  rc = planned < 0 ? planned : draw_axes(pen, view, plan);
  if (rc != 0) PLT_MSG(rc, "PLT_DRIV", pen.os);
  return rc;
}

namespace {

// Filled bars and bins cover the frame where they touch it; it is drawn again over them.
int frame_over_fills(Pen& pen, const PlotView& view) {
  const PlotSettings& s = view.settings;
  if (s.border_colour <= 0) return 0;
  if (view.final_type != kHistogram && bar_trace_count(s, view.trace_count) == 0) return 0;
  if (const int rc = check(pen.rq.set_colour(s.border_colour), pen.os); rc != 0) return rc;
  if (const int rc =
          check(pen.rq.set_line_attributes({s.border_type, 1, s.border_width, 1}), pen.os);
      rc != 0) {
    return rc;
  }
  const float x[] = {0, 1, 1, 0, 0}, y[] = {0, 0, 1, 1, 0};
  return check(pen.rq.draw_polyline('P', x, y), pen.os);
}

}  // namespace

int draw_plot(Pen& pen, const PlotView& view, bool rpf, const BoxWhiskerStep& box_whiskers,
              util::SupportState& support) {
  int rc = frame_and_axes(pen, view);
  if (rc < 0) return rc;
  switch (view.final_type) {
    case kTimeSeries:
    case kRocDiagram:
      rc = draw_traces(pen, view);
      break;
    case kScatter:
      if (view.trace_count != 2) {
        PLT_MSG(-5, " ", pen.os);
        return -5;
      }
      rc = draw_scatter(pen, view);
      break;
    case kSkillScore:
    case kBinnedData:
      rc = draw_traces(pen, view);
      if (rc == 0 && box_whiskers) {
        int b = box_whiskers(pen);
        if (b == 0) b = BXW_NOTE(pen, view, support);
        if (b != 0) PLT_MSG(b, " ", pen.os);
      }
      break;
    case kHistogram:
      rc = draw_histogram(pen, view, !rpf);
      break;
    default:
      rc = -7;
  }
  if (rc >= 0) rc = frame_over_fills(pen, view);
  if (rc >= 0) rc = draw_reference_polyline(pen, view);
  if (rc != 0) PLT_MSG(rc, " ", pen.os);
  return rc;
}

int draw_diagram(Pen& pen, const PlotView& view) {
  int rc = frame_and_axes(pen, view);
  if (rc < 0) return rc;
  rc = draw_traces(pen, view);
  if (rc == 0 && view.final_type == kAttributeDiagram) {
    rc = draw_reliability_intervals(pen, view, view.trace_count / 2);
  }
  if (rc == 0) rc = frame_over_fills(pen, view);
  if (rc == 0 && view.final_type == kAttributeDiagram) {
    rc = draw_attribute_lines(pen, view, view.clim_freq[0]);
  } else if (rc == 0) {
    rc = draw_reference_polyline(pen, view);
  }
  return rc;
}

int end_graphics(Pen& pen) {
  for (int code : {graphics::kFlushOutput, graphics::kEndFrame}) {
    const int status = pen.rq.send_command(code);
    if (status != 0) {
      const int rc = graphics_error(status, pen.os);
      explain_output_failure(pen.rq, status, pen.os);
      return rc;
    }
  }
  if (const int rc = check(pen.rq.end_plotting(0), pen.os); rc != 0) return rc;
  util::list_write(pen.os, {" Warning:  MOBPLT subprocesses are still running."});
  return 0;
}

}  // namespace kor::plot::draw
