#include "sim/timer_clock.h"

#include <chrono>

namespace sim {

namespace {
// How often a real-time timer thread looks at the clock while work is due soon.
constexpr auto kRealTimeLook = std::chrono::milliseconds(10);
}  // namespace

TimerClock::TimerClock(std::unique_ptr<platform::ClockPort> inner, bool virtualTime)
    : inner_(std::move(inner)), virtualTime_(virtualTime) {}

TimerClock::~TimerClock() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    work_.clear();
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool TimerClock::OnTimerThread() const {
  std::lock_guard lock(mutex_);
  return thread_.joinable() && thread_.get_id() == std::this_thread::get_id();
}

bool TimerClock::EarliestLocked(uint64_t& dueMs) const {
  if (work_.empty()) return false;
  dueMs = work_.begin()->first;
  return true;
}

void TimerClock::SleepMs(uint32_t ms) {
  if (!virtualTime_ || OnTimerThread()) {
    inner_->SleepMs(ms);
    return;
  }
  const uint64_t target = inner_->NowMs() + ms;
  std::unique_lock lock(mutex_);
  for (;;) {
    uint64_t due = 0;
    if (!EarliestLocked(due) || due > target) break;
    const uint64_t now = inner_->NowMs();
    if (due > now) inner_->SleepMs(static_cast<uint32_t>(due - now));
    changed_.notify_all();
    // Until the work due then has run to its end (or was cancelled).
    changed_.wait(lock, [&] {
      uint64_t next = 0;
      return stopping_ || ((!EarliestLocked(next) || next > due) && running_ == nullptr);
    });
    if (stopping_) break;
  }
  // Under the lock, so the timer thread cannot miss the move between its look and its wait.
  const uint64_t now = inner_->NowMs();
  if (target > now) inner_->SleepMs(static_cast<uint32_t>(target - now));
  lock.unlock();
  changed_.notify_all();
}

void TimerClock::Schedule(Owner owner, uint64_t dueMs, std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    work_.emplace(dueMs, Work{owner, std::move(work)});
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  }
  changed_.notify_all();
}

void TimerClock::Cancel(Owner owner) {
  std::unique_lock lock(mutex_);
  std::erase_if(work_, [&](const auto& entry) { return entry.second.owner == owner; });
  const bool self = thread_.joinable() && thread_.get_id() == std::this_thread::get_id();
  if (!self) changed_.wait(lock, [&] { return running_ != owner; });
  lock.unlock();
  changed_.notify_all();
}

void TimerClock::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    uint64_t due = 0;
    if (!EarliestLocked(due)) {
      changed_.wait(lock);
      continue;
    }
    if (inner_->NowMs() < due) {
      // Virtual time moves only when a sleeper moves it, and tells; real time moves by itself.
      if (virtualTime_) {
        changed_.wait(lock);
      } else {
        changed_.wait_for(lock, kRealTimeLook);
      }
      continue;
    }
    auto first = work_.begin();
    Work work = std::move(first->second);
    work_.erase(first);
    running_ = work.owner;
    lock.unlock();
    work.run();
    lock.lock();
    running_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace sim
