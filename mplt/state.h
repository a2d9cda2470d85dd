// The drawing state of the graphics server: the colour table, the current line, text and marker
// attributes, and the coordinate systems that turn request coordinates into device coordinates.
//
// Coordinate systems (their letters travel as the positions 1 to 12 of "SDNVPLUWMQIG"):
//   S 1  device units from the page's lower-left corner, y upwards
//   D 2  device units from the page's upper-left corner, y downwards (raster addressing)
//   N 3  normalized page: 0..1 across the page in each direction
//   V 4  view region: 0..1 across the region set by request 301 (given in N)
//   P 5  plot area: 0..1 across the plot area set by request 602 (margins inside the view region)
//   L 6  graph coordinates of the current axes in their linear form (log10 of the value on a
//        logarithmic axis)
//   U 7  character units: from the plot area's lower-left corner, x in character widths and y in
//        character heights of the current text size
//   W 8  not available (refused with kSystemUnavailable)
//   M 9  graph (data) coordinates of the current axes: the main or the alternate pair, whichever
//        request 601 set last
//   Q 10 graph coordinates of the alternate pair (the main pair until an alternate one is set)
//   I 11 not available (refused with kSystemUnavailable)
//   G 12 graph coordinates of the main pair, whichever pair is current
#ifndef KOR_MPLT_STATE_H_
#define KOR_MPLT_STATE_H_

#include <array>
#include <string>
#include <string_view>

#include "mplt/page.h"

namespace kor::mplt {

enum System : int {
  kS = 1,
  kD = 2,
  kN = 3,
  kV = 4,
  kP = 5,
  kL = 6,
  kU = 7,
  kW = 8,
  kM = 9,
  kQ = 10,
  kI = 11,
  kG = 12
};

// Colours 0 (the background) to kColours; 1 is the default foreground.
inline constexpr int kColours = 64;

struct Colour {
  Rgb rgb;
  std::string name;  // upper case; empty when defined by components
};

// The default colour table: 0 white background, 1 black, then 31 named colours; 33 to 64 start as
// copies of 1 to 32.
std::array<Colour, kColours + 1> default_colours();

// Components of a colour name (upper or lower case, blanks ignored, GREY or GRAY, "#RRGGBB");
// false for an unknown name.
bool colour_by_name(std::string_view name, Rgb& rgb, std::string& canonical);

// One pair of graph axes set by request 601.
struct Axes {
  int x_type = 1, y_type = 1;  // 1 linear, 2 logarithmic
  double x_min = 0, x_max = 1, y_min = 0, y_max = 1;
};

struct LineAttributes {
  int type = 1;   // 0 or 1 solid; 2..10 patterns; above 10 cycling
  int width = 1;  // in line-width units (1/700 of the page's shorter side)
};

struct TextAttributes {
  int font = 1, hardware = 0;
  float size = 1;
  int width = 1, border = 0, rotation = 0, justification = 0;
};

struct MarkerAttributes {
  int type = 1, fill = 0;
  float size = 1, width = 1;
};

// Ratio of the character width to the character height for fonts 1 to 6 (the mean advance of the
// capitals and digits).
double character_width_ratio(int font);

class DrawingState {
 public:
  // A fresh state for a page of `width` x `height` device units.
  explicit DrawingState(double width = 700, double height = 700) { set_page(width, height); }

  // Changes the page size (keeps everything else).
  void set_page(double width, double height);
  // Back to the defaults of a new run: attributes, colours, view, plot area and axes.
  void reset();

  double page_width() const { return width_; }
  double page_height() const { return height_; }
  // Device units of one line-width unit and of the height of text size 1.
  double line_unit() const;
  double text_unit() const;

  // Current character width and height in device units.
  double char_width() const;
  double char_height() const;

  // The view region in N, the plot area in V.
  const Rect& view() const { return view_; }
  const Rect& plot_area() const { return plot_; }
  [[nodiscard]] int set_view(double x1, double y1, double x2, double y2);
  // Plot area from four margins (left, bottom, right, top) in character units.
  [[nodiscard]] int set_margins(double left, double bottom, double right, double top);
  // Sets axis pair `which` (0 main, 1 alternate) and makes it current.
  [[nodiscard]] int set_axes(int which, const Axes& a);
  int current_pair() const { return current_; }
  const Axes& axes(int which) const { return pairs_[static_cast<std::size_t>(which)]; }
  // The axis pair a graph system (L, M, Q, G) refers to.
  const Axes& axes_of(int system) const { return *pair_of(system == kU ? kM : system); }

  // The plot area in device units.
  Rect plot_device() const;

  // Converts a point of `system` to device units and back.  Returns kOk, kBadSystem,
  // kSystemUnavailable or kNotOnLogAxis.
  [[nodiscard]] int to_device(int system, double x, double y, double& dx, double& dy) const;
  [[nodiscard]] int from_device(int system, double dx, double dy, double& x, double& y) const;
  // Bounds of `system` for request 303 (protocol document).
  [[nodiscard]] int bounds(int system, std::array<double, 4>& b) const;
  // True for the systems whose drawing is clipped to the plot area.
  static bool graph_system(int system);

  // Colours.
  const std::array<Colour, kColours + 1>& colours() const { return colours_; }
  int colour() const { return colour_; }
  [[nodiscard]] int set_colour(int n);
  [[nodiscard]] int define_colour(int n, int r, int g, int b);
  [[nodiscard]] int define_colour(int n, std::string_view name);
  void init_colours() { colours_ = default_colours(); }

  // Attributes.
  const LineAttributes& line() const { return line_; }
  const TextAttributes& text() const { return text_; }
  const MarkerAttributes& marker() const { return marker_; }
  [[nodiscard]] int set_line(int type, int type_flag, int width, int width_flag);
  [[nodiscard]] int set_text(const TextAttributes& t);
  [[nodiscard]] int set_marker(const MarkerAttributes& m);

  // The current attributes as page styles (colour components as drawn: the device's colour type
  // is applied by the renderer).
  Item line_item() const;
  Item marker_item() const;
  Item text_item() const;

 private:
  // Graph coordinates of pair `which` <-> P.
  int graph_to_p(const Axes& a, bool linear_form, double x, double y, double& px, double& py) const;
  void p_to_graph(const Axes& a, bool linear_form, double px, double py, double& x,
                  double& y) const;
  const Axes* pair_of(int system) const;

  double width_ = 700, height_ = 700;
  Rect view_{0, 0, 1, 1};
  Rect plot_{0, 0, 1, 1};
  std::array<Axes, 2> pairs_{};
  bool alternate_set_ = false;
  int current_ = 0;
  std::array<Colour, kColours + 1> colours_ = default_colours();
  int colour_ = 1;
  LineAttributes line_;
  TextAttributes text_;
  MarkerAttributes marker_;
};

}  // namespace kor::mplt

#endif  // KOR_MPLT_STATE_H_
