#include "mplt/codes.h"

namespace kor::mplt {

std::span<const CodeText> return_codes() { return graphics::server_code_texts(); }

std::string_view code_text(int code) {
  const std::string_view text = graphics::server_code_text(code);
  return text.empty() ? std::string_view("Unknown return code.") : text;
}

}  // namespace kor::mplt
