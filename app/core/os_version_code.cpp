#include "app/core/os_version_code.h"

#include "platform/services.h"

namespace core {

int32_t ClassifyOsVersion(uint32_t platformId, uint32_t major, uint32_t minor) {
  switch (platformId) {
    case platform::kPlatformWin32s:
      return kOsWin32s;
    case platform::kPlatformWindows9x:
      if (major != 4) return kOsOther;
      if (minor == 0) return kOsWindows95;
      if (minor == 10) return kOsWindows98;
      if (minor == 90) return kOsWindowsMe;
      return kOsOther;
    case platform::kPlatformNt:
      if (major < 5) return kOsWindowsNt4;
      if (major == 5) {
        if (minor == 0) return kOsWindows2000;
        if (minor == 1) return kOsWindowsXp;
        if (minor == 2) return kOsWindowsServer2003;
        return kOsOther;
      }
      if (major == 6) return kOsWindowsVista;
      return kOsOther;
    default:
      return kOsOther;
  }
}

int32_t ComputeOsVersionCode(platform::SystemInfoPort& system) {
  platform::OsVersionInfoExA info{};
  info.osVersionInfoSize = platform::kOsVersionInfoExASize;
  if (!system.GetVersionExA(&info)) {
    // Systems before NT 4 SP6 refuse the extended structure but know the basic one.
    info = {};
    info.osVersionInfoSize = platform::kOsVersionInfoASize;
    if (!system.GetVersionExA(&info)) return kOsVersionUnknown;
  }
  return ClassifyOsVersion(info.platformId, info.majorVersion, info.minorVersion);
}

int32_t OsVersionCode() {
  return ComputeOsVersionCode(platform::Current().SystemInfo());
}

std::string_view OsVersionName(int32_t code) {
  switch (code) {
    case kOsWin32s:
      return "Win32s";
    case kOsWindows95:
      return "Windows 95";
    case kOsWindows98:
      return "Windows 98";
    case kOsWindowsMe:
      return "Windows Me";
    case kOsWindowsNt4:
      return "Windows NT 4.0 or older";
    case kOsWindows2000:
      return "Windows 2000";
    case kOsWindowsXp:
      return "Windows XP";
    case kOsWindowsServer2003:
      return "Windows Server 2003 / XP x64";
    case kOsWindowsVista:
      return "Windows Vista";
    case kOsVersionUnknown:
      return "unknown Windows (version not available)";
    default:
      return "unknown Windows version";
  }
}

}  // namespace core
