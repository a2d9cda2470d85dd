// The request decoder of the graphics server: one whole request in, its whole reply out.
//
// The decoder owns the drawing state, the page and the selected output device; it knows nothing
// of message queues, so tests drive it with word vectors.  Every request is checked against its
// word layout before anything changes: a request that fails a check changes nothing and is
// answered with its return code (codes.h) alone.
#ifndef KOR_MPLT_SERVER_H_
#define KOR_MPLT_SERVER_H_

#include <sys/types.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "graphics/words.h"
#include "mplt/output_file.h"
#include "mplt/page.h"
#include "mplt/render.h"
#include "mplt/state.h"
#include "mplt/window.h"

namespace kor::mplt {

using graphics::Word;

// What the decoder needs to know about the process that sent a request.
struct ClientPlace {
  std::string directory;  // its working directory; empty when unknown
  mode_t umask = 022;
  std::string display;     // its DISPLAY (empty: the server's own)
  std::string xauthority;  // its XAUTHORITY
};

// The working directory, umask and display of process `pid`, read from /proc/<pid>/.
ClientPlace client_place(pid_t pid);

enum class DeviceKind { kNone, kPostScript, kPdf, kSvg, kGif, kPng, kWindow };

struct Device {
  std::string name;  // as requested: PS, PDF, SVG, NC, GF, PNG, XW
  DeviceKind kind = DeviceKind::kNone;
  std::string path;    // output file (absolute) or window name
  std::string target;  // the file a write replaces: path with its symbolic links resolved
  ColourMode mode = ColourMode::kColour;
  double width = 0, height = 0;  // page size in device units
  mode_t umask = 022;            // the client's umask when the device was selected
};

// Default output name of a device ("" for an unknown one).
std::string default_output(const std::string& device);

class Server {
 public:
  // `place` tells where a client's files go; the default reads /proc.
  using PlaceFinder = std::function<ClientPlace(pid_t)>;
  explicit Server(PlaceFinder place = client_place);
  ~Server();

  // Answers one request (its words, length word first) sent by process `client`.
  std::vector<Word> handle(std::span<const Word> request, pid_t client);

  // True once request 102 with option 1 was answered.
  bool end_requested() const { return end_requested_; }
  // True between request 101 and request 102 (a client is in the middle of a run).
  bool run_open() const { return run_open_; }
  pid_t run_client() const { return run_client_; }
  // Drops the open run of a client that has ended: the page, the device and the drawing state
  // are again what they were at the run's start, and nothing the run drew is written.
  void abandon_run();
  // Writes the output when the page changed since it was last written.  Returns a return code.
  int bring_up_to_date();
  // The open window, if any (the queue end waits on its events too).
  Window* window() { return window_.get(); }
  // Handles window events; closes the window device when the window is gone.
  void process_window_events();

  const DrawingState& state() const { return state_; }
  const Page& page() const { return page_; }
  const Device& device() const { return device_; }
  int mode() const { return mode_; }

 private:
  int dispatch(std::span<const Word> r, pid_t client, std::vector<Word>& results);
  int select_device(std::span<const Word> r, pid_t client);
  int draw_points(int code, std::span<const Word> r);
  int draw_text(std::span<const Word> r);
  int draw_axis(std::span<const Word> r, bool labels);
  struct AxisLine;  // where an axis of request 603 or 604 runs (server.cc)
  int draw_axis_labels(std::span<const Word> r, const AxisLine& axis, std::size_t values_at,
                       std::size_t count, std::size_t words);
  int draw_axis_ticks(std::span<const Word> r, const AxisLine& axis, std::size_t values_at,
                      std::size_t count);
  int transform(std::span<const Word> r, std::vector<Word>& results);
  int write_output();
  // Called before the run replaces or empties the page: the page as the run found it is kept
  // (once per run) for abandon_run.
  void keep_start_page();

  PlaceFinder place_;
  DrawingState state_;
  Page page_;
  Device device_;
  std::unique_ptr<Window> window_;
  bool dirty_ = false;
  int mode_ = 0;
  bool end_requested_ = false;
  bool run_open_ = false;
  pid_t run_client_ = 0;
  OutputFailure failure_;
  // What abandon_run goes back to: the state, device and page size at the run's start, the
  // page itself once the run replaced or emptied it, else its length then.
  struct RunStart {
    DrawingState state;
    Device device;
    bool dirty = false;
    std::optional<Page> page;
    std::size_t items = 0, points = 0;
  } start_;
};

}  // namespace kor::mplt

#endif  // KOR_MPLT_SERVER_H_
