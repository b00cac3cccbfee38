#include "platform/event_loop.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "model/form.h"
#include "support/virtual_clock.h"

namespace zelkon {
namespace {

class Timers : public Form {
 public:
  Timers() : Form("TForm_Timers", "") {}
  Timer Timer_Fast{*this, "Timer_Fast", 200};
  Timer Timer_Slow{*this, "Timer_Slow", 1000};
};

class EventLoopTest : public ::testing::Test {
 protected:
  testing::VirtualClock clock;
  UiQueue queue;
  Timers form;
  EventLoop loop{clock, queue, {&form.Timer_Fast, &form.Timer_Slow}};
  std::vector<int64_t> fast;
  std::vector<int64_t> slow;

  void SetUp() override {
    form.Timer_Fast.OnTimer = [this] { fast.push_back(clock.NowMs()); };
    form.Timer_Slow.OnTimer = [this] { slow.push_back(clock.NowMs()); };
  }
};

TEST_F(EventLoopTest, EnabledTimersTickEveryIntervalFromTheirSwitchOn) {
  form.Timer_Fast.SetEnabled(true);
  loop.RunFor(1000);
  EXPECT_EQ(fast, (std::vector<int64_t>{200, 400, 600, 800, 1000}));
  EXPECT_TRUE(slow.empty());

  form.Timer_Slow.SetEnabled(true);
  form.Timer_Fast.SetEnabled(false);
  loop.RunFor(2100);
  EXPECT_EQ(fast.size(), 5u);
  EXPECT_EQ(slow, (std::vector<int64_t>{2000, 3000}));
}

TEST_F(EventLoopTest, ALongTickSkipsMissedTicksAndKeepsThePhase) {
  form.Timer_Fast.OnTimer = [this] {
    fast.push_back(clock.NowMs());
    if (fast.size() == 2) clock.SleepMs(450);  // a handler that blocks for a while
  };
  form.Timer_Fast.SetEnabled(true);
  loop.RunFor(1500);
  EXPECT_EQ(fast, (std::vector<int64_t>{200, 400, 1000, 1200, 1400}));
}

TEST_F(EventLoopTest, ATimerSwitchedOffAndOnWithinATickStartsItsIntervalAgain) {
  form.Timer_Slow.SetEnabled(true);
  form.Timer_Fast.OnTimer = [this] {
    fast.push_back(clock.NowMs());
    form.Timer_Slow.SetEnabled(false);  // as a transfer stops and restarts the poll loop
    clock.SleepMs(100);
    form.Timer_Slow.SetEnabled(true);
    form.Timer_Fast.SetEnabled(false);
  };
  form.Timer_Fast.SetEnabled(true);
  loop.RunFor(2400);
  // Without the switch the slow timer would have ticked at 1000; re-armed at 300 it ticks at 1300.
  EXPECT_EQ(fast, (std::vector<int64_t>{200}));
  EXPECT_EQ(slow, (std::vector<int64_t>{1300, 2300}));
}

TEST_F(EventLoopTest, PostedWorkRunsOnTheLoopThreadAndRunUntilStopsWhenDone) {
  std::thread::id ranOn;
  std::thread worker([&] { queue.Post([&] { ranOn = std::this_thread::get_id(); }); });
  worker.join();
  form.Timer_Fast.SetEnabled(true);
  EXPECT_TRUE(loop.RunUntil([&] { return fast.size() == 3; }, 10000));
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_EQ(clock.NowMs(), 600);
  EXPECT_FALSE(loop.RunUntil([] { return false; }, 500));
  EXPECT_EQ(clock.NowMs(), 1100);
}

TEST_F(EventLoopTest, QuitEndsTheRunAfterTheCurrentHandler) {
  form.Timer_Fast.OnTimer = [this] {
    fast.push_back(clock.NowMs());
    if (fast.size() == 2) loop.Quit();
  };
  form.Timer_Fast.SetEnabled(true);
  loop.RunFor(5000);
  EXPECT_EQ(fast.size(), 2u);
  EXPECT_EQ(clock.NowMs(), 400);
}

}  // namespace
}  // namespace zelkon
