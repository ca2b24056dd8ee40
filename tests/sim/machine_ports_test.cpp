// The machine's IP Helper, version, file and clock ports.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "platform/services.h"
#include "platform/version_resource.h"
#include "sim/machine_file.h"
#include "support/machine_fixture.h"

namespace {

using testing_support::MachineTest;

class MachinePortsTest : public MachineTest {};

TEST_F(MachinePortsTest, AdapterListFollowsTheBufferSizeProtocol) {
  UseXpMachine();
  auto& ipHelper = platform::Current().IpHelper();
  uint32_t size = 0;
  ASSERT_EQ(ipHelper.GetAdaptersInfo(nullptr, &size), 111);
  ASSERT_EQ(size, 2 * sizeof(platform::IpAdapterInfo));

  std::vector<platform::IpAdapterInfo> list(2);
  uint32_t tooSmall = size - 1;
  EXPECT_EQ(ipHelper.GetAdaptersInfo(list.data(), &tooSmall), 111);
  EXPECT_EQ(tooSmall, size);

  ASSERT_EQ(ipHelper.GetAdaptersInfo(list.data(), &size), 0);
  EXPECT_EQ(list[0].next, &list[1]);
  EXPECT_EQ(list[1].next, nullptr);
  EXPECT_EQ(list[0].index, 2u);
  EXPECT_STREQ(list[1].adapterName, "{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}");
  EXPECT_EQ(list[1].addressLength, 6u);
  EXPECT_EQ(list[1].address[5], 0x17);
  EXPECT_EQ(list[1].type, 71u);
  EXPECT_STREQ(list[0].ipAddressList.ipAddress, "192.168.10.23");
}

TEST_F(MachinePortsTest, VersionInfoTakesBothStructureSizes) {
  auto description = testing_support::XpDescription();
  UseMachine(description);
  auto& system = platform::Current().SystemInfo();
  platform::OsVersionInfoExA info{};
  info.osVersionInfoSize = 156;
  ASSERT_TRUE(system.GetVersionExA(&info));
  EXPECT_EQ(info.majorVersion, 5u);
  EXPECT_EQ(info.minorVersion, 1u);
  EXPECT_EQ(info.buildNumber, 2600u);
  EXPECT_STREQ(info.csdVersion, "Service Pack 2");

  // The basic structure is written no further than its 148 bytes.
  std::memset(&info, 0x7F, sizeof(info));
  info.osVersionInfoSize = 148;
  ASSERT_TRUE(system.GetVersionExA(&info));
  EXPECT_EQ(info.servicePackMajor, 0x7F7F);
  info.osVersionInfoSize = 100;
  EXPECT_FALSE(system.GetVersionExA(&info));

  description["os"]["extendedVersionInfo"] = false;
  UseMachine(description);
  info.osVersionInfoSize = 156;
  EXPECT_FALSE(platform::Current().SystemInfo().GetVersionExA(&info));
}

TEST_F(MachinePortsTest, DriveCPathsIgnoreCaseAndOtherDrivesDoNotExist) {
  const auto dir = UseXpMachine();
  auto& files = platform::Current().Files();
  EXPECT_EQ(files.HostPath("c:\\windows\\SYSTEM32\\drivers\\VTRPCI.SYS"),
            dir / "drive_c/WINDOWS/system32/drivers/vtrpci.sys");
  EXPECT_EQ(files.HostPath("C:/new\\..\\vtrlog/./log.txt"), dir / "drive_c/vtrlog/log.txt");
  EXPECT_EQ(files.HostPath("C:\\..\\..\\etc"), dir / "drive_c/etc");
  EXPECT_EQ(files.HostPath("D:\\x"), std::nullopt);
  EXPECT_EQ(files.HostPath("relative/Profile.dll"), std::filesystem::path("relative/Profile.dll"));

  const auto version = files.FileVersion("C:\\WINDOWS\\system32\\DRIVERS\\vtrpci.sys");
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->fileVersionMs, 0x00010003u);
  EXPECT_EQ(version->fileVersionLs, 0u);
  const auto written = files.LastWriteLocalTime("C:\\WINDOWS\\system32\\DRIVERS\\vtrpci.sys");
  ASSERT_TRUE(written.has_value());
  EXPECT_EQ(written->hour, 10);  // 09:30 UTC on a machine an hour ahead
  EXPECT_EQ(files.FileVersion("C:\\missing.sys"), std::nullopt);
}

TEST(VersionResourceTest, FindsTheFixedInfoOnlyInAWholeBlock) {
  const auto block = platform::BuildVersionInfoBlock({0x00020001, 0x00040003});
  std::vector<uint8_t> file(100 + block.size(), 0xCC);
  std::copy(block.begin(), block.end(), file.begin() + 100);
  const auto found = platform::FindFixedFileVersion(file.data(), file.size());
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->fileVersionMs, 0x00020001u);
  EXPECT_EQ(found->fileVersionLs, 0x00040003u);

  // Cut short inside the fixed info, or with a wrong signature: nothing.
  EXPECT_EQ(platform::FindFixedFileVersion(file.data(), file.size() - 1), std::nullopt);
  file[100 + 40] ^= 0xFF;
  EXPECT_EQ(platform::FindFixedFileVersion(file.data(), file.size()), std::nullopt);
  EXPECT_EQ(platform::FindFixedFileVersion(nullptr, 0), std::nullopt);
}

// A program file with debugging information is larger than any machine file, and its version
// resource may lie across two of the pieces the file is read in.
TEST_F(MachinePortsTest, FileVersionOfALargeProgramFile) {
  const auto dir = UseXpMachine();
  auto& files = platform::Current().Files();
  const auto block = platform::BuildVersionInfoBlock({0x00050006, 0x00070008});
  const auto write = [&](const std::string& name, size_t at, size_t size) {
    std::vector<char> bytes(size, '\x7f');
    std::copy(block.begin(), block.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    std::ofstream(dir / "drive_c" / name, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  };
  write("across.exe", sim::kMachineFilePiece - 30, 3 * sim::kMachineFilePiece);
  write("large.exe", sim::kMachineFileLimit + 1000, sim::kMachineFileLimit + 4000);
  for (const char* name : {"C:\\across.exe", "C:\\large.exe"}) {
    const auto version = files.FileVersion(name);
    ASSERT_TRUE(version.has_value()) << name;
    EXPECT_EQ(version->fileVersionMs, 0x00050006u) << name;
    EXPECT_EQ(version->fileVersionLs, 0x00070008u) << name;
  }
  // A resource cut short by the end of the file is none.
  write("cut.exe", 0, block.size());
  std::filesystem::resize_file(dir / "drive_c/cut.exe", block.size() - 1);
  EXPECT_EQ(files.FileVersion("C:\\cut.exe"), std::nullopt);
}

TEST_F(MachinePortsTest, VirtualTimeMovesOnlyWhenSomeoneSleeps) {
  UseXpMachine();
  auto& clock = platform::Current().Clock();
  const uint64_t start = clock.NowMs();
  EXPECT_EQ(clock.NowMs(), start);
  clock.SleepMs(120'000);
  EXPECT_EQ(clock.NowMs(), start + 120'000);
  const VtrSystemTime now = clock.LocalTime();
  EXPECT_EQ(now.year, 2026);
  EXPECT_EQ(now.hour, 1);  // the calendar starts at midnight UTC; the machine is an hour ahead
  EXPECT_EQ(now.minute, 2);
}

}  // namespace
