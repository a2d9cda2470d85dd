// Rendering of a page with cairo, and the writers of the output files.
//
// Each writer renders the whole page afresh and writes a complete file to an open descriptor, so
// that after every end of a plot the output file is a valid image of all that the page holds.
#ifndef KOR_MPLT_RENDER_H_
#define KOR_MPLT_RENDER_H_

#include <cairo.h>

#include <array>
#include <span>
#include <vector>

#include "mplt/page.h"

namespace kor::mplt {

// How colours reach the output: 0 monochrome (the background white, everything else black), 1
// grey (the luminance of each colour), 2 as defined.
enum class ColourMode { kMonochrome = 0, kGrey = 1, kColour = 2 };

Rgb map_colour(Rgb c, Rgb background, ColourMode mode);

// Replays `page` onto `cr`, whose user space is the page in device units with y downwards (the
// usual cairo orientation; the page's y is flipped here).  `raster` keeps lines at least one unit
// wide; without `antialias` every pixel gets exactly one of the page's colours.
void render_page(cairo_t* cr, const Page& page, ColourMode mode, bool raster, bool antialias);

// Outline of marker `type` (1..20) of size `size` centred at (x, y) on `cr` (y downwards); true
// when the shape is closed (and may be filled).
bool marker_path(cairo_t* cr, int type, double x, double y, double size);

// Dash pattern of line type `type` in units of `unit`; empty for a solid line.
std::vector<double> dash_pattern(int type, double unit);

enum class VectorKind { kPostScript, kPdf, kSvg };

// Writers: each returns true when the whole file was written to `fd` (which stays open).
bool write_vector(int fd, const Page& page, VectorKind kind, ColourMode mode);
bool write_png(int fd, const Page& page, ColourMode mode);
// GIF with an exact palette: entry i (0..64) is colour i of `table` (entry 0 the page's
// background), followed by any other colour the page uses.
bool write_gif(int fd, const Page& page, ColourMode mode, std::span<const Rgb> table);

// Gives back the font faces of the renderers (before cairo's and fontconfig's static data are
// reset at the end of the program); later pages make them again.
void release_fonts();

// The page rendered into a new image surface of its own size (caller destroys it).
cairo_surface_t* render_image(const Page& page, ColourMode mode, bool antialias);

}  // namespace kor::mplt

#endif  // KOR_MPLT_RENDER_H_
