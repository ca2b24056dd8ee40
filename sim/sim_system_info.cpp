#include "sim/sim_system_info.h"

#include <algorithm>
#include <cstring>

#include "platform/win_errors.h"

namespace sim {

bool SimSystemInfo::GetVersionExA(platform::OsVersionInfoExA* info) {
  if (info == nullptr) {
    platform::SetLastError(platform::kErrorInvalidParameter);
    return false;
  }
  const uint32_t size = info->osVersionInfoSize;
  const bool extended = size == platform::kOsVersionInfoExASize;
  if ((!extended && size != platform::kOsVersionInfoASize) ||
      (extended && !machine_.os.extendedVersionInfo)) {
    platform::SetLastError(platform::kErrorInsufficientBuffer);
    return false;
  }
  platform::OsVersionInfoExA answer{};
  answer.osVersionInfoSize = size;
  answer.majorVersion = machine_.os.major;
  answer.minorVersion = machine_.os.minor;
  answer.buildNumber = machine_.os.build;
  answer.platformId = machine_.os.platformId;
  std::memcpy(answer.csdVersion, machine_.os.servicePack.data(),
              std::min(machine_.os.servicePack.size(), sizeof(answer.csdVersion) - 1));
  std::memcpy(info, &answer, size);
  return true;
}

std::string SimSystemInfo::WindowsDirectory() {
  return machine_.windowsDirectory;
}

std::string SimSystemInfo::TempPath() {
  return UserTempPath(machine_);
}

}  // namespace sim
