// Joining networks on the simulated adapter by the rules of 802.11: modes, privacy, open and
// shared-key authentication with right and wrong keys, WPA without a supplicant, the parking
// name, ad hoc networks, and links that drop and come back as the air and the radio change.
#include <gtest/gtest.h>

#include "sim/association.h"
#include "sim/sim_machine.h"
#include "support/machine_fixture.h"
#include "tests/sim/link_support.h"

namespace {

using namespace link_support;
using testing_support::MachineTest;

class AssociationTest : public MachineTest {
 protected:
  // What the driver would do with its present settings: why it joins or does not.
  static sim::JoinResult WouldJoin() {
    auto& machine = static_cast<sim::SimMachine&>(platform::Current());
    sim::AdapterState state;
    std::vector<sim::NetworkDescription> air;
    EXPECT_FALSE(sim::CurrentAdapterControl().Read(state, air).has_value());
    return sim::Join(*machine.devices().WirelessAdapter(), state, machine.description(), Now())
        .result;
  }
};

TEST_F(AssociationTest, OpenNetworkJoinsOnceTheAssociationCompletes) {
  UseXpMachine();
  Associate(Join("CoffeeShop"));
  // The request is taken at once; the medium reads connected when the association completes.
  EXPECT_FALSE(MediaConnected());
  EXPECT_EQ(Query(platform::kOid802_11Bssid, 6).error, sim::kErrorNotReady);
  Wait(kAssociationMs - 1);
  EXPECT_FALSE(MediaConnected());
  Wait(1);
  EXPECT_TRUE(MediaConnected());
  EXPECT_EQ(AssociatedBssid(), kCoffeeShop);
  const Reply ssid = Query(platform::kOid802_11Ssid, 36);
  EXPECT_EQ(ssid.U32(), 10u);
  EXPECT_EQ(std::string(ssid.data.begin() + 4, ssid.data.begin() + 14), "CoffeeShop");
  EXPECT_EQ(static_cast<int32_t>(Query(platform::kOid802_11Rssi, 4).U32()), -67);
  const Reply configuration = Query(platform::kOid802_11Configuration, 32);
  EXPECT_EQ(configuration.U32(4), 100u);       // beacon period
  EXPECT_EQ(configuration.U32(12), 2412000u);  // channel 1
}

TEST_F(AssociationTest, PrivacyAndAuthenticationDecideTheJoin) {
  UseSingleBandXpMachine();
  const struct {
    const char* what;
    Join join;
    sim::JoinResult result;
  } cases[] = {
      {"open network, open system", Join("CoffeeShop"), sim::JoinResult::kJoined},
      {"open network with WEP on", Join("CoffeeShop").Wep(kOldRouterKey),
       sim::JoinResult::kPrivacyMismatch},
      {"open network, shared key", Join("CoffeeShop").Shared(),
       sim::JoinResult::kAuthenticationRefused},
      {"WEP network without WEP", Join("OldRouter"), sim::JoinResult::kPrivacyMismatch},
      {"open-system AP, right key", Join("OldRouter").Wep(kOldRouterKey), sim::JoinResult::kJoined},
      {"open-system AP, wrong key: associates all the same", Join("OldRouter").Wep({1, 2, 3, 4, 5}),
       sim::JoinResult::kJoined},
      {"open-system AP refuses shared key", Join("OldRouter").Shared().Wep(kOldRouterKey),
       sim::JoinResult::kAuthenticationRefused},
      {"shared-key AP, right key", Join("Workshop").Shared().Wep(kWorkshopKey),
       sim::JoinResult::kJoined},
      {"shared-key AP, wrong key", Join("Workshop").Shared().Wep(kOldRouterKey),
       sim::JoinResult::kChallengeFailed},
      {"shared-key AP, right key in another slot", Join("Workshop").Shared().Wep(kWorkshopKey, 2),
       sim::JoinResult::kChallengeFailed},
      {"shared-key AP refuses open system", Join("Workshop").Wep(kWorkshopKey),
       sim::JoinResult::kAuthenticationRefused},
      {"automatic switching tries shared key",
       Join("Workshop").Authentication(platform::kAuthAutoSwitch).Wep(kWorkshopKey),
       sim::JoinResult::kJoined},
      {"automatic switching falls back to open system",
       Join("OldRouter").Authentication(platform::kAuthAutoSwitch).Wep({9, 9, 9, 9, 9}),
       sim::JoinResult::kJoined},
      {"WPA2-PSK needs a supplicant", Join("HomeNet").Authentication(platform::kAuthWpa2Psk),
       sim::JoinResult::kNeedsSupplicant},
      {"too weak to hold a link", Join("Far-Away"), sim::JoinResult::kNoNetwork},
      {"5 GHz network on a 2.4 GHz card", Join("Lab-5G"), sim::JoinResult::kNoNetwork},
      {"ad hoc network asked for in infrastructure mode", Join("LanParty"),
       sim::JoinResult::kNoNetwork},
      {"no such name", Join("Nowhere"), sim::JoinResult::kNoNetwork},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(Set(platform::kOid802_11ReloadDefaults, Le32(0)).ok);
    Associate(c.join);
    EXPECT_EQ(WouldJoin(), c.result) << c.what;
    Wait(kAssociationMs);
    const bool joined = c.result == sim::JoinResult::kJoined;
    EXPECT_EQ(MediaConnected(), joined) << c.what;
    ASSERT_TRUE(Set(platform::kOid802_11Disassociate, {}).ok);
  }
}

TEST_F(AssociationTest, TheParkingNameMatchesNothingAndAnEmptyNameTakesAnyFittingNetwork) {
  auto description = testing_support::XpDescription();
  // Even a network that carries the parking name is never joined by it.
  description["neighbourhood"].push_back(
      {{"ssidHex", "ffbabeff"}, {"bssid", "00-AA-BB-CC-DD-EE"}, {"channel", 6}, {"rssi", -30}});
  UseMachine(description);
  Associate(Join("\xFF\xBA\xBE\xFF"));
  Wait(kAssociationMs);
  EXPECT_FALSE(MediaConnected());
  EXPECT_EQ(WouldJoin(), sim::JoinResult::kNoSsid);
  // In ad hoc mode the parking name does not start a network of its own either.
  Associate(Join("\xFF\xBA\xBE\xFF").Ibss());
  Wait(kAssociationMs);
  EXPECT_FALSE(MediaConnected());

  // Without a name the driver takes the strongest network its settings fit: an open one here,
  // with the parking-name network (-30 dBm) left out.
  Associate(Join(""));
  Wait(kAssociationMs);
  EXPECT_EQ(AssociatedBssid(), kPrinters);
  // With WEP on, the WEP network whose key it holds.
  Associate(Join("").Shared().Wep(kWorkshopKey));
  Wait(kAssociationMs);
  EXPECT_EQ(AssociatedBssid(), kWorkshop);
}

TEST_F(AssociationTest, AdHocJoinsAnIbssOrStartsOneOnTheConfiguredChannel) {
  UseSingleBandXpMachine();
  Associate(Join("LanParty").Ibss());
  Wait(kAssociationMs);
  EXPECT_EQ(AssociatedBssid(), kLanParty);
  EXPECT_EQ(Query(platform::kOid802_11Configuration, 32).U32(12), 2457000u);  // channel 10

  // A name nobody uses: the station starts its own IBSS on the channel it was given.
  std::vector<uint8_t> configuration = Query(platform::kOid802_11Configuration, 32).data;
  const uint32_t channel11 = 2462000;
  std::memcpy(configuration.data() + 12, &channel11, 4);
  ASSERT_TRUE(Set(platform::kOid802_11Configuration, configuration).ok);
  Associate(Join("MyOwnParty").Ibss());
  EXPECT_EQ(WouldJoin(), sim::JoinResult::kStartedIbss);
  Wait(kAssociationMs);
  ASSERT_TRUE(MediaConnected());
  const Reply bssid = Query(platform::kOid802_11Bssid, 6);
  EXPECT_EQ(bssid.data[0], 0x02);  // locally administered
  EXPECT_EQ(Query(platform::kOid802_11Configuration, 32).U32(12), channel11);
  // Alone in its IBSS the station hears no one.
  EXPECT_EQ(static_cast<int32_t>(Query(platform::kOid802_11Rssi, 4).U32()), -200);
  // The same name in infrastructure mode finds nothing to join.
  Associate(Join("MyOwnParty"));
  Wait(kAssociationMs);
  EXPECT_FALSE(MediaConnected());

  // A 5 GHz channel cannot carry an IBSS on a 2.4 GHz card.
  const uint32_t channel36 = 5180000;
  std::memcpy(configuration.data() + 12, &channel36, 4);
  ASSERT_TRUE(Set(platform::kOid802_11Configuration, configuration).ok);
  Associate(Join("MyOwnParty").Ibss());
  EXPECT_EQ(WouldJoin(), sim::JoinResult::kNoChannel);
}

TEST_F(AssociationTest, LinkFollowsTheAirAndTheRadio) {
  UseXpMachine();
  auto control = sim::CurrentAdapterControl();
  Associate(Join("CoffeeShop"));
  Wait(kAssociationMs);
  ASSERT_TRUE(MediaConnected());

  // Out of range: the link drops; back in range, the driver joins again.
  ASSERT_FALSE(control.MoveNetwork(Bssid(kCoffeeShop), -95, std::nullopt).has_value());
  EXPECT_FALSE(MediaConnected());
  ASSERT_FALSE(control.MoveNetwork(Bssid(kCoffeeShop), -70, std::nullopt).has_value());
  Wait(kAssociationMs);
  EXPECT_EQ(AssociatedBssid(), kCoffeeShop);
  // Another channel is another network to the station: the link drops and is found again there.
  ASSERT_FALSE(control.MoveNetwork(Bssid(kCoffeeShop), std::nullopt, 13).has_value());
  EXPECT_FALSE(MediaConnected());
  Wait(kAssociationMs);
  EXPECT_EQ(Query(platform::kOid802_11Configuration, 32).U32(12), 2472000u);

  // Radio off drops it; radio on brings it back, since the SSID is still set.
  ASSERT_TRUE(Set(sim::kOidVendorRadio, Le32(0)).ok);
  EXPECT_FALSE(MediaConnected());
  ASSERT_TRUE(Set(sim::kOidVendorRadio, Le32(1)).ok);
  Wait(kAssociationMs);
  EXPECT_TRUE(MediaConnected());

  // Removed: gone for good; disassociation ends the search too.
  ASSERT_FALSE(control.RemoveNetwork(Bssid(kCoffeeShop)).has_value());
  EXPECT_FALSE(MediaConnected());
  EXPECT_EQ(WouldJoin(), sim::JoinResult::kNoNetwork);
  ASSERT_TRUE(Set(platform::kOid802_11Disassociate, {}).ok);
  EXPECT_EQ(WouldJoin(), sim::JoinResult::kNoSsid);
}

TEST_F(AssociationTest, AStationRoamsToAnotherAccessPointOfTheSameName) {
  auto description = testing_support::XpDescription();
  // Office-Corp without 802.1X, so that the station can join it.
  for (auto& network : description["neighbourhood"]) {
    if (network.value("ssid", "") == "Office-Corp") network.erase("security");
  }
  // Single band: the third Office-Corp access point is at 5 GHz.
  WirelessAdapter(description)["radio"]["dualBand"] = false;
  UseMachine(description);
  Associate(Join("Office-Corp"));
  Wait(kAssociationMs);
  EXPECT_EQ(AssociatedBssid(), "00-16-B6-20-01-12");  // -62 dBm beats -79 dBm
  ASSERT_FALSE(sim::CurrentAdapterControl().RemoveNetwork(Bssid("00-16-B6-20-01-12")).has_value());
  Wait(kAssociationMs);
  EXPECT_EQ(AssociatedBssid(), "00-16-B6-20-01-11");
}

TEST_F(AssociationTest, TheLinkOutlivesTheProcessThatMadeIt) {
  const auto dir = UseXpMachine();
  Associate(Join("CoffeeShop"));
  Wait(kAssociationMs);
  // Another process on the machine reads the same association from the state file.
  auto parsed = sim::ParseMachineDescription(testing_support::XpDescription().dump());
  sim::SimMachine other(dir, std::get<sim::MachineDescription>(parsed), true);
  other.Clock().SleepMs(static_cast<uint32_t>(Now()));
  sim::AdapterState state;
  ASSERT_EQ(other.devices().WirelessState()->Read([&](const sim::AdapterState& s) { state = s; }),
            0);
  ASSERT_TRUE(state.link.association.has_value());
  EXPECT_EQ(sim::BssidText(state.link.association->bssid), kCoffeeShop);
  EXPECT_TRUE(sim::LinkUp(state, other.Clock().NowMs()));
}

}  // namespace
