#include "sim/sim_machine.h"

#include "sim/machine.h"
#include "sim/machine_clock.h"

#include <cstdio>

namespace sim {
namespace {

// 2026-01-01T00:00:00Z: the calendar start of a machine in virtual time.
constexpr int64_t kVirtualEpochMs = 1'767'225'600'000;

std::unique_ptr<TimerClock> MakeClock(const std::filesystem::path& directory,
                                      const MachineDescription& description, bool virtualTime) {
  if (virtualTime) {
    return std::make_unique<TimerClock>(
        std::make_unique<VirtualClock>(directory / kVirtualTimeFile, kVirtualEpochMs,
                                       description.utcOffsetMinutes),
        true);
  }
  return std::make_unique<TimerClock>(
      std::make_unique<RealClock>(description.timeScale, description.utcOffsetMinutes), false);
}

// The machine directory is the machine: its resolved path, hashed (FNV-1a), names it.
std::string MachineGuidOf(const std::filesystem::path& directory) {
  std::error_code error;
  const std::string path = std::filesystem::weakly_canonical(directory, error).string();
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : path) {
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

}  // namespace

SimMachine::SimMachine(std::filesystem::path directory, MachineDescription description,
                       bool virtualTime)
    : directory_(std::move(directory)),
      description_(std::move(description)),
      registry_(directory_ / kHiveFile),
      systemInfo_(description_, MachineGuidOf(directory_)),
      files_(directory_ / kDriveC, description_.utcOffsetMinutes),
      clock_(MakeClock(directory_, description_, virtualTime)),
      devices_(directory_, description_, *clock_),
      events_(*clock_),
      ipHelper_(directory_ / kHiveFile, description_, devices_, *clock_, events_),
      serviceState_(directory_),
      serviceControl_(serviceState_, *clock_),
      process_(serviceState_),
      wmi_(directory_ / kHiveFile, description_, serviceState_),
      ipForwardTable_(directory_ / kHiveFile, description_, serviceState_),
      nativeWifi_(description_, devices_, *clock_, certificates_, directory_ / kWlanProfilesFile),
      logonDomain_(description_.logonDomain),
      powerEvents_(directory_ / kPowerEventsFile) {}

}  // namespace sim
