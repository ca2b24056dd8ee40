// Start-up of the driver build on simulated machines: system class, adapter search, driver facts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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
  // The machine has no adapter driver to ask, so firmware and region keep their defaults.
  EXPECT_STREQ(info.firmwareVersion, "");
  EXPECT_EQ(info.regionCode, 0u);
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
  UseXpMachine();
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
