#include "plot/draw/pen.h"

#include <array>
#include <cmath>
#include <ostream>
#include <string>

#include "graphics/server_codes.h"
#include "plot/messages.h"
#include "util/format.h"
#include "util/text.h"

namespace kor::plot::draw {

int graphics_error(int status, std::ostream& os) {
  PLT_MSG(kGraphicsFailed, "GRAPHICS PROC ERROR # = " + util::format("(I8)", {status}), os);
  return kGraphicsFailed;
}

void explain_output_failure(Requests& rq, int status, std::ostream& os) {
  if (status != graphics::kOutputNotCreated && status != graphics::kOutputNotWritten) {
    // Any other code of the server is said in the server's own words.
    const std::string_view text = graphics::server_code_text(status);
    if (status < 0 && !text.empty()) os << " The graphics server says: " << text << '\n';
    return;
  }
  std::string file, reason;
  if (rq.query_output_failure(file, reason) != 0 || file.empty()) return;
  os << (status == graphics::kOutputNotCreated ? " Cannot create the output file "
                                               : " Cannot write the output file ")
     << file << ": " << reason << '\n';
}

int parse_text_spec(std::string_view text, TextSpec& spec) {
  std::array<std::string, 4> items;
  int count = 0;
  (void)util::ST_SPLS(text, '/', "", 80, items, count);
  spec = TextSpec{};
  std::array<double, 3> value{1.0, 1.0, 1.0};
  for (int i = 0; i < 3; ++i) {
    if (util::ST_TLEN(items[i]) == 0) continue;
    if (util::ST_TREL(items[i], value[i]) != 0 || !std::isfinite(value[i])) return -12;
  }
  spec.size = value[0] <= 0.0 ? 0.0f : static_cast<float>(value[0]);
  spec.font = static_cast<int>(std::lround(value[1]));
  spec.width = std::max(0, static_cast<int>(std::lround(value[2])));
  spec.hardware = util::ST_UPPR(util::ST_NOBL(items[3])) == "HW";
  return 0;
}

int apply_text_attributes(Pen& pen, std::string_view text, int justification, bool& hardware,
                          double scale) {
  TextSpec spec;
  if (parse_text_spec(text, spec) != 0) return -12;
  hardware = spec.hardware;
  graphics::TextAttributes a;
  a.font = spec.font;
  a.hardware = spec.hardware ? 2 : 1;
  a.size = spec.size;
  const double factor = scale * pen.text_scale;
  if (factor != 1.0 && std::isfinite(factor) && factor > 0) {
    a.size = static_cast<float>((spec.size > 0 ? spec.size : 1.0f) * factor);
  }
  a.width = spec.width;
  a.justification = justification;
  return pen.rq.set_text_attributes(a) == 0 ? 0 : -12;
}

int character_size(Pen& pen, double& width, double& height) {
  graphics::AttributeValues v;
  if (const int rc = check(pen.rq.query_attribute_values(v), pen.os); rc != 0) return rc;
  width = v.reals[0];
  height = v.reals[1];
  return 0;
}

}  // namespace kor::plot::draw
