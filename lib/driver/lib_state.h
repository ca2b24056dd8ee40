// VtrLibState: the driver build's one process-wide state. It lives as long as the library.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "lib/common/adapter_search.h"
#include "vtrlib/vtr_base.h"

namespace vtr {

// The system classes; only Windows 2000, XP and Server 2003 are supported by this build.
enum OsClass : int32_t {
  kOsWindows95 = 0,
  kOsWindows98 = 1,
  kOsWindowsMe = 2,
  kOsNtBefore5 = 3,
  kOsWindows2000 = 4,
  kOsWindowsXp = 5,
  kOsServer2003 = 6,
  kOsVista = 7,
  kOsOther = 65535,
};

inline bool IsSupportedOsClass(int32_t osClass) {
  return osClass == kOsWindows2000 || osClass == kOsWindowsXp || osClass == kOsServer2003;
}

struct VtrLibState {
  // Read by the supplicant's and the WPS engine's threads while the caller's thread runs an
  // adapter search; the numbers are atomics and the texts sit behind the mutex.
  std::atomic<int32_t> osClass{0};
  std::atomic<int32_t> adapterIndex{-1};
  std::atomic<int32_t> dualBand{0};
  std::atomic<uint16_t> ndisVersion{0};

  // Supported hardware ids, in the order they are tried.
  const std::vector<std::string> hardwareIds{"PCI\\VEN_1814&DEV_0601", "PCI\\VEN_1814&DEV_0701"};

  // Wi-Fi Protected Setup: a run was started and has not handed out a credential yet. The
  // supplicant's event thread reads them; the WPS exports write them.
  std::atomic<bool> wpsBusy{false};
  std::atomic<bool> wpsCredentialReceived{false};

  mutable std::mutex mutex;
  FoundAdapter adapter;        // guarded by mutex
  std::string driverVersion;   // guarded by mutex
  VtrSystemTime driverDate{};  // guarded by mutex
};

VtrLibState& LibState();

// Copies of the guarded fields.
std::string AdapterName();
FoundAdapter Adapter();

}  // namespace vtr
