#include "plot/control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "plot/device.h"
#include "plot/layout_derivation.h"
#include "tests/support/recording_requests.h"

namespace kor::plot {
namespace {

namespace fs = std::filesystem;
using kor::testing::RecordedRequest;
using kor::testing::RecordingRequests;

// A recorded request in one line: its code, texts, integers and reals.
std::string describe(const RecordedRequest& r) {
  std::ostringstream os;
  os << r.code;
  for (const std::string& t : r.texts) os << ' ' << t;
  for (int i : r.ints) os << ' ' << i;
  for (float v : r.reals) os << ' ' << v;
  return os.str();
}

std::vector<std::string> described(const RecordingRequests& dev) {
  std::vector<std::string> out;
  for (const RecordedRequest& r : dev.calls) out.push_back(describe(r));
  return out;
}

ControlInput three_traces() {
  ControlInput in;
  in.trace_count = 3;
  in.final_type = 1;
  return in;
}

TEST(ControlLine, KeywordAndValue) {
  struct Case {
    const char* line;
    const char* keyword;
    const char* value;
  };
  constexpr Case kCases[] = {
      {"dev ice = tx", "DEVICE", " tx"},
      {"XAX=0/10=2", "XAX", "0/10=2"},
      {"no equals sign", "", ""},
      {" t r a c e 3 =Analysis", "TRACE3", "Analysis"},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(control_keyword(c.line), c.keyword) << c.line;
    EXPECT_EQ(control_value(c.line), c.value) << c.line;
  }
}

using Check = bool (*)(const PlotSettings&);

struct DecoderCase {
  const char* line;
  int code;
  Check check;
  const char* printed;  // what the decoder itself writes
};

void run_decoder_cases(const DecoderCase* cases, std::size_t count, bool text_only = false) {
  for (std::size_t i = 0; i < count; ++i) {
    const DecoderCase& c = cases[i];
    PlotSettings s;
    reset_settings(s, 3, true);
    s.right_axis = true;  // as after an RST line
    std::ostringstream os;
    EXPECT_EQ(apply_control_line(s, c.line, three_traces(), text_only, os), c.code) << c.line;
    EXPECT_TRUE(c.check(s)) << c.line;
    EXPECT_EQ(os.str(), c.printed) << c.line;
  }
}

TEST(ControlDecoders, BorderLabelLevelPanel) {
  static constexpr DecoderCase kCases[] = {
      {"BOR=2/3/4", 0,
       [](const PlotSettings& s) {
         return s.border_colour == 2 && s.border_type == 3 && s.border_width == 4;
       },
       ""},
      {"BORDER=2/-9", 0,
       [](const PlotSettings& s) {
         return s.border_colour == 2 && s.border_type == 1 && s.border_width == 1;
       },
       ""},
      {"BOR=x/5", 5,
       [](const PlotSettings& s) { return s.border_colour == 1 && s.border_type == 1; }, ""},
      {"LAB=3", 6, [](const PlotSettings& s) { return s.label_level == 1; }, ""},
      {"LABLEV=", 6, [](const PlotSettings& s) { return s.label_level == 1; }, ""},
      {"LAB=0", 0, [](const PlotSettings& s) { return s.label_level == 0; }, ""},
      {"PAN=2", 0,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.51, 0.51, 1.0, 1.0};
       },
       ""},
      {"PANEL=ur", 0,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.51, 0.51, 1.0, 1.0};
       },
       ""},
      {"PAN=X9", -9,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.0, 0.0, 1.0, 1.0};
       },
       ""},
      {"PAN=9", -9, [](const PlotSettings& s) { return s.panel[2] == 1.0; }, ""},
      {"PAN=0.1;0.2;0.3;0.4", 0,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.1, 0.2, 0.3, 0.4};
       },
       ""},
      {"PAN=LL", 0,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.0, 0.0, 0.49, 0.49};
       },
       ""},
      {"PAN=LEFT", 0,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.0, 0.0, 0.49, 1.0};
       },
       ""},
      {"PAN=H32", 0,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.0, 0.343, 1.0, 0.657};
       },
       ""},
      {"PAN=M6", 0,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.677, 0.343, 1.0, 0.657};
       },
       ""},
      {"PAN=V42", 0,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.26, 0.0, 0.49, 1.0};
       },
       ""},
      {"PAN=bottom", 0,
       [](const PlotSettings& s) {
         return s.panel == std::array<double, 4>{0.0, 0.0, 1.0, 0.49};
       },
       ""},
      {"PAN=1;2", -9, [](const PlotSettings& s) { return s.panel[0] == 0.0; }, ""},
  };
  run_decoder_cases(kCases, std::size(kCases));
}

TEST(ControlDecoders, TraceLabels) {
  static constexpr DecoderCase kCases[] = {
      {"TRACE3=Analysis+", 0,
       [](const PlotSettings& s) {
         return s.trace_labels[2] == "Analysis" && s.label_given[2] && s.weighted_mean[2] &&
                !s.weighted_mean[0];
       },
       ""},
      {"t race 2 =   Model A  ", 0,
       [](const PlotSettings& s) {
         return s.trace_labels[1] == "Model A" && s.label_given[1] && !s.weighted_mean[1];
       },
       ""},
      {"TRACE1=+", 0,
       [](const PlotSettings& s) {
         return s.trace_labels[0].empty() && !s.label_given[0] && s.weighted_mean[0];
       },
       ""},
      {"TRACE25=x", -13, [](const PlotSettings& s) { return !s.label_given[0]; }, ""},
      {"TRACE0=x", -24, [](const PlotSettings& s) { return !s.label_given[0]; }, ""},
      {"TRACE-2=x", -24, [](const PlotSettings& s) { return !s.label_given[0]; }, ""},
      {"TRA=+", 0, [](const PlotSettings& s) { return s.weighted_mean[0] && s.weighted_mean[23]; },
       ""},
      {"TRACES=x", -24, [](const PlotSettings& s) { return !s.weighted_mean[0]; }, ""},
      // TRA anywhere in the keyword: this is a trace label, not an X axis.
      {"XTRA1=A", 0, [](const PlotSettings& s) { return s.trace_labels[0] == "A"; }, ""},
      // A label past 80 bytes is cut, and a line says so.
      {"TRACE2=AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA",
       0, [](const PlotSettings& s) { return s.trace_labels[1] == std::string(80, 'A'); },
       "  WARNING -- TRACE2: the label is longer than 80 bytes; cut to 80.\n"},
  };
  run_decoder_cases(kCases, std::size(kCases));
}

