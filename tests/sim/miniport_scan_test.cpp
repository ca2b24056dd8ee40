// Scanning on the simulated adapter: timing in machine time, what a list query gets during and
// after a scan, bands, the radio, buffer sizes and live changes to the air.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "sim/adapter_control.h"
#include "sim/miniport.h"
#include "support/machine_fixture.h"
#include "tests/sim/miniport_support.h"

namespace {

using namespace miniport_support;
using testing_support::MachineTest;

constexpr uint32_t kListBuffer = 24584;

std::vector<Item> ReadList(uint32_t length = kListBuffer) {
  const Reply reply = Query(platform::kOid802_11BssidList, length);
  EXPECT_TRUE(reply.ok) << reply.error;
  return reply.ok ? Items(reply.data) : std::vector<Item>();
}

bool Scan() {
  return Set(platform::kOid802_11BssidListScan, {}).ok;
}

void Wait(uint32_t ms) {
  platform::Current().Clock().SleepMs(ms);
}

std::set<std::string> Ssids(const std::vector<Item>& items) {
  std::set<std::string> names;
  for (const auto& item : items) names.insert(std::string(item.ssid.begin(), item.ssid.end()));
  return names;
}

std::array<uint8_t, 6> Bssid(const char* text) {
  std::array<uint8_t, 6> bssid{};
  EXPECT_TRUE(sim::ParseBssid(text, bssid)) << text;
  return bssid;
}

class MiniportScanTest : public MachineTest {};

TEST_F(MiniportScanTest, ListIsEmptyUntilTheFirstScanHasRun) {
  UseSingleBandXpMachine();
  const Reply before = Query(platform::kOid802_11BssidList, kListBuffer);
  ASSERT_TRUE(before.ok);
  EXPECT_EQ(before.returned, 4u);
  EXPECT_EQ(before.U32(), 0u);

  ASSERT_TRUE(Scan());
  Wait(2499);
  EXPECT_TRUE(ReadList().empty());
  Wait(1);
  // The single-band card hears every 2.4 GHz network of the neighbourhood and nothing at 5 GHz.
  const auto items = ReadList();
  EXPECT_EQ(items.size(), 16u);
  for (const auto& item : items) EXPECT_LT(item.dsConfig, 5000000u);
}

TEST_F(MiniportScanTest, ListDuringAScanIsThePreviousScansList) {
  UseXpMachine();
  auto control = sim::CurrentAdapterControl();
  ASSERT_TRUE(Scan());
  Wait(3000);
  const auto first = ReadList();
  ASSERT_FALSE(first.empty());

  ASSERT_FALSE(control.RemoveNetwork(Bssid("00-14-6C-3A-51-02")).has_value());
  // Seen at once by the next list query: the adapter hears the air continuously.
  EXPECT_EQ(ReadList().size(), first.size() - 1);

  ASSERT_TRUE(Scan());
  ASSERT_FALSE(control.RemoveNetwork(Bssid("00-1B-11-7C-20-9E")).has_value());
  Wait(1000);
  // A second scan request while one runs changes nothing.
  ASSERT_TRUE(Scan());
  EXPECT_EQ(ReadList().size(), first.size() - 1);
  Wait(1500);
  const auto after = ReadList();
  EXPECT_EQ(after.size(), first.size() - 2);
  EXPECT_EQ(Ssids(after).count("PressMe"), 0u);
}

TEST_F(MiniportScanTest, BandsFollowTheHardwareAndTheWirelessMode) {
  UseXpMachine();
  ASSERT_TRUE(Scan());
  Wait(2500);
  EXPECT_EQ(ReadList().size(), 19u);

  ASSERT_TRUE(Set(sim::kOidVendorWirelessModeSetting, Le32(2)).ok);
  auto items = ReadList();
  EXPECT_EQ(Ssids(items), (std::set<std::string>{"Vantrel-5G", "Lab-5G", "Office-Corp"}));
  ASSERT_TRUE(Set(sim::kOidVendorWirelessModeSetting, Le32(9)).ok);
  EXPECT_EQ(ReadList().size(), 16u);
  ASSERT_TRUE(Set(sim::kOidVendorWirelessModeSetting, Le32(5)).ok);
  EXPECT_EQ(ReadList().size(), 19u);
}

TEST_F(MiniportScanTest, RadioOffHearsNothing) {
  UseSingleBandXpMachine();
  ASSERT_TRUE(Set(sim::kOidVendorRadio, Le32(0)).ok);
  ASSERT_TRUE(Scan());
  Wait(2500);
  EXPECT_TRUE(ReadList().empty());
  ASSERT_TRUE(Set(sim::kOidVendorRadio, Le32(1)).ok);
  EXPECT_EQ(ReadList().size(), 16u);
}

TEST_F(MiniportScanTest, ListLargerThanTheBufferFailsWithTheNeededSize) {
  UseXpMachine();
  ASSERT_TRUE(Scan());
  Wait(2500);
  const Reply full = Query(platform::kOid802_11BssidList, kListBuffer);
  ASSERT_TRUE(full.ok);
  const uint32_t needed = full.returned;
  const Reply exact = Query(platform::kOid802_11BssidList, needed);
  EXPECT_TRUE(exact.ok);
  const Reply short1 = Query(platform::kOid802_11BssidList, needed - 1);
  EXPECT_FALSE(short1.ok);
  EXPECT_EQ(short1.error, platform::kErrorInsufficientBuffer);
  EXPECT_EQ(short1.returned, needed);
  EXPECT_EQ(short1.data, std::vector<uint8_t>(needed - 1, 0));

  // A crowded air overflows the library's buffer.
  auto control = sim::CurrentAdapterControl();
  for (int i = 0; i < 150; ++i) {
    sim::NetworkDescription network;
    network.ssid.assign(32, static_cast<uint8_t>('A' + i % 26));
    network.bssid = {0x00, 0x22, 0x33, 0x44, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
    network.security = sim::NetworkSecurity::kWpaWpa2Psk;
    network.ciphers = sim::NetworkCiphers::kBoth;
    network.ht = sim::HtKind::kStandard;
    network.wps = sim::WpsDescription{};
    network.rates = sim::RatesOfKind("g");
    ASSERT_FALSE(control.AddNetwork(network).has_value());
  }
  const Reply crowded = Query(platform::kOid802_11BssidList, kListBuffer);
  EXPECT_FALSE(crowded.ok);
  EXPECT_EQ(crowded.error, platform::kErrorInsufficientBuffer);
  EXPECT_GT(crowded.returned, kListBuffer);
}

TEST_F(MiniportScanTest, MovedNetworksShowTheirNewSignalAndChannel) {
  UseSingleBandXpMachine();
  auto control = sim::CurrentAdapterControl();
  ASSERT_TRUE(Scan());
  Wait(2500);
  ASSERT_FALSE(control.MoveNetwork(Bssid("00-18-39-C2-8D-14"), -95, 13).has_value());
  const auto items = ReadList();
  auto it = std::find_if(items.begin(), items.end(), [](const Item& item) {
    return std::string(item.ssid.begin(), item.ssid.end()) == "CoffeeShop";
  });
  ASSERT_NE(it, items.end());
  EXPECT_EQ(it->rssi, -95);
  EXPECT_EQ(it->dsConfig, 2472000u);

  // Moved to 5 GHz, the single-band card loses it.
  ASSERT_FALSE(control.MoveNetwork(Bssid("00-18-39-C2-8D-14"), std::nullopt, 40).has_value());
  EXPECT_EQ(Ssids(ReadList()).count("CoffeeShop"), 0u);

  EXPECT_TRUE(control.MoveNetwork(Bssid("00-18-39-C2-8D-15"), -50, std::nullopt).has_value());
  EXPECT_TRUE(control.MoveNetwork(Bssid("00-18-39-C2-8D-14"), std::nullopt, 15).has_value());
  EXPECT_TRUE(control.MoveNetwork(Bssid("00-18-39-C2-8D-14"), 3, std::nullopt).has_value());
  sim::NetworkDescription duplicate;
  duplicate.bssid = Bssid("00-14-6C-3A-51-02");
  EXPECT_TRUE(control.AddNetwork(duplicate).has_value());

  // Reset puts the air back as described.
  ASSERT_FALSE(control.Reset().has_value());
  ASSERT_TRUE(Scan());
  Wait(2500);
  EXPECT_EQ(ReadList().size(), 16u);
}

TEST_F(MiniportScanTest, ScanFailsWhileTheAdapterIsPulled) {
  UseXpMachine();
  auto control = sim::CurrentAdapterControl();
  ASSERT_FALSE(control.SetPresent(false).has_value());
  const Reply scan = Set(platform::kOid802_11BssidListScan, {});
  EXPECT_FALSE(scan.opened);
  EXPECT_EQ(scan.error, platform::kErrorFileNotFound);
  ASSERT_FALSE(control.SetPresent(true).has_value());
  EXPECT_TRUE(Scan());
}

}  // namespace
