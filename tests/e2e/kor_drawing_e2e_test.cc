// kor drawing plots of the bundled example through the real graphics server to PNG, and the images
// read back: the frame of the plot area, the trace colours at data points worked out from the
// example's formulas, and the legend above the plot.  The runs of a test share one server (their
// queue key is the test's pid + 12340000), which the test ends by removing its queue.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/msg.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "run_program.h"

namespace kor::e2e {
namespace {

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// A PNG file read back through cairo.
class Image {
 public:
  explicit Image(const std::string& path)
      : surface_(cairo_image_surface_create_from_png(path.c_str())) {}
  ~Image() { cairo_surface_destroy(surface_); }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_); }
  int height() const { return cairo_image_surface_get_height(surface_); }
  Rgb at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width() || y >= height()) return {255, 255, 255};
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    const std::uint32_t p = reinterpret_cast<const std::uint32_t*>(row)[x];
    return {static_cast<int>(p >> 16 & 255), static_cast<int>(p >> 8 & 255),
            static_cast<int>(p & 255)};
  }

 private:
  cairo_surface_t* surface_;
};

bool dark(Rgb c) { return c.r < 100 && c.g < 100 && c.b < 100; }
// Black or the grey of a black line that an anti-aliased one-pixel line spreads over two pixels.
bool grey_ink(Rgb c) {
  const int hi = std::max({c.r, c.g, c.b}), lo = std::min({c.r, c.g, c.b});
  return hi - lo < 40 && hi < 180;
}
bool red(Rgb c) { return c.r > 180 && c.g < 90 && c.b < 90; }
bool blue(Rgb c) { return c.b > 180 && c.r < 90 && c.g < 90; }
bool white(Rgb c) { return c.r > 240 && c.g > 240 && c.b > 240; }

// True when a pixel within `radius` of (x, y) passes `test`.
template <typename Test>
bool near(const Image& img, double x, double y, int radius, Test test) {
  for (int dy = -radius; dy <= radius; ++dy) {
    for (int dx = -radius; dx <= radius; ++dx) {
      if (test(img.at(static_cast<int>(std::lround(x)) + dx,
                      static_cast<int>(std::lround(y)) + dy))) {
        return true;
      }
    }
  }
  return false;
}

// The frame of the plot area: from each side, the first column or row that holds a dark line at
// least half as long as the longest one.
struct Frame {
  int left = 0, right = 0, top = 0, bottom = 0;
};
Frame find_frame(const Image& img) {
  auto longest = [&](bool columns, bool from_start) {
    const int n = columns ? img.width() : img.height();
    std::vector<int> count(n, 0);
    for (int i = 0; i < n; ++i) {
      const int m = columns ? img.height() : img.width();
      for (int j = 0; j < m; ++j) {
        count[i] += grey_ink(columns ? img.at(i, j) : img.at(j, i)) ? 1 : 0;
      }
    }
    int best = 0;
    for (int c : count) best = std::max(best, c);
    for (int k = 0; k < n; ++k) {
      const int i = from_start ? k : n - 1 - k;
      if (count[i] >= best / 2) return i;
    }
    return -1;
  };
  return {longest(true, true), longest(true, false), longest(false, true), longest(false, false)};
}

class KorDrawing : public ::testing::Test {
 protected:
  KorDrawing() : dir_("drawing") {
    dir_.copy_in(std::string(KOR_EXAMPLES) + "/example.trc", "ex.trc");
  }
  ~KorDrawing() override {
    const int id = msgget(static_cast<key_t>(getpid()) + 12340000, 0);
    if (id >= 0) msgctl(id, IPC_RMID, nullptr);
  }
  ProgramRun run(const std::string& ctl, const std::string& dialogue) {
    return run_named("g.ctl", ctl, dialogue);
  }
  ProgramRun run_named(const std::string& name, const std::string& ctl,
                       const std::string& dialogue) {
    dir_.write(name, ctl);
    const Started s = start_program(KOR_PROGRAM, dir_.path(), dialogue);
    return finish_program(KOR_PROGRAM, s);
  }
  ScratchDir dir_;
};

