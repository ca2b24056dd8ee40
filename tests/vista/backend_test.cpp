// The Vista build's backend against the simulated Native Wi-Fi service and protocol driver.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "platform/protocol_driver.h"
#include "sim/adapter_control.h"
#include "vista/vista_fixture.h"
#include "vtrlib.h"

namespace {

using testing::ElementsAre;
using testing_support::VistaTest;

std::vector<sim::MiniportRequest> DriverLog() {
  auto& machine = static_cast<sim::SimMachine&>(platform::Current());
  return machine.devices().WirelessProtocolDriver()->Log().Requests();
}

class VistaBackendTest : public VistaTest {};

TEST_F(VistaBackendTest, InitialisesThroughTheServiceAndTheProtocolDriver) {
  UseVista();
  EXPECT_EQ(VTR_Initialize(0), 11);
  EXPECT_THAT(CallNames(), ElementsAre("WlanOpenHandle", "WlanEnumInterfaces",
                                       "WlanRegisterNotification", "WlanGetInterfaceCapability"));
  EXPECT_EQ(Service().Log().Calls()[2].arguments, "sources=24 ignoreDuplicate=1");
  const auto driver = DriverLog();
  ASSERT_EQ(driver.size(), 2u);
  EXPECT_EQ(driver[0].oid, platform::kIoctlProtocolWaitBind);
  EXPECT_EQ(driver[1].oid, platform::kIoctlProtocolOpenAdapter);
  // "\DEVICE\{GUID}" in UTF-16, without a terminator.
  const std::string name = "\\DEVICE\\{D4E7A1B2-6C3F-4E85-9A0B-1F2E3D4C5B6A}";
  ASSERT_EQ(driver[1].in.size(), name.size() * 2);
  for (size_t i = 0; i < name.size(); ++i) EXPECT_EQ(driver[1].in[2 * i], name[i]);
  // The PHY probe succeeded at once and slept its second.
  EXPECT_EQ(Machine().Clock().NowMs(), 1000u);
  EXPECT_EQ(Service().OutstandingMemory(), 0u);
}

TEST_F(VistaBackendTest, InitialisationFailsWithoutProtocolDriverOrOnAnotherAdapter) {
  auto description = testing_support::VistaDescription();
  description["adapters"][1]["radio"].erase("protocolDriver");
  UseVista(description);
  EXPECT_EQ(VTR_Initialize(0), -1);
  // The handle is closed again; the PHY probe then tries its five times, a second apart.
  EXPECT_THAT(CallNames(), ElementsAre("WlanOpenHandle", "WlanEnumInterfaces", "WlanCloseHandle",
                                       "WlanGetInterfaceCapability", "WlanGetInterfaceCapability",
                                       "WlanGetInterfaceCapability", "WlanGetInterfaceCapability",
                                       "WlanGetInterfaceCapability"));
  EXPECT_EQ(Machine().Clock().NowMs(), 5000u);

  auto other = testing_support::VistaDescription();
  other["adapters"][1]["pnpInstanceId"] = "USB\\VID_148F&PID_2770\\7&1&0&1";
  UseVista(other);
  EXPECT_EQ(VTR_Initialize(0), 11);
  // An id of the object's own list outside every chipset group is still its family.
  other["adapters"][1]["pnpInstanceId"] = "USB\\VID_148F&PID_3070\\7&1&0&1";
  UseVista(other);
  EXPECT_EQ(VTR_Initialize(0), 11);
  VtrCapability capability{};
  EXPECT_EQ(VTR_GetAdapterCapability(&capability), 1);
  EXPECT_EQ(capability.adapterKind, 4u);
  // The XP build's adapter is not one of them.
  other["adapters"][1]["pnpInstanceId"] = "PCI\\VEN_1814&DEV_0701\\4&2B8260C3&0&00E1";
  UseVista(other);
  EXPECT_EQ(VTR_Initialize(0), -1);
  EXPECT_EQ(VTR_IsCardConnect(), 0);
}

TEST_F(VistaBackendTest, CapabilityOfTheDualBandChipset) {
  UseVista();
  ASSERT_EQ(VTR_Initialize(0), 11);
  VtrCapability capability;
  std::memset(&capability, 0xAB, sizeof capability);
  EXPECT_EQ(VTR_GetAdapterCapability(&capability), 1);
  EXPECT_EQ(capability.adapterKind, 4u);
  EXPECT_EQ(capability.phyModeMask, 15u);
  EXPECT_EQ(capability.authCipherPairs[0], 0x00010001u);
  EXPECT_EQ(capability.authCipherPairs[8], 0x00800008u);
  EXPECT_EQ(capability.authCipherPairs[9], 0u);
  EXPECT_EQ(capability.keyEntryMask, 0x03000307u);
  EXPECT_EQ(capability.eapMask, 3u);
  EXPECT_EQ(capability.featureMask, 55u);
  EXPECT_EQ(capability.optionFlag, 0);
  EXPECT_EQ(capability.reserved157[15], 0);
  EXPECT_EQ(capability.reserved157[16], 0xAB);  // beyond the 16 bytes written
  EXPECT_EQ(capability.wpsSupported, 1);
  EXPECT_EQ(capability.wpsModeMask, 7u);

  auto single = testing_support::VistaDescription();
  single["adapters"][1]["radio"]["dualBand"] = false;
  UseVista(single);
  ASSERT_EQ(VTR_Initialize(0), 11);
  EXPECT_EQ(VTR_GetAdapterCapability(&capability), 1);
  EXPECT_EQ(capability.phyModeMask, 13u);
}

TEST_F(VistaBackendTest, RadioOffAndOnThroughEveryPhy) {
  UseVista();
  ASSERT_EQ(VTR_Initialize(0), 11);
  uint32_t mode = 7;
  EXPECT_EQ(VTR_GetRadioMode(&mode), 1);
  EXPECT_EQ(mode, 1u);
  Service().Log().Clear();
  EXPECT_EQ(VTR_SetRadioMode(0), 1);
  const auto calls = Service().Log().Calls();
  // Not connected: the disconnect stops at its query; then one set per PHY (four: dual-band).
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[0].arguments, "opcode=7");
  EXPECT_EQ(calls[1].arguments, "opcode=4");
  EXPECT_EQ(calls[2].arguments, "opcode=4 size=12 phy=0 software=2 hardware=1");
  EXPECT_EQ(calls[5].arguments, "opcode=4 size=12 phy=3 software=2 hardware=1");
  EXPECT_EQ(VTR_GetRadioMode(&mode), 1);
  EXPECT_EQ(mode, 0u);
  EXPECT_EQ(VTR_SetRadioMode(1), 1);
  EXPECT_EQ(VTR_GetRadioMode(&mode), 1);
  EXPECT_EQ(mode, 1u);
  EXPECT_EQ(Service().OutstandingMemory(), 0u);
}

