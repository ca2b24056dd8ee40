#include "sim/adapter_scan.h"

#include <cstring>

namespace sim {
namespace {

constexpr uint32_t kModeBOnly = 1;
constexpr uint32_t kModeAOnly = 2;
constexpr uint32_t kModeABGN = 5;

std::optional<uint32_t> WirelessMode(const AdapterState& state) {
  auto it = state.settings.find(kOidVendorWirelessMode);
  if (it == state.settings.end() || it->second.size() < 4) return std::nullopt;
  uint32_t mode = 0;
  std::memcpy(&mode, it->second.data(), sizeof mode);
  return mode;
}

}  // namespace

bool RadioHears(const RadioDescription& radio, const AdapterState& state,
                const NetworkDescription& network) {
  const bool fiveGHz = network.frequencyMHz > 4900;
  if (fiveGHz && !radio.dualBand) return false;
  const auto mode = WirelessMode(state);
  if (!mode) return true;
  if (*mode == kModeAOnly) return fiveGHz;
  if (*mode == kModeABGN) return true;
  if (*mode == kModeBOnly) return !fiveGHz;
  return !fiveGHz;
}

std::vector<NetworkDescription> HeardNetworks(const RadioDescription& radio,
                                              const AdapterState& state,
                                              const MachineDescription& machine) {
  std::vector<NetworkDescription> heard;
  if (!state.radioOn) return heard;
  for (const auto& network : CurrentNeighbourhood(state, machine)) {
    if (RadioHears(radio, state, network)) heard.push_back(network);
  }
  return heard;
}

bool ScanRunning(const RadioDescription& radio, const AdapterState& state, uint64_t nowMs) {
  return state.scanStartMs && nowMs >= *state.scanStartMs &&
         nowMs - *state.scanStartMs < radio.scanTimeMs;
}

void StartScan(const RadioDescription& radio, AdapterState& state,
               const MachineDescription& machine, uint64_t nowMs) {
  if (ScanRunning(radio, state, nowMs)) return;
  if (state.scanStartMs) {
    state.previousList = HeardNetworks(radio, state, machine);
  }
  state.scanStartMs = nowMs;
}

std::vector<NetworkDescription> ListedNetworks(const RadioDescription& radio,
                                               const AdapterState& state,
                                               const MachineDescription& machine, uint64_t nowMs) {
  if (!state.radioOn || !state.scanStartMs) return {};
  if (ScanRunning(radio, state, nowMs)) {
    return state.previousList ? *state.previousList : std::vector<NetworkDescription>();
  }
  return HeardNetworks(radio, state, machine);
}

}  // namespace sim