TEST_F(KorDrawing, TimeSeriesColoursFrameAndLegend) {
  // Plot 1: the frequency bias of the global model is 1.10 + 0.05 cos(d/3) on day d (abscissa
  // d - 1), of the regional one 0.92 + 0.05 cos(d/3), which lacks days 8, 9 and 20.
  const ProgramRun r =
      run("DEV = PNG|t.png\nLIN = 2;3/1;1/3;3/0\nXAX = -1/30/5\nYAX = 0.8/1.2/0.1\n"
          "TRACE1 = GLOBAL\nTRACE2 = REGIONAL\n",
          "g.ctl\nex.trc\n1 1 1 0\n0\n1001\n0 0\n");
  ASSERT_EQ(r.err, "");
  ASSERT_NE(r.out.find("  Warning:  MOBPLT subprocesses are still running.\n"), std::string::npos)
      << r.out;
  const Image img((dir_.path() / "t.png").string());
  ASSERT_TRUE(img.ok());
  ASSERT_EQ(img.width(), 700);
  const Frame f = find_frame(img);
  // The plot area lies inside the margins: 10 and 4 character widths of 9.3 pixels at the sides
  // (more for the axis title and labels on the left), a title, the legend and 4 character
  // heights of 14 pixels and the X title below.
  EXPECT_GT(f.left, 93);
  EXPECT_LT(f.left, 200);
  EXPECT_GT(f.right, 700 - 60);
  EXPECT_LT(f.right, 700 - 30);
  EXPECT_GT(f.top, 40);
  EXPECT_LT(f.bottom, 700 - 56);
  EXPECT_GT(f.bottom, f.top + 300);
  auto px = [&](double x) { return f.left + (x + 1) / 31 * (f.right - f.left); };
  auto py = [&](double y) { return f.bottom - (y - 0.8) / 0.4 * (f.bottom - f.top); };
  struct Point {
    int day;
    double bias;
    bool global;
  };
  const Point kPoints[] = {{1, 1.10, true},  {5, 1.10, true},   {16, 1.10, true},
                           {1, 0.92, false}, {12, 0.92, false}, {27, 0.92, false}};
  for (const Point& p : kPoints) {
    const double x = p.day - 1, y = p.bias + 0.05 * std::cos(p.day / 3.0);
    if (p.global) {
      EXPECT_TRUE(near(img, px(x), py(y), 3, red)) << "global on day " << p.day;
    } else {
      EXPECT_TRUE(near(img, px(x), py(y), 3, blue)) << "regional on day " << p.day;
    }
  }
  // The regional model lacks days 8 and 9: no line between days 7 and 10 at its values there.
  EXPECT_FALSE(near(img, px(7.5), py(0.92 + 0.05 * std::cos(8.5 / 3.0)), 3, blue));
  // Between the traces the plot is empty.
  EXPECT_TRUE(white(img.at(static_cast<int>(px(15)), static_cast<int>(py(1.02)))));
  // The legend above the plot: the global sample (red) over the regional one (blue), each
  // followed by its dark label text.
  int red_row = -1, blue_row = -1;
  for (int y = 0; y < f.top; ++y) {
    for (int x = f.left; x < f.left + 40; ++x) {
      if (red(img.at(x, y)) && red_row < 0) red_row = y;
      if (blue(img.at(x, y)) && blue_row < 0) blue_row = y;
    }
  }
  ASSERT_GE(red_row, 0);
  ASSERT_GE(blue_row, 0);
  EXPECT_LT(red_row, blue_row);
  EXPECT_TRUE(near(img, f.left + 60, red_row, 4, dark));
  EXPECT_TRUE(near(img, f.left + 60, blue_row, 4, dark));
}

