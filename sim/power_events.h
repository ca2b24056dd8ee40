// The machine's power broadcasts, kept in a small file of the machine directory so that every
// process running on the machine sees the events any process announced (`vtrctl sim suspend`).
#pragma once

#include <filesystem>
#include <mutex>

#include "platform/power_events.h"

namespace sim {

inline constexpr const char* kPowerEventsFile = "power_events";

class SimPowerEvents : public platform::PowerEventsPort {
 public:
  explicit SimPowerEvents(std::filesystem::path file) : file_(std::move(file)) {}
  uint64_t LatestSequence() override;
  std::vector<platform::PowerEvent> EventsAfter(uint64_t sequence) override;
  bool Announce(platform::PowerEventKind kind) override;

 private:
  std::vector<platform::PowerEvent> Load() const;

  const std::filesystem::path file_;
  std::mutex mutex_;
};

}  // namespace sim
