// The machine's clocks: real time (optionally sped up for demonstrations) and virtual time,
// where a sleep moves time forward at once, for tests.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>

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

// Virtual time is the machine's, not the process's: every process on the machine reads and moves
// one count kept in a small file of the machine's directory, mapped into each of them, so that a
// time one program stored in the machine's state (a link that comes up, a button pressed) means
// the same moment to the next program. Without the file the count is the process's own.
class VirtualClock : public platform::ClockPort {
 public:
  VirtualClock(const std::filesystem::path& countFile, int64_t startUtcMs,
               int32_t utcOffsetMinutes);
  ~VirtualClock() override;
  VirtualClock(const VirtualClock&) = delete;
  VirtualClock& operator=(const VirtualClock&) = delete;

  uint64_t NowMs() override;
  void SleepMs(uint32_t ms) override;
  VtrSystemTime LocalTime() override;

 private:
  std::atomic_ref<uint64_t> Count() { return std::atomic_ref<uint64_t>(*count_); }

  alignas(std::atomic_ref<uint64_t>::required_alignment) uint64_t ownCount_ = 0;
  uint64_t* count_ = &ownCount_;  // the mapped count of the machine, else ownCount_
  const int64_t startUtcMs_;
  const int32_t utcOffsetMinutes_;
};

}  // namespace sim