TEST_F(VistaBackendTest, RadioBackOnRejoinsTheNetworkAndSaysSo) {
  UseVista();
  ASSERT_EQ(VTR_Initialize(0), 11);
  JoinOpen("CoffeeShop");
  auto& wlan = platform::Current().NativeWifi();
  uint32_t version = 0;
  platform::WlanHandle handle = 0;
  ASSERT_EQ(wlan.WlanOpenHandle(2, &version, &handle), 0);
  platform::WlanPhyRadioState phy;
  phy.softwareRadioState = platform::kDot11RadioOff;
  Service().Log().Clear();
  ASSERT_EQ(
      wlan.WlanSetInterface(handle, Interface(), platform::kWlanIntfRadioState, sizeof phy, &phy),
      0);
  phy.softwareRadioState = platform::kDot11RadioOn;
  ASSERT_EQ(
      wlan.WlanSetInterface(handle, Interface(), platform::kWlanIntfRadioState, sizeof phy, &phy),
      0);
  Machine().Clock().SleepMs(1000);
  std::vector<std::string> notes;
  for (const auto& call : Service().Log().Calls()) {
    if (call.name == "notify") notes.push_back(call.arguments);
  }
  // Off: the link drops; on: the adapter joins its network again.
  EXPECT_THAT(notes, ElementsAre("source=16 code=10", "source=8 code=21", "source=16 code=2",
                                 "source=16 code=4", "source=8 code=10"));
  VtrLinkInfo link;
  VTR_APLinkInformation(&link, 0);
  EXPECT_EQ(link.linkState, 1u);
  EXPECT_EQ(wlan.WlanCloseHandle(handle), 0);
}

