// Event objects of the machine, waited on through its clock. Parts of the machine that will
// signal an event later attach a source to it; a waiter asks the sources each time it looks, and
// sleeps on the clock no longer than to the earliest deadline they name (or its time-out), so in
// virtual time it wakes exactly when the event is due. Changes made by other processes are seen
// at the waiter's next look, a fraction of a second later.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/events.h"

namespace sim {

class EventSource {
 public:
  virtual ~EventSource() = default;
  // Asked at nowMs, under the events' lock: completes its operation and returns true when it is
  // due; otherwise sets dueMs to when it will be, or leaves it empty when it cannot tell.
  virtual bool Poll(uint64_t nowMs, std::optional<uint64_t>& dueMs) = 0;
  // The operation is cancelled (its event is set by the caller).
  virtual void Cancel() = 0;
  // The OVERLAPPED the operation completes, if any.
  virtual const platform::Overlapped* Operation() const = 0;
};

class SimEvents : public platform::EventsPort {
 public:
  explicit SimEvents(platform::ClockPort& clock) : clock_(clock) {}

  platform::EventHandle CreateEvent(bool manualReset, bool initialState) override;
  bool SetEvent(platform::EventHandle event) override;
  bool ResetEvent(platform::EventHandle event) override;
  uint32_t WaitForSingleObject(platform::EventHandle event, uint32_t timeoutMs) override;
  bool CloseEvent(platform::EventHandle event) override;
  bool GetOverlappedResult(platform::Overlapped* overlapped, uint32_t* transferred,
                           bool wait) override;

  // Starts an overlapped operation that source completes: resets the event and marks the
  // operation pending. False when the event does not exist.
  bool Start(platform::Overlapped& overlapped, std::shared_ptr<EventSource> source);
  // Cancels the operation of that OVERLAPPED; false when none runs.
  bool Cancel(const platform::Overlapped* overlapped);

  // How often a waiter looks for changes no deadline announces.
  static constexpr uint32_t kLookEveryMs = 100;

 private:
  struct Event {
    bool manualReset = false;
    bool signalled = false;
    std::vector<std::shared_ptr<EventSource>> sources;
  };

  // Asks the event's sources; sets it when one completes. Returns the earliest deadline.
  std::optional<uint64_t> PollLocked(Event& event, uint64_t nowMs);

  platform::ClockPort& clock_;
  std::mutex mutex_;
  platform::EventHandle next_ = 1;                 // guarded by mutex_
  std::map<platform::EventHandle, Event> events_;  // guarded by mutex_
};

}  // namespace sim
