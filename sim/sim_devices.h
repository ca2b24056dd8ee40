// Device objects of the machine: each network adapter's miniport, opened by "\\.\{GUID}", and the
// wireless adapter's protocol driver when its driver package has one ("\\.\VTRNdisP"). The
// wireless adapter's device opens only while the adapter is plugged in.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/clock.h"
#include "platform/device_io.h"
#include "sim/adapter_state_file.h"
#include "sim/machine_description.h"
#include "sim/miniport.h"
#include "sim/miniport_log.h"
#include "sim/protocol_driver.h"

namespace sim {

class SimDevices : public platform::DevicePort {
 public:
  SimDevices(const std::filesystem::path& directory, const MachineDescription& machine,
             platform::ClockPort& clock);

  long OpenDevice(std::string_view path, platform::DeviceHandle& handle) override;
  bool DeviceIoControl(platform::DeviceHandle handle, uint32_t code, const void* in,
                       uint32_t inLength, void* out, uint32_t outLength,
                       uint32_t* returned) override;
  void CloseHandle(platform::DeviceHandle handle) override;

  MiniportLog& Log() { return log_; }
  // The wireless adapter (the machine's first one) and its state; nothing on a machine without.
  const AdapterDescription* WirelessAdapter() const { return wireless_; }
  AdapterStateFile* WirelessState() { return stateFile_.get(); }
  // The wireless adapter's protocol driver; nothing when it has none.
  ProtocolDriver* WirelessProtocolDriver() { return protocolDriver_.get(); }

 private:
  const MachineDescription& machine_;
  MiniportLog log_;
  const AdapterDescription* wireless_ = nullptr;
  std::unique_ptr<AdapterStateFile> stateFile_;
  std::vector<std::unique_ptr<Miniport>> miniports_;  // one per adapter, in description order
  std::unique_ptr<ProtocolDriver> protocolDriver_;

  // An open handle: a miniport's, or a session of the protocol driver.
  struct Open {
    Miniport* miniport = nullptr;
    std::shared_ptr<ProtocolDriver::Session> session;
  };
  std::mutex mutex_;
  platform::DeviceHandle nextHandle_ = 1;           // guarded by mutex_
  std::map<platform::DeviceHandle, Open> handles_;  // guarded by mutex_
};

}  // namespace sim