TEST(ControlDecoders, LinesMarkersAndAttributeLines) {
  static constexpr DecoderCase kCases[] = {
      {"LIN=2;3/4/1/-2", 0,
       [](const PlotSettings& s) {
         return s.line_colour[0] == 2 && s.line_colour[1] == 3 && s.line_colour[2] == 2 &&
                s.line_type[2] == 4 && s.line_width[1] == 1 && s.marker_interval[2] == 0 &&
                s.line_defs == 3;
       },
       ""},
      {"LIN=1;2;3;4;5", 0,
       [](const PlotSettings& s) {
         // Missing groups default to 1, and five colours give five definitions.
         return s.line_defs == 5 && s.line_colour[4] == 5 && s.line_type[0] == 1 &&
                s.marker_interval[4] == 1;
       },
       ""},
      {"MAR=/2;3", 0,
       [](const PlotSettings& s) {
         return s.marker_colour[0] == 0 && s.marker_type[0] == 2 && s.marker_type[1] == 3 &&
                s.marker_type[2] == 2 && s.marker_size[1] == 1.0 && s.marker_width[0] == 1;
       },
       ""},
      {"MAR=4/1/2.5;0.5/3", 0,
       [](const PlotSettings& s) {
         return s.marker_colour[2] == 4 && s.marker_size[0] == 2.5 && s.marker_size[1] == 0.5 &&
                s.marker_size[2] == 2.5 && s.marker_width[1] == 3;
       },
       ""},
      {"ADL=3/1", 0,
       [](const PlotSettings& s) {
         return s.adl_colour == std::array<int, 4>{3, 1, 1, 1} &&
                s.adl_type == std::array<int, 4>{1, 2, 2, 2} && s.adl_width[3] == 1;
       },
       ""},
      {"HST=3;0;4", 0,
       [](const PlotSettings& s) {
         return s.hst_count == 3 && s.bar_colour[0] == 3 && s.bar_colour[1] == 0 &&
                s.bar_colour[2] == 4 && s.bar_colour[3] == 0;
       },
       ""},
  };
  run_decoder_cases(kCases, std::size(kCases));
}

TEST(ControlDecoders, AxesTypesAndText) {
  static constexpr DecoderCase kCases[] = {
      {"PTY=LOG/1.5/12;5;6;2", 0,
       [](const PlotSettings& s) {
         return s.left_axis_type == 2 && s.right_axis_type == 2 && s.aspect == 1.5 &&
                s.margins == std::array<double, 4>{12, 5, 6, 2};
       },
       ""},
      {"PTY=lin;log", 0,
       [](const PlotSettings& s) {
         return s.left_axis_type == 1 && s.right_axis_type == 2 && s.aspect == 0.0;
       },
       ""},
      {"PTY=SQR", -11, [](const PlotSettings& s) { return s.left_axis_type == 1; }, ""},
      {"PTY=LIN;SQRT", -11, [](const PlotSettings& s) { return s.right_axis_type == 1; }, ""},
      {"T_TEXT=2/1/1/HW||3/2/1/SW", 0,
       [](const PlotSettings& s) {
         return s.t_text[0] == "2/1/1/HW" && s.t_text[1] == "1/1/1/SW" && s.t_text[2] == "3/2/1/SW";
       },
       ""},
      {"L_TEXT= 0.8/1/1/SW", 0, [](const PlotSettings& s) { return s.l_text == "0.8/1/1/SW"; }, ""},
      {"TITLE= Bias of 2 m temperature", 0,
       [](const PlotSettings& s) { return s.title == "Bias of 2 m temperature"; }, ""},
      {"YLA=AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA/2", 0,
       [](const PlotSettings& s) {
         return s.y_title == std::string(80, 'A') && s.y_title_line == 2;
       },
       "  WARNING -- YLA: the axis title is longer than 80 characters; cut to 80.\n"},
      {"YLA=Bias (mg/kg)", 0,
       [](const PlotSettings& s) { return s.y_title == "Bias (mg/kg)" && s.y_title_line == 1; },
       ""},
      {"XLA=TIME/2", 0,
       [](const PlotSettings& s) { return s.x_title == "TIME" && s.x_title_line == 2; }, ""},
      {"YLABEL=SCORE", 0,
       [](const PlotSettings& s) { return s.y_title == "SCORE" && s.y_title_line == 1; }, ""},
      // No number after the slash: it is text.
      {"YRL=COUNT/x", 0,
       [](const PlotSettings& s) { return s.ry_title == "COUNT/x" && s.ry_title_line == 1; }, ""},
      {"XUD=LOW/MID/HIGH", 0,
       [](const PlotSettings& s) {
         return s.user_xlabel_count == 3 && s.user_xlabels[2] == "HIGH";
       },
       ""},
      {"REV=Y", 11, [](const PlotSettings& s) { return s.reversed && !s.right_axis; }, ""},
      {"REV=no", 0, [](const PlotSettings& s) { return !s.reversed && s.right_axis; }, ""},
      {"TWO=yes", 0, [](const PlotSettings& s) { return s.two_column; }, ""},
      {"SER=no", 0, [](const PlotSettings& s) { return !s.sig_test; }, ""},
      {"CLE=off", 0, [](const PlotSettings& s) { return !s.clear; }, ""},
      {"CLEAR=yes", 0, [](const PlotSettings& s) { return s.clear; }, ""},
      {"COL=1=RED;2=0:0:255?", 0,
       [](const PlotSettings& s) { return s.colours == "1=RED;2=0:0:255?"; }, ""},
      {"DEV=GF|x.gif", 0,
       [](const PlotSettings& s) { return s.dev_given && s.device == "GF|x.gif"; }, ""},
      {"FOO=1", 4, [](const PlotSettings& s) { return !s.dev_given; }, ""},
      {"just text", 4, [](const PlotSettings& s) { return !s.dev_given; }, ""},
      {"RST=1", 0, [](const PlotSettings& s) { return !s.right_trace[0]; }, ""},
      // The axis values wait for the layout (ControlFile.AxisValuesMakeTheAxes).
      {"YAX=0/100/1:4", 0,
       [](const PlotSettings& s) { return s.yax_given && s.yax == "0/100/1:4" && !s.rya_given; },
       ""},
      {"RYA=0/5/1", 0,
       [](const PlotSettings& s) { return s.right_axis && s.rya_given && s.rya == "0/5/1"; }, ""},
      {"XAX=1/2", 0, [](const PlotSettings& s) { return s.xax == "1/2" && !s.yax_given; }, ""},
  };
  run_decoder_cases(kCases, std::size(kCases));
}

