// The Vista build's process-wide state: the adapter discovery found, its driver facts, the
// Native Wi-Fi interface it is, and the three events the notification callback sets.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "lib/common/adapter_search.h"
#include "platform/events.h"
#include "platform/native_wifi.h"
#include "vtrlib/vtr_base.h"

namespace vtr {

struct VistaLibState {
  // Set once by the backend object's constructor; read by the service's thread.
  std::atomic<platform::EventHandle> scanComplete{0};
  std::atomic<platform::EventHandle> connectComplete{0};
  std::atomic<platform::EventHandle> disconnected{0};

  mutable std::mutex mutex;
  FoundAdapter adapter;              // guarded by mutex; name is the GUID text
  std::string hardwareId;            // guarded by mutex: the found adapter's PnpInstanceID
  platform::WlanGuid interfaceGuid;  // guarded by mutex
  std::string driverVersion;         // guarded by mutex
  VtrSystemTime driverDate{};        // guarded by mutex
};

VistaLibState& VistaState();

// Copies of the guarded fields.
FoundAdapter VistaAdapter();
platform::WlanGuid VistaInterfaceGuid();

}  // namespace vtr
