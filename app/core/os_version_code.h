// The utility's own classification of the Windows version it runs on. Other parts of the program
// mostly ask whether it is XP (6) or Vista (8).
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/system_info.h"

namespace core {

inline constexpr int32_t kOsWin32s = 0;
inline constexpr int32_t kOsWindows95 = 1;
inline constexpr int32_t kOsWindows98 = 2;
inline constexpr int32_t kOsWindowsMe = 3;
inline constexpr int32_t kOsWindowsNt4 = 4;
inline constexpr int32_t kOsWindows2000 = 5;
inline constexpr int32_t kOsWindowsXp = 6;
inline constexpr int32_t kOsWindowsServer2003 = 7;
inline constexpr int32_t kOsWindowsVista = 8;
// A version combination the table does not know.
inline constexpr int32_t kOsOther = -2;
// GetVersionExA refused both structure sizes.
inline constexpr int32_t kOsVersionUnknown = 65535;

// Asks the system for its version: first with the extended structure, then with the basic one.
int32_t ComputeOsVersionCode(platform::SystemInfoPort& system);
// The same, for the machine this process runs on.
int32_t OsVersionCode();

// The class from platform id and version numbers alone.
int32_t ClassifyOsVersion(uint32_t platformId, uint32_t major, uint32_t minor);

// A name for people, e.g. "Windows XP".
std::string_view OsVersionName(int32_t code);

}  // namespace core
