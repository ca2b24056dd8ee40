// Event objects and overlapped results, as kernel32 offers them. Every wait goes through the
// machine's clock, so a wait with a time-out costs no real time in virtual time: what the machine
// will signal later (an address change due when a lease arrives) is known as a deadline, and a
// waiter moves the clock up to it, or to its time-out, whichever comes first.
#pragma once

#include <cstdint>

namespace platform {

using EventHandle = uint64_t;  // 0: no event

inline constexpr uint32_t kInfinite = 0xFFFFFFFF;
inline constexpr uint32_t kWaitObject0 = 0;
inline constexpr uint32_t kWaitTimeout = 0x102;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFF;

// STATUS_PENDING in an OVERLAPPED's internal field while the operation runs.
inline constexpr uintptr_t kStatusPending = 0x103;

// OVERLAPPED: the operation's status and byte count are written by the system; the caller's event
// is reset when the operation starts and set when it completes.
struct Overlapped {
  uintptr_t internal = 0;      // 0 once completed successfully, else a pending or error status
  uintptr_t internalHigh = 0;  // bytes transferred
  uint32_t offset = 0;
  uint32_t offsetHigh = 0;
  EventHandle event = 0;
};

class EventsPort {
 public:
  virtual ~EventsPort() = default;
  // CreateEventA without a name: 0 with the last error set when it fails.
  virtual EventHandle CreateEvent(bool manualReset, bool initialState) = 0;
  virtual bool SetEvent(EventHandle event) = 0;
  virtual bool ResetEvent(EventHandle event) = 0;
  // kWaitObject0, kWaitTimeout, or kWaitFailed with the last error set (an unknown handle).
  // An auto-reset event is reset by the wait it satisfies.
  virtual uint32_t WaitForSingleObject(EventHandle event, uint32_t timeoutMs) = 0;
  // CloseHandle of an event.
  virtual bool CloseEvent(EventHandle event) = 0;
  // GetOverlappedResult: true with the byte count once the operation completed successfully;
  // false with ERROR_IO_INCOMPLETE while it runs and wait is false, or with the operation's
  // error. With wait it waits on the overlapped's event first.
  virtual bool GetOverlappedResult(Overlapped* overlapped, uint32_t* transferred, bool wait) = 0;
};

}  // namespace platform
