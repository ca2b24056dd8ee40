#include "sim/sim_devices.h"

#include <strings.h>

#include <cstring>

#include "platform/win_errors.h"

namespace sim {

SimDevices::SimDevices(const std::filesystem::path& directory, const MachineDescription& machine,
                       platform::ClockPort& clock)
    : machine_(machine) {
  for (const auto& adapter : machine.adapters) {
    AdapterStateFile* state = nullptr;
    if (adapter.type == kIfTypeIeee80211 && wireless_ == nullptr) {
      wireless_ = &adapter;
      stateFile_ = std::make_unique<AdapterStateFile>(directory / kAdapterStateFile,
                                                      InitialAdapterState(adapter.radio));
      state = stateFile_.get();
    }
    miniports_.push_back(std::make_unique<Miniport>(machine, adapter, state, clock, log_));
    if (state != nullptr) {
      protocolDriver_ =
          std::make_unique<ProtocolDriver>(machine, adapter, *miniports_.back(), *state, clock);
    }
  }
}

long SimDevices::OpenDevice(std::string_view path, platform::DeviceHandle& handle) {
  handle = 0;
  constexpr std::string_view kPrefix = "\\\\.\\";
  if (path.substr(0, kPrefix.size()) == kPrefix) {
    const std::string name(path.substr(kPrefix.size()));
    // The protocol driver's device is there whether or not an adapter is plugged in; its open
    // control finds out.
    if (protocolDriver_ && protocolDriver_->Named(name)) {
      std::lock_guard lock(mutex_);
      handle = nextHandle_++;
      handles_[handle] = Open{nullptr, std::make_shared<ProtocolDriver::Session>()};
      return platform::kErrorSuccess;
    }
    for (size_t i = 0; i < machine_.adapters.size(); ++i) {
      // Device names compare without regard to case, as the object manager's do.
      if (name.empty() || ::strcasecmp(machine_.adapters[i].name.c_str(), name.c_str()) != 0) {
        continue;
      }
      if (!miniports_[i]->Present()) break;
      std::lock_guard lock(mutex_);
      handle = nextHandle_++;
      handles_[handle] = Open{miniports_[i].get(), nullptr};
      return platform::kErrorSuccess;
    }
  }
  platform::SetLastError(platform::kErrorFileNotFound);
  return platform::kErrorFileNotFound;
}

bool SimDevices::DeviceIoControl(platform::DeviceHandle handle, uint32_t code, const void* in,
                                 uint32_t inLength, void* out, uint32_t outLength,
                                 uint32_t* returned) {
  Open open;
  {
    std::lock_guard lock(mutex_);
    auto it = handles_.find(handle);
    if (it != handles_.end()) open = it->second;
  }
  if (returned != nullptr) *returned = 0;
  if (open.session) {
    return protocolDriver_->Control(*open.session, code, in, inLength, out, outLength, returned);
  }
  Miniport* miniport = open.miniport;
  if (miniport == nullptr) {
    platform::SetLastError(platform::kErrorInvalidHandle);
    return false;
  }
  if (code != platform::kIoctlNdisQueryGlobalStats) {
    platform::SetLastError(kErrorInvalidFunction);
    return false;
  }
  if (in == nullptr || inLength < sizeof(uint32_t)) {
    platform::SetLastError(platform::kErrorInvalidParameter);
    return false;
  }
  uint32_t oid = 0;
  std::memcpy(&oid, in, sizeof oid);
  return miniport->Request(oid, out, outLength, returned);
}

void SimDevices::CloseHandle(platform::DeviceHandle handle) {
  std::lock_guard lock(mutex_);
  handles_.erase(handle);
}

}  // namespace sim
