#include "graphics/link.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../util/scratch.h"
#include "fake_server.h"
#include "test_transport.h"

namespace kor::graphics {
namespace {

using testing::FakeServer;
using testing::KeyedQueueGuard;
using testing::PrivateQueue;
using testing::TestTransport;

// [total, 1001, 1002, ...]: a request of `total` words whose words are easy to tell apart.
std::vector<Word> numbered_request(int total) {
  std::vector<Word> w(static_cast<std::size_t>(total));
  w[0] = total;
  for (int i = 1; i < total; ++i) w[static_cast<std::size_t>(i)] = 1000 + i;
  return w;
}

std::vector<std::size_t> sizes(const std::vector<std::vector<Word>>& messages) {
  std::vector<std::size_t> s;
  for (const auto& m : messages) s.push_back(m.size());
  return s;
}

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link_.out = &out_;
    link_.transport = &transport_;
    link_.reply_wait_ms = 10000;
    // Keys of the test's own, removed again at its end, for whatever a test does not set itself.
    transport_.use_server_key(default_server_.key());
    transport_.use_hand_over_key(default_hand_over_.key());
  }
  KeyedQueueGuard default_server_{testing::test_key(20)};
  KeyedQueueGuard default_hand_over_{testing::test_key(21)};
  std::ostringstream out_;
  TestTransport transport_;
  LinkState link_;
};

TEST(QueueKey, TerminalKeyOrParentPid) {
  struct Case {
    bool terminal;
    key_t tty_key;
    pid_t parent;
    key_t key;
  };
  constexpr Case kCases[] = {
      {true, 555, 10, 555},
      {true, -1, 10, 12340010},  // no terminal key to be had: the parent's key
      {false, 555, 77, 12340077},
      {false, -1, 4194304, 16534304},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(queue_key(c.terminal, c.tty_key, c.parent), c.key) << c.terminal << c.parent;
  }
}

TEST_F(LinkTest, RequestsTravelInSlicesOf128Words) {
  struct Case {
    int total;
    std::vector<int> calls;  // words per REQ_PUT call
    std::vector<std::size_t> messages;
    int receipts;
  };
  const Case kCases[] = {
      {2, {2}, {2}, 0},
      {128, {128}, {128}, 0},
      {128, {100, 28}, {128}, 0},
      {129, {129}, {128, 1}, 1},
      {129, {1, 127, 1}, {128, 1}, 1},
      {256, {256}, {128, 128}, 1},
      {300, {300}, {128, 128, 44}, 2},
      {300, {3, 200, 97}, {128, 128, 44}, 2},
  };
  for (const Case& c : kCases) {
    PrivateQueue queue;
    ASSERT_GE(queue.id(), 0);
    FakeServer server(queue.id(), testing::reply_code(0));
    link_.queue_id = queue.id();
    const std::vector<Word> words = numbered_request(c.total);
    std::size_t at = 0;
    for (int n : c.calls) {
      ASSERT_EQ(REQ_PUT(link_, std::span<const Word>(words).subspan(at, n)), 0) << c.total;
      at += static_cast<std::size_t>(n);
    }
    EXPECT_EQ(link_.transfer, kComplete) << c.total;
    Word rc[1] = {-5};
    ASSERT_EQ(REQ_GET(link_, rc), 0) << c.total;
    EXPECT_EQ(rc[0], 0) << c.total;
    server.stop();
    EXPECT_EQ(sizes(server.messages()), c.messages) << c.total;
    ASSERT_EQ(server.requests().size(), 1u) << c.total;
    EXPECT_EQ(server.requests()[0], words) << c.total;
    EXPECT_EQ(server.receipts_sent(), c.receipts) << c.total;
    EXPECT_EQ(testing::queued_messages(queue.id()), 0) << c.total;  // every receipt was taken
  }
}

