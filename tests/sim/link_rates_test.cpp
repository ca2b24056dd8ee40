// The rates the simulated adapter reports on its link: families, MCS, width and guard bits from
// the 802.11n settings, the network's rate set, the desired rates, the preamble and the signal.
#include <gtest/gtest.h>

#include "sim/link_rates.h"
#include "sim/miniport.h"
#include "support/machine_fixture.h"
#include "tests/sim/link_support.h"

namespace {

using namespace link_support;
using testing_support::MachineTest;

uint32_t TxDescriptor() {
  return Query(sim::kOidVendorTxRate, 4).U32();
}
uint32_t RxDescriptor() {
  return Query(sim::kOidVendorRxRate, 4).U32();
}
uint32_t CurrentRate() {
  return Query(sim::kOidVendorLinkStatistics, 20).U32(0);
}

class LinkRatesTest : public MachineTest {
 protected:
  // The xp machine with an open 802.11n network "Fast" at rssi dBm.
  void UseHtMachine(int32_t rssi) {
    auto description = testing_support::XpDescription();
    description["neighbourhood"].push_back({{"ssid", "Fast"},
                                            {"bssid", "00-21-29-0A-0B-0C"},
                                            {"channel", 6},
                                            {"rssi", rssi},
                                            {"ht", "standard"}});
    UseMachine(description);
  }
  // The 802.11n settings record with a channel width and guard interval.
  static void SetHt(bool wide, bool shortGuard) {
    std::vector<uint8_t> record = Query(sim::kOidVendorHtSettings, 12).data;
    record[8] = wide ? 1 : 0;
    record[10] = shortGuard ? 1 : 0;
    ASSERT_TRUE(Set(sim::kOidVendorHtSettings, record).ok);
  }
};

TEST_F(LinkRatesTest, NothingIsReportedWithoutALink) {
  UseXpMachine();
  EXPECT_EQ(TxDescriptor(), 0u);
  EXPECT_EQ(Query(sim::kOidVendorLinkStatistics, 20).data, std::vector<uint8_t>(20, 0));
}

TEST_F(LinkRatesTest, HtRatesFollowWidthGuardAndSignal) {
  UseHtMachine(-40);
  const struct {
    bool wide, shortGuard;
    int32_t rssi;
    uint32_t descriptor, halfMbps;
  } cases[] = {
      {true, true, -40, sim::kRateFamilyHt | sim::kRateWidth40 | sim::kRateShortGuard | 15, 600},
      {true, false, -40, sim::kRateFamilyHt | sim::kRateWidth40 | 15, 540},
      {false, true, -40, sim::kRateFamilyHt | sim::kRateShortGuard | 15, 289},
      {false, false, -40, sim::kRateFamilyHt | 15, 260},
      // Weaker: MCS 15 needs -62 dBm at 20 MHz; at -66 dBm two streams still carry MCS 13
      // (104 Mbit/s), more than one stream's best, MCS 7 (65 Mbit/s).
      {false, false, -66, sim::kRateFamilyHt | 13, 208},
      {false, false, -84, sim::kRateFamilyHt | 0, 13},
  };
  for (const auto& c : cases) {
    SetHt(c.wide, c.shortGuard);
    ASSERT_FALSE(sim::CurrentAdapterControl()
                     .MoveNetwork(Bssid("00-21-29-0A-0B-0C"), c.rssi, std::nullopt)
                     .has_value());
    Associate(Join("Fast"));
    Wait(kAssociationMs);
    EXPECT_EQ(TxDescriptor(), c.descriptor) << c.rssi << " " << c.wide << c.shortGuard;
    EXPECT_EQ(CurrentRate(), c.halfMbps) << c.rssi << " " << c.wide << c.shortGuard;
  }
  // Receiving, the access point is heard 3 dB better: -84 dBm sends MCS 0, receives MCS 1.
  EXPECT_EQ(RxDescriptor(), sim::kRateFamilyHt | 1);
}

TEST_F(LinkRatesTest, FixedRatesAndLegacyModesLeaveMcsOut) {
  UseHtMachine(-40);
  // A single desired rate is a fixed rate: 11 Mbit/s, as the DSSS family reports it.
  ASSERT_TRUE(Set(platform::kOid802_11DesiredRates, {22, 0, 0, 0, 0, 0, 0, 0}).ok);
  Associate(Join("Fast"));
  Wait(kAssociationMs);
  EXPECT_EQ(TxDescriptor(), 3u);
  EXPECT_EQ(CurrentRate(), 22u);
  // 802.11b/g without n: OFDM at 54 Mbit/s.
  ASSERT_TRUE(Set(platform::kOid802_11DesiredRates, {108, 96, 72, 48, 22, 11, 4, 2}).ok);
  ASSERT_TRUE(Set(sim::kOidVendorWirelessModeSetting, Le32(0)).ok);
  Associate(Join("Fast"));
  Wait(kAssociationMs);
  EXPECT_EQ(TxDescriptor(), sim::kRateFamilyOfdm | 7);
  EXPECT_EQ(CurrentRate(), 108u);
  // 802.11b only: 11 Mbit/s on a g network.
  ASSERT_TRUE(Set(sim::kOidVendorWirelessModeSetting, Le32(1)).ok);
  Associate(Join("Fast"));
  Wait(kAssociationMs);
  EXPECT_EQ(TxDescriptor(), 3u);
}

TEST_F(LinkRatesTest, DsssRatesCarryThePreambleAndTheQualityFollowsTheSignal) {
  UseXpMachine();
  // OldRouter is an 802.11b access point at -73 dBm.
  Associate(Join("OldRouter").Wep(kOldRouterKey));
  Wait(kAssociationMs);
  EXPECT_EQ(TxDescriptor(), 3u);  // 11 Mbit/s, long preamble
  ASSERT_TRUE(Set(sim::kOidVendorPreamble, Le32(1)).ok);
  EXPECT_EQ(TxDescriptor(), 11u);  // the same rate with a short preamble
  const Reply statistics = Query(sim::kOidVendorLinkStatistics, 20);
  EXPECT_EQ(statistics.U32(0), 22u);
  EXPECT_EQ(statistics.U32(4), 54u);  // 2 x (100 - 73)
  EXPECT_EQ(static_cast<int32_t>(statistics.U32(8)), -73);
  // At the edge of reach the station steps down to 2 Mbit/s.
  ASSERT_FALSE(
      sim::CurrentAdapterControl().MoveNetwork(Bssid(kOldRouter), -90, std::nullopt).has_value());
  Associate(Join("OldRouter").Wep(kOldRouterKey));
  Wait(kAssociationMs);
  EXPECT_EQ(TxDescriptor(), 8u + 1);
  EXPECT_EQ(RxDescriptor(), 8u + 2);  // 5.5 Mbit/s heard 3 dB better, short preamble
  EXPECT_EQ(sim::LinkQuality(-100), 0u);
  EXPECT_EQ(sim::LinkQuality(-20), 100u);
}

TEST_F(LinkRatesTest, AnIbssOfItsOwnSendsAtTheTopOfItsRateRecord) {
  UseXpMachine();
  std::vector<uint8_t> record(26, 0);
  record[0] = 4;
  record[1] = 0x82;
  record[2] = 0x84;
  record[3] = 0x8B;
  record[4] = 0x96;
  ASSERT_TRUE(Set(sim::kOidVendorAdhocRates, record).ok);
  Associate(Join("Alone").Ibss());
  Wait(kAssociationMs);
  EXPECT_EQ(CurrentRate(), 22u);
  record[0] = 8;
  const uint8_t ofdm[4] = {0x12, 0x24, 0x48, 0x6C};
  std::copy(ofdm, ofdm + 4, record.begin() + 5);
  ASSERT_TRUE(Set(sim::kOidVendorAdhocRates, record).ok);
  EXPECT_EQ(CurrentRate(), 108u);
  EXPECT_EQ(TxDescriptor(), sim::kRateFamilyOfdm | 7);
}

}  // namespace
