// The machine's clocks: real time (optionally sped up for demonstrations) and virtual time,
// where a sleep moves time forward at once, for tests.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>

#include "platform/clock.h"

namespace sim {

// Converts seconds since 1970 (UTC) shifted by the machine's offset into a SYSTEMTIME.
VtrSystemTime ToSystemTime(int64_t utcMs, int32_t utcOffsetMinutes);
// Parses "YYYY-MM-DDTHH:MM:SS" (UTC) into seconds since 1970; false when malformed.
bool ParseUtcTimestamp(const std::string& text, std::time_t& seconds);

// Real time counts from the host's boot (its monotonic clock), like GetTickCount, so that every
// process on the machine reads the same time and can compare times kept in the machine's state.
class RealClock : public platform::ClockPort {
 public:
  RealClock(double timeScale, int32_t utcOffsetMinutes);
  uint64_t NowMs() override;
  void SleepMs(uint32_t ms) override;
  VtrSystemTime LocalTime() override;

 private:
  const double timeScale_;
  const int32_t utcOffsetMinutes_;
};

class VirtualClock : public platform::ClockPort {
 public:
  VirtualClock(int64_t startUtcMs, int32_t utcOffsetMinutes);
  uint64_t NowMs() override;
  void SleepMs(uint32_t ms) override;
  VtrSystemTime LocalTime() override;

 private:
  std::atomic<uint64_t> nowMs_{0};
  const int64_t startUtcMs_;
  const int32_t utcOffsetMinutes_;
};

}  // namespace sim