TEST_F(LinkTest, RepliesAreReceiptedFromTheSecondSliceOn) {
  struct Case {
    int total;               // words of the reply
    std::vector<int> calls;  // words wanted per REQ_GET call
    int receipts;
  };
  const Case kCases[] = {
      {2, {1}, 0},           {3, {5}, 0},     {128, {127}, 0},         {129, {128}, 1},
      {129, {1, 1, 126}, 1}, {300, {299}, 2}, {300, {1, 150, 200}, 2},  // the last call gets 148
                                                                        // words; the rest stays as
                                                                        // it was
  };
  for (const Case& c : kCases) {
    PrivateQueue queue;
    const std::vector<Word> reply = numbered_request(c.total);
    FakeServer server(queue.id(), [&](const std::vector<Word>&) { return reply; });
    link_.queue_id = queue.id();
    const Word request[2] = {2, 104};
    ASSERT_EQ(REQ_PUT(link_, request), 0);
    std::vector<Word> got;
    for (int n : c.calls) {
      std::vector<Word> part(static_cast<std::size_t>(n), -7);
      ASSERT_EQ(REQ_GET(link_, part), 0) << c.total;
      got.insert(got.end(), part.begin(), part.end());
    }
    EXPECT_EQ(link_.transfer, kComplete) << c.total;
    server.stop();
    std::vector<Word> want(reply.begin() + 1, reply.end());
    want.resize(got.size(), -7);  // words wanted beyond the reply stay unchanged
    EXPECT_EQ(got, want) << c.total;
    EXPECT_EQ(server.receipts_received(), c.receipts) << c.total;
    // The messages the server read: the request, then one [-888] per receipt.
    ASSERT_EQ(server.messages().size(), static_cast<std::size_t>(1 + c.receipts)) << c.total;
    for (int r = 1; r <= c.receipts; ++r) {
      EXPECT_EQ(server.messages()[static_cast<std::size_t>(r)], std::vector<Word>{kReceipt});
    }
  }
}

TEST_F(LinkTest, NoLinkRefusesRequests) {
  link_.queue_id = kNoLink;
  const Word request[2] = {2, 207};
  EXPECT_EQ(REQ_PUT(link_, request), kNoLinkOpen);
  EXPECT_EQ(out_.str(), "");
}

TEST_F(LinkTest, SilentServerFailsAfterTheBoundedWait) {
  PrivateQueue queue;
  FakeServer server(queue.id(), [](const std::vector<Word>&) { return std::vector<Word>{}; });
  link_.queue_id = queue.id();
  link_.reply_wait_ms = 200;
  const Word request[2] = {2, 213};
  ASSERT_EQ(REQ_PUT(link_, request), 0);
  const auto start = std::chrono::steady_clock::now();
  Word rc[1] = {0};
  EXPECT_EQ(REQ_GET(link_, rc), kLinkFailed);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(200));
  EXPECT_LT(waited, std::chrono::seconds(5));
  EXPECT_EQ(link_.transfer, kComplete);
  EXPECT_EQ(out_.str(),
            "Error in message receive: no answer from the graphics server within 200 ms\n");
}

TEST_F(LinkTest, RemovedQueueEndsTheWaitAtOnce) {
  PrivateQueue queue;
  link_.queue_id = queue.id();
  link_.reply_wait_ms = 20000;
  std::thread remover([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    queue.remove();
  });
  const auto start = std::chrono::steady_clock::now();
  Word rc[1] = {0};
  EXPECT_EQ(REQ_GET(link_, rc), kLinkFailed);
  remover.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(out_.str(), "");
}

TEST_F(LinkTest, SendFailurePrintsErrnoAndTheCall) {
  const Word words[3] = {3, 102, 0};
  EXPECT_EQ(MQ_SEND(link_, 1, -5, words), kLinkFailed);
  // msgsnd on a negative queue id fails with EINVAL (22).
  EXPECT_EQ(out_.str(), "Error in message send = 22\nitype, ichan, nwords,1,-5,3\n");
  out_.str("");
  EXPECT_EQ(MQ_SEND(link_, 1, -5, std::span<const Word>()), 0);  // nothing to send
  EXPECT_EQ(out_.str(), "");
}

TEST_F(LinkTest, ReceiveZeroesTheWordsPastTheMessage) {
  PrivateQueue queue;
  std::array<Word, kMessageWords> words;
  words.fill(99);
  EXPECT_EQ(MQ_RECEIVE(link_, kServerType, true, queue.id(), words), kLinkFailed);
  EXPECT_EQ(words[0], 99);  // nothing there: unchanged
  ASSERT_TRUE(testing::put_message(queue.id(), kServerType, {7, 8, 9}));
  EXPECT_EQ(MQ_RECEIVE(link_, kServerType, true, queue.id(), words), 3);
  EXPECT_EQ(words[0], 7);
  EXPECT_EQ(words[2], 9);
  for (std::size_t i = 3; i < words.size(); ++i) EXPECT_EQ(words[i], 0) << i;
  EXPECT_EQ(out_.str(), "");
}