TEST_F(VistaBackendTest, DisconnectWaitsForTheServiceThreadsNotification) {
  UseVista();
  ASSERT_EQ(VTR_Initialize(0), 11);
  Service().Log().Clear();
  EXPECT_EQ(VTR_DisConnectToAP(), 0);
  EXPECT_THAT(CallNames(), ElementsAre("WlanQueryInterface"));

  JoinOpen("CoffeeShop");
  Service().Log().Clear();
  EXPECT_EQ(VTR_DisConnectToAP(), 1);
  EXPECT_THAT(CallNames(), ElementsAre("WlanQueryInterface", "WlanDisconnect"));
  VtrLinkInfo link;
  VTR_APLinkInformation(&link, 0);
  EXPECT_EQ(link.linkState, 2u);
  EXPECT_EQ(Service().OutstandingMemory(), 0u);
}

TEST_F(VistaBackendTest, LinkOfAnOpenNetworkWithTheDriversRates) {
  UseVista();
  ASSERT_EQ(VTR_Initialize(0), 11);
  VtrLinkInfo link;
  VTR_APLinkInformation(&link, 0);
  EXPECT_EQ(link.linkState, 2u);
  EXPECT_EQ(link.phyMode, 8u);
  EXPECT_EQ(link.cipher, 0x80000000u);
  EXPECT_EQ(link.ssid[0], '\0');

  JoinOpen("CoffeeShop");
  VTR_APLinkInformation(&link, 0);
  EXPECT_EQ(link.linkState, 1u);
  EXPECT_STREQ(link.ssid, "CoffeeShop");
  EXPECT_STREQ(link.bssid, "00-18-39-C2-8D-14");
  EXPECT_EQ(link.networkType, 1u);
  EXPECT_EQ(link.phyMode, 4u);
  EXPECT_EQ(link.authMode, 0u);
  EXPECT_EQ(link.cipher, 0u);
  EXPECT_EQ(link.channel, 1u);
  EXPECT_GT(link.signal, 0);
  EXPECT_LE(link.signal, 100);
  // The rates are the driver's doubles times ten.
  const auto driver = DriverLog();
  double tx = 0;
  bool asked = false;
  for (const auto& request : driver) {
    if (request.oid == platform::kRequestTxRate && request.succeeded) {
      std::memcpy(&tx, request.out.data(), sizeof tx);
      asked = true;
    }
  }
  ASSERT_TRUE(asked);
  EXPECT_GT(tx, 0);
  EXPECT_EQ(link.txRate, static_cast<uint32_t>(tx * 10));
  VTR_APLinkInformation(&link, 1);
  EXPECT_EQ(link.signal, -67);

  VtrIpInfo ip;
  Machine().Clock().SleepMs(2000);  // the lease arrives
  VTR_APInternetInformation(&ip);
  EXPECT_STREQ(ip.ipAddress, "10.20.0.57");
  EXPECT_EQ(ip.dhcpEnabled, 1);
  EXPECT_EQ(ip.dnsCount, 2u);
  EXPECT_EQ(Service().OutstandingMemory(), 0u);

  // Pulled out: the adapter is gone from the machine's list, and the link says so.
  ASSERT_FALSE(sim::CurrentAdapterControl().SetPresent(false).has_value());
  EXPECT_EQ(VTR_IsCardConnect(), 0);
  VTR_APLinkInformation(&link, 0);
  EXPECT_EQ(link.linkState, 3u);
  EXPECT_EQ(link.ssid[0], '\0');
  ASSERT_FALSE(sim::CurrentAdapterControl().SetPresent(true).has_value());
  EXPECT_EQ(VTR_IsCardConnect(), 1);
}

