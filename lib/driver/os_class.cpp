#include "lib/driver/os_class.h"

#include "lib/driver/lib_state.h"
#include "platform/services.h"

namespace vtr {
namespace {

int32_t Windows9xClass(uint32_t major, uint32_t minor) {
  if (major != 4) return kOsOther;
  switch (minor) {
    case 0:
      return kOsWindows95;
    case 10:
      return kOsWindows98;
    case 90:
      return kOsWindowsMe;
    default:
      return kOsOther;
  }
}

int32_t NtClass(uint32_t major, uint32_t minor) {
  if (major < 5) return kOsNtBefore5;
  if (major == 6) return kOsVista;
  if (major == 5 && minor == 0) return kOsWindows2000;
  if (major == 5 && minor == 2) return kOsServer2003;
  return kOsWindowsXp;  // 5.1, and any NT version not listed
}

}  // namespace

int32_t ClassifyOperatingSystem() {
  platform::OsVersionInfoExA info{};
  info.osVersionInfoSize = platform::kOsVersionInfoASize;
  if (!platform::Current().SystemInfo().GetVersionExA(&info)) return kOsWindowsXp;
  switch (info.platformId) {
    case platform::kPlatformWindows9x:
      return Windows9xClass(info.majorVersion, info.minorVersion);
    case platform::kPlatformNt:
      return NtClass(info.majorVersion, info.minorVersion);
    default:
      return kOsOther;
  }
}

}  // namespace vtr
