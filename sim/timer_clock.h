// The machine's clock with a timer thread: work a part of the machine has promised for a later
// moment (a scan that ends, a connection that completes) runs on that thread when the clock gets
// there.
//
// In virtual time nothing moves the clock but sleepers, so a sleeper would otherwise rush past a
// moment the timer thread has not reached yet. Here a sleeper stops at each scheduled moment on
// its way and waits until the work due then has run, so whoever waits for its effect sees it
// exactly when it is due, however the host schedules the threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/clock.h"

namespace sim {

class TimerClock : public platform::ClockPort {
 public:
  TimerClock(std::unique_ptr<platform::ClockPort> inner, bool virtualTime);
  ~TimerClock() override;

  uint64_t NowMs() override { return inner_->NowMs(); }
  void SleepMs(uint32_t ms) override;
  VtrSystemTime LocalTime() override { return inner_->LocalTime(); }

  using Owner = const void*;
  // Runs work on the timer thread once the clock reaches dueMs; work of one moment runs in the
  // order it was scheduled.
  void Schedule(Owner owner, uint64_t dueMs, std::function<void()> work);
  // Drops the owner's work that has not run; waits for its work that is running, unless called
  // from that work itself.
  void Cancel(Owner owner);
  bool OnTimerThread() const;

 private:
  struct Work {
    Owner owner;
    std::function<void()> run;
  };
  void Run();
  // The earliest scheduled moment, if any; called with mutex_ held.
  bool EarliestLocked(uint64_t& dueMs) const;

  const std::unique_ptr<platform::ClockPort> inner_;
  const bool virtualTime_;

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::multimap<uint64_t, Work> work_;  // guarded by mutex_, by due time
  // Guarded by mutex_: the owner whose work runs now; a sleeper waits for it as for work due.
  Owner running_ = nullptr;
  bool stopping_ = false;  // guarded by mutex_
  std::thread thread_;     // started with the first work
};

}  // namespace sim
