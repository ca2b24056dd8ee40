// Joining WPA and 802.1X networks through the supplicant, end to end on the simulated machine:
// keys and accounts are really checked, and a refusal fails within the connect's time limits.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "lib/supplicant_fixture.h"
#include "platform/ndis_802_11.h"
#include "sim/miniport_log.h"
#include "sim/supplicant_keys.h"

namespace {

using testing_support::SupplicantTest;

// Without a connection the connect waits 5 s, then up to 120 s for the address change.
constexpr uint64_t kLongestFailureMs = 127'000;

// The security the link reports: what the supplicant set in the driver for the keyed network.
std::pair<uint32_t, uint32_t> LinkSecurity() {
  VtrLinkInfo link{};
  VTR_APLinkInformation(&link, 0);
  return {link.authMode, link.cipher};
}

std::string HexKey(const sim::Pmk& pmk) {
  std::string text;
  char digits[3];
  for (uint8_t byte : pmk) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += digits;
  }
  return text;
}

TEST_F(SupplicantTest, PreSharedKeysGetAnAddressOnlyWhenTheyAreTheNetworks) {
  ProfileRecord right = PskProfile("HomeNet", "correct horse battery");
  EXPECT_TRUE(VTR_ConnectToAP(&right, 0));
  EXPECT_EQ(Address(), "192.168.1.100");
  EXPECT_EQ(LinkSecurity(), std::make_pair(VTR_AUTH_WPA2_PSK, VTR_CIPHER_AES));

  // The 64-digit form of the same key is the PMK itself.
  const std::string ssid = "HomeNet";
  ProfileRecord binary = PskProfile(
      "HomeNet", HexKey(sim::PassphrasePmk("correct horse battery", {ssid.begin(), ssid.end()})));
  EXPECT_TRUE(VTR_ConnectToAP(&binary, 0));
  EXPECT_EQ(Address(), "192.168.1.100");
  EXPECT_EQ(Count(Supplicant().Log(), "acRsnBinPskCreate"), 1u);

  // The last connect's post-authentication run sleeps on the same virtual clock: stop and
  // detach ends it, so that only the failing connect's own waits are timed.
  VTR_UnInitialize();
  ASSERT_EQ(VTR_Initialize(0), 3);
  ProfileRecord wrong = PskProfile("HomeNet", "correct horse battery staple");
  const uint64_t start = Now();
  EXPECT_FALSE(VTR_ConnectToAP(&wrong, 0));
  EXPECT_LE(Now() - start, kLongestFailureMs);
  EXPECT_EQ(Address(), "0.0.0.0");
  Supplicant().WaitIdle();
  EXPECT_EQ(Count(Supplicant().Log(), "event status 301"), 1u);

  // A WPA-PSK network takes its own key just the same.
  ProfileRecord legacy = PskProfile("Legacy-WPA", "tkip only please");
  legacy.authMode = VTR_AUTH_WPA_PSK;
  EXPECT_TRUE(VTR_ConnectToAP(&legacy, 0));
  EXPECT_EQ(Address(), "192.168.1.100");
  EXPECT_EQ(LinkSecurity(), std::make_pair(VTR_AUTH_WPA_PSK, VTR_CIPHER_TKIP));
}