TEST(ControlDecoders, DeviceFixedToText) {
  static constexpr DecoderCase kCases[] = {
      {"DEV=PS", 0, [](const PlotSettings& s) { return s.dev_given && s.device == "TX"; }, ""},
  };
  run_decoder_cases(kCases, std::size(kCases), true);
}

TEST(ControlDecoders, ReferenceLinesAndPolyline) {
  static constexpr DecoderCase kCases[] = {
      {"WIT=2;0/1/3/0.5;1.5", 0,
       [](const PlotSettings& s) {
         const RefLines& r = s.left_refs;
         return r.count == 2 && r.colour[0] == 2 && r.colour[1] == 0 && r.type[1] == 1 &&
                r.width[0] == 3 && r.width[1] == 1 && r.ordinate[1] == 1.5;
       },
       ""},
      {"RWT=///7", 0,
       [](const PlotSettings& s) {
         return s.right_refs.count == 1 && s.right_refs.colour[0] == 1 &&
                s.right_refs.ordinate[0] == 7.0 && s.left_refs.count == 0;
       },
       ""},
      {"REF=0,0;1,1/2/1/3", 0,
       [](const PlotSettings& s) {
         return s.ref_count == 2 && s.ref_x[1] == 1.0 && s.ref_y[1] == 1.0 && s.ref_colour == 2 &&
                s.ref_type == 1 && s.ref_width == 3;
       },
       ""},
      {"REF=0,0;1,1", 0,
       [](const PlotSettings& s) {
         return s.ref_count == 2 && s.ref_colour == 1 && s.ref_width == 1;
       },
       ""},
      {"REF=0,0", 13, [](const PlotSettings& s) { return s.ref_count == 0; }, ""},
      {"REF=0,0;1", 13, [](const PlotSettings& s) { return s.ref_count == 0; }, ""},
      {"REF=0,0;1,1,2", 13, [](const PlotSettings& s) { return s.ref_count == 0; }, ""},
      {"REF=0,0;a,1", 13, [](const PlotSettings& s) { return s.ref_count == 0; }, ""},
      {"REF=0,0;1,1/x", 13, [](const PlotSettings& s) { return s.ref_colour == 1; }, ""},
  };
  run_decoder_cases(kCases, std::size(kCases));
}

TEST(ControlDecoders, TrialsAndBoxWhiskerText) {
  static constexpr DecoderCase kCases[] = {
      {"NSM=99", 0, [](const PlotSettings& s) { return s.trials == 2000; },
       "   Number of resampling trials is too small.\n  Number of resampling trials set to "
       "2000.\n"},
      {"NSM=10002", 0, [](const PlotSettings& s) { return s.trials == 10002; }, ""},
      {"NSMPLS=10003", 0, [](const PlotSettings& s) { return s.trials == 2000; },
       "   Number of resampling trials is too large.\n  Number of resampling trials set to "
       "2000.\n"},
      {"NSM=many", 14, [](const PlotSettings& s) { return s.trials == 2000; },
       "   Number of resampling trials is too small.\n  Number of resampling trials set to "
       "2000.\n"},
      {"B_TEXT=2/#0.5;0.9/1.2;2;1;HW/N", 0,
       [](const PlotSettings& s) {
         return s.btext_count == 2 && s.btext_hash && s.btext_x == 0.5 && s.btext_y == 0.9 &&
                s.btext_attr == "1.2/2/1/HW/111/0/L" && !s.btext_box;
       },
       ""},
      {"B_TEXT=1/0.5", 0,
       [](const PlotSettings& s) {
         return s.btext_count == 1 && !s.btext_hash && s.btext_x == -9999.0 &&
                s.btext_attr == "1/1/1/SW/211/0/L" && s.btext_box;
       },
       ""},
      {"B_TEXT=-1/0.5;0.5", 0,
       [](const PlotSettings& s) {
         return !s.btext_box && s.btext_count == 0 && s.btext_x == -9999.0;
       },
       ""},
      {"B_TEXT=1//x;2;1;3", 0,
       [](const PlotSettings& s) { return s.btext_attr == "1/2/1/SW/211/0/L"; },
       " \n  Input for B_TEXT is erroneous.  Defaults  used as appropriate.\n \n"},
  };
  run_decoder_cases(kCases, std::size(kCases));
}

TEST(ControlPasses, RightAxisTracesFactorsAndRanges) {
  PlotSettings s;
  PlotLayout l;
  reset_settings(s, 3, true);
  decode_rst(s, "2/9/0", 3);
  EXPECT_TRUE(s.right_axis);
  EXPECT_FALSE(s.right_trace[0]);
  EXPECT_TRUE(s.right_trace[1]);
  decode_rst(s, "1/x", 3);
  EXPECT_FALSE(s.right_axis);
  EXPECT_FALSE(s.right_trace[1]);

  decode_rst(s, "3", 3);
  ControlInput in = three_traces();
  in.xmin = {1, 0, 2};
  in.xmax = {5, 4, 9};
  in.ymin = {0.5, -1.0, 10};
  in.ymax = {2.0, 1.0, 20};
  initial_ranges(l, s, in);
  EXPECT_EQ(l.x.data_min, 0.0);
  EXPECT_EQ(l.x.data_max, 9.0);
  EXPECT_EQ(l.y.data_min, -1.0);
  EXPECT_EQ(l.y.data_max, 2.0);
  EXPECT_EQ(l.y.max_diff, 1.0);  // maxima 2 and 1
  EXPECT_EQ(l.y.min_diff, 1.5);  // minima 0.5 and -1
  EXPECT_EQ(l.ry.data_min, 10.0);
  EXPECT_EQ(l.ry.data_max, 20.0);

  decode_fac(s, "2/-0.5", 1);
  EXPECT_EQ(s.left_factor, 2.0);
  EXPECT_EQ(s.right_factor, -0.5);
  scale_ranges(l, s, 1);
  EXPECT_EQ(l.y.data_min, -2.0);
  EXPECT_EQ(l.y.data_max, 4.0);
  EXPECT_EQ(l.y.max_diff, 2.0);
  EXPECT_EQ(l.ry.data_min, -10.0);
  EXPECT_EQ(l.ry.data_max, -5.0);
  EXPECT_EQ(l.x.data_max, 9.0);  // the X range is not scaled for a time series

  // An invalid left factor resets it and scales nothing.
  decode_fac(s, "x/3", 1);
  EXPECT_EQ(s.left_factor, 1.0);
  EXPECT_EQ(s.right_factor, -0.5);
  EXPECT_EQ(s.scale_lines.size(), 1u);

  // Scatter: both ranges from the first two traces' values, scaled together.
  s.scale_lines.clear();
  in.final_type = 2;
  decode_fac(s, "3", 2);
  initial_ranges(l, s, in);
  EXPECT_EQ(l.x.data_min, -1.0);
  EXPECT_EQ(l.x.data_max, 2.0);
  EXPECT_EQ(l.y.data_max, 2.0);
  scale_ranges(l, s, 2);
  EXPECT_EQ(l.x.data_max, 6.0);
  EXPECT_EQ(l.y.data_min, -3.0);

  // Histogram: the X range is trace 1's values.
  in.final_type = 5;
  initial_ranges(l, s, in);
  EXPECT_EQ(l.x.data_min, 0.5);
  EXPECT_EQ(l.x.data_max, 2.0);
  EXPECT_EQ(l.y.data_max, 1.0);
}

