// The return codes of the graphics server `mplt`, with their texts.
//
// Every reply starts with one of these codes; 0 means the request was carried out.  The codes lie
// in their own range (-201 and below), apart from the client's own codes (-1, -6, -7, -36, -40,
// -101), so that a code printed by `kor` names its origin.  The same texts are shipped as the
// message file MPLT.ERR (group "MPLT") for the client's message routine; a test keeps the two in
// step.
#ifndef KOR_MPLT_CODES_H_
#define KOR_MPLT_CODES_H_

#include <span>
#include <string_view>

#include "graphics/request_codes.h"
#include "graphics/server_codes.h"

namespace kor::mplt {

inline constexpr int kOk = 0;
inline constexpr int kUnknownRequest = -201;
inline constexpr int kBadLength = -202;
inline constexpr int kBadCount = -203;
inline constexpr int kNotFinite = -204;
inline constexpr int kBadColour = -205;
inline constexpr int kNoText = -206;
inline constexpr int kCannotCreate = graphics::kOutputNotCreated;
inline constexpr int kUnknownDevice = -208;
inline constexpr int kNoDisplay = -209;
inline constexpr int kBadSize = -210;
inline constexpr int kNoDevice = -211;
inline constexpr int kBadSystem = -212;
inline constexpr int kSystemUnavailable = -213;
inline constexpr int kBadGraph = -214;
inline constexpr int kBadRegion = -215;
inline constexpr int kBadLine = -216;
inline constexpr int kBadTextAttributes = -217;
inline constexpr int kBadMarker = -218;
inline constexpr int kBadAxis = -219;
inline constexpr int kBadComponent = -220;
inline constexpr int kUnknownColourName = -221;
inline constexpr int kBadMode = -222;
inline constexpr int kNotOnLogAxis = -223;
inline constexpr int kPageFull = -224;
inline constexpr int kWriteFailed = graphics::kOutputNotWritten;
inline constexpr int kBadColourType = -226;

// The texts live with the codes in graphics/server_codes.h, which the client reads too.
using CodeText = graphics::ServerCodeText;

// Every code with its text, in the order of the codes.
std::span<const CodeText> return_codes();

// The text of `code`; "Unknown return code." for a code not in the table.
std::string_view code_text(int code);

}  // namespace kor::mplt

#endif  // KOR_MPLT_CODES_H_