TEST_F(LinkTest, PingIsEchoedByARunningServer) {
  KeyedQueueGuard guard(testing::test_key(1));
  const int id = guard.open();
  FakeServer server(id, testing::reply_code(0));
  transport_.use_server_key(guard.key());
  int queue_id = -3;
  bool running = false;
  ASSERT_EQ(CCHECK(link_, queue_id, running), 0);
  EXPECT_TRUE(running);
  EXPECT_EQ(queue_id, id);
  EXPECT_LT(transport_.slept_ms, link_.ping_wait_ms);
  // The echo came from this process (the test server's thread): it is the server looked after.
  EXPECT_EQ(link_.server_pid, getpid());
  EXPECT_FALSE(link_.server_child);
  server.stop();
  EXPECT_EQ(server.pings(), 1);
  EXPECT_EQ(server.messages(), (std::vector<std::vector<Word>>{{2, kPing}}));
}

TEST_F(LinkTest, UnansweredPingIsWithdrawn) {
  KeyedQueueGuard guard(testing::test_key(2));
  const int id = guard.open();
  // Leftovers of an earlier run: a request for the absent server and a stray server message.
  ASSERT_TRUE(testing::put_message(id, kClientType, {3, 103, 2}));
  ASSERT_TRUE(testing::put_message(id, kServerType, {2, 0}));
  transport_.use_server_key(guard.key());
  int queue_id = -3;
  bool running = true;
  ASSERT_EQ(CCHECK(link_, queue_id, running), 0);
  EXPECT_FALSE(running);
  EXPECT_EQ(queue_id, id);
  // Polled in 10 ms steps for the two seconds of the ping wait.
  EXPECT_EQ(transport_.slept_ms, 2000);
  EXPECT_EQ(transport_.sleeps, 200);
  EXPECT_EQ(testing::queued_messages(id), 0);
}

TEST_F(LinkTest, TerminalKeyIsUsedWhenStandardErrorIsATerminal) {
  KeyedQueueGuard guard(testing::test_key(3));
  transport_.terminal = true;
  transport_.tty_key = guard.key();
  transport_.parent = 1;
  QueueInfo info;
  ASSERT_EQ(CGETMQ(link_, info), 0);
  EXPECT_TRUE(info.terminal);
  EXPECT_EQ(info.key, guard.key());
  EXPECT_EQ(info.queue_id, msgget(guard.key(), 0));
}

TEST_F(LinkTest, ServerPathEndingInSlashFailsBeforeFork) {
  EXPECT_EQ(CSPROC(link_, "/usr/local/bin/", 5), kLinkFailed);
  EXPECT_EQ(CSPROC(link_, "", 5), kLinkFailed);
  EXPECT_EQ(transport_.forks, 0);
}

TEST_F(LinkTest, FailedForkIsReported) {
  KeyedQueueGuard guard(testing::test_key(4));
  transport_.terminal = true;
  transport_.tty_key = guard.key();
  transport_.fork_result = -1;
  EXPECT_EQ(CSPROC(link_, "/opt/graphics/mplt", 5), kLinkFailed);
  EXPECT_EQ(out_.str(), "Could not fork\n");
}

TEST_F(LinkTest, WithoutATerminalTheKeyIsHandedOver) {
  KeyedQueueGuard server_queue(testing::test_key(5));
  KeyedQueueGuard hand_over(testing::test_key(6));
  transport_.use_server_key(server_queue.key());
  transport_.use_hand_over_key(hand_over.key());
  ASSERT_EQ(CSPROC(link_, "/opt/graphics/mplt", 31), 0);
  EXPECT_EQ(transport_.forks, 1);
  EXPECT_EQ(link_.server_pid, 4242);
  ASSERT_TRUE(hand_over.exists());
  testing::RawMessage m;
  ASSERT_TRUE(testing::take_message(hand_over.open(), 0, m));
  EXPECT_EQ(m.type, kClientType);
  EXPECT_EQ(m.words, std::vector<Word>{static_cast<Word>(server_queue.key())});
  EXPECT_FALSE(testing::take_message(hand_over.open(), 0, m));  // exactly one message
  EXPECT_EQ(out_.str(), "");
}

