// The adapter library initialised for one command: VTR_Initialize on the way in,
// VTR_UnInitialize on every way out, and the reason in words when there is no adapter.
#pragma once

#include <string>

#include "app/core/os_version_code.h"
#include "app/core/vtr_library.h"
#include "tools/vtrctl/cli.h"
#include "tools/vtrctl/library_build.h"

namespace vtrctl {

class AdapterSession {
 public:
  // Fails with the reason when the system is not supported or no supported adapter is present.
  explicit AdapterSession(const core::CVtrLibrary& lib) : lib_(lib), index_(lib.Initialize(0)) {
    if (index_ >= 0) return;
    lib_.UnInitialize();
    const int32_t osCode = core::OsVersionCode();
    const std::string osName(core::OsVersionName(osCode));
    // Each build serves its own systems: the driver build 2000, XP and 2003, the Native Wi-Fi
    // build Vista.
    const bool served = IsDriverBuild(lib)
                            ? osCode == core::kOsWindows2000 || osCode == core::kOsWindowsXp ||
                                  osCode == core::kOsWindowsServer2003
                            : osCode == core::kOsWindowsVista;
    if (!served) throw Failure(osName + " is not supported by the adapter library");
    throw Failure("no supported wireless adapter found on " + osName);
  }
  ~AdapterSession() { lib_.UnInitialize(); }
  AdapterSession(const AdapterSession&) = delete;
  AdapterSession& operator=(const AdapterSession&) = delete;

  int32_t Index() const { return index_; }

 private:
  const core::CVtrLibrary& lib_;
  int32_t index_;
};

}  // namespace vtrctl
