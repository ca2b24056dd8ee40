// GetVersionExA, and the folders Windows names for the machine and the user.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

inline constexpr uint32_t kPlatformWin32s = 0;
inline constexpr uint32_t kPlatformWindows9x = 1;
inline constexpr uint32_t kPlatformNt = 2;

// OSVERSIONINFOEXA; its first 148 bytes are OSVERSIONINFOA.
struct OsVersionInfoExA {
  uint32_t osVersionInfoSize;
  uint32_t majorVersion;
  uint32_t minorVersion;
  uint32_t buildNumber;
  uint32_t platformId;
  char csdVersion[128];
  uint16_t servicePackMajor;
  uint16_t servicePackMinor;
  uint16_t suiteMask;
  uint8_t productType;
  uint8_t reserved;
};
static_assert(sizeof(OsVersionInfoExA) == 156);
inline constexpr uint32_t kOsVersionInfoASize = 148;
inline constexpr uint32_t kOsVersionInfoExASize = 156;

class SystemInfoPort {
 public:
  virtual ~SystemInfoPort() = default;
  // info->osVersionInfoSize must be 148 or 156; fills that many bytes. False (and the last
  // error set) when the size is wrong or the system refuses the extended form.
  virtual bool GetVersionExA(OsVersionInfoExA* info) = 0;
  // "C:\WINDOWS"-style path of the Windows folder, without a trailing backslash.
  virtual std::string WindowsDirectory() = 0;
  // The user's temporary folder as GetTempPath gives it, with a trailing backslash.
  virtual std::string TempPath() = 0;
  // The machine's identity, as Windows keeps it in MachineGuid: the same for every process on
  // the machine, different on another machine.
  virtual std::string MachineGuid() = 0;
};

}  // namespace platform
