// The Network Status page on simulated machines in virtual time: the link, IP and speed fields as
// the library and vtrctl report them, the signal meter's mean, the throughput texts and axes as
// the traffic changes, a counter going round, fixed addresses, and the reset when the link goes.
#include <QLabel>
#include <cstring>

#include "app/controls/meter.h"
#include "app/controls/scrolling_graph.h"
#include "app/core/app_state.h"
#include "app/core/mul_div.h"
#include "app/pages/network_status_page.h"
#include "app/pages/rate_text.h"
#include "app/pages/throughput_history.h"
#include "platform/services.h"
#include "sim/adapter_control.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using namespace pages;

TEST(NetworkStatusTexts, RatesAxesAndLinkSpeed) {
  EXPECT_EQ(BitRateText(0), "0 bps");
  EXPECT_EQ(BitRateText(999), "999 bps");
  EXPECT_EQ(BitRateText(1000), "1.0 Kbps");
  EXPECT_EQ(BitRateText(999949), "999.9 Kbps");
  EXPECT_EQ(BitRateText(1500000), "1.5 Mbps");
  EXPECT_EQ(AxisTop(1000), 1200);
  EXPECT_EQ(AxisTop(8), 200);
  EXPECT_EQ(AxisTop(166), 200);
  EXPECT_EQ(AxisTop(167), 200);  // 200.4, cut
  EXPECT_EQ(AxisTop(2000000000), 2147483647);
  EXPECT_EQ(BitRateText(AxisTop(1000)), "1.2 Kbps");
  EXPECT_EQ(AxisMiddleText(1200), "600 bps");
  EXPECT_EQ(AxisMiddleText(1999), "999 bps");
  EXPECT_EQ(AxisMiddleText(2000), "1.0 Kbps");
  EXPECT_EQ(AxisMiddleText(1800000), "900.0 Kbps");
  EXPECT_EQ(AxisMiddleText(2000000), "1.0 Mbps");
  EXPECT_EQ(AxisResetTopText(1000), "1 Kbps");
  EXPECT_EQ(LinkSpeedText(135, 540), "13.5 Mbps / 54 Mbps");
  EXPECT_EQ(LinkSpeedText(722, 11), "72.5 Mbps / 1.5 Mbps");
}

