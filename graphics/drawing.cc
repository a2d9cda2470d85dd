#include "graphics/drawing.h"

namespace kor::graphics {

int LinkRequests::start_plotting(int mode, bool& running) {
  GR_RESET(link_);
  return GR_INIT(link_, mode, running);
}

int LinkRequests::end_plotting(int option) { return GR_END(link_, option); }

// Every other request goes to the request routine of its name with the link first.
#define KOR_WITH_LINK(...) (link_ __VA_OPT__(, ) __VA_ARGS__)
#define KOR_FORWARD_REQUEST(name, parameters, arguments) \
  int LinkRequests::name parameters { return graphics::name KOR_WITH_LINK arguments; }
KOR_DRAWING_REQUESTS(KOR_FORWARD_REQUEST)
#undef KOR_FORWARD_REQUEST
#undef KOR_WITH_LINK

}  // namespace kor::graphics
