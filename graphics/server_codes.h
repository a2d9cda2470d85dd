// The return codes of the graphics server with their texts, known to both ends of the link: the
// server answers with them, and the client says in words what a code it received means.  The
// same texts are shipped as the message file MPLT.ERR (group "MPLT"); a test keeps the two in
// step.
#ifndef KOR_GRAPHICS_SERVER_CODES_H_
#define KOR_GRAPHICS_SERVER_CODES_H_

#include <span>
#include <string_view>

namespace kor::graphics {

struct ServerCodeText {
  int code;
  std::string_view text;
};

// Every code with its text, in the order of the codes (0 first, then -201 down).
std::span<const ServerCodeText> server_code_texts();

// The text of `code`, or empty for a code that is no return code of the server.
std::string_view server_code_text(int code);

}  // namespace kor::graphics

#endif  // KOR_GRAPHICS_SERVER_CODES_H_