TEST(ControlPasses, AxesThatTheDrawnTraceNeeds) {
  // Three traces: 0.91 .. 1.2, 0.92 .. 1.1 and 10 .. 20 (the third on the right axis, RST = 3).
  struct Case {
    const char* name;
    bool reversed;
    int bars;            // HST colour of the first two traces
    int left_axis_type;  // 1 linear, 2 logarithmic
    double y_lo, y_hi;   // the left axis must hold this range
    bool right_in_use;
  };
  const Case kCases[] = {
      {"lines: the left traces alone", false, 0, 1, 0.91, 1.2, true},
      // REV turns the right axis off: its trace is drawn against the left axis, which holds it.
      {"reversed: the right trace on the left axis", true, 0, 1, 0.91, 20, false},
      // Bars stand on 0, so 0 is on the axis.
      {"bars reach 0", false, 2, 1, 0.0, 1.2, true},
      // A logarithmic axis starts at a positive decade below the data.
      {"logarithmic", false, 0, 2, 0.1, 10, true},
  };
  for (const Case& c : kCases) {
    PlotSettings s;
    reset_settings(s, 3, true);
    decode_rst(s, "3", 3);
    s.reversed = c.reversed;
    if (c.reversed) s.right_axis = false;  // as the REV line leaves it
    s.left_axis_type = c.left_axis_type;
    if (c.bars > 0) {
      s.bar_colour[0] = s.bar_colour[1] = c.bars;
      s.hst_count = 2;
    }
    ControlInput in = three_traces();
    in.xmin = {1, 1, 1};
    in.xmax = {5, 5, 5};
    in.ymin = {0.91, 0.92, 10};
    in.ymax = {1.2, 1.1, 20};
    in.ypositive = {0.91, 0.92, 10};
    PlotLayout l;
    BoxWhiskerBook book;
    std::ostringstream os;
    ASSERT_EQ(derive_layout(l, s, book, in, os), 0) << c.name;
    EXPECT_LE(std::min(l.y.start, l.y.stop), c.y_lo) << c.name;
    EXPECT_GE(std::max(l.y.start, l.y.stop), c.y_hi) << c.name;
    if (c.left_axis_type == 2) {
      EXPECT_GT(l.y.start, 0.0) << c.name;
    }
    if (c.right_in_use) {
      EXPECT_GE(l.ry.stop, 20.0) << c.name;
    }
    if (c.bars == 0 && c.left_axis_type == 1 && !c.reversed) {
      EXPECT_GT(l.y.start, 0.8) << c.name;
    }
  }
  // A logarithmic axis given a range and a linear increment labels its decades.
  PlotSettings s;
  reset_settings(s, 1, true);
  s.left_axis_type = 2;
  s.yax = "1/100000/10";
  s.yax_given = true;
  ControlInput in = three_traces();
  in.trace_count = 1;
  in.xmin = {1};
  in.xmax = {5};
  in.ymin = {3};
  in.ymax = {90000};
  PlotLayout l;
  BoxWhiskerBook book;
  std::ostringstream os;
  ASSERT_EQ(derive_layout(l, s, book, in, os), 0);
  EXPECT_EQ(std::vector<double>(l.y.labels.begin(), l.y.labels.begin() + l.y.label_count),
            (std::vector<double>{1, 10, 100, 1e3, 1e4, 1e5}));
}

// Two FAC lines scale the ranges one after the other; the values take the last factors.
TEST(ControlPasses, EveryFactorLineScalesTheRanges) {
  PlotSettings s;
  PlotLayout l;
  reset_settings(s, 2, true);
  s.right_axis = true;
  s.right_trace[1] = true;
  ControlInput in;
  in.trace_count = 2;
  in.ymin = {1, 10};
  in.ymax = {2, 20};
  decode_fac(s, "2/3", 1);
  decode_fac(s, "5", 1);
  initial_ranges(l, s, in);
  scale_ranges(l, s, 1);
  EXPECT_EQ(s.left_factor, 5.0);
  EXPECT_EQ(s.right_factor, 3.0);
  EXPECT_EQ(l.y.data_min, 10.0);   // 1 x 2 x 5
  EXPECT_EQ(l.y.data_max, 20.0);   // 2 x 2 x 5
  EXPECT_EQ(l.ry.data_min, 30.0);  // 10 x 3
  EXPECT_EQ(l.ry.data_max, 60.0);
}

