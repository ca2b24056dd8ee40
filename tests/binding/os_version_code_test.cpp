// The utility's system class from GetVersionExA, through a system that answers as told.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/os_version_code.h"

namespace {

class ScriptedSystemInfo : public platform::SystemInfoPort {
 public:
  bool acceptExtended = true;
  bool acceptBasic = true;
  uint32_t platformId = platform::kPlatformNt;
  uint32_t major = 5;
  uint32_t minor = 1;
  std::vector<uint32_t> sizesAsked;

  bool GetVersionExA(platform::OsVersionInfoExA* info) override {
    sizesAsked.push_back(info->osVersionInfoSize);
    const bool accepted =
        info->osVersionInfoSize == platform::kOsVersionInfoExASize
            ? acceptExtended
            : info->osVersionInfoSize == platform::kOsVersionInfoASize && acceptBasic;
    if (!accepted) return false;
    info->platformId = platformId;
    info->majorVersion = major;
    info->minorVersion = minor;
    return true;
  }
  std::string WindowsDirectory() override { return "C:\\WINDOWS"; }
  std::string TempPath() override { return "C:\\TEMP\\"; }
  std::string MachineGuid() override { return "0123456789abcdef"; }
};

TEST(BindingOsVersionCode, ExtendedStructureAnswersAtOnce) {
  ScriptedSystemInfo system;
  EXPECT_EQ(core::ComputeOsVersionCode(system), core::kOsWindowsXp);
  EXPECT_EQ(system.sizesAsked, std::vector<uint32_t>{156});
}

TEST(BindingOsVersionCode, RefusedExtendedStructureFallsBackToTheBasicOne) {
  ScriptedSystemInfo system;
  system.acceptExtended = false;
  system.platformId = platform::kPlatformWindows9x;
  system.major = 4;
  system.minor = 10;
  EXPECT_EQ(core::ComputeOsVersionCode(system), core::kOsWindows98);
  EXPECT_EQ(system.sizesAsked, (std::vector<uint32_t>{156, 148}));
}

TEST(BindingOsVersionCode, BothStructuresRefusedGiveUnknown) {
  ScriptedSystemInfo system;
  system.acceptExtended = false;
  system.acceptBasic = false;
  EXPECT_EQ(core::ComputeOsVersionCode(system), 65535);
  EXPECT_EQ(system.sizesAsked, (std::vector<uint32_t>{156, 148}));
}

struct VersionCase {
  uint32_t platformId;
  uint32_t major;
  uint32_t minor;
  int32_t code;
};

TEST(BindingOsVersionCode, ClassifiesEveryKnownVersionAndNothingElse) {
  const VersionCase cases[] = {
      {0, 3, 11, 0}, {0, 0, 0, 0},           {1, 4, 0, 1},  {1, 4, 10, 2}, {1, 4, 90, 3},
      {1, 4, 3, -2}, {1, 5, 0, -2},          {1, 3, 0, -2}, {2, 3, 51, 4}, {2, 4, 0, 4},
      {2, 4, 90, 4}, {2, 5, 0, 5},           {2, 5, 1, 6},  {2, 5, 2, 7},  {2, 5, 3, -2},
      {2, 6, 0, 8},  {2, 6, 1, 8},           {2, 6, 99, 8}, {2, 7, 0, -2}, {2, 10, 0, -2},
      {3, 5, 1, -2}, {0xFFFFFFFF, 5, 1, -2},
  };
  for (const VersionCase& c : cases) {
    ScriptedSystemInfo system;
    system.platformId = c.platformId;
    system.major = c.major;
    system.minor = c.minor;
    EXPECT_EQ(core::ComputeOsVersionCode(system), c.code)
        << "platform " << c.platformId << " version " << c.major << "." << c.minor;
  }
}

TEST(BindingOsVersionCode, EveryCodeHasItsOwnName) {
  EXPECT_EQ(core::OsVersionName(core::kOsWindowsXp), "Windows XP");
  EXPECT_EQ(core::OsVersionName(core::kOsWindows98), "Windows 98");
  EXPECT_EQ(core::OsVersionName(core::kOsWindowsVista), "Windows Vista");
  std::set<std::string_view> names;
  for (int32_t code : {0, 1, 2, 3, 4, 5, 6, 7, 8, -2, 65535}) {
    EXPECT_TRUE(names.insert(core::OsVersionName(code)).second) << code;
  }
}

}  // namespace
