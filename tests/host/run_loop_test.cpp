#include "host/run_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

namespace {

using namespace Steinberg;
using namespace Steinberg::Linux;

class CountingTimer : public vst3host::HostObject<CountingTimer, ITimerHandler> {
public:
  void PLUGIN_API onTimer() override {
    ++calls;
    if (loop != nullptr && calls == stopAfter) loop->unregisterTimer(this);
  }
  int calls = 0;
  int stopAfter = -1;
  IRunLoop* loop = nullptr;
};

class RecordingHandler : public vst3host::HostObject<RecordingHandler, IEventHandler> {
public:
  void PLUGIN_API onFDIsSet(FileDescriptor fd) override { seen.push_back(fd); }
  std::vector<FileDescriptor> seen;
};

TEST(RunLoop, TimersFireOncePerElapsedInterval) {
  auto loop = vst3host::makeHostObject<vst3host::RunLoop>();
  auto fast = vst3host::makeHostObject<CountingTimer>();
  auto slow = vst3host::makeHostObject<CountingTimer>();
  ASSERT_EQ(loop->registerTimer(fast, 10), kResultOk);
  ASSERT_EQ(loop->registerTimer(slow, 25), kResultOk);
  EXPECT_EQ(loop->advance(9), 0);
  EXPECT_EQ(loop->advance(41), 7); // fast at 10..50, slow at 25 and 50
  EXPECT_EQ(fast->calls, 5);
  EXPECT_EQ(slow->calls, 2);
  EXPECT_EQ(loop->registerTimer(fast, 0), kInvalidArgument);
}

TEST(RunLoop, TimerMayUnregisterItselfFromItsCallback) {
  auto loop = vst3host::makeHostObject<vst3host::RunLoop>();
  auto timer = vst3host::makeHostObject<CountingTimer>();
  timer->loop = loop.get();
  timer->stopAfter = 2;
  ASSERT_EQ(loop->registerTimer(timer, 5), kResultOk);
  loop->advance(100);
  EXPECT_EQ(timer->calls, 2);
  EXPECT_EQ(loop->timerCount(), 0u);
  EXPECT_EQ(loop->unregisterTimer(timer), kResultFalse);
}

TEST(RunLoop, ReadyDescriptorsReachTheirHandlers) {
  auto loop = vst3host::makeHostObject<vst3host::RunLoop>();
  auto handler = vst3host::makeHostObject<RecordingHandler>();
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(loop->registerEventHandler(handler, fds[0]), kResultOk);
  EXPECT_EQ(loop->poll(0), 0); // nothing written yet
  ASSERT_EQ(write(fds[1], "x", 1), 1);
  EXPECT_EQ(loop->poll(100), 1);
  EXPECT_EQ(loop->signal(fds[0]), 1);
  EXPECT_EQ(handler->seen, (std::vector<FileDescriptor>{fds[0], fds[0]}));
  ASSERT_EQ(loop->unregisterEventHandler(handler), kResultOk);
  EXPECT_EQ(loop->signal(fds[0]), 0);
  close(fds[0]);
  close(fds[1]);
}

} // namespace
