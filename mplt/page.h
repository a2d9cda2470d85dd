// The page: everything drawn since the page was last cleared, as a list of items in device
// coordinates (origin at the lower-left corner, y upwards, in the device's units: pixels for the
// raster devices and the window, points for the vector devices).  Renderers replay the list onto
// any cairo surface, so one page can be written as PostScript, PDF, SVG, PNG or GIF alike.
//
// Items keep the colour they were drawn in (as components), so redefining a colour later does not
// change what is already on the page.  Geometry far outside the page is clipped on entry, so every
// stored coordinate stays within a few page sizes of the page.
#ifndef KOR_MPLT_PAGE_H_
#define KOR_MPLT_PAGE_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kor::mplt {

struct Rgb {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Rect {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // x1 <= x2, y1 <= y2
  bool contains(double x, double y) const { return x >= x1 && x <= x2 && y >= y1 && y <= y2; }
};

enum class ItemKind { kPolyline, kPolygon, kMarkers, kText };

// How a line is drawn: device width and one of the line types 1..10.
struct LineStyle {
  double width = 1;
  int type = 1;
};

struct MarkerStyle {
  int type = 1;         // 1..20 (see the protocol document); 0 draws nothing
  bool filled = false;  // closed shapes filled
  double size = 5;      // device units across
  double width = 1;     // stroke width, device units
};

struct TextStyle {
  int font = 1;           // 1..6
  bool hardware = false;  // device text rather than glyph outlines
  double height = 10;     // character height (font size), device units
  double stroke = 0;      // extra outline width (text width above 1), device units
  int border = 0;         // border code (protocol document)
  double angle = 0;       // degrees counter-clockwise
  int justification = 2;  // 1 left, 2 centre, 3 right
  Rgb background;         // fill of a blanked border box
};

struct Item {
  ItemKind kind = ItemKind::kPolyline;
  Rgb colour;
  LineStyle line;
  MarkerStyle marker;
  TextStyle text;
  std::optional<Rect> clip;  // the plot area, for items drawn in graph coordinates
  std::vector<float> xy;     // x0, y0, x1, y1, ...: the points, the marker centres or the anchor
  std::string chars;         // text; '\r' breaks lines
};

// Largest number of points one page holds (polylines, polygons and markers together).
inline constexpr std::size_t kMaxPagePoints = 10'000'000;

class Page {
 public:
  Page() = default;
  Page(double width, double height, Rgb background)
      : width_(width), height_(height), background_(background) {}

  double width() const { return width_; }
  double height() const { return height_; }
  Rgb background() const { return background_; }
  void set_background(Rgb c) { background_ = c; }
  const std::vector<Item>& items() const { return items_; }
  std::size_t points() const { return points_; }

  // Adds a polyline through the points (x, y interleaved); the parts inside the safe region are
  // kept as separate runs.  Returns false when the page would hold more than kMaxPagePoints.
  [[nodiscard]] bool add_polyline(const Item& style, const std::vector<double>& xy);
  // Adds a filled polygon, clipped to the safe region.
  [[nodiscard]] bool add_polygon(const Item& style, const std::vector<double>& xy);
  // Adds markers at the centres that lie inside the item's clip (or the page).
  [[nodiscard]] bool add_markers(const Item& style, const std::vector<double>& xy);
  // Adds a text anchored at (x, y), dropped when the anchor is outside the safe region.
  void add_text(const Item& style, double x, double y);

  // Empties the page.
  void clear() {
    items_.clear();
    points_ = 0;
  }
  // Takes the page back to what it held when it had `items` items and `points` points (items are
  // only ever added at the end, so this drops what came after).
  void truncate(std::size_t items, std::size_t points) {
    if (items < items_.size()) items_.resize(items);
    points_ = std::min(points_, points);
  }

  // The region coordinates are clipped to: the page enlarged by its own size on every side.
  Rect safe_region() const { return {-width_, -height_, 2 * width_, 2 * height_}; }

 private:
  bool reserve(std::size_t n);

  double width_ = 700, height_ = 700;
  Rgb background_{255, 255, 255};
  std::vector<Item> items_;
  std::size_t points_ = 0;
};

// Clips the segment (x0, y0)-(x1, y1) to `r` (Liang-Barsky).  Returns false when nothing is left;
// otherwise the end points are moved onto the rectangle where they were outside.
bool clip_segment(const Rect& r, double& x0, double& y0, double& x1, double& y1);

// Clips a closed polygon (x, y interleaved) to `r` (Sutherland-Hodgman).
std::vector<double> clip_polygon(const Rect& r, const std::vector<double>& xy);

}  // namespace kor::mplt

#endif  // KOR_MPLT_PAGE_H_
