// Start-up of the driver build on simulated machines: system class, adapter search, driver facts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/miniport_log.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace {

using testing_support::MachineTest;

VtrAdapterInfo DriverParameter() {
  VtrAdapterInfo info;
  std::memset(&info, 0x5A, sizeof(info));
  VTR_DriverParameter(&info);
  return info;
}

class LifecycleTest : public MachineTest {
 protected:
  void TearDown() override { VTR_UnInitialize(); }
};

TEST_F(LifecycleTest, FindsTheWirelessAdapterBehindTheEthernetAdapter) {
  UseXpMachine();
  EXPECT_EQ(VTR_Initialize(0), 3);
  EXPECT_TRUE(VTR_IsCardConnect());

  const VtrAdapterInfo info = DriverParameter();
  EXPECT_STREQ(info.description, "Vantrel 802.11n Wireless PCI Adapter");
  EXPECT_STREQ(info.macAddress, "00:0C:43:28:60:17");
  EXPECT_STREQ(info.driverVersion, "1.3.0.0");
  EXPECT_EQ(info.driverDate.year, 2008);
  EXPECT_EQ(info.driverDate.month, 6);
  EXPECT_EQ(info.driverDate.day, 21);
  // Firmware 0x0105; the factory region 1 reads as 0x81 and stands for region code 3.
  EXPECT_STREQ(info.firmwareVersion, "1.5");
  EXPECT_EQ(info.regionCode, 3u);
}

std::vector<uint8_t> Le32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
          static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
}

TEST_F(LifecycleTest, InitializeAsksTheDriverInOrder) {
  UseXpMachine();
  sim::CurrentMiniportLog().Clear();
  ASSERT_EQ(VTR_Initialize(0), 3);
  const auto requests = sim::CurrentMiniportLog().Requests();
  ASSERT_EQ(requests.size(), 6u);
  const struct {
    bool set;
    uint32_t oid;
    uint32_t length;
  } expected[] = {
      {false, 0x0D010203, 20},  // network types supported
      {false, 0x0D710126, 4},   // the start setting, which the driver reports on
      {true, 0x0D710126, 4},    // ... and which is cleared
      {false, 0x00010110, 2},   // NDIS driver version
      {true, 0x0D71010C, 4},    // wireless mode
      {false, 0x01010102, 6},   // current address
  };
  for (size_t i = 0; i < requests.size(); ++i) {
    EXPECT_EQ(requests[i].set, expected[i].set) << i;
    EXPECT_EQ(requests[i].oid, expected[i].oid) << i;
    EXPECT_EQ(requests[i].length, expected[i].length) << i;
    EXPECT_TRUE(requests[i].succeeded) << i;
  }
  EXPECT_EQ(requests[1].out, Le32(1));
  EXPECT_EQ(requests[2].in, Le32(0));
  EXPECT_EQ(requests[3].out, (std::vector<uint8_t>{0x01, 0x05}));
  EXPECT_EQ(requests[4].in, Le32(9));

  // Once cleared, the setting is not written again.
  sim::CurrentMiniportLog().Clear();
  ASSERT_EQ(VTR_Initialize(0), 3);
  EXPECT_EQ(sim::CurrentMiniportLog().Requests().size(), 5u);
}

TEST_F(LifecycleTest, DualBandDriverMakesTheCapabilityDualBand) {
  UseXpMachine();
  ASSERT_EQ(VTR_Initialize(0), 3);
  VtrCapability capability{};
  ASSERT_TRUE(VTR_GetAdapterCapability(&capability));
  EXPECT_EQ(capability.phyModeMask, 15u);
}

TEST_F(LifecycleTest, Windows98MakesNoDriverRequest) {
  auto description = testing_support::XpDescription();
  description["os"] = {{"platformId", 1}, {"major", 4}, {"minor", 10}};
  UseMachine(description);
  sim::CurrentMiniportLog().Clear();
  EXPECT_EQ(VTR_Initialize(0), -1);
  DriverParameter();
  EXPECT_TRUE(sim::CurrentMiniportLog().Requests().empty());
}

TEST_F(LifecycleTest, HardwareIdMayStandAnywhereInThePnpInstanceId) {
  auto description = testing_support::XpDescription();
  WirelessAdapter(description)["pnpInstanceId"] = "X\\Y\\Z PCI\\VEN_1814&DEV_0601&SUBSYS_1";
  UseMachine(description);
  EXPECT_EQ(VTR_Initialize(0), 3);
}

TEST_F(LifecycleTest, HardwareIdIsMatchedWithCase) {
  auto description = testing_support::XpDescription();
  WirelessAdapter(description)["pnpInstanceId"] = "pci\\ven_1814&dev_0701";
  UseMachine(description);
  EXPECT_EQ(VTR_Initialize(0), -1);
  EXPECT_FALSE(VTR_IsCardConnect());
}

TEST_F(LifecycleTest, NoSupportedAdapter) {
  auto description = testing_support::XpDescription();
  description["adapters"].erase(1);
  UseMachine(description);
  EXPECT_EQ(VTR_Initialize(0), -1);
  EXPECT_FALSE(VTR_IsCardConnect());
}

TEST_F(LifecycleTest, AdapterWithoutConnectionKeyIsSkipped) {
  auto description = testing_support::XpDescription();
  WirelessAdapter(description).erase("pnpInstanceId");
  UseMachine(description);
  EXPECT_EQ(VTR_Initialize(0), -1);
}

