// Power broadcasts: the system announces a coming suspend and the resume after it to every
// program running on the machine. Programs ask for what happened since the last event they saw.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

enum class PowerEventKind : uint32_t {
  QuerySuspend = 0,   // PBT_APMQUERYSUSPEND
  ResumeSuspend = 7,  // PBT_APMRESUMESUSPEND
};

struct PowerEvent {
  uint64_t sequence;  // counts from 1 over the machine's life
  PowerEventKind kind;
};

class PowerEventsPort {
 public:
  virtual ~PowerEventsPort() = default;
  // The sequence number of the latest event, 0 when none happened yet.
  virtual uint64_t LatestSequence() = 0;
  // The events after sequence, oldest first (only the most recent ones are kept).
  virtual std::vector<PowerEvent> EventsAfter(uint64_t sequence) = 0;
  // Announces an event to every program of the machine.
  virtual bool Announce(PowerEventKind kind) = 0;
};

}  // namespace platform