TEST_F(VistaBackendTest, RegionThroughTheProtocolDriver) {
  UseVista();
  ASSERT_EQ(VTR_Initialize(0), 11);
  // The factory region reads with bit 7 set: left as it is.
  EXPECT_EQ(VTR_SetRegionalDomain(3), 1);
  auto driver = DriverLog();
  ASSERT_EQ(driver.back().oid, platform::kRequestRegionWord);
  EXPECT_FALSE(driver.back().set);

  EXPECT_EQ(VTR_SetCountryDomain(5), 1);  // region 3
  driver = DriverLog();
  EXPECT_TRUE(driver.back().set);
  EXPECT_EQ(driver.back().oid, platform::kRequestRegionWordSet);
  ASSERT_EQ(driver.back().in.size(), 12u);
  EXPECT_EQ(driver.back().in[4], 3);  // the word
  EXPECT_EQ(driver.back().in[8], 3);  // the data
  VtrAdapterInfo info;
  VTR_DriverParameter(&info);
  EXPECT_EQ(info.regionCode, 5u);

  EXPECT_EQ(VTR_SetRegionalDomain(4), 1);  // now programmed: low bits become 2
  VTR_DriverParameter(&info);
  EXPECT_EQ(info.regionCode, 4u);
  EXPECT_STREQ(info.description, "Vantrel 802.11n USB Wireless LAN Card");
  EXPECT_STREQ(info.macAddress, "00-0C-43-30-72-5E");
  EXPECT_STREQ(info.driverVersion, "2.1.2.0");
  EXPECT_STREQ(info.firmwareVersion, "2.1.2.0");
  EXPECT_EQ(info.driverDate.year, 2008);
  EXPECT_EQ(info.driverDate.month, 8);
  EXPECT_EQ(info.driverDate.day, 14);
}

TEST_F(VistaBackendTest, PowerSettingsShellAndTheSlotsStillToCome) {
  UseVista();
  ASSERT_EQ(VTR_Initialize(0), 11);
  EXPECT_EQ(VTR_SetSuspendMode(), 1);
  EXPECT_EQ(Service().PowerSetting(), 3u);
  EXPECT_EQ(VTR_SetWakeUpMode(), 1);
  EXPECT_EQ(Service().PowerSetting(), 0u);
  EXPECT_EQ(VTR_SetZeroConfigControlMode(1), 1);
  const auto shell = Machine().shell().Requests();
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(shell[0].verb, "open");
  EXPECT_EQ(shell[0].file,
            "::{20d04fe0-3aea-1069-a2d8-08002b30309d}\\::{21ec2020-3aea-1069-a2dd-08002b30309d}"
            "\\::{38A98528-6CBF-4CA9-8DC0-B1E1D10F7B1B}");
  ProfileRecord profile{};
  EXPECT_EQ(VTR_ConnectToAP(&profile, 2), 0);
  EXPECT_EQ(VTR_UnInitialize(), 1);
  EXPECT_EQ(VTR_UnInitialize(), 0);  // no handle any more
  EXPECT_EQ(VTR_SetSuspendMode(), 0);
}

std::atomic<std::thread::id> callbackThread;

void RecordThread(const platform::WlanNotificationData*, void*) {
  callbackThread = std::this_thread::get_id();
}

TEST_F(VistaBackendTest, NotificationsComeFromTheServiceThreadWhenTheScanEnds) {
  UseVista();
  auto& wlan = platform::Current().NativeWifi();
  uint32_t version = 0;
  platform::WlanHandle handle = 0;
  ASSERT_EQ(wlan.WlanOpenHandle(2, &version, &handle), 0);
  ASSERT_EQ(wlan.WlanRegisterNotification(handle, platform::kWlanNotificationSourceAcm, true,
                                          RecordThread, nullptr, nullptr),
            0);
  callbackThread = std::thread::id();
  ASSERT_EQ(wlan.WlanScan(handle, Interface()), 0);
  Machine().Clock().SleepMs(2499);
  EXPECT_EQ(callbackThread.load(), std::thread::id());
  Machine().Clock().SleepMs(1);
  EXPECT_NE(callbackThread.load(), std::thread::id());
  EXPECT_NE(callbackThread.load(), std::this_thread::get_id());
  EXPECT_EQ(wlan.WlanCloseHandle(handle), 0);
}

}  // namespace