TEST_F(SupplicantTest, PeapChecksTheDomainAccountAndItsPassword) {
  ProfileRecord right = PeapProfile("alice", "Winter2008!", "HALVORN");
  EXPECT_TRUE(VTR_ConnectToAP(&right, 0));
  EXPECT_EQ(Address(), "192.168.1.100");

  const ProfileRecord refused[] = {
      PeapProfile("alice", "winter2008!", "HALVORN"),  // passwords compare exactly
      PeapProfile("alice", "Winter2008!", ""),         // the account is a domain account
      PeapProfile("mallory", "Winter2008!", "HALVORN"),
  };
  for (ProfileRecord profile : refused) {
    Supplicant().ClearLog();
    EXPECT_TRUE(VTR_ConnectToAP(&profile, 2)) << profile.eapIdentity;
    Supplicant().WaitIdle();
    const auto log = Supplicant().Log();
    EXPECT_EQ(Count(log, "event status 301"), 1u) << profile.eapIdentity;
    EXPECT_EQ(Count(log, "event state 5"), 0u) << profile.eapIdentity;
  }
  // A network that refused keeps refusing: the adapter never gets a link or an address.
  platform::Current().Clock().SleepMs(60'000);
  EXPECT_EQ(Address(), "0.0.0.0");

  // Names compare as Windows compares them.
  ProfileRecord anyCase = PeapProfile("ALICE", "Winter2008!", "halvorn");
  EXPECT_TRUE(VTR_ConnectToAP(&anyCase, 0));
}

TEST_F(SupplicantTest, EapTlsNeedsTheAccountsCertificateFromThePersonalStore) {
  ProfileRecord right = TlsProfile(testing_support::kBobThumbprint);
  EXPECT_TRUE(VTR_ConnectToAP(&right, 0));
  EXPECT_EQ(Address(), "192.168.1.100");
  const auto log = Supplicant().Log();
  EXPECT_EQ(Count(log, "acCredUserCertificate"), 1u);
  EXPECT_EQ(Count(log, "acCredPassword"), 0u);

  // mallory's certificate is in the store, but no account of the network names it.
  const uint8_t mallory[20] = {0xa1, 0xb2, 0xc3, 0xd4, 0xe5, 0xf6, 0x07, 0x18, 0x29, 0x3a,
                               0x4b, 0x5c, 0x6d, 0x7e, 0x8f, 0x90, 0x01, 0x12, 0x23, 0x34};
  ProfileRecord other = TlsProfile(mallory);
  Supplicant().ClearLog();
  EXPECT_TRUE(VTR_ConnectToAP(&other, 2));
  Supplicant().WaitIdle();
  EXPECT_EQ(Count(Supplicant().Log(), "event status 301"), 1u);
}

TEST_F(SupplicantTest, CertificateOutsideThePersonalStoreIsRefused) {
  auto description = testing_support::XpDescription();
  description["certificates"]["personal"] = nlohmann::json::array();
  TearDown();
  StartOn(description);
  ProfileRecord profile = TlsProfile(testing_support::kBobThumbprint);
  EXPECT_TRUE(VTR_ConnectToAP(&profile, 2));
  Supplicant().WaitIdle();
  EXPECT_EQ(Count(Supplicant().Log(), "event status 301"), 1u);
}

TEST_F(SupplicantTest, ConnectStopsThePortAndHandsOverTheCredentialsBeforeTheSsid) {
  ProfileRecord psk = PskProfile("HomeNet", "correct horse battery");
  sim::CurrentMiniportLog().Clear();
  ASSERT_TRUE(VTR_ConnectToAP(&psk, 2));
  Supplicant().WaitIdle();
  const std::vector<std::string> pskOrder = {
      "acPortDisassociate",      "acPortStop",    "acRsnPskCreate", "acCredRsnPsk",
      "acPortAssociate HomeNet", "event state 3", "event link 2",   "event state 5"};
  EXPECT_EQ(Only(pskOrder), pskOrder);
  // The driver is given the name only after the supplicant settled the keys, and the network's
  // own name, not the parking name.
  const auto requests = sim::CurrentMiniportLog().Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_TRUE(requests.back().set);
  EXPECT_EQ(requests.back().oid, platform::kOid802_11Ssid);

  Supplicant().ClearLog();
  ProfileRecord peap = PeapProfile("alice", "Winter2008!", "HALVORN");
  ASSERT_TRUE(VTR_ConnectToAP(&peap, 2));
  Supplicant().WaitIdle();
  // The previous key object is destroyed before new credentials are made; the questions come
  // in the exchange's order, each answered with an object made anew.
  const std::vector<std::string> peapOrder = {
      "acPortDisassociate", "acPortStop", "acRsnPskDestroy", "acIdentityCreate", "acPasswordCreate",
      "acPortAuth peap", "acPortAssociate Office-Corp", "request 2 answered", "request 8 answered",
      // The identity is made again in the domain form PEAP asks for.
      "acIdentityCreate", "request 3 answered", "acPasswordCreate", "request 5 answered",
      "event state 5"};
  EXPECT_EQ(Only(peapOrder), peapOrder);
}

TEST_F(SupplicantTest, LeapProfilesAndOpenNetworksStartNoPort) {
  ProfileRecord leap = PeapProfile("alice", "Winter2008!", "HALVORN");
  leap.eapMethod = 2;
  EXPECT_TRUE(VTR_ConnectToAP(&leap, 2));
  ProfileRecord open = Profile("CoffeeShop", VTR_AUTH_OPEN);
  open.encryption = VTR_CIPHER_NONE;
  EXPECT_TRUE(VTR_ConnectToAP(&open, 0));
  EXPECT_EQ(Address(), "10.20.0.57");
  const auto log = Supplicant().Log();
  EXPECT_EQ(Count(log, "acPortAssociate Office-Corp"), 0u);
  EXPECT_EQ(Count(log, "acPortAuth leap"), 0u);
}

}  // namespace