TEST_F(KorDrawing, HistogramBarsInTheirColours) {
  // Plot 1, display 3: the global trace's 30 values between 1.050 and 1.150 in bins of 0.01; the
  // bins take line colours 2 (red) and 3 (blue) in turn, label by label.
  const ProgramRun r = run("DEV = PNG|h.png\nLIN = 2;3\nXAX = 1.045/1.155/0.01\nYAX = 0/0.2\n",
                           "g.ctl\nex.trc\n1 2 3 0\n1\n1001\n0 0\n");
  ASSERT_EQ(r.err, "");
  const Image img((dir_.path() / "h.png").string());
  ASSERT_TRUE(img.ok());
  const Frame f = find_frame(img);
  auto px = [&](double x) { return f.left + (x - 1.045) / 0.11 * (f.right - f.left); };
  auto py = [&](double y) { return f.bottom - y / 0.2 * (f.bottom - f.top); };
  // The labels start at 1.04 (1.045 cut to the increment), whose bin is empty and red; the bin
  // of 1.05 (1.045 .. 1.055) holds 5 of the 30 values (days 8 to 12, 1.0502 to 1.0541) in blue,
  // the bin of 1.06 four in red.
  const std::string frame = "frame " + std::to_string(f.left) + " " + std::to_string(f.right) +
                            " " + std::to_string(f.top) + " " + std::to_string(f.bottom);
  EXPECT_TRUE(blue(img.at(static_cast<int>(px(1.05)), static_cast<int>(py(0.1))))) << frame;
  EXPECT_TRUE(red(img.at(static_cast<int>(px(1.06)), static_cast<int>(py(0.1)))));
  EXPECT_TRUE(white(img.at(static_cast<int>(px(1.05)), static_cast<int>(py(5.5 / 30)))));
  EXPECT_NE(r.out.find("  Warning:  MOBPLT subprocesses are still running.\n"), std::string::npos);
}

TEST_F(KorDrawing, PerformanceDiagramPointsAndSquareFrame) {
  // Plot 2: at threshold k of x, o = 0.30 exp(-0.12 x), f = o b (1 + 0.02 k) and
  // h = min(f, o) (0.75 - 0.08 k); each point stands at success ratio h / f and detection h / o.
  const ProgramRun r = run("DEV = PNG|p.png\nLIN = 2;3/1;1/2;2\nMAR = 2;3/4;6/1;1/1\n",
                           "g.ctl\nex.trc\n2 1 8 0\n0\n1003\n0 0\n");
  ASSERT_EQ(r.err, "");
  ASSERT_NE(r.out.find("  Warning:  MOBPLT subprocesses are still running.\n"), std::string::npos)
      << r.out;
  const Image img((dir_.path() / "p.png").string());
  ASSERT_TRUE(img.ok());
  const Frame f = find_frame(img);
  // Square axes from 0 to 1.
  EXPECT_NEAR(f.right - f.left, f.bottom - f.top, 3);
  auto px = [&](double sr) { return f.left + sr * (f.right - f.left); };
  auto py = [&](double pod) { return f.bottom - pod * (f.bottom - f.top); };
  const double thresholds[] = {0.254, 2.54, 6.35, 12.7, 25.4};
  for (int k = 0; k < 5; ++k) {
    for (double b : {1.10, 0.92}) {
      const double o = 0.30 * std::exp(-0.12 * thresholds[k]);
      const double fc = o * b * (1.0 + 0.02 * k);
      const double h = std::min(fc, o) * (0.75 - 0.08 * k);
      const bool global = b > 1;
      EXPECT_TRUE(near(img, px(h / fc), py(h / o), 3, global ? red : blue))
          << (global ? "global" : "regional") << " at threshold " << thresholds[k];
    }
  }
  // The CSI contour 0.5 crosses the diagonal at SR = POD = 2/3 (grey ink), and the frequency bias
  // 1 is the diagonal itself (dashed: ink somewhere near its middle).
  EXPECT_TRUE(near(img, px(2.0 / 3), py(2.0 / 3), 2, grey_ink));
  EXPECT_TRUE(near(img, px(0.85), py(0.85), 4, grey_ink));
  // Far from every line and point the plot is empty.
  EXPECT_TRUE(white(img.at(static_cast<int>(px(0.97)), static_cast<int>(py(0.03)))));
}