TEST(NetworkStatusTexts, MulDivRoundsHalfAwayFromZeroAndRefusesWhatDoesNotFit) {
  EXPECT_EQ(core::MulDiv(5, 1, 2), 3);
  EXPECT_EQ(core::MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(core::MulDiv(5, -1, -2), 3);
  EXPECT_EQ(core::MulDiv(7, 1, 3), 2);
  EXPECT_EQ(core::MulDiv(1000, 8000, 999), 8008);
  EXPECT_EQ(core::MulDiv(1, 1, 0), -1);
  EXPECT_EQ(core::MulDiv(300000000, 8000, 1000), -1);  // 2.4e9 bit/s does not fit
  EXPECT_EQ(core::MulDiv(100000000, 8000, 1000), 800000000);
}

TEST(NetworkStatusThroughput, StepsOverAWrappingTickAndAWrappingCounter) {
  ThroughputHistory history;
  // The first reading sets the baseline; the same tick again gives nothing.
  EXPECT_FALSE(history.Read(0xFFFFFF00u, 0xFFFFFE0Cu, 5000));
  EXPECT_FALSE(history.Read(0xFFFFFF00u, 0xFFFFFE0Cu, 5000));
  // 1000 bytes each way while the tick count goes round, which Windows counts as 999 ms; the
  // sent counter goes round too and comes out one byte short, by its correction.
  const auto step = history.Read(0x2E8u, 500, 6000);
  ASSERT_TRUE(step);
  EXPECT_EQ(step->receive, 8008);
  EXPECT_EQ(step->transmit, 8000);
  EXPECT_EQ(step->transmitTop, 9600);
  EXPECT_EQ(step->receiveTop, 9609);
  // After the wrap the corrected counter runs on exactly.
  const auto next = history.Read(0x2E8u + 1000, 1500, 7000);
  ASSERT_TRUE(next);
  EXPECT_EQ(next->transmit, 8000);
  EXPECT_EQ(next->receive, 8000);
  EXPECT_FALSE(next->receiveTop);  // 8008 is still the largest of the minute
  EXPECT_FALSE(next->transmitTop);
  EXPECT_EQ(history.Count(), 2u);
  history.Reset();
  EXPECT_EQ(history.Count(), 0u);
  EXPECT_FALSE(history.Read(5000, 10, 10));
}

class NetworkStatusPageTest : public UtilityTest {
 protected:
  CVantrelNetworkStatusPage& StatusPage() {
    return *dynamic_cast<CVantrelNetworkStatusPage*>(Page(core::kPageNetworkStatus));
  }
  QString Text(int id) { return ControlText(&StatusPage(), id); }
  // Runs until the transmit graph has taken n more steps.
  void Steps(uint64_t n) {
    const uint64_t until = StatusPage().TransmitGraph().Steps() + n;
    ASSERT_TRUE(
        RunUntil([&] { return StatusPage().TransmitGraph().Steps() >= until; },
                 static_cast<uint32_t>(n + 3) * CVantrelNetworkStatusPage::kRefreshPeriodMs));
  }
  // Runs until the meter averages n readings.
  void Samples(size_t n) {
    ASSERT_TRUE(
        RunUntil([&] { return StatusPage().SignalSampleCount() == n; },
                 static_cast<uint32_t>(n + 2) * CVantrelNetworkStatusPage::kRefreshPeriodMs));
  }
  // A strong open network of the test's own with this traffic.
  void AddQuietNetwork(nlohmann::json traffic) {
    UseDescription([&](nlohmann::json& description) {
      description["neighbourhood"].push_back({{"ssid", "Quiet"},
                                              {"bssid", "00-50-F1-00-00-01"},
                                              {"channel", 3},
                                              {"rssi", -45},
                                              {"rates", "g"},
                                              {"traffic", traffic}});
    });
    AddProfile("Quiet", "Quiet", 0, 0, {}, true);
  }
  void SetTraffic(uint32_t receive, uint32_t send) {
    std::array<uint8_t, 6> bssid{};
    ASSERT_TRUE(sim::ParseBssid("00-50-F1-00-00-01", bssid));
    const auto failed = sim::CurrentAdapterControl().SetTraffic(bssid, {receive, send, 0});
    ASSERT_FALSE(failed.has_value()) << *failed;
  }
  void MoveQuiet(int32_t rssi) {
    std::array<uint8_t, 6> bssid{};
    ASSERT_TRUE(sim::ParseBssid("00-50-F1-00-00-01", bssid));
    const auto failed = sim::CurrentAdapterControl().MoveNetwork(bssid, rssi, std::nullopt);
    ASSERT_FALSE(failed.has_value()) << *failed;
  }
};

TEST_F(NetworkStatusPageTest, ShowsTheLinkAsTheLibraryAndVtrctlReportItWithMovingGraphs) {
  AddProfile("Home", "HomeNet", 8, 4, "correct horse battery", true);
  StartAndSettle();
  ASSERT_EQ(LinkSsid(), "HomeNet");
  ShowPage(core::kPageNetworkStatus);
  EXPECT_TRUE(StatusPage().Refreshing());
  Steps(20);

  const auto link = RunVtrctlJson({"link"});
  const auto ip = RunVtrctlJson({"ip"});
  Steps(2);
  ASSERT_EQ(link.value("ssid", ""), "HomeNet");
  EXPECT_EQ(Text(kNsStatusField), "Connected");
  EXPECT_EQ(Text(kNsSsidField), "HomeNet");
  EXPECT_EQ(Text(kNsBssidField).toStdString(), link["bssid"].get<std::string>());
  EXPECT_EQ(Text(kNsNetworkTypeField), "Infrastructure");
  EXPECT_EQ(Text(kNsAuthenticationField), "WPA2-PSK");
  EXPECT_EQ(Text(kNsEncryptionField), "AES");
  EXPECT_EQ(Text(kNsSpeedField),
            LinkSpeedText(link["txRate"].get<uint32_t>(), link["rxRate"].get<uint32_t>()));
  EXPECT_EQ(Text(kNsDhcpField), "Enable");
  EXPECT_EQ(Text(kNsAddressField).toStdString(), ip["ipAddress"].get<std::string>());
  EXPECT_EQ(Text(kNsMaskField).toStdString(), ip["subnetMask"].get<std::string>());
  EXPECT_EQ(Text(kNsGatewayField).toStdString(), ip["gateway"].get<std::string>());
  EXPECT_EQ(Text(kNsDhcpServerField).toStdString(), ip["dhcpServer"].get<std::string>());
  EXPECT_EQ(Text(kNsAddressField), "192.168.1.100");
  // Labels and boxes carry their texts.
  EXPECT_EQ(Text(kNsEncryptionLabel), "Encryption Method :");
  EXPECT_EQ(Text(kNsPerformanceGroup), "Channel Performance");
  EXPECT_EQ(Text(kNsTransmitAxisBottom), "0 bps");

  // HomeNet is busy and its traffic swings: the graphs move and their axes have grown.
  const auto& received = StatusPage().ReceiveGraph().Values();
  ASSERT_GE(received.size(), 19u);
  const auto [low, high] = std::minmax_element(received.begin(), received.end());
  EXPECT_GT(*low, 0);
  EXPECT_GT(*high - *low, *high / 10);
  EXPECT_GT(StatusPage().ReceiveGraph().Top(), *high);
  EXPECT_TRUE(Text(kNsReceiveTitle).startsWith("Current Rx Rate :  "));
  EXPECT_TRUE(Text(kNsReceiveAxisTop).endsWith("Mbps"));
  // The meter and the tray follow the signal.
  const controls::Meter& meter = StatusPage().SignalMeter();
  EXPECT_GE(meter.Pos(), 90);  // HomeNet at -42 dBm
  EXPECT_EQ(meter.Text(), QString::number(meter.Pos()) + "%");
  EXPECT_EQ(Sheet().TrayState(), core::kTrayConnected);

  // Leaving the page stops the refresh.
  ShowPage(core::kPageAbout);
  EXPECT_FALSE(StatusPage().Refreshing());
  const uint64_t steps = StatusPage().TransmitGraph().Steps();
  RunFor(3000);
  EXPECT_EQ(StatusPage().TransmitGraph().Steps(), steps);
}

TEST_F(NetworkStatusPageTest, TheMeterShowsTheRoundedUpMeanOfTheLastTenReadings) {
  AddQuietNetwork({{"receiveBytesPerSecond", 500}, {"sendBytesPerSecond", 100}});
  StartAndSettle();
  ASSERT_EQ(LinkSsid(), "Quiet");
  if (!IsVista()) {
    // The XP library smooths the signal over every reader's readings, so the page's own
    // readings cannot be set one by one; a settled signal shows as the library reads it.
    MoveQuiet(-70);
    ShowPage(core::kPageNetworkStatus);
    RunFor(30000);
    EXPECT_EQ(StatusPage().SignalMeter().Pos(), Link().signal);
    EXPECT_EQ(StatusPage().SignalSampleCount(), 10u);
    return;
  }
  // The Vista service's link quality is the reading itself: -75 dBm reads 50, -50 dBm 100.
  MoveQuiet(-75);
  ShowPage(core::kPageNetworkStatus);
  RunFor(12000);
  const controls::Meter& meter = StatusPage().SignalMeter();
  EXPECT_EQ(meter.Pos(), 50);
  // Ten 50s, then 100: nine 50s and the 100 are in the ring.
  MoveQuiet(-50);
  ASSERT_TRUE(RunUntil([&] { return meter.Pos() != 50; }, 1000));
  EXPECT_EQ(meter.Pos(), 55);
  EXPECT_EQ(meter.Text(), "55%");
  // Five more 100s: four 50s are left, (200 + 600) / 10.
  const auto seen = StatusPage().TransmitGraph().Steps();
  ASSERT_TRUE(RunUntil([&] { return StatusPage().TransmitGraph().Steps() >= seen + 5; }, 7000));
  EXPECT_EQ(meter.Pos(), 80);

  // Coming back to the page starts the mean afresh: 52, 50 give 51; 52, 50, 50 give 50.67, 51.
  MoveQuiet(-74);
  ShowPage(core::kPageAbout);
  ShowPage(core::kPageNetworkStatus);
  EXPECT_EQ(StatusPage().SignalSampleCount(), 0u);
  Samples(1);
  EXPECT_EQ(meter.Pos(), 52);
  MoveQuiet(-75);
  Samples(2);
  EXPECT_EQ(meter.Pos(), 51);
  Samples(3);
  EXPECT_EQ(meter.Pos(), 51);
}

TEST_F(NetworkStatusPageTest, TitlesAndAxesFollowTheTraffic) {
  // Nothing sent: a counter at 0 is no baseline, so the graphs stay still and at their start.
  AddQuietNetwork({{"receiveBytesPerSecond", 125}, {"sendBytesPerSecond", 0}});
  StartAndSettle();
  ASSERT_EQ(LinkSsid(), "Quiet");
  ShowPage(core::kPageNetworkStatus);
  RunFor(3000);
  const auto& transmit = StatusPage().TransmitGraph();
  const auto& receive = StatusPage().ReceiveGraph();
  EXPECT_EQ(transmit.Steps(), 0u);
  EXPECT_EQ(Text(kNsReceiveTitle), "Current Rx Rate :  0 bps");
  EXPECT_EQ(Text(kNsTransmitAxisTop), "1 Kbps");
  EXPECT_EQ(Text(kNsTransmitAxisMiddle), "500 bps");

  SetTraffic(125, 1);
  Steps(2);
  // 8 bit/s out: the smallest axis is 200 bps.
  EXPECT_EQ(Text(kNsTransmitTitle), "Current Tx Rate :  8 bps");
  EXPECT_EQ(Text(kNsTransmitAxisTop), "200 bps");
  EXPECT_EQ(Text(kNsTransmitAxisMiddle), "100 bps");
  EXPECT_EQ(transmit.Top(), 200);
  EXPECT_EQ(transmit.Values().back(), 8);
  // 1000 bit/s in is the largest rate the axis started with: it stays.
  EXPECT_EQ(Text(kNsReceiveTitle), "Current Rx Rate :  1.0 Kbps");
  EXPECT_EQ(Text(kNsReceiveAxisTop), "1 Kbps");
  EXPECT_EQ(Text(kNsReceiveAxisMiddle), "500 bps");
  EXPECT_EQ(receive.Top(), 1000);

  SetTraffic(187500, 125);
  Steps(2);
  EXPECT_EQ(Text(kNsTransmitTitle), "Current Tx Rate :  1.0 Kbps");
  EXPECT_EQ(Text(kNsTransmitAxisTop), "1.2 Kbps");
  EXPECT_EQ(Text(kNsTransmitAxisMiddle), "600 bps");
  EXPECT_EQ(transmit.Top(), 1200);
  EXPECT_EQ(Text(kNsReceiveTitle), "Current Rx Rate :  1.5 Mbps");
  EXPECT_EQ(Text(kNsReceiveAxisTop), "1.8 Mbps");
  EXPECT_EQ(Text(kNsReceiveAxisMiddle), "900.0 Kbps");
  EXPECT_EQ(receive.Values().back(), 1500000);

  // Just under a kilobit reads in bits; the axis keeps the largest rate of the last minute.
  SetTraffic(187500, 124);
  Steps(2);
  EXPECT_EQ(Text(kNsTransmitTitle), "Current Tx Rate :  992 bps");
  EXPECT_EQ(Text(kNsTransmitAxisTop), "1.2 Kbps");
  // No traffic at all: 0 bps, drawn along the bottom as 1.
  SetTraffic(0, 0);
  Steps(2);
  EXPECT_EQ(Text(kNsTransmitTitle), "Current Tx Rate :  0 bps");
  EXPECT_EQ(Text(kNsReceiveTitle), "Current Rx Rate :  0 bps");
  EXPECT_EQ(transmit.Values().back(), 1);
  EXPECT_EQ(receive.Values().back(), 1);
}

TEST_F(NetworkStatusPageTest, ACounterGoingRoundStillGivesTheTraffic) {
  // 100 MB a second: the receive counter goes round every 43 s.
  AddQuietNetwork({{"receiveBytesPerSecond", 100000000}, {"sendBytesPerSecond", 1000}});
  StartAndSettle();
  ASSERT_EQ(LinkSsid(), "Quiet");
  ShowPage(core::kPageNetworkStatus);
  platform::MibIfRow row{};
  row.index = static_cast<uint32_t>(core::State().libraryHandle.load());
  ASSERT_EQ(platform::Current().IpHelper().GetIfEntry(&row), 0);
  const uint64_t first = StatusPage().ReceiveGraph().Steps();
  bool wrapped = false;
  for (int step = 0; step < 50; ++step) {
    const uint32_t last = row.inOctets;
    Steps(1);
    ASSERT_EQ(platform::Current().IpHelper().GetIfEntry(&row), 0);
    wrapped = wrapped || row.inOctets < last;
  }
  ASSERT_TRUE(wrapped) << "the counter did not go round";
  // Every step reads 800 Mbit/s; the one over the wrap is a byte short.
  const auto& rates = StatusPage().ReceiveGraph().Values();
  const auto taken = static_cast<size_t>(StatusPage().ReceiveGraph().Steps() - first);
  ASSERT_EQ(taken, 50u);
  for (size_t i = rates.size() - taken; i < rates.size(); ++i) {
    EXPECT_GE(rates[i], 800000000 - 8) << i;
    EXPECT_LE(rates[i], 800000000) << i;
  }
  EXPECT_EQ(Text(kNsReceiveTitle), "Current Rx Rate :  800.0 Mbps");
  EXPECT_EQ(Text(kNsReceiveAxisTop), "960.0 Mbps");
}

TEST_F(NetworkStatusPageTest, AFixedAddressShowsDhcpDisabledTwice) {
  UseDescription([](nlohmann::json& description) {
    nlohmann::json& adapter = WirelessAdapter(description);
    adapter["dhcpEnabled"] = false;
    adapter["ipAddress"] = "192.168.1.77";
    adapter["subnetMask"] = "255.255.255.0";
    adapter["gateway"] = "192.168.1.254";
  });
  // The Vista build sets the profile's fixed address through WMI as it joins; the XP build
  // leaves the adapter's settings as they are.
  AddProfile("Coffee", "CoffeeShop", 0, 0, {}, true, [](ProfileRecord& record) {
    record.useStaticIp = 1;
    const uint8_t address[4] = {192, 168, 1, 77};
    const uint8_t mask[4] = {255, 255, 255, 0};
    const uint8_t gateway[4] = {192, 168, 1, 254};
    std::memcpy(record.ipAddress, address, 4);
    std::memcpy(record.subnetMask, mask, 4);
    std::memcpy(record.defaultGateway, gateway, 4);
  });
  StartAndSettle();
  ASSERT_EQ(LinkSsid(), "CoffeeShop");
  ShowPage(core::kPageNetworkStatus);
  Steps(2);
  EXPECT_EQ(Text(kNsDhcpField), "Disable");
  EXPECT_EQ(Text(kNsDhcpServerField), "Disable");
  EXPECT_EQ(Text(kNsAddressField), "192.168.1.77");
  EXPECT_EQ(Text(kNsGatewayField), "192.168.1.254");
}

TEST_F(NetworkStatusPageTest, LosingTheLinkEmptiesTheFieldsAndResetsTheGraphs) {
  AddQuietNetwork({{"receiveBytesPerSecond", 40000}, {"sendBytesPerSecond", 3000}});
  StartAndSettle();
  ASSERT_EQ(LinkSsid(), "Quiet");
  ShowPage(core::kPageNetworkStatus);
  Steps(3);
  ASSERT_EQ(Text(kNsTransmitTitle), "Current Tx Rate :  24.0 Kbps");
  ASSERT_GT(StatusPage().SignalMeter().Pos(), 0);

  std::array<uint8_t, 6> bssid{};
  ASSERT_TRUE(sim::ParseBssid("00-50-F1-00-00-01", bssid));
  ASSERT_FALSE(sim::CurrentAdapterControl().RemoveNetwork(bssid).has_value());
  ASSERT_TRUE(RunUntil([&] { return Text(kNsSsidField).isEmpty(); }, 2000));
  EXPECT_EQ(Text(kNsStatusField), "No Connection");
  for (const int id :
       {kNsBssidField, kNsNetworkTypeField, kNsAuthenticationField, kNsEncryptionField,
        kNsSpeedField, kNsAddressField, kNsMaskField, kNsGatewayField, kNsDhcpServerField}) {
    EXPECT_EQ(Text(id), "") << id;
  }
  EXPECT_EQ(Text(kNsDhcpField), "Enable");  // the option is shown with or without a link
  EXPECT_EQ(StatusPage().SignalMeter().Pos(), 0);
  EXPECT_EQ(StatusPage().SignalMeter().Text(), "0%");
  EXPECT_TRUE(StatusPage().TransmitGraph().Values().empty());
  EXPECT_TRUE(StatusPage().ReceiveGraph().Values().empty());
  EXPECT_EQ(StatusPage().TransmitGraph().Top(), 1000);
  EXPECT_EQ(Text(kNsTransmitTitle), "Current Tx Rate :  0 bps");
  EXPECT_EQ(Text(kNsReceiveAxisTop), "1 Kbps");
  EXPECT_EQ(Text(kNsReceiveAxisMiddle), "500 bps");
  EXPECT_EQ(Sheet().TrayState(), core::kTrayNoConnection);
  // Still nothing moves while there is no link.
  RunFor(3000);
  EXPECT_TRUE(StatusPage().TransmitGraph().Values().empty());

  // A pulled adapter reads "Card Unplugged".
  SetAdapterPresent(false);
  ASSERT_TRUE(RunUntil([&] { return Text(kNsStatusField) == "Card Unplugged"; }, 3000));
}

}  // namespace
}  // namespace app_testing
