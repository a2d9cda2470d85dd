#include "plot/device.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ostream>

#include "graphics/request_codes.h"
#include "plot/draw/pen.h"
#include "plot/messages.h"
#include "plot/text_output.h"
#include "util/format.h"
#include "util/listout.h"
#include "util/program.h"
#include "util/text.h"

namespace kor::plot {
namespace {

constexpr int kMaxColourItems = 64;
constexpr int kColourNameLength = 16;  // colour names of the listing
constexpr int kDeviceNameLength = 32;  // the device's names of the colours
constexpr int kPlotMode = 2;           // the server mode of plotting

}  // namespace

std::string default_output_name(std::string_view device_name) {
  const std::string_view name = util::rtrim(device_name);
  if (const std::string_view file = graphics::default_output_file(name); !file.empty()) {
    return std::string(file);
  }
  if (name == kCsvDevice) return std::string(kCsvDefaultFile);
  // Every name that starts with TX is the text device.
  return name.rfind("TX", 0) == 0 ? std::string(graphics::default_output_file("TX"))
                                  : std::string();
}

DeviceSpec parse_device(std::string_view device) {
  std::array<std::string, 4> items;
  int count = 0;
  (void)util::ST_SPLS(device, '|', "", 128, items, count);
  DeviceSpec spec;
  spec.name = util::ST_UPPR(items[0]);
  spec.file = items[1];
  const std::size_t bar = device.find('|');
  if (bar != std::string_view::npos) {
    const std::string_view rest = device.substr(bar + 1);
    spec.file_length = util::rtrim(rest.substr(0, rest.find('|'))).size();
  }
  if (util::ST_TLEN(spec.file) == 0) spec.file = default_output_name(spec.name);
  spec.bxw_file = std::string(util::rtrim(spec.file)) + "_bxw";

  std::array<double, 2> size{kPlotMissing, kPlotMissing};
  int scount = 0;
  (void)util::ST_SPLR(items[2], ';', kPlotMissing, size, scount);
  spec.open_name = spec.name;
  char colour = items[3].empty() ? ' ' : util::ST_UPPR(items[3].substr(0, 1))[0];
  if (spec.name == "PSP") {
    spec.xsize = 8.5;
    spec.ysize = 11.0;
    colour = 'G';
  } else if (spec.name == "PSC" || spec.name == "PS1") {
    spec.xsize = 11.0;
    spec.ysize = 8.5;
    colour = spec.name == "PSC" ? 'C' : 'M';
  } else {
    spec.xsize = size[0] < 0.0 ? 700.0 : size[0];
    spec.ysize = size[1] < 0.0 ? 700.0 : size[1];
  }
  if (spec.name == "PSC" || spec.name == "PS1" || spec.name == "PSP") spec.open_name = "PS";
  spec.colour_type = colour == 'M' ? 0 : colour == 'C' ? 2 : 1;
  spec.kind = spec.name.rfind("TX", 0) == 0 ? DeviceKind::kText
              : spec.name == kCsvDevice        ? DeviceKind::kCsv
                                               : DeviceKind::kGraphics;
  return spec;
}

int open_text_device(PlotFiles& files, bool clear, const DeviceSpec& spec) {
  TextDevice& text = files.text;
  text.close();
  text.dump_name = files.output_path(spec.file);
  text.bxw_name = files.output_path(spec.bxw_file);
  // With CLE off the new output goes after what the files already hold; a file that does not
  // exist yet is created either way.
  return text.open(!clear, spec.kind != DeviceKind::kCsv);
}

int apply_colours(std::string_view spec_text, graphics::DrawingRequests& requests,
                  std::ostream& os) {
  std::string spec(util::rtrim(spec_text));
  bool listing = false;
  if (!spec.empty() && spec.back() == '?') {
    listing = true;
    spec.pop_back();
  }
  std::array<std::string, kMaxColourItems> items;
  int count = 0;
  (void)util::ST_SPLS(spec, ';', "", 24, items, count);
  int status = 0;
  for (int i = 0; i < std::min(count, kMaxColourItems); ++i) {
    if (util::ST_TLEN(items[i]) == 0) continue;
    std::array<std::string, 2> parts;
    int pcount = 0;
    (void)util::ST_SPLS(items[i], '=', "", 16, parts, pcount);
    int number = 0;
    if (util::ST_TINT(parts[0], number) != 0 || number <= 0) number = 1;
    const std::string what = util::ST_UPPR(parts[1]);
    int rc = 0;
    if (what.find(':') != std::string::npos) {
      std::array<int, 3> rgb{};
      int ccount = 0;
      if (util::ST_SPLI(what, ':', 0, rgb, ccount) == 0 && ccount == 3) {
        rc = requests.define_colour(number, rgb[0], rgb[1], rgb[2]);
      }
    } else if (what == "INIT") {
      rc = requests.init_colours();
    } else if (!what.empty()) {
      rc = requests.define_colour_name(number, parts[1]);
    }
    if (rc != 0 && status == 0) status = rc;
  }
  if (!listing) return status;
  int colours = 0;
  const int rc = requests.query_colour_count(colours);
  if (rc != 0) return status == 0 ? rc : status;
  os << colour_listing_header() << '\n';
  for (int n = 1; n <= std::min(colours, kMaxColourItems); ++n) {
    graphics::ColourInfo c;
    if (requests.query_colour(n, kColourNameLength, kDeviceNameLength, c) != 0) break;
    os << colour_listing_line(n, c.name, c.red, c.green, c.blue, c.device_name) << '\n';
  }
  util::list_write(os, {});
  return status;
}

int start_graphics(graphics::DrawingRequests& requests) {
  bool running = false;
  int rc = requests.start_plotting(0, running);
  if (rc != 0) return rc;
  int mode = 0;
  rc = requests.query_mode(mode);
  if (rc != 0) return rc;
  if (mode != kPlotMode) rc = requests.set_mode(kPlotMode);
  return rc;
}

int setup_graphics_device(const PlotSettings& settings, const DeviceSpec& spec,
                          graphics::DrawingRequests& requests, std::ostream& os) {
  int rc = requests.select_device(
      spec.open_name, spec.colour_type, spec.file,
      {static_cast<float>(spec.xsize), static_cast<float>(spec.ysize), 0.0f});
  if (rc != 0) {
    PLT_MSG(-2, "RETURN CODE FROM MPLT = " + util::format("(I8)", {rc}), os);
    PLT_MSG(-2, "Invalid device", os);
    draw::explain_output_failure(requests, rc, os);
    return -2;
  }
  if (util::ST_TLEN(settings.colours) > 0) {
    (void)apply_colours(settings.colours, requests, os);
    (void)requests.send_command(graphics::kFlushOutput);
  }
  (void)requests.send_command(graphics::kStartFrame);
  if (settings.clear) (void)requests.send_command(graphics::kClearPage);
  rc = requests.send_four_reals(
      graphics::kSetView,
      {static_cast<float>(settings.panel[0]), static_cast<float>(settings.panel[1]),
       static_cast<float>(settings.panel[2]), static_cast<float>(settings.panel[3])});
  if (rc != 0) {
    PLT_MSG(-10, util::pad(" Cannot set view region", 32), os);
    return -10;
  }
  return 0;
}

int start_output_device(const PlotSettings& s, const DeviceSpec& spec, PlotFiles& files,
                        graphics::DrawingRequests* requests, std::ostream& os) {
  if (spec.kind != DeviceKind::kGraphics && spec.file_length > kTextFileNameWidth) {
    PLT_MSG(-22, " ", os);
    util::write_name_too_long(os, kTextFileNameWidth);
    return -22;
  }
  if (spec.kind == DeviceKind::kGraphics && spec.file_length > kGraphicsFileNameWidth) {
    PLT_MSG(-2, "Invalid device", os);
    util::write_name_too_long(os, kGraphicsFileNameWidth);
    return -2;
  }
  if (spec.kind != DeviceKind::kGraphics) {
    const int rc = open_text_device(files, s.clear, spec);
    if (rc != 0) {
      PLT_MSG(rc, " ", os);
      const TextDevice& text = files.text;
      write_unopened_file(rc == -22 ? text.dump_name : text.bxw_name, text.open_error, os);
    }
    return rc;
  }
  const int status = requests ? start_graphics(*requests) : -101;
  if (status != 0) {
    PLT_MSG(-1, "RETURN CODE FROM MPLT = " + util::format("(I8)", {status}), os);
    return -1;
  }
  files.graphics_started = true;
  return setup_graphics_device(s, spec, *requests, os);
}

int close_text(TextDevice& text, bool all, int rc, int code, const char* caller, std::ostream& os) {
  if (all ? text.close() : text.close_dump()) return rc;
  if (rc == 0) {
    rc = code;
    PLT_MSG(rc, caller, os);
  }
  // Which file, and why.
  os << " Cannot write the output file " << text.failed_name << ": "
     << std::strerror(text.write_error) << '\n';
  return rc;
}

}  // namespace kor::plot