TEST(ControlPasses, BoxWhiskerRequest) {
  struct Case {
    const char* name;
    const char* value;
    bool resample;
    double level;
    bool print, second;
    const char* printed;
  };
  constexpr Case kCases[] = {
      {"invalid level", "1/1/1.5", true, 0.05, true, false,
       " \n  Invalid entry--using default test level = .05 for resampling.\n \n"},
      {"missing level", "1/1", true, 0.05, true, false,
       " \n  Using default test level = .05 for resampling.\n \n"},
      {"good level and flags", "1/2/0.1/N/Y", true, 0.1, false, true, ""},
      {"no positive request", "0/2/0.1", false, 0.05, false, false, ""},
      {"blank value", " ", false, 0.05, false, false, ""},
  };
  for (const Case& c : kCases) {
    PlotSettings s;
    BoxWhiskerBook book;
    reset_settings(s, 3, true);
    std::ostringstream os;
    decode_bxw(s, book, c.value, os);
    EXPECT_EQ(s.resample, c.resample) << c.name;
    EXPECT_DOUBLE_EQ(s.test_level, c.level) << c.name;
    EXPECT_EQ(s.bxw_print, c.print) << c.name;
    EXPECT_EQ(s.bxw_second, c.second) << c.name;
    EXPECT_EQ(os.str(), c.printed) << c.name;
  }

  // Two op-code groups of three traces: two pairs per group, four box objects; requests repeat
  // cyclically over them, and a request for a trace the driver marked gives error 9.
  PlotSettings s;
  BoxWhiskerBook book;
  reset_settings(s, 6, true);
  book.group_opcodes = {1001, 1002};
  book.pairs_per_group = 2;
  book.flag[4] = -1;  // trace 5: second group, first pair
  std::ostringstream os;
  decode_bxw(s, book, "1;0/3;4/0.1", os);
  EXPECT_EQ(s.bxw_request, (std::array<int, 24>{1, 0, 1, 0}));
  EXPECT_EQ(s.bxw_colour, (std::array<int, 24>{3, 4, 3, 4}));
  EXPECT_EQ(book.error_count, 1);
  EXPECT_EQ(book.errors[0], 9);
}

TEST(ControlPasses, BarWidth) {
  // Three abscissas 1..3 and one bar trace: 9 slots; the range widens by 0.5 on each side so that
  // each slot is 1/3 wide.
  PlotLayout s;
  s.x.data_min = 1.0;
  s.x.data_max = 3.0;
  EXPECT_NEAR(widen_for_bars(s.x, 1, 3), 1.0 / 3.0, 1e-12);
  EXPECT_NEAR(s.x.data_min, 0.5, 1e-12);
  EXPECT_NEAR(s.x.data_max, 3.5, 1e-12);
  // Two bar traces at four abscissas 0..3: 16 slots, 16 / (16 - 4) widening.
  s.x.data_min = 0.0;
  s.x.data_max = 3.0;
  EXPECT_NEAR(widen_for_bars(s.x, 2, 4), 0.25, 1e-12);
  EXPECT_NEAR(s.x.data_min, -0.5, 1e-12);
  // One abscissa: 3 slots, none to widen into; the bar takes a third of the range.
  s.x.data_min = 1.0;
  s.x.data_max = 2.5;
  EXPECT_NEAR(widen_for_bars(s.x, 1, 1), 0.5, 1e-12);
  EXPECT_EQ(s.x.data_min, 1.0);
  EXPECT_EQ(s.x.data_max, 2.5);
  // A single abscissa value has nothing to widen into; no labels, no bars.
  s.x.data_min = s.x.data_max = 2.0;
  EXPECT_EQ(widen_for_bars(s.x, 1, 1), 0.0);
  EXPECT_EQ(widen_for_bars(s.x, 1, 0), 0.0);
}

// Runs the whole reader on a control file in a fresh directory.
class ControlFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kor_plot_control_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    files_.output_dir = dir_.string();
  }
  void TearDown() override {
    files_.text.close();
    fs::remove_all(dir_);
  }
  int run(const std::string& text, ControlInput in, bool text_only = false,
          graphics::DrawingRequests* dev = nullptr) {
    const fs::path path = dir_ / "test.ctl";
    std::ofstream(path) << text;
    util::TextUnit unit(9);
    EXPECT_TRUE(unit.open(path.string()));
    // The three steps of the plot driver.
    int rc = parse_control_file(settings_, results_.bxw, unit, in, text_only, out_);
    if (rc == 0) rc = derive_layout(layout_, settings_, results_.bxw, in, out_);
    if (rc != 0) return rc;
    device_ = parse_device(settings_.device);
    return start_output_device(settings_, device_, files_, dev, out_);
  }
  std::string read(const std::string& name) {
    std::ifstream in(dir_ / name);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  fs::path dir_;
  PlotSettings settings_;
  PlotLayout layout_;
  PlotResults results_;
  PlotFiles files_;
  DeviceSpec device_;
  std::ostringstream out_;
};

TEST_F(ControlFile, TextDeviceOpensBothFiles) {
  ASSERT_EQ(run("dev = tx\n", three_traces()), 0);
  EXPECT_EQ(out_.str(), "");
  EXPECT_EQ(device_.kind, DeviceKind::kText);
  EXPECT_TRUE(files_.text.dump.is_open());
  // The files are written under temporary names and take their own when they are closed.
  EXPECT_FALSE(fs::exists(dir_ / "txt.dmp"));
  EXPECT_TRUE(files_.text.close());
  EXPECT_TRUE(fs::exists(dir_ / "txt.dmp"));
  EXPECT_TRUE(fs::exists(dir_ / "txt.dmp_bxw"));
  for (const auto& e : fs::directory_iterator(dir_)) {
    EXPECT_NE(e.path().filename().string()[0], '.') << e.path();  // no temporary file left
  }
}

TEST_F(ControlFile, ClearOffAppendsToTheTextFiles) {
  std::ofstream(dir_ / "out.txt") << "earlier\n";
  ASSERT_EQ(run("CLE=N\nDEV=TX|out.txt\n", three_traces()), 0);
  files_.text.dump << "later\n";
  files_.text.close();
  EXPECT_EQ(read("out.txt"), "earlier\nlater\n");
  ASSERT_EQ(run("DEV=TX|out.txt\n", three_traces()), 0);
  files_.text.close();
  EXPECT_EQ(read("out.txt"), "");
}

TEST_F(ControlFile, TextFileThatCannotBeOpened) {
  ASSERT_EQ(run("DEV=TX|nodir/out.txt\n", three_traces()), -22);
  EXPECT_EQ(out_.str(), " -22 = Cannot open output file text device.\n file " +
                            (dir_ / "nodir" / "out.txt").string() +
                            ": No such file or directory\n");
}