TEST_F(LifecycleTest, DescriptionIsCutBeforeTheBlankBeforeTheLastDash) {
  const struct {
    const char* description;
    const char* expected;
  } cases[] = {
      {"Vantrel Wireless Adapter", "Vantrel Wireless Adapter"},
      {"-Scheduler", ""},
      {"Wi-Fi Card - Packet Scheduler Miniport", "Wi-Fi Card"},
      {"A-B", ""},
  };
  for (const auto& c : cases) {
    auto description = testing_support::XpDescription();
    WirelessAdapter(description)["description"] = c.description;
    UseMachine(description);
    ASSERT_EQ(VTR_Initialize(0), 3) << c.description;
    EXPECT_STREQ(DriverParameter().description, c.expected) << c.description;
  }
}

TEST_F(LifecycleTest, WithoutDriverDateVersionAndDateComeFromTheDriverFile) {
  auto description = testing_support::XpDescription();
  auto& driver = WirelessAdapter(description)["driver"];
  driver.erase("date");
  driver["file"] = {{"version", "2.1.300.7"}, {"lastWrite", "2009-02-28T23:30:00"}};
  UseMachine(description);
  ASSERT_EQ(VTR_Initialize(0), 3);
  const VtrAdapterInfo info = DriverParameter();
  EXPECT_STREQ(info.driverVersion, "2.1.300.7");
  // The xp machine is an hour ahead of UTC: the file's local date is the next day.
  EXPECT_EQ(info.driverDate.year, 2009);
  EXPECT_EQ(info.driverDate.month, 3);
  EXPECT_EQ(info.driverDate.day, 1);
}

TEST_F(LifecycleTest, DriverDateWithDashesReadsMonthDayYear) {
  auto description = testing_support::XpDescription();
  WirelessAdapter(description)["driver"]["date"] = "11-3-2007";
  UseMachine(description);
  ASSERT_EQ(VTR_Initialize(0), 3);
  const VtrAdapterInfo info = DriverParameter();
  EXPECT_STREQ(info.driverVersion, "1.3.0.0");
  EXPECT_EQ(info.driverDate.month, 11);
  EXPECT_EQ(info.driverDate.day, 3);
  EXPECT_EQ(info.driverDate.year, 2007);
}

TEST_F(LifecycleTest, NoDriverFactsLeaveEmptyVersion) {
  auto description = testing_support::XpDescription();
  WirelessAdapter(description)["driver"] = nlohmann::json::object();
  UseMachine(description);
  ASSERT_EQ(VTR_Initialize(0), 3);
  const VtrAdapterInfo info = DriverParameter();
  EXPECT_STREQ(info.driverVersion, "");
  EXPECT_EQ(info.driverDate.year, 0);
}

TEST_F(LifecycleTest, UnsupportedSystemsRefuse) {
  const struct {
    int platformId, major, minor;
  } systems[] = {{1, 4, 10}, {1, 4, 0}, {2, 4, 0}, {2, 6, 0}, {0, 3, 1}};
  for (const auto& system : systems) {
    auto description = testing_support::XpDescription();
    description["os"] = {
        {"platformId", system.platformId}, {"major", system.major}, {"minor", system.minor}};
    UseMachine(description);
    EXPECT_EQ(VTR_Initialize(0), -1) << system.platformId << " " << system.major;
    const VtrAdapterInfo info = DriverParameter();
    EXPECT_STREQ(info.description, "");
    EXPECT_STREQ(info.macAddress, "");
    EXPECT_EQ(info.regionCode, 0u);
  }
}

TEST_F(LifecycleTest, SupportedSystemsIncludeUnlistedNtVersions) {
  const struct { int major, minor; } systems[] = {{5, 0}, {5, 1}, {5, 2}, {5, 7}};
  for (const auto& system : systems) {
    auto description = testing_support::XpDescription();
    description["os"] = {{"platformId", 2}, {"major", system.major}, {"minor", system.minor}};
    UseMachine(description);
    EXPECT_EQ(VTR_Initialize(0), 3) << system.major << "." << system.minor;
  }
}

TEST_F(LifecycleTest, CapabilityIsTheFixedRecordForASingleBandAdapter) {
  UseSingleBandXpMachine();
  VTR_Initialize(0);
  VtrCapability capability;
  std::memset(&capability, 0xEE, sizeof(capability));
  ASSERT_TRUE(VTR_GetAdapterCapability(&capability));
  EXPECT_EQ(capability.adapterKind, 4u);
  EXPECT_EQ(capability.phyModeMask, 13u);
  EXPECT_EQ(capability.authCipherPairs[0], 0x00010001u);
  EXPECT_EQ(capability.authCipherPairs[8], 0x00800008u);
  EXPECT_EQ(capability.authCipherPairs[9], 0u);
  EXPECT_EQ(capability.authCipherPairs[31], 0u);
  EXPECT_EQ(capability.keyEntryMask, 0x03000307u);
  EXPECT_EQ(capability.featureMask, 0x1800000Bu);
  EXPECT_EQ(capability.reserved157[15], 0);
  EXPECT_EQ(capability.reserved157[16], 0xEE);  // beyond the 16 cleared bytes
  EXPECT_EQ(capability.extraMask, 0x80000000u);
  EXPECT_EQ(capability.reserved181[0], 0xEE);  // never written
  EXPECT_EQ(capability.wpsModeMask, 7u);
}

}  // namespace
