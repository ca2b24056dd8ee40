// Joining the simulated neighbourhood and reading the link back: open and WEP networks, wrong
// keys in their time limits, the link and IP records, the signal average, radio off and on.
// Everything runs in virtual time.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "lib/common/signal_percent.h"
#include "platform/services.h"
#include "sim/adapter_control.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace {

class LinkInformationTest : public testing_support::MachineTest {
 protected:
  void SetUp() override {
    UseXpMachine();
    ASSERT_EQ(VTR_Initialize(0), 3);
  }
  void TearDown() override { VTR_UnInitialize(); }

  static ProfileRecord Profile(const char* ssid) {
    ProfileRecord profile;
    std::memset(&profile, 0, sizeof(profile));
    VTR_InitialProfile(&profile);
    std::strcpy(profile.profileName, ssid);
    std::strcpy(profile.ssid, ssid);
    return profile;
  }
  static ProfileRecord Wep(const char* ssid, uint32_t auth, const char* key) {
    ProfileRecord profile = Profile(ssid);
    profile.authMode = auth;
    profile.encryption = 1;
    profile.wepKeyLength[0] = static_cast<uint32_t>(std::strlen(key) / 2);
    std::strcpy(profile.wepKey[0], key);
    return profile;
  }
  static VtrLinkInfo Link(uint32_t flags = 0) {
    VtrLinkInfo link;
    std::memset(&link, 0xCC, sizeof(link));
    VTR_APLinkInformation(&link, flags);
    return link;
  }
  static VtrIpInfo Ip() {
    VtrIpInfo ip;
    std::memset(&ip, 0xCC, sizeof(ip));
    VTR_APInternetInformation(&ip);
    return ip;
  }
  static uint64_t Now() { return platform::Current().Clock().NowMs(); }
};

TEST_F(LinkInformationTest, OpenNetworkGetsItsAddressAndTheLinkShowsIt) {
  const VtrLinkInfo before = Link();
  EXPECT_EQ(before.linkState, 2u);
  EXPECT_STREQ(before.ssid, "");
  EXPECT_EQ(before.phyMode, 8u);
  EXPECT_EQ(before.cipher, 0x80000000u);

  ProfileRecord profile = Profile("CoffeeShop");
  const uint64_t start = Now();
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  EXPECT_LT(Now() - start, 20000u);  // 5 s first look, then the lease

  const VtrLinkInfo link = Link();
  EXPECT_EQ(link.linkState, 1u);
  EXPECT_STREQ(link.ssid, "CoffeeShop");
  EXPECT_STREQ(link.bssid, "00-18-39-C2-8D-14");
  EXPECT_EQ(link.networkType, 1u);
  EXPECT_EQ(link.authMode, 0u);
  EXPECT_EQ(link.cipher, 0u);
  EXPECT_EQ(link.channel, 1u);
  EXPECT_EQ(link.phyMode, 4u);
  EXPECT_GT(link.txRate, 0u);
  EXPECT_GT(link.rxRate, 0u);
  EXPECT_GT(link.signal, 0);
  EXPECT_LE(link.signal, 100);
  EXPECT_EQ(Link(1).signal, -67);

  const VtrIpInfo ip = Ip();
  EXPECT_EQ(ip.dhcpEnabled, 1);
  EXPECT_STREQ(ip.ipAddress, "10.20.0.57");
  EXPECT_STREQ(ip.subnetMask, "255.255.252.0");
  EXPECT_STREQ(ip.gateway, "10.20.0.1");
  EXPECT_STREQ(ip.dhcpServer, "10.20.0.1");
  ASSERT_EQ(ip.dnsCount, 2u);
  EXPECT_STREQ(ip.dnsServer[0], "10.20.0.1");
  EXPECT_STREQ(ip.dnsServer[1], "10.20.0.2");
}