TEST_F(KorDrawing, RealDataDrawsAPlotWithoutErrors) {
  // tests/data/drawing/real.trc (make_real.py): plot 2's trace 1 is -0.6 in single precision on
  // 30 days; plot 3 rises from 1 to 1e5; plot 1 has 24 traces, here with labels of 70 characters.
  dir_.copy_in(std::string(KOR_TEST_DATA) + "/drawing/real.trc", "real.trc");
  std::string labels;
  for (int h = 1; h <= 24; ++h) {
    labels += "TRACE" + std::to_string(h) + " = Member " + std::to_string(h) +
              " of the ensemble, physics set A, with a long descriptive label\n";
  }
  struct Case {
    const char* name;
    std::string ctl, dialogue;
    // Where the red trace's highest and lowest pixels lie, in shares of the frame's height from
    // its top (to within 0.05).
    double highest, lowest;
  };
  const Case kCases[] = {
      // A constant widens around its value: a flat line across the middle, not a zigzag from
      // the top to the bottom.
      {"constant -0.6", "DEV = PNG|r.png\nLIN = 2\n", "r.ctl\nreal.trc\n2 2 1 0\n1\n2\n0 0\n", 0.5,
       0.5},
      // A logarithmic axis from the decades of the data: 1 at the bottom, 1e5 at the top.
      {"logarithmic axis", "DEV = PNG|r.png\nLIN = 2;3\nPTY = LOG\n",
       "r.ctl\nreal.trc\n3 1 1 0\n0\n2\n0 0\n", 0.0, 1.0},
      // 24 long labels leave the plot its room (the first trace is red).
      {"24 long labels", "DEV = PNG|r.png\nLIN = 2\n" + labels,
       "r.ctl\nreal.trc\n1 1 1 0\n0\n2\n0 0\n", 0.0, 1.0},
  };
  for (const Case& c : kCases) {
    const ProgramRun r = run_named("r.ctl", c.ctl, c.dialogue);
    ASSERT_EQ(r.err, "") << c.name;
    EXPECT_EQ(r.out.find("ERROR"), std::string::npos) << c.name << r.out;
    const Image img((dir_.path() / "r.png").string());
    ASSERT_TRUE(img.ok()) << c.name;
    const Frame f = find_frame(img);
    EXPECT_GT(f.bottom - f.top, 0.3 * 700 - 60) << c.name;  // the plot keeps its share
    int top = f.bottom, bottom = f.top;
    for (int y = f.top + 2; y < f.bottom - 1; ++y) {
      for (int x = f.left + 2; x < f.right - 1; ++x) {
        if (!red(img.at(x, y))) continue;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
    const double h = f.bottom - f.top;
    ASSERT_LE(top, bottom) << c.name << ": no red trace";
    EXPECT_GE((top - f.top) / h, c.highest - 0.05) << c.name;
    EXPECT_LE((top - f.top) / h, c.highest + 0.05) << c.name;
    EXPECT_GE((bottom - f.top) / h, c.lowest - 0.05) << c.name;
    EXPECT_LE((bottom - f.top) / h, c.lowest + 0.05) << c.name;
  }
}

TEST_F(KorDrawing, AttributeDiagramDrawsEachReliabilityCurveInItsTracesColour) {
  // probability.trc, plot 1: in every bin of forecast probability p the global model's events are
  // (0.04 + 0.85 p) of its forecasts on every day, the regional model's (0.09 + 0.65 p), so the
  // observed frequencies of the bins lie on those lines.  The reliability curves take the colours
  // of traces 1 and 2 (red, blue); the forecast use frequencies those of traces 3 and 4 (green).
  dir_.copy_in(std::string(KOR_EXAMPLES) + "/probability.trc", "p.trc");
  const ProgramRun r =
      run("DEV = PNG|a.png\nLIN = 2;3;4;4/1;1;1;1/2;2;0;0\nXAX = 0/1/0.1\nYAX = 0/1/0.1\n",
          "g.ctl\np.trc\n1 1 6 0\n0\n1360\n0 0\n");
  ASSERT_EQ(r.err, "");
  ASSERT_NE(r.out.find("  Warning:  MOBPLT subprocesses are still running.\n"), std::string::npos)
      << r.out;
  const Image img((dir_.path() / "a.png").string());
  ASSERT_TRUE(img.ok());
  const Frame f = find_frame(img);
  auto px = [&](double x) { return f.left + x * (f.right - f.left); };
  auto py = [&](double y) { return f.bottom - y * (f.bottom - f.top); };
  for (double p : {0.45, 0.75, 0.95}) {
    EXPECT_TRUE(near(img, px(p), py(0.04 + 0.85 * p), 3, red)) << "global at " << p;
    EXPECT_TRUE(near(img, px(p), py(0.09 + 0.65 * p), 3, blue)) << "regional at " << p;
  }
}

}  // namespace
}  // namespace kor::e2e