TEST_F(LinkTest, ChildAnnouncesItselfAndReportsAFailedExecl) {
  KeyedQueueGuard guard(testing::test_key(7));
  transport_.terminal = true;
  transport_.tty_key = guard.key();
  transport_.fork_result = 0;  // continue as the child
  transport_.exec_errno = ENOENT;
  try {
    (void)CSPROC(link_, "/opt/graphics/mplt", 17);
    ADD_FAILURE() << "the child must end";
  } catch (const testing::ChildExit& e) {
    EXPECT_EQ(e.status, 2);
  }
  EXPECT_EQ(transport_.exec_path, "/opt/graphics/mplt");
  EXPECT_EQ(transport_.exec_name, "mplt");
  EXPECT_EQ(out_.str(),
            "Creating process: mplt for queue 17\nError in execl to /opt/graphics/mplt = 2\n");
}

TEST_F(LinkTest, RealChildExitsWithStatusTwoWhenTheProgramIsMissing) {
  KeyedQueueGuard guard(testing::test_key(8));
  transport_.terminal = true;
  transport_.tty_key = guard.key();
  transport_.real_fork = true;
  link_.out = &std::cout;
  ::testing::internal::CaptureStdout();
  const int rc = CSPROC(link_, "/kor_no_such_directory/mplt", 23);
  int status = 0;
  const pid_t waited = rc == 0 ? waitpid(link_.server_pid, &status, 0) : -1;
  const std::string printed = ::testing::internal::GetCapturedStdout();
  ASSERT_EQ(rc, 0);
  ASSERT_EQ(waited, link_.server_pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_EQ(printed,
            "Creating process: mplt for queue 23\n"
            "Error in execl to /kor_no_such_directory/mplt = 2\n");
}

class StartTest : public LinkTest {
 protected:
  void SetUp() override {
    LinkTest::SetUp();
    ASSERT_FALSE(bin_.path().empty());
    env_.set("OS_BIN", bin_.path());
    transport_.use_server_key(guard_.key());
  }
  // Starts the server with a pretended fork, following the child up to its (failing) execl.
  void follow_start_to_execl() {
    transport_.fork_result = 0;
    int queue_id = 0;
    bool running = true;
    try {
      (void)SRV_START(link_, "mplt", queue_id, running);
      ADD_FAILURE() << "the child must end";
    } catch (const testing::ChildExit& e) {
      EXPECT_EQ(e.status, 2);
    }
    EXPECT_FALSE(running);
  }
  kor::testing::ScratchDir bin_;
  kor::testing::EnvGuard env_;
  KeyedQueueGuard guard_{testing::test_key(9)};
};

TEST_F(StartTest, MissingServerProgramGivesNoServer) {
  bool running = true;
  EXPECT_EQ(GR_INIT(link_, 2, running), kNoServer);
  EXPECT_FALSE(running);
  EXPECT_EQ(link_.queue_id, kNoLink);
  EXPECT_EQ(transport_.forks, 0);
  // The queue did not exist before, so nobody could answer a ping: none was sent.
  EXPECT_EQ(transport_.sleeps, 0);
  // The queue opened for the ping is removed again: a failed start leaves no queue behind.
  EXPECT_FALSE(guard_.exists());
}

TEST_F(StartTest, ServerProgramIsFoundUnderOsBin) {
  const std::string program = bin_.write("mplt", "#!/bin/sh\n");
  follow_start_to_execl();
  EXPECT_EQ(transport_.exec_path, program);
  EXPECT_EQ(transport_.exec_name, "mplt");
}

TEST_F(StartTest, RunningServerIsReusedAndEnded) {
  const int id = guard_.open();
  FakeServer server(id, [](const std::vector<Word>& r) {
    return r[1] == 101 ? std::vector<Word>{3, 0, 77} : std::vector<Word>{2, 0};
  });
  bool running = false;
  EXPECT_EQ(GR_INIT(link_, 2, running), 0);
  EXPECT_TRUE(running);
  EXPECT_EQ(link_.queue_id, id);
  EXPECT_EQ(transport_.forks, 0);
  EXPECT_EQ(GR_END(link_, 0), 0);
  EXPECT_TRUE(guard_.exists());
  EXPECT_EQ(GR_END(link_, 1), 0);
  EXPECT_FALSE(guard_.exists());
  EXPECT_EQ(link_.queue_id, kNoLink);
  server.stop();
  EXPECT_EQ(server.requests(),
            (std::vector<std::vector<Word>>{{3, 101, 2}, {3, 102, 0}, {3, 102, 1}}));
  EXPECT_EQ(GR_END(link_, 0), kNoLinkOpen);
}

TEST_F(StartTest, StartReturnsTheServersCode) {
  const int id = guard_.open();
  FakeServer server(id, testing::reply_code(5));
  bool running = false;
  EXPECT_EQ(GR_INIT(link_, 0, running), 5);
  EXPECT_EQ(GR_END(link_, 3), 5);
  EXPECT_TRUE(guard_.exists());  // only option 1 removes the queue
}

TEST_F(StartTest, ServerProgramIsFoundBesideTheRunningProgram) {
  kor::testing::ScratchDir programs;
  const std::string program = programs.write("mplt", "#!/bin/sh\n");
  transport_.executable = programs.path() + "/kor";
  env_.unset("OS_BIN");
  follow_start_to_execl();
  EXPECT_EQ(transport_.exec_path, program);
}

TEST_F(StartTest, ASecondRunWaitsForTheLockAndGivesUp) {
  const int id = guard_.open();
  FakeServer server(id, [](const std::vector<Word>& r) {
    return r[1] == 101 ? std::vector<Word>{3, 0, 1} : std::vector<Word>{2, 0};
  });
  bool running = false;
  ASSERT_EQ(GR_INIT(link_, 0, running), 0);
  ASSERT_GE(link_.lock_fd, 0);
  // Another run of the same key (same transport, so the same key) cannot start meanwhile.
  LinkState second;
  std::ostringstream second_out;
  second.out = &second_out;
  second.transport = &transport_;
  second.lock_wait_ms = 50;
  EXPECT_EQ(GR_INIT(second, 0, running), kNoServer);
  EXPECT_EQ(second_out.str(), "Error: another kor run has held the graphics server of queue key " +
                                  std::to_string(guard_.key()) + " for 0 s; giving up\n");
  // Once the first run has ended, the second gets the server.
  ASSERT_EQ(GR_END(link_, 0), 0);
  EXPECT_EQ(link_.lock_fd, -1);
  second.lock_wait_ms = 5000;
  EXPECT_EQ(GR_INIT(second, 0, running), 0);
  EXPECT_TRUE(running);
  EXPECT_EQ(GR_END(second, 0), 0);
  server.stop();
  EXPECT_EQ(server.requests().size(), 4u);  // 101, 102, 101, 102: nothing of the refused run
}

TEST_F(LinkTest, AServerThatHasEndedEndsTheWait) {
  KeyedQueueGuard guard(testing::test_key(10));
  KeyedQueueGuard hand_over(testing::test_key(11));
  transport_.use_hand_over_key(hand_over.key());
  (void)hand_over.open();  // a hand-over queue the server never took
  const pid_t child = fork();
  if (child == 0) _exit(0);  // a server that ends at once
  link_.queue_id = guard.open();
  link_.server_pid = child;
  link_.server_child = true;
  link_.reply_wait_ms = 60000;
  const Word request[3] = {3, 101, 0};
  ASSERT_EQ(REQ_PUT(link_, request), 0);
  Word rc[1] = {0};
  EXPECT_EQ(REQ_GET(link_, rc), kLinkFailed);
  EXPECT_EQ(out_.str(), "Error in message receive: the graphics server (process " +
                            std::to_string(child) + ") has ended\n");
  EXPECT_EQ(link_.queue_id, kNoLink);
  EXPECT_FALSE(guard.exists());
  EXPECT_FALSE(hand_over.exists());
}

TEST(GrReset, ClosesTheLinkAndResetsTheSupportState) {
  LinkState link;
  link.queue_id = 12;
  link.transfer = kReceiving;
  link.total = 40;
  link.support.messages.level = 3;
  link.support.messages.history.push_back("x");
  GR_RESET(link);
  EXPECT_EQ(link.queue_id, kNoLink);
  EXPECT_EQ(link.transfer, kIdle);
  EXPECT_EQ(reply_words_owed(link), 0);
  EXPECT_EQ(link.support.messages.level, 0);
  EXPECT_TRUE(link.support.messages.history.empty());
}

}  // namespace
}  // namespace kor::graphics
