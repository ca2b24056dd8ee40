// The bridge between the event loop and the machine's clock, and the workers' stop and
// hand-over rules.
#include <QCoreApplication>
#include <atomic>
#include <latch>
#include <vector>

#include "app/core/clock_bridge.h"
#include "app/core/worker.h"
#include "platform/services.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

class ClockBridgeTest : public UtilityTest {};

// The bridge's thread may already run (an earlier test's timers started it) and walk the clock to
// the first timer before the second is added, so each timer's times count from its own start.
TEST_F(ClockBridgeTest, TimersFireAtTheirMachineTimesInOrder) {
  std::vector<std::pair<char, uint64_t>> fired;
  core::MachineTimer poll(nullptr, [&] { fired.emplace_back('p', Now()); });
  core::MachineTimer once(nullptr, [&] { fired.emplace_back('o', Now()); });
  const uint64_t onceStart = Now();
  once.StartOnce(250);
  // The clock stops at the first due timer until the GUI thread has fired it.
  const uint64_t pollStart = Now();
  ASSERT_LE(pollStart, onceStart + 250);
  poll.Start(1500);
  RunFor(3200);
  std::string seen;
  for (const auto& [which, at] : fired)
    seen += std::string(1, which) + "@" + std::to_string(at - onceStart) + " ";
  ASSERT_EQ(fired.size(), 3u) << seen;
  EXPECT_EQ(fired[0], std::make_pair('o', onceStart + 250));
  EXPECT_EQ(fired[1], std::make_pair('p', pollStart + 1500));
  EXPECT_EQ(fired[2], std::make_pair('p', pollStart + 3000));
  EXPECT_FALSE(once.IsActive());
  EXPECT_TRUE(poll.IsActive());
}

TEST_F(ClockBridgeTest, TheClockStandsStillWhileTheGuiThreadHasNotRunADueTimer) {
  int fired = 0;
  core::MachineTimer timer(nullptr, [&] { ++fired; });
  timer.StartOnce(100);
  const uint64_t before = Now();
  // No events are processed: the bridge may walk up to the due time but no further.
  for (int i = 0; i < 50 && Now() < before + 100; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_LE(Now(), before + 100);
  EXPECT_EQ(fired, 0);
  RunFor(10);
  EXPECT_EQ(fired, 1);
}

TEST_F(ClockBridgeTest, AStoppedOrDestroyedTimerNeverFires) {
  int fired = 0;
  core::MachineTimer stopped(nullptr, [&] { ++fired; });
  stopped.Start(100);
  stopped.Stop();
  {
    core::MachineTimer gone(nullptr, [&] { ++fired; });
    gone.StartOnce(100);
  }
  // A timer that stops another in its own callback.
  core::MachineTimer victim(nullptr, [&] { ++fired; });
  core::MachineTimer killer(nullptr, [&] { victim.Stop(); });
  killer.StartOnce(50);
  victim.StartOnce(50);
  RunFor(500);
  EXPECT_EQ(fired, 0);
}

TEST_F(ClockBridgeTest, AWorkerStopsAtItsNextWaitAndItsLateResultIsDropped) {
  core::Worker worker;
  QObject window;
  std::atomic<bool> handed{false};
  std::atomic<bool> ended{false};
  ASSERT_TRUE(worker.Start([&](std::stop_token stop, uint64_t run) {
    const bool finished = core::SleepFor(stop, 600000);
    // A result posted after the stop carries an old run number.
    core::PostToGui(&window, [&, run] {
      if (worker.IsCurrent(run)) handed = true;
    });
    ended = !finished;
  }));
  EXPECT_FALSE(worker.IsIdle());
  EXPECT_TRUE(worker.Stop(5000));
  EXPECT_TRUE(ended.load());
  EXPECT_TRUE(worker.IsIdle());
  QCoreApplication::processEvents();
  EXPECT_FALSE(handed.load());
}

TEST_F(ClockBridgeTest, AWorkerStuckInACallIsLeftAfterTheBoundAndBlocksANewStart) {
  core::Worker worker;
  std::latch release(1);
  ASSERT_TRUE(worker.Start([&](std::stop_token, uint64_t) { release.wait(); }));
  EXPECT_FALSE(worker.Stop(20));
  EXPECT_TRUE(worker.IsIdle());
  // Never two at once: the late one must end first.
  EXPECT_FALSE(worker.Start([](std::stop_token, uint64_t) {}));
  release.count_down();
  ASSERT_TRUE(worker.Stop(5000));
  EXPECT_TRUE(worker.Start([](std::stop_token, uint64_t) {}));
}

}  // namespace
}  // namespace app_testing
