#include "plot/labels.h"

#include <gtest/gtest.h>

#include <sstream>

#include "util/text.h"

namespace kor::plot {
namespace {

TEST(LabelAppend, PiecesAndCapacity) {
  struct Case {
    const char* name;
    const char* field;
    const char* value;
    const char* target;
    int capacity;
    int code;
    const char* result;
  };
  constexpr Case kCases[] = {
      {"empty target takes the piece without its blank", "MODEL", "GFS  ", "", 80, 0, "MODEL=GFS"},
      {"blank target counts as empty", "MODEL", "GFS", "   ", 80, 0, "MODEL=GFS"},
      {"piece after the text", "FHOUR", "24", "MODEL=GFS  ", 80, 0, "MODEL=GFS FHOUR=24"},
      {"blank name gives the value alone", " ", "CI", "A", 80, 0, "A CI"},
      {"exactly fits", "B", "C", "A", 5, 0, "A B=C"},
      {"one too many is dropped", "B", "CD", "A", 5, 8, "A"},
  };
  for (const Case& c : kCases) {
    std::string target = c.target;
    EXPECT_EQ(label_append(c.field, c.value, target, c.capacity), c.code) << c.name;
    EXPECT_EQ(target, c.result) << c.name;
  }
}

// A plot of two FHO traces: general conditions MODEL and V_RGN, each trace with its forecast hour.
tracefile::ReaderState two_trace_plot() {
  tracefile::ReaderState r;
  r.trace_count = 2;
  for (int t = 0; t < 2; ++t) {
    r.traces[t].stat_type = util::pad("FHO", 24);
    r.traces[t].specific_count = 1;
    auto& spec = r.traces[t].specific[0];
    spec.field_id = 3;
    spec.count = 1;
    spec.values[0] = util::pad(t == 0 ? "24" : "48", 24);
  }
  r.general_count = 2;
  r.general[0].field_id = 9;
  r.general[0].count = 1;
  r.general[0].values[0] = util::pad("G2/NHX", 24);
  r.general[1].field_id = 2;
  r.general[1].count = 1;
  r.general[1].values[0] = util::pad("GFS", 24);
  r.ind_group_count = 1;
  r.ind_group_field[0] = 11;
  return r;
}

TitleInput input_for(const tracefile::ReaderState& r, std::array<int, 2> list,
                     std::array<const char*, 2> stats, int count = 2, int method = 1) {
  TitleInput in;
  in.trace_count = count;
  in.trace_list[0] = list[0];
  in.trace_list[1] = list[1];
  in.stat_labels[0] = stats[0];
  in.stat_labels[1] = stats[1];
  in.method = method;
  in.stat_type = "FHO";
  in.reader = &r;
  return in;
}

TEST(Titles, AutomaticTitleTraceLabelsAndAxisTitles) {
  struct Case {
    const char* name;
    std::array<int, 2> list;
    std::array<const char*, 2> stats;
    int count, method, final_type;
    const char* title;
    const char* label1;
    const char* label2;
    const char* x_title;
    const char* y_title;
  };
  constexpr Case kCases[] = {
      // MODEL (ID 2) comes before V_RGN (ID 9) by priority, whatever their stored order.
      {"equal statistics",
       {1, 2},
       {"BIAS_SCORE", "BIAS_SCORE"},
       2,
       1,
       1,
       "STAT=FHO MODEL=GFS V_RGN=G2/NHX",
       "FHOUR=24",
       "FHOUR=48",
       "TIME (YYMMDD/HHNN)",
       "BIAS_SCORE"},
      {"different statistics",
       {1, 2},
       {"BIAS_SCORE", "CSI"},
       2,
       1,
       1,
       "STAT=FHO MODEL=GFS V_RGN=G2/NHX",
       "PARM=BIAS_SCORE FHOUR=24",
       "PARM=CSI FHOUR=48",
       "TIME (YYMMDD/HHNN)",
       "BIAS_SCORE | CSI"},
      {"one trace twice",
       {1, 1},
       {"BIAS_SCORE", "CSI"},
       2,
       2,
       1,
       "STAT=FHO MODEL=GFS V_RGN=G2/NHX FHOUR=24",
       "PARM=BIAS_SCORE",
       "PARM=CSI",
       "TIME (YYMMDD/HHNN)",
       "BIAS_SCORE | CSI"},
      {"difference of two traces",
       {1, 2},
       {"BIAS_SCORE", "CSI"},
       1,
       3,
       1,
       "STAT=FHO MODEL=GFS V_RGN=G2/NHX",
       "PARM=CSI FHOUR=48 - PARM=BIAS_SCORE FHOUR=24",  // the second less the first
       "PARM=CSI FHOUR=48",
       "TIME (YYMMDD/HHNN)",
       "BIAS_SCORE DIFFERENCE"},
      {"skill score plot",
       {1, 2},
       {"CSI", "CSI"},
       2,
       5,
       3,
       "STAT=FHO MODEL=GFS V_RGN=G2/NHX",
       "FHOUR=48 - FHOUR=24",
       "FHOUR=48",
       "THRSH",
       "CSI SKILL SCORE"},
      {"scatter plot",
       {1, 2},
       {"CSI", "CSI"},
       2,
       2,
       2,
       "STAT=FHO MODEL=GFS V_RGN=G2/NHX",
       "FHOUR=24",
       "FHOUR=48",
       "FHOUR=24",
       "FHOUR=48"},
      {"ROC diagram",
       {1, 2},
       {"CSI", "CSI"},
       2,
       1,
       6,
       "STAT=FHO MODEL=GFS V_RGN=G2/NHX",
       "FHOUR=24",
       "FHOUR=48",
       "FALSE ALARM RATE",
       "HIT RATE"},
  };
  for (const Case& c : kCases) {
    const tracefile::ReaderState r = two_trace_plot();
    PlotSettings s;
    PlotLayout l;
    reset_settings(s, c.count, true);
    TitleInput in = input_for(r, c.list, c.stats, c.count, c.method);
    in.final_type = c.final_type;
    std::ostringstream os;
    EXPECT_EQ(build_titles(s, l, in, os), 0) << c.name;
    EXPECT_EQ(l.title, c.title) << c.name;
    EXPECT_EQ(l.trace_labels[0], c.label1) << c.name;
    EXPECT_EQ(l.trace_labels[1], c.label2) << c.name;
    EXPECT_EQ(l.x_title, c.x_title) << c.name;
    EXPECT_EQ(l.y_title, c.y_title) << c.name;
    EXPECT_EQ(os.str(), "") << c.name;
  }
}

TEST(Titles, UserTextsStayAndLabelLevelZeroAddsNothing) {
  const tracefile::ReaderState r = two_trace_plot();
  PlotSettings s;
  PlotLayout l;
  reset_settings(s, 2, true);
  s.title = "MY PLOT";
  s.trace_labels[1] = "Mine";
  s.label_given[1] = true;
  s.y_title = "SCORE";
  s.resample = true;
  std::ostringstream os;
  ASSERT_EQ(build_titles(s, l, input_for(r, {1, 2}, {"A", "A"}), os), 0);
  EXPECT_EQ(l.title, "MY PLOT");  // no CI ALPHA on a user title
  EXPECT_EQ(l.trace_labels[0], "FHOUR=24");
  EXPECT_EQ(l.trace_labels[1], "Mine");
  EXPECT_EQ(l.y_title, "SCORE");

  PlotSettings quiet;
  PlotLayout ql;
  ql.title = "from an earlier plot";
  reset_settings(quiet, 2, true);
  quiet.label_level = 0;
  quiet.x_title = "GIVEN";
  ASSERT_EQ(build_titles(quiet, ql, input_for(r, {1, 2}, {"A", "A"}), os), 0);
  EXPECT_EQ(ql.title, "");
  EXPECT_EQ(ql.x_title, "GIVEN");  // the given texts are the layout's even then
}

TEST(Titles, ResamplingLevelRightAxisAndFlags) {
  const tracefile::ReaderState r = two_trace_plot();
  PlotSettings s;
  PlotLayout l;
  reset_settings(s, 2, true);
  s.resample = true;
  s.test_level = 0.05;
  s.right_axis = true;
  s.right_trace[1] = true;
  s.first_right = 2;
  TitleInput in = input_for(r, {1, 2}, {"BIAS_SCORE", "CSI"});
  in.final_type = 4;
  in.rank_hist = true;
  std::ostringstream os;
  ASSERT_EQ(build_titles(s, l, in, os), 0);
  EXPECT_EQ(l.title, "STAT=FHO MODEL=GFS V_RGN=G2/NHX CI ALPHA=0.05");
  EXPECT_EQ(l.x_title, "ANALYSIS RANK W.R.T. ENSEMBLE");
  EXPECT_EQ(l.y_title, "BIAS_SCORE");
  EXPECT_EQ(l.ry_title, "CSI");

  PlotSettings h;
  PlotLayout hl;
  reset_settings(h, 2, true);
  TitleInput hin = input_for(r, {1, 2}, {"A", "A"});
  hin.final_type = 5;
  hin.rpf_flag = true;
  ASSERT_EQ(build_titles(h, hl, hin, os), 0);
  EXPECT_EQ(hl.x_title, "PLACEMENT FOR FHOUR=24");
  EXPECT_EQ(hl.y_title, "RELATIVE PLACEMENT FREQUENCY");
}

TEST(Titles, AttributeDiagramCompanions) {
  tracefile::ReaderState r = two_trace_plot();
  PlotSettings s;
  PlotLayout l;
  reset_settings(s, 4, true);
  s.hst_count = 1;
  s.bar_colour[2] = 5;  // the first companion is drawn as bars
  TitleInput in = input_for(r, {1, 2}, {"A", "A"}, 4);
  in.trace_list[2] = 1;
  in.trace_list[3] = 2;
  in.final_type = 7;
  std::ostringstream os;
  ASSERT_EQ(build_titles(s, l, in, os), 0);
  EXPECT_EQ(l.trace_labels[0], "FHOUR=24 RELIABILITY");
  EXPECT_EQ(l.trace_labels[2], "FHOUR=24 USE HISTOGRAM");
  EXPECT_EQ(l.trace_labels[3], "FHOUR=48 FRCST USE FREQUENCY");
  EXPECT_EQ(l.x_title, "FORECAST PROBABILITY");
  EXPECT_EQ(l.y_title, "OBSERVED FREQUENCY");
  EXPECT_EQ(l.ry_title, "FREQUENCY OF FORECAST USE HISTOGRAM");

  // A given label keeps its text and leaves its companion's as given.
  s.trace_labels[0] = "MINE";
  s.label_given[0] = true;
  ASSERT_EQ(build_titles(s, l, in, os), 0);
  EXPECT_EQ(l.trace_labels[0], "MINE");
  EXPECT_EQ(l.trace_labels[2], "");
  EXPECT_EQ(l.trace_labels[1], "FHOUR=48 RELIABILITY");
}

TEST(Titles, LabelTooLongIsDroppedWithAWarning) {
  tracefile::ReaderState r = two_trace_plot();
  auto& spec = r.traces[0].specific[0];
  spec.count = 8;
  for (int i = 0; i < 8; ++i) spec.values[i] = util::pad("VALUE_NUMBER_" + std::to_string(i), 24);
  PlotSettings s;
  PlotLayout l;
  reset_settings(s, 2, true);
  std::ostringstream os;
  EXPECT_EQ(build_titles(s, l, input_for(r, {1, 2}, {"A", "A"}), os), 8);
  EXPECT_EQ(l.trace_labels[0], "");
  EXPECT_EQ(l.trace_labels[1], "FHOUR=48");
  EXPECT_EQ(os.str(), " +08 = Warning:  Label string length exceeded.\n");
}

TEST(StatisticTitle, DistinctLabelsOfOneSide) {
  PlotSettings s;
  reset_settings(s, 4, true);
  TitleInput in;
  in.trace_count = 4;
  in.stat_labels = {"CSI", "CSI", "ETS", "BIAS"};
  s.right_trace[3] = true;
  s.first_right = 4;
  int warning = 0;
  EXPECT_EQ(statistic_title(s, in, false, warning), "CSI | ETS");
  EXPECT_EQ(statistic_title(s, in, true, warning), "BIAS");
  in.method = 4;
  EXPECT_EQ(statistic_title(s, in, false, warning), "CSI");
  EXPECT_EQ(warning, 0);
}

}  // namespace
}  // namespace kor::plot
