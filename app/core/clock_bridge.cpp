#include "app/core/clock_bridge.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <chrono>
#include <vector>

#include "app/core/gui_hand_over.h"
#include "app/core/worker.h"
#include "platform/services.h"

namespace core {

namespace {

// How far the bridge's thread sleeps at a time: a timer added meanwhile fires at most this late
// (on a live machine; in virtual time the clock simply stops there). Idle, the utility wakes
// about five times a second for it.
constexpr uint64_t kSliceMs = 200;
// How often the bridge looks at a clock that workers move.
constexpr int kWatchMs = 2;

}  // namespace

ClockBridge& ClockBridge::Instance() {
  // Never destroyed: a worker or a page may still touch a timer while the process ends.
  static auto* bridge = new ClockBridge;
  return *bridge;
}

// The hand-over is made here, on the GUI thread, before the bridge's thread or any worker can
// post through it.
ClockBridge::ClockBridge() {
  GuiHandOver::Instance();
}

ClockBridge::~ClockBridge() {
  Shutdown();
}

uint64_t ClockBridge::NowMs() const {
  return platform::Current().Clock().NowMs();
}

ClockBridge::TimerId ClockBridge::Add(uint64_t dueMs, uint32_t periodMs,
                                      std::function<void()> fire) {
  std::lock_guard lock(mutex_);
  const TimerId id = nextId_++;
  timers_.emplace(id, Timer{dueMs, periodMs, std::move(fire)});
  EnsureThreadLocked();
  changed_.notify_all();
  return id;
}

void ClockBridge::Remove(TimerId id) {
  std::lock_guard lock(mutex_);
  timers_.erase(id);
  changed_.notify_all();
}

void ClockBridge::Shutdown() {
  std::thread thread;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
    thread = std::move(thread_);
  }
  if (thread.joinable()) thread.join();
  std::lock_guard lock(mutex_);
  stopping_ = false;
  fired_ = posted_;
}

void ClockBridge::EnsureThreadLocked() {
  if (!thread_.joinable() && !stopping_) thread_ = std::thread([this] { Run(); });
}

bool ClockBridge::EarliestLocked(uint64_t& dueMs) const {
  if (timers_.empty()) return false;
  dueMs = std::min_element(timers_.begin(), timers_.end(), [](const auto& a, const auto& b) {
            return a.second.dueMs < b.second.dueMs;
          })->second.dueMs;
  return true;
}

void ClockBridge::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    uint64_t dueMs = 0;
    if (!EarliestLocked(dueMs)) {
      changed_.wait(lock, [this] { return stopping_ || !timers_.empty(); });
      continue;
    }
    // The machine is looked up each time: a test moves the process to a new machine.
    auto& clock = platform::Current().Clock();
    const uint64_t now = clock.NowMs();
    if (dueMs > now && RunningWorkers() > 0) {
      WatchWorkersMoveTheClock(lock, dueMs - now);
      continue;
    }
    if (dueMs > now) {
      const auto sleepMs = static_cast<uint32_t>(std::min(dueMs - now, kSliceMs));
      lock.unlock();
      clock.SleepMs(sleepMs);
      lock.lock();
      continue;
    }
    const uint64_t generation = ++posted_;
    GuiHandOver::Instance().Post(
        &gui_, [this, generation] { FireDue(generation); }, GuiHandOver::Kind::kClockFiring);
    changed_.wait(lock, [this, generation] { return stopping_ || fired_ >= generation; });
  }
}

// The workers move the clock now; the bridge only watches it. A clock that keeps pace with real
// time moves by itself, and the bridge sleeps until the timer is due (or a slice); a clock that
// jumps (virtual time, moved by the workers' waits) or stands still is looked at again soon.
void ClockBridge::WatchWorkersMoveTheClock(std::unique_lock<std::mutex>& lock,
                                           uint64_t untilDueMs) {
  auto& clock = platform::Current().Clock();
  const uint64_t clockBefore = clock.NowMs();
  const auto realBefore = std::chrono::steady_clock::now();
  changed_.wait_for(lock, std::chrono::milliseconds(watchMs_));
  const uint64_t clockMoved = clock.NowMs() - clockBefore;
  const auto realMoved =
      static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - realBefore)
                                .count());
  const bool keepsPace = clockMoved > 0 && clockMoved <= 2 * realMoved + 1;
  watchMs_ = keepsPace ? static_cast<int>(std::min(untilDueMs, kSliceMs)) : kWatchMs;
}

void ClockBridge::FireDue(uint64_t generation) {
  std::vector<TimerId> due;
  {
    std::lock_guard lock(mutex_);
    const uint64_t now = NowMs();
    for (const auto& [id, timer] : timers_) {
      if (timer.dueMs <= now) due.push_back(id);
    }
  }
  for (const TimerId id : due) {
    std::function<void()> fire;
    {
      std::lock_guard lock(mutex_);
      const auto found = timers_.find(id);
      if (found == timers_.end()) continue;  // removed by an earlier callback
      Timer& timer = found->second;
      fire = timer.fire;
      if (timer.periodMs == 0) {
        timers_.erase(found);
      } else {
        timer.dueMs = std::max(timer.dueMs + timer.periodMs, NowMs() + 1);
      }
    }
    fire();
  }
  std::lock_guard lock(mutex_);
  fired_ = std::max(fired_, generation);
  changed_.notify_all();
}

MachineTimer::MachineTimer(QObject* parent, std::function<void()> onTimeout)
    : QObject(parent), onTimeout_(std::move(onTimeout)) {}

MachineTimer::~MachineTimer() {
  Stop();
}

void MachineTimer::Start(uint32_t periodMs) {
  Schedule(periodMs, periodMs);
}

void MachineTimer::StartOnce(uint32_t delayMs) {
  Schedule(delayMs, 0);
}

void MachineTimer::Stop() {
  if (id_ == 0) return;
  ClockBridge::Instance().Remove(id_);
  id_ = 0;
}

void MachineTimer::Schedule(uint32_t delayMs, uint32_t periodMs) {
  Stop();
  auto& bridge = ClockBridge::Instance();
  // The callback goes through a guarded pointer: the bridge may have taken a firing out just as
  // the timer is destroyed.
  QPointer<MachineTimer> self(this);
  id_ = bridge.Add(bridge.NowMs() + delayMs, periodMs, [self, periodMs] {
    if (self.isNull()) return;
    if (periodMs == 0) self->id_ = 0;
    self->onTimeout_();
  });
}

}  // namespace core