TEST_F(LinkInformationTest, WepWithTheRightKeyJoinsAndSevenDnsServersShowFive) {
  ProfileRecord profile = Wep("Workshop", 1, "2b7e151628aed2a6abf7158809");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  const VtrLinkInfo link = Link();
  EXPECT_EQ(link.linkState, 1u);
  EXPECT_EQ(link.authMode, 1u);
  EXPECT_EQ(link.cipher, 1u);
  const VtrIpInfo ip = Ip();
  EXPECT_STREQ(ip.ipAddress, "172.16.4.20");
  ASSERT_EQ(ip.dnsCount, 5u);
  EXPECT_STREQ(ip.dnsServer[4], "172.16.4.5");

  profile = Wep("OldRouter", 0, "1a2b3c4d5e");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  EXPECT_STREQ(Link().ssid, "OldRouter");
  EXPECT_EQ(Link().phyMode, 2u);  // an 802.11b network's rates
  EXPECT_STREQ(Ip().ipAddress, "192.168.0.102");
}

// A wrong shared key is refused at authentication: no address change ever comes, and the connect
// gives up when the notification's 120 s run out, and leaves. A wrong open-system key associates
// without traffic; DHCP never answers and the only address change is the machine's fall-back to
// a 169.254 address, which the notification reports like any other.
TEST_F(LinkInformationTest, WrongWepKeysNeverGetADhcpAddress) {
  ProfileRecord profile = Wep("Workshop", 1, "00000000000000000000000000");
  uint64_t start = Now();
  EXPECT_FALSE(VTR_ConnectToAP(&profile, 0));
  const uint64_t waited = Now() - start;
  EXPECT_GE(waited, 126000u);
  EXPECT_LE(waited, 127000u);
  EXPECT_EQ(Link().linkState, 2u);

  profile = Wep("OldRouter", 0, "0000000000");
  start = Now();
  EXPECT_TRUE(VTR_ConnectToAP(&profile, 0));
  EXPECT_LE(Now() - start, 126000u);
  EXPECT_EQ(Link().linkState, 1u);
  EXPECT_EQ(std::string(Ip().ipAddress).rfind("169.254.", 0), 0u) << Ip().ipAddress;
}

TEST_F(LinkInformationTest, SignalMovesHalfWayTowardsEachReading) {
  ProfileRecord profile = Profile("CoffeeShop");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  const int32_t first = Link().signal;
  std::array<uint8_t, 6> bssid{};
  ASSERT_TRUE(sim::ParseBssid("00-18-39-C2-8D-14", bssid));
  ASSERT_FALSE(sim::CurrentAdapterControl().MoveNetwork(bssid, -50, std::nullopt).has_value());
  EXPECT_EQ(Link(1).signal, -50);  // dBm readings do not touch the average
  const int32_t second = Link().signal;
  EXPECT_EQ(second, (first + vtr::SignalPercent(-50) + 1) / 2);
  EXPECT_EQ(Link().signal, (second + 100 + 1) / 2);
}

TEST_F(LinkInformationTest, RadioOffDropsTheLinkAndRadioOnScansAgain) {
  ProfileRecord profile = Profile("CoffeeShop");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, 0));
  ASSERT_TRUE(VTR_SetRadioMode(0));
  EXPECT_EQ(Link().linkState, 2u);
  ASSERT_TRUE(VTR_SetRadioMode(1));
  std::vector<VtrSurveyEntry> entries(128);
  EXPECT_GT(VTR_SiteSurveyEx(0, 5, 1, 1, entries.data(), 0), 0);
}

TEST_F(LinkInformationTest, NoWaitReturnsAtTheSsidAndWpaFailsWithoutTheSupplicant) {
  ProfileRecord profile = Profile("HomeNet");
  profile.authMode = 8;
  profile.encryption = 4;
  std::strcpy(profile.psk, "whatever it is");
  profile.pskLength = 14;
  const uint64_t start = Now();
  EXPECT_TRUE(VTR_ConnectToAP(&profile, 2));
  EXPECT_EQ(Now(), start);
  EXPECT_FALSE(VTR_ConnectToAP(&profile, 0));
  EXPECT_EQ(Link().linkState, 2u);
}

}  // namespace