TEST_F(ControlFile, NoDeviceLineUnknownKeywordAndBadLists) {
  EXPECT_EQ(run("WHAT=1\nLIN=a;b\nLAB=7\nPAN=X9\nREF=0,0\n", three_traces(), 1), -25);
  EXPECT_EQ(out_.str(),
            " WHAT\n +04 = Warning:  Invalid graphics control file keyword\n"
            " +06 = Warning:  Invalid input for LABLEV\n"
            " -09 = unrecognized input for PANEL control parm\n"
            " 13 = Warning:  Invalid input for REFLIN\n"
            " -25 = No user input for DEVICE.\n");
}

TEST_F(ControlFile, MessagesOfAFileThatIsNoControlFileAreCapped) {
  // 23 lines of bytes that name no keyword (as a binary file gives): 20 messages, then a count.
  std::string text = "DEV=TX\n";
  for (int i = 0; i < 23; ++i) text += "\x7f\x01Q" + std::to_string(i) + "=\xff\n";
  ASSERT_EQ(run(text, three_traces()), 0);
  const std::string out = out_.str();
  std::size_t messages = 0;
  for (std::size_t at = out.find("+04 = "); at != std::string::npos; at = out.find("+04 = ", at + 1)) {
    ++messages;
  }
  EXPECT_EQ(messages, 20u);
  EXPECT_NE(out.find("\x7f\x01Q19"), std::string::npos);
  EXPECT_EQ(out.find("\x7f\x01Q20"), std::string::npos);
  const std::string last = "  ... and 3 more messages of the control file, not shown.\n";
  EXPECT_EQ(out.substr(out.size() - std::min(out.size(), last.size())), last);

  // Lines past the width count too: 25 long lines without a keyword are 50 messages, 20 shown.
  std::string wide = "DEV=TX\n";
  for (int i = 0; i < 25; ++i) wide += std::string(300, '\x7f') + "\n";
  out_.str("");
  ASSERT_EQ(run(wide, three_traces()), 0);
  const std::string wide_out = out_.str();
  EXPECT_EQ(std::count(wide_out.begin(), wide_out.end(), '\n'), 21);
  EXPECT_NE(wide_out.find("A LINE: line 11 is longer"), std::string::npos);
  EXPECT_EQ(wide_out.find("A LINE: line 12 is longer"), std::string::npos);
  EXPECT_NE(wide_out.find("  ... and 30 more messages of the control file, not shown.\n"),
            std::string::npos);
}

TEST_F(ControlFile, LinesPastTheirWidthAreCutWithAWarning) {
  // A title line of 306 bytes keeps its first 256 (250 of the title); blanks past the width are
  // no cut, and a line without a keyword is named by its number alone.
  const std::string title(300, 'T');
  ASSERT_EQ(run("TITLE=" + title + "\nDEV=TX\nXLA=X" + std::string(300, ' ') + "\n" +
                    std::string(270, '=') + "\n",
                three_traces()),
            0);
  EXPECT_EQ(settings_.title, title.substr(0, 250));
  EXPECT_EQ(settings_.x_title, "X");
  EXPECT_EQ(out_.str(),
            "  WARNING -- TIT: line 1 is longer than 256 bytes; cut to 256.\n"
            "  WARNING -- A LINE: line 4 is longer than 256 bytes; cut to 256.\n"
            " +04 = Warning:  Invalid graphics control file keyword\n");
}

TEST_F(ControlFile, EveryTraceOnTheRightAxis) {
  ControlInput in;
  in.trace_count = 2;
  in.ymin = {0, 1};
  in.ymax = {5, 6};
  ASSERT_EQ(run("RST=1/2\nDEV=TX\n", in), 0);
  EXPECT_EQ(out_.str(), " WARNING\n 12 = No traces are plotted vs left-side Y axis.\n");
  EXPECT_TRUE(settings_.right_only);
  EXPECT_TRUE(settings_.right_axis);
  EXPECT_EQ(settings_.first_right, 1);
  EXPECT_EQ(settings_.first_left, 1);
  // The left range takes the right range.
  EXPECT_EQ(layout_.y.data_min, 0.0);
  EXPECT_EQ(layout_.y.data_max, 6.0);
}

TEST_F(ControlFile, ReversedAxesDropTheRightAxis) {
  ASSERT_EQ(run("RST=2\nREV=Y\nDEV=TX\n", three_traces()), 0);
  EXPECT_EQ(out_.str(), " +11 = Warning:  Reversing axses---no right-side Y-AXIS will be drawn.\n");
  EXPECT_FALSE(settings_.right_axis);
  EXPECT_EQ(settings_.first_right, 2);
  EXPECT_EQ(settings_.first_left, 1);
}

TEST_F(ControlFile, AxisValuesMakeTheAxes) {
  ASSERT_EQ(run("YAX=1/2\nDEV=TX\nYAX=0/100/1:4\nRYA=0/5/1\n", three_traces()), 0);
  EXPECT_TRUE(settings_.right_axis);
  // The last YAX line stands: four labels from 0, the second at 30.
  EXPECT_EQ(layout_.y.label_count, 4);
  EXPECT_EQ(layout_.y.labels[1], 30.0);
  EXPECT_EQ(layout_.ry.label_count, 6);
  EXPECT_EQ(layout_.ry.stop, 5.0);
}

TEST_F(ControlFile, ScatterAndHistogramHaveNoRightAxis) {
  struct Case {
    int final_type;
    bool right_axis;
  };
  constexpr Case kCases[] = {{1, true}, {2, false}, {3, true}, {5, false}};
  for (const Case& c : kCases) {
    ControlInput in = three_traces();
    in.final_type = c.final_type;
    ASSERT_EQ(run("RST=2\nFAC=1/4\nDEV=TX\n", in), 0) << c.final_type;
    EXPECT_EQ(settings_.right_axis, c.right_axis) << c.final_type;
    // Without a right axis the FAC line has no right factor.
    EXPECT_EQ(settings_.right_factor, c.right_axis ? 4.0 : 1.0) << c.final_type;
    files_.text.close();
  }
}

