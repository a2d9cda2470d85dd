// Device setup of a graphics device through the requests over the real graphics link, against the
// test server.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../graphics/fake_server.h"
#include "../graphics/test_transport.h"
#include "../util/scratch.h"
#include "graphics/drawing.h"
#include "plot/control.h"
#include "plot/device.h"
#include "plot/state.h"

namespace kor::plot {
namespace {

namespace gt = graphics::testing;
using graphics::Word;

class GraphicsDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link_.out = &link_out_;
    link_.transport = &transport_;
    link_.reply_wait_ms = 10000;
    transport_.use_server_key(server_.key());
    transport_.use_hand_over_key(hand_over_.key());
    env_.set("OS_BIN", bin_.path());
  }

  // Reads a control file of `text` with three traces of a time series.
  int read(const std::string& text) {
    const std::string path = (std::filesystem::path(bin_.path()) / "test.ctl").string();
    std::ofstream(path) << text;
    util::TextUnit unit(9);
    EXPECT_TRUE(unit.open(path));
    ControlInput in;
    in.trace_count = 3;
    in.final_type = 1;
    files_.output_dir = bin_.path();
    graphics::LinkRequests device(link_);
    int rc = parse_control_file(settings_, results_.bxw, unit, in, false, out_);
    if (rc == 0) rc = derive_layout(layout_, settings_, results_.bxw, in, out_);
    if (rc != 0) return rc;
    return start_output_device(settings_, parse_device(settings_.device), files_, &device, out_);
  }

  gt::KeyedQueueGuard server_{gt::test_key(40)};
  gt::KeyedQueueGuard hand_over_{gt::test_key(41)};
  kor::testing::ScratchDir bin_;
  kor::testing::EnvGuard env_;
  gt::TestTransport transport_;
  graphics::LinkState link_;
  std::ostringstream link_out_, out_;
  PlotSettings settings_;
  PlotLayout layout_;
  PlotResults results_;
  PlotFiles files_;
};

TEST_F(GraphicsDeviceTest, NoServerProgramMeansGraphicsCannotStart) {
  EXPECT_EQ(read("DEV=GF|myplot.gif\n"), -1);
  EXPECT_EQ(out_.str(),
            " RETURN CODE FROM MPLT =     -101\n -01 = Cannot start graphics processing\n");
  EXPECT_EQ(transport_.forks, 0);
}

TEST_F(GraphicsDeviceTest, SetupRequestsReachARunningServer) {
  const int id = server_.open();
  gt::FakeServer server(id, [](const std::vector<Word>& r) {
    if (r[1] == 104) return std::vector<Word>{3, 0, 1};  // the server is in mode 1
    return std::vector<Word>{2, 0};
  });
  ASSERT_EQ(read("DEV=GF|myplot.gif\nPAN=UL\n"), 0) << out_.str();
  server.stop();
  std::vector<Word> codes;
  for (const auto& r : server.requests()) codes.push_back(r[1]);
  // Start (101), mode query and change to 2, device selection, frame, clear, view; no colour
  // list, so no flush.
  EXPECT_EQ(codes, (std::vector<Word>{101, 104, 103, 216, 213, 202, 301}));
  EXPECT_EQ(server.requests()[2], (std::vector<Word>{3, 103, 2}));
  EXPECT_EQ(out_.str(), "");
}

TEST_F(GraphicsDeviceTest, ServerRefusingTheDeviceIsReported) {
  const int id = server_.open();
  gt::FakeServer server(id, [](const std::vector<Word>& r) {
    if (r[1] == 104) return std::vector<Word>{3, 0, 2};
    if (r[1] == 216) return std::vector<Word>{2, 7};
    return std::vector<Word>{2, 0};
  });
  EXPECT_EQ(read("DEV=GF|myplot.gif\n"), -2);
  server.stop();
  EXPECT_EQ(out_.str().substr(0, 34), " RETURN CODE FROM MPLT =        7\n");
}

}  // namespace
}  // namespace kor::plot
