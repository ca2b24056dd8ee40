#include "sim/sim_events.h"

#include <algorithm>

#include "platform/win_errors.h"

namespace sim {

using platform::EventHandle;

EventHandle SimEvents::CreateEvent(bool manualReset, bool initialState) {
  std::lock_guard lock(mutex_);
  const EventHandle handle = next_++;
  Event& event = events_[handle];
  event.manualReset = manualReset;
  event.signalled = initialState;
  return handle;
}

bool SimEvents::SetEvent(EventHandle handle) {
  std::lock_guard lock(mutex_);
  auto it = events_.find(handle);
  if (it == events_.end()) {
    platform::SetLastError(platform::kErrorInvalidHandle);
    return false;
  }
  it->second.signalled = true;
  return true;
}

bool SimEvents::ResetEvent(EventHandle handle) {
  std::lock_guard lock(mutex_);
  auto it = events_.find(handle);
  if (it == events_.end()) {
    platform::SetLastError(platform::kErrorInvalidHandle);
    return false;
  }
  it->second.signalled = false;
  return true;
}

bool SimEvents::CloseEvent(EventHandle handle) {
  std::lock_guard lock(mutex_);
  if (events_.erase(handle) == 0) {
    platform::SetLastError(platform::kErrorInvalidHandle);
    return false;
  }
  return true;
}

std::optional<uint64_t> SimEvents::PollLocked(Event& event, uint64_t nowMs) {
  std::optional<uint64_t> earliest;
  for (auto it = event.sources.begin(); it != event.sources.end();) {
    std::optional<uint64_t> due;
    if ((*it)->Poll(nowMs, due)) {
      event.signalled = true;
      it = event.sources.erase(it);
      continue;
    }
    if (due && (!earliest || *due < *earliest)) earliest = due;
    ++it;
  }
  return earliest;
}

uint32_t SimEvents::WaitForSingleObject(EventHandle handle, uint32_t timeoutMs) {
  const uint64_t start = clock_.NowMs();
  const uint64_t deadline = timeoutMs == platform::kInfinite ? UINT64_MAX : start + timeoutMs;
  for (;;) {
    const uint64_t now = clock_.NowMs();
    std::optional<uint64_t> due;
    {
      std::lock_guard lock(mutex_);
      auto it = events_.find(handle);
      if (it == events_.end()) {
        platform::SetLastError(platform::kErrorInvalidHandle);
        return platform::kWaitFailed;
      }
      Event& event = it->second;
      due = PollLocked(event, now);
      if (event.signalled) {
        if (!event.manualReset) event.signalled = false;
        return platform::kWaitObject0;
      }
    }
    if (now >= deadline) return platform::kWaitTimeout;
    uint64_t step = std::min<uint64_t>(deadline - now, kLookEveryMs);
    if (due && *due > now) step = std::min(step, *due - now);
    clock_.SleepMs(static_cast<uint32_t>(std::max<uint64_t>(step, 1)));
  }
}

bool SimEvents::Start(platform::Overlapped& overlapped, std::shared_ptr<EventSource> source) {
  std::lock_guard lock(mutex_);
  auto it = events_.find(overlapped.event);
  if (it == events_.end()) return false;
  it->second.signalled = false;
  overlapped.internal = platform::kStatusPending;
  overlapped.internalHigh = 0;
  it->second.sources.push_back(std::move(source));
  return true;
}

bool SimEvents::Cancel(const platform::Overlapped* overlapped) {
  std::lock_guard lock(mutex_);
  for (auto& [handle, event] : events_) {
    for (auto it = event.sources.begin(); it != event.sources.end(); ++it) {
      if ((*it)->Operation() != overlapped) continue;
      (*it)->Cancel();
      event.sources.erase(it);
      event.signalled = true;
      return true;
    }
  }
  return false;
}

bool SimEvents::GetOverlappedResult(platform::Overlapped* overlapped, uint32_t* transferred,
                                    bool wait) {
  if (overlapped == nullptr) {
    platform::SetLastError(platform::kErrorInvalidParameter);
    return false;
  }
  auto status = [&] {
    std::lock_guard lock(mutex_);
    auto it = events_.find(overlapped->event);
    if (it != events_.end()) PollLocked(it->second, clock_.NowMs());
    return overlapped->internal;
  };
  uintptr_t result = status();
  if (result == platform::kStatusPending) {
    if (!wait) {
      platform::SetLastError(platform::kErrorIoIncomplete);
      return false;
    }
    if (WaitForSingleObject(overlapped->event, platform::kInfinite) == platform::kWaitFailed) {
      return false;
    }
    result = status();
  }
  if (result != 0) {
    platform::SetLastError(static_cast<long>(result));
    return false;
  }
  if (transferred != nullptr) *transferred = static_cast<uint32_t>(overlapped->internalHigh);
  return true;
}

}  // namespace sim
