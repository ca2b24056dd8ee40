// The machine's clock. Every wait goes through it, so tests run in virtual time.
#pragma once

#include <cstdint>

#include "vtrlib/vtr_base.h"

namespace platform {

class ClockPort {
 public:
  virtual ~ClockPort() = default;
  // Milliseconds since the machine started; GetTickCount wraps this at 2^32.
  virtual uint64_t NowMs() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
  // The local date and time, as GetLocalTime gives it.
  virtual VtrSystemTime LocalTime() = 0;

  uint32_t TickCount() { return static_cast<uint32_t>(NowMs()); }
};

}  // namespace platform