TEST_F(ControlFile, SummaryDiagramsDrawEveryTraceAsPointsOnTheirOwnAxes) {
  // RST, RYA, REV and HST have no place on a performance or Taylor diagram, and FAC does not scale
  // their unit axes; an attribute diagram keeps them.
  struct Case {
    int final_type;
    bool kept;
  };
  constexpr Case kCases[] = {{9, false}, {10, false}, {7, true}};
  for (const Case& c : kCases) {
    ControlInput in = three_traces();
    in.final_type = c.final_type;
    ASSERT_EQ(run("RST=2\nFAC=3/4\nREV=Y\nHST=5;6\nRYA=0/2\nDEV=TX\n", in), 0) << c.final_type;
    EXPECT_EQ(settings_.right_axis, c.kept) << c.final_type;
    EXPECT_EQ(settings_.reversed, c.kept) << c.final_type;
    EXPECT_EQ(settings_.hst_count, c.kept ? 2 : 0) << c.final_type;
    EXPECT_EQ(layout_.y.data_max, 1.0) << c.final_type;
    EXPECT_EQ(layout_.x.data_max, 1.0) << c.final_type;
    files_.text.close();
  }
}

TEST_F(ControlFile, ConfidenceLevel) {
  // CIL takes a fraction or a percentage; anything else is reported and asks for no intervals.
  struct Case {
    const char* value;
    double level;
    bool reported;
  };
  constexpr Case kCases[] = {
      {"0.95", 0.95, false}, {" 90 ", 0.90, false}, {"99.5", 0.995, false},
      {"", 0.0, false},      {"1", 0.0, true},      {"0", 0.0, true},
      {"100", 0.0, true},    {"-0.9", 0.0, true},   {"high", 0.0, true},
  };
  for (const Case& c : kCases) {
    out_.str("");
    ASSERT_EQ(run(std::string("DEV=TX\nCIL=") + c.value + "\n", three_traces()), 0) << c.value;
    EXPECT_DOUBLE_EQ(settings_.ci_level, c.level) << c.value;
    const std::string message =
        "  Invalid entry for CIL--give a level such as 0.95; no confidence intervals.\n";
    EXPECT_EQ(out_.str(), c.reported ? message : "") << c.value;
    files_.text.close();
  }
  // A later line overrides an earlier one; a trace label holding the letters is a label.
  ASSERT_EQ(run("CIL=0.9\nCIL=0.8\nCILTRACE1=x\nDEV=TX\n", three_traces()), 0);
  EXPECT_DOUBLE_EQ(settings_.ci_level, 0.8);
  EXPECT_EQ(settings_.trace_labels[0], "x");
}

TEST_F(ControlFile, ResamplingWidensTheYRange) {
  ControlInput in = three_traces();
  in.ymin = {0, 1, 2};
  in.ymax = {10, 11, 14};
  ASSERT_EQ(run("BXW=1/1/0.1\nDEV=TX\nYAX=0/1\n", in), 0);
  // Maxima differ by up to 4 and minima by up to 2: 14 + 8 and 0 - 4.
  EXPECT_EQ(layout_.y.data_max, 22.0);
  EXPECT_EQ(layout_.y.data_min, -4.0);
  // YAX was given: its start and stop stand.
  EXPECT_EQ(layout_.y.start, 0.0);
  EXPECT_EQ(layout_.y.stop, 1.0);
}

TEST_F(ControlFile, HistogramBarsAndAxes) {
  MergedAxis labels;
  labels.count = 3;
  labels.position = {1, 2, 3};
  labels.label = {"A", "B", "C"};
  labels.tag = {1, 2, 3};
  ControlInput in = three_traces();
  in.final_type = 4;
  in.labels = &labels;
  in.xmin = {1, 1, 1};
  in.xmax = {3, 3, 3};
  in.ymin = {0, 0, 0};
  in.ymax = {1, 1, 1};
  ASSERT_EQ(run("HST=2\nDEV=TX\nXAX=//0\n", in), 0);
  EXPECT_NEAR(layout_.bar_width, 1.0 / 3.0, 1e-12);
  EXPECT_NEAR(layout_.bxw_spacing, 1.0 / 3.0, 1e-12);
  // The X axis gets the widened range with its 3.75 % margin.
  EXPECT_NEAR(layout_.x.start, 0.5 - 0.1125, 1e-12);
  EXPECT_NEAR(layout_.x.stop, 3.5 + 0.1125, 1e-12);
}

TEST_F(ControlFile, AttributeDiagramCompanionsTakeTheBars) {
  MergedAxis labels;
  labels.count = 2;
  labels.position = {0.25, 0.75};
  labels.label = {"", ""};
  labels.tag = {1, 2};
  ControlInput in;
  in.trace_count = 4;
  in.final_type = 7;
  in.labels = &labels;
  ASSERT_EQ(run("HST=5;6\nDEV=TX\n", in), 0);
  EXPECT_EQ(settings_.bar_colour[0], 0);
  EXPECT_EQ(settings_.bar_colour[2], 5);
  EXPECT_EQ(settings_.bar_colour[3], 6);
  EXPECT_EQ(settings_.line_colour[2], 0);
  EXPECT_TRUE(settings_.right_trace[3]);
  EXPECT_TRUE(settings_.right_axis);
  EXPECT_EQ(settings_.first_right, 3);
}

TEST_F(ControlFile, BadTimeRangeEndsTheReader) {
  ASSERT_EQ(run("XAX=20160101:2016010200\nDEV=TX\n", three_traces()), -19);
  EXPECT_EQ(out_.str(), " -19 = date-time in time axis range is invalid\n");
}

TEST_F(ControlFile, TooManyTraces) {
  ControlInput in;
  in.trace_count = 25;
  EXPECT_EQ(run("DEV=TX\n", in), -8);
  EXPECT_EQ(out_.str(), " -08 = number of traces exceeds maximum allowed\n");
}

TEST_F(ControlFile, GraphicsDeviceWithoutAServer) {
  EXPECT_EQ(run("DEV=GF|myplot.gif\n", three_traces()), -1);
  EXPECT_EQ(out_.str(),
            " RETURN CODE FROM MPLT =     -101\n -01 = Cannot start graphics processing\n");
  EXPECT_EQ(device_.kind, DeviceKind::kGraphics);
}

TEST_F(ControlFile, GraphicsDeviceRequests) {
  RecordingRequests dev;  // the server answers that it is in the plotting mode already
  ASSERT_EQ(
      run("DEV=GF|myplot.gif\nPAN=UL\nCOL=2=BLUE;3=10:20:30;1=INIT\n", three_traces(), false, &dev),
      0);
  // Start plotting in mode 0, the mode query, the device, the colours, flush, frame, clear, view.
  EXPECT_EQ(described(dev),
            (std::vector<std::string>{"101 0", "104", "216 GF myplot.gif 1 700 700 0",
                                      "1205 BLUE 2", "1202 3 10 20 30", "1204", "207", "213", "202",
                                      "301 0 0.51 0.49 1"}));
  EXPECT_EQ(out_.str(), "");

  // A colour of two components is no colour.
  RecordingRequests two;
  ASSERT_EQ(run("DEV=XW\nCOL=2=1:2\n", three_traces(), false, &two), 0);
  EXPECT_EQ(two.codes(), (std::vector<int>{101, 104, 216, 207, 213, 202, 301}));

  // A server in another mode is set to the plotting mode.
  RecordingRequests other;
  other.mode = 1;
  ASSERT_EQ(run("DEV=XW\n", three_traces(), false, &other), 0);
  EXPECT_EQ(other.codes(), (std::vector<int>{101, 104, 103, 216, 213, 202, 301}));
  EXPECT_EQ(describe(other.calls[2]), "103 2");
}

TEST_F(ControlFile, GraphicsDeviceFailures) {
  RecordingRequests dev;
  dev.returns[graphics::kStartPlotting] = {-40};
  EXPECT_EQ(run("DEV=PSC\n", three_traces(), false, &dev), -1);
  EXPECT_EQ(out_.str(),
            " RETURN CODE FROM MPLT =      -40\n -01 = Cannot start graphics processing\n");

  RecordingRequests bad_device;
  bad_device.returns[graphics::kSelectDevice] = {7};
  out_.str("");
  EXPECT_EQ(run("DEV=PSC\nCLE=N\n", three_traces(), false, &bad_device), -2);
  EXPECT_EQ(describe(bad_device.calls[2]), "216 PS psc.plt 2 11 8.5 0");
  EXPECT_EQ(out_.str(),
            " RETURN CODE FROM MPLT =        7\n -02 = Cannot set output graphics device\n"
            " Invalid device\n -02 = Cannot set output graphics device\n");

  RecordingRequests bad_view;
  bad_view.returns[graphics::kSetView] = {3};
  out_.str("");
  EXPECT_EQ(run("DEV=XW||500;-1|m\nCLE=N\n", three_traces(), false, &bad_view), -10);
  EXPECT_EQ(describe(bad_view.calls[2]), "216 XW kor 0 500 700 0");
  EXPECT_EQ(describe(bad_view.calls.back()), "301 0 0 1 1");
  const std::vector<int> codes = bad_view.codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), graphics::kClearPage), 0);
  EXPECT_EQ(out_.str(),
            "  Cannot set view region         \n"
            " -10 = unable to set PANEL view region in graphics\n");
}

TEST_F(ControlFile, ColourListing) {
  RecordingRequests dev;
  dev.colour_count = 3;
  dev.colours = {{1, {"COLOUR1", 1, 2, 255, "x1"}},
                 {2, {"", 2, 4, 255, "x2"}},
                 {3, {"COLOUR3", 3, 6, 255, "x3"}}};
  ASSERT_EQ(run("DEV=XW\nCOL=4=RED?\n", three_traces(), false, &dev), 0);
  EXPECT_EQ(out_.str(),
            "  COLOR  COLOR NAME        RED  GREEN  BLUE  X COLOR NAME\n"
            "      1  COLOUR1             1      2   255  x1                              \n"
            "      2  redefined           2      4   255  x2                              \n"
            "      3  COLOUR3             3      6   255  x3                              \n"
            " \n");
}

TEST(DeviceSpec, NamesSizesAndColourTypes) {
  struct Case {
    const char* device;
    const char* name;
    const char* file;
    const char* bxw;
    const char* open;
    int colour;
    double x, y;
    DeviceKind kind = DeviceKind::kGraphics;
  };
  constexpr Case kCases[] = {
      {"tx", "TX", "txt.dmp", "txt.dmp_bxw", "TX", 1, 700, 700, DeviceKind::kText},
      {"TXT|a.txt", "TXT", "a.txt", "a.txt_bxw", "TXT", 1, 700, 700, DeviceKind::kText},
      {"csv", "CSV", "kor.csv", "kor.csv_bxw", "CSV", 1, 700, 700, DeviceKind::kCsv},
      {"Csv|tidy.csv", "CSV", "tidy.csv", "tidy.csv_bxw", "CSV", 1, 700, 700, DeviceKind::kCsv},
      {"CSVX", "CSVX", "", "_bxw", "CSVX", 1, 700, 700},  // no such device: the server says so
      {"GF|myplot.gif", "GF", "myplot.gif", "myplot.gif_bxw", "GF", 1, 700, 700},
      {"ps", "PS", "ps.plt", "ps.plt_bxw", "PS", 1, 700, 700},
      {"psp||1;2|m", "PSP", "psp.plt", "psp.plt_bxw", "PS", 1, 8.5, 11},
      {"PS1", "PS1", "ps1.plt", "ps1.plt_bxw", "PS", 0, 11, 8.5},
      {"nc||800;600|colour", "NC", "Nmeta", "Nmeta_bxw", "NC", 2, 800, 600},
      {"xw||-5", "XW", "kor", "kor_bxw", "XW", 1, 700, 700},
      {"png", "PNG", "kor.png", "kor.png_bxw", "PNG", 1, 700, 700},
      {"svg||640;480", "SVG", "kor.svg", "kor.svg_bxw", "SVG", 1, 640, 480},
      {"Pdf||8.5;11|c", "PDF", "kor.pdf", "kor.pdf_bxw", "PDF", 2, 8.5, 11},
      {"xw||0;5", "XW", "kor", "kor_bxw", "XW", 1, 0, 5},  // only a negative size takes 700
  };
  for (const Case& c : kCases) {
    const DeviceSpec d = parse_device(c.device);
    EXPECT_EQ(d.name, c.name) << c.device;
    EXPECT_EQ(d.file, c.file) << c.device;
    EXPECT_EQ(d.bxw_file, c.bxw) << c.device;
    EXPECT_EQ(d.open_name, c.open) << c.device;
    EXPECT_EQ(d.colour_type, c.colour) << c.device;
    EXPECT_EQ(d.xsize, c.x) << c.device;
    EXPECT_EQ(d.ysize, c.y) << c.device;
    EXPECT_EQ(d.kind, c.kind) << c.device;
  }
}

}  // namespace
}  // namespace kor::plot
