// The simulated WLAN service's connects: which profiles it reads, which networks they fit, what it
// announces and what the current connection then says; and its stored profiles.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "platform/win_errors.h"
#include "sim/association.h"
#include "sim/machine.h"
#include "sim/supplicant_keys.h"
#include "sim/wlan_profile_reader.h"
#include "sim/wlan_profile_store.h"
#include "vista/vista_fixture.h"

namespace {

using namespace platform;
using testing::ElementsAre;
using testing_support::VistaTest;

constexpr const char* kV1 = "http://www.microsoft.com/networking/WLAN/profile/v1";

struct ProfileText {
  std::string ssid = "";
  std::string authentication = "open";
  std::string encryption = "none";
  std::string keyType = "networkKey";
  std::string key = "";  // empty: no sharedKey
  int keyIndex = 0;
  bool adhoc = false;
  bool nonBroadcast = true;
  std::string oneX = "";  // the OneX element, for 802.1X
  std::string name = "";  // empty: the SSID
};

std::string Xml(const ProfileText& p) {
  std::string xml = std::string("<?xml version=\"1.0\"?><WLANProfile xmlns=\"") + kV1 +
                    "\"><name>" + (p.name.empty() ? p.ssid : p.name) +
                    "</name><SSIDConfig><SSID><name>" + p.ssid + "</name></SSID>";
  if (!p.adhoc && p.nonBroadcast) xml += "<nonBroadcast>true</nonBroadcast>";
  xml += "</SSIDConfig>";
  xml += p.adhoc ? "<connectionType>IBSS</connectionType><connectionMode>manual</connectionMode>"
                 : "<connectionType>ESS</connectionType><connectionMode>auto</connectionMode>";
  xml += "<MSM><security><authEncryption><authentication>" + p.authentication +
         "</authentication><encryption>" + p.encryption + "</encryption><useOneX>" +
         (p.oneX.empty() ? "false" : "true") + "</useOneX></authEncryption>";
  if (!p.key.empty()) {
    xml += "<sharedKey><keyType>" + p.keyType + "</keyType><protected>false</protected>" +
           "<keyMaterial>" + p.key + "</keyMaterial></sharedKey>";
  }
  if (p.encryption == "WEP") xml += "<keyIndex>" + std::to_string(p.keyIndex) + "</keyIndex>";
  xml += p.oneX + "</security></MSM></WLANProfile>";
  return xml;
}

std::string OneX(int type, const std::string& blob = "") {
  return "<OneX xmlns=\"http://www.microsoft.com/networking/OneX/v1\"><cacheUserData>true"
         "</cacheUserData><EAPConfig><EapHostConfig "
         "xmlns=\"http://www.microsoft.com/provisioning/EapHostConfig\"><EapMethod><Type "
         "xmlns=\"http://www.microsoft.com/provisioning/EapCommon\">" +
         std::to_string(type) + "</Type></EapMethod><ConfigBlob>" + blob +
         "</ConfigBlob></EapHostConfig></EAPConfig></OneX>";
}

std::u16string Utf16(const std::string& text) {
  return sim::Utf8ToUtf16(text);
}

std::string HexText(const std::vector<uint8_t>& bytes) {
  std::string text;
  char digits[3];
  for (uint8_t byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", byte);
    text += digits;
  }
  return text;
}

class WlanServiceTest : public VistaTest {
 protected:
  void Start(const nlohmann::json& description = testing_support::VistaDescription()) {
    UseVista(description);
    uint32_t version = 0;
    ASSERT_EQ(Service().WlanOpenHandle(2, &version, &handle_), 0);
  }
  void TearDown() override {
    if (handle_ != 0) Service().WlanCloseHandle(handle_);
    VistaTest::TearDown();
  }

  long Connect(const ProfileText& profile) {
    WlanConnectionParameters parameters;
    parameters.profile = Utf16(Xml(profile));
    parameters.bssType = profile.adhoc ? kDot11BssIndependent : kDot11BssInfrastructure;
    return Service().WlanConnect(handle_, Interface(), parameters);
  }
  // Connects and lets the radio finish; the current connection's answer.
  long ConnectAndSettle(const ProfileText& profile) {
    const long result = Connect(profile);
    if (result != 0) return -result;
    Machine().Clock().SleepMs(2000);
    return Current().first;
  }
  std::pair<long, WlanConnectionAttributes> Current() {
    uint32_t size = 0;
    void* data = nullptr;
    const long result = Service().WlanQueryInterface(handle_, Interface(),
                                                     kWlanIntfCurrentConnection, &size, &data);
    WlanConnectionAttributes attributes;
    if (result == 0) {
      attributes = *static_cast<WlanConnectionAttributes*>(data);
      Service().WlanFreeMemory(data);
    }
    return {result, attributes};
  }
  // The notifications sent since the log was last cleared, as "source=.. code=..".
  std::vector<std::string> Notes() {
    std::vector<std::string> notes;
    for (const auto& call : Service().Log().Calls()) {
      if (call.name == "notify") notes.push_back(call.arguments);
    }
    return notes;
  }
  std::optional<sim::Association> Association() {
    std::optional<sim::Association> association;
    Machine().devices().WirelessState()->Read(
        [&](const sim::AdapterState& state) { association = state.link.association; });
    return association;
  }
  long SetProfile(const std::string& xml, bool overwrite, uint32_t* reason) {
    return Service().WlanSetProfile(handle_, Interface(), kWlanProfileAllUser, Utf16(xml),
                                    overwrite, reason);
  }
  std::optional<std::u16string> GetProfile(const std::string& name) {
    std::u16string* text = nullptr;
    if (Service().WlanGetProfile(handle_, Interface(), Utf16(name), &text) != 0) return {};
    std::u16string copy = *text;
    Service().WlanFreeMemory(text);
    return copy;
  }

  WlanHandle handle_ = 0;
};

const std::string kAssociated = "source=16 code=2";
const std::string kConnected = "source=16 code=4";
const std::string kComplete = "source=8 code=10";
const std::string kMsmDisconnected = "source=16 code=10";
const std::string kAcmDisconnected = "source=8 code=21";

TEST_F(WlanServiceTest, JoinsAnOpenNetworkAndAnnouncesItInOrder) {
  Start();
  Service().Log().Clear();
  ASSERT_EQ(Connect({.ssid = "CoffeeShop"}), 0);
  // Nothing is announced before the radio is done.
  EXPECT_TRUE(Notes().empty());
  Machine().Clock().SleepMs(1000);
  EXPECT_THAT(Notes(), ElementsAre(kAssociated, kConnected, kComplete));
  const auto [result, connection] = Current();
  ASSERT_EQ(result, 0);
  EXPECT_EQ(connection.state, kWlanInterfaceConnected);
  EXPECT_EQ(connection.connectionMode, kWlanConnectionModeTemporaryProfile);
  EXPECT_EQ(connection.profileName, "CoffeeShop");
  EXPECT_EQ(std::string(connection.association.ssid.begin(), connection.association.ssid.end()),
            "CoffeeShop");
  EXPECT_EQ(connection.association.bssType, kDot11BssInfrastructure);
  EXPECT_FALSE(connection.security.securityEnabled);
  EXPECT_FALSE(connection.security.oneXEnabled);
  EXPECT_EQ(connection.security.authAlgorithm, 1u);
  EXPECT_EQ(connection.security.cipherAlgorithm, 0u);
  EXPECT_EQ(Service().OutstandingMemory(), 0u);
}

TEST_F(WlanServiceTest, AnUnreadableProfileChangesNothing) {
  Start();
  ASSERT_EQ(ConnectAndSettle({.ssid = "CoffeeShop"}), 0);
  Service().Log().Clear();
  WlanConnectionParameters parameters;
  parameters.profile = Utf16("<WLANProfile>not a profile</WLANProfile>");
  EXPECT_EQ(Service().WlanConnect(handle_, Interface(), parameters), kErrorBadProfile);
  // WEP without a key, and a 4-character pre-shared key, are no profiles either.
  EXPECT_EQ(Connect({.ssid = "OldRouter", .encryption = "WEP"}), kErrorBadProfile);
  EXPECT_EQ(Connect({.ssid = "HomeNet",
                     .authentication = "WPA2PSK",
                     .encryption = "AES",
                     .keyType = "passPhrase",
                     .key = "abcd"}),
            kErrorBadProfile);
  Machine().Clock().SleepMs(2000);
  EXPECT_TRUE(Notes().empty());
  const auto [result, connection] = Current();
  ASSERT_EQ(result, 0);
  EXPECT_EQ(connection.profileName, "CoffeeShop");
  // The service says why in its log.
  EXPECT_THAT(Service().Log().Calls()[0].arguments, testing::HasSubstr("unreadable"));
}

TEST_F(WlanServiceTest, WepKeysAsTheAccessPointChecksThem) {
  Start();
  ProfileText wep{.ssid = "OldRouter", .encryption = "WEP", .key = "1A2B3C4D5E"};
  ASSERT_EQ(ConnectAndSettle(wep), 0);
  auto connection = Current().second;
  EXPECT_TRUE(connection.security.securityEnabled);
  EXPECT_EQ(connection.security.authAlgorithm, 1u);
  EXPECT_EQ(connection.security.cipherAlgorithm, 1u);  // WEP-40
  ASSERT_TRUE(Association());
  EXPECT_TRUE(Association()->framesPass);

  // Open system with a wrong key associates all the same, but no frame gets through.
  wep.key = "0000000000";
  ASSERT_EQ(ConnectAndSettle(wep), 0);
  ASSERT_TRUE(Association());
  EXPECT_FALSE(Association()->framesPass);
  // Five characters are a key of their own bytes, not the access point's.
  wep.key = "abcde";
  ASSERT_EQ(ConnectAndSettle(wep), 0);
  EXPECT_FALSE(Association()->framesPass);
}

TEST_F(WlanServiceTest, ASharedKeyNetworkRefusesOpenSystemAndTakesSharedKey) {
  Start();
  ProfileText workshop{
      .ssid = "Workshop", .encryption = "WEP", .key = "2b7e151628aed2a6abf7158809"};
  Service().Log().Clear();
  ASSERT_EQ(Connect(workshop), 0);
  Machine().Clock().SleepMs(2000);
  // The attempt ends without a connection: complete, but never associated.
  EXPECT_THAT(Notes(), ElementsAre(kComplete));
  EXPECT_EQ(Current().first, kErrorInvalidState);
  EXPECT_FALSE(Association());

  workshop.authentication = "shared";
  ASSERT_EQ(ConnectAndSettle(workshop), 0);
  const auto connection = Current().second;
  EXPECT_EQ(connection.security.authAlgorithm, 2u);
  EXPECT_EQ(connection.security.cipherAlgorithm, 5u);  // WEP-104
  // A wrong key fails the shared-key challenge.
  workshop.key = "2b7e151628aed2a6abf7158808";
  EXPECT_EQ(ConnectAndSettle(workshop), kErrorInvalidState);
}

TEST_F(WlanServiceTest, PreSharedKeysMustMakeTheNetworksKey) {
  Start();
  ProfileText home{.ssid = "HomeNet",
                   .authentication = "WPA2PSK",
                   .encryption = "AES",
                   .keyType = "passPhrase",
                   .key = "correct horse battery"};
  ASSERT_EQ(ConnectAndSettle(home), 0);
  auto connection = Current().second;
  EXPECT_TRUE(connection.security.securityEnabled);
  EXPECT_FALSE(connection.security.oneXEnabled);
  EXPECT_EQ(connection.security.authAlgorithm, 7u);  // RSNA-PSK
  EXPECT_EQ(connection.security.cipherAlgorithm, 4u);

  // The 64 hexadecimal digits of the same key.
  const std::vector<uint8_t> name = {'H', 'o', 'm', 'e', 'N', 'e', 't'};
  const sim::Pmk pmk = sim::PassphrasePmk("correct horse battery", name);
  home.keyType = "networkKey";
  home.key = HexText(std::vector<uint8_t>(pmk.begin(), pmk.end()));
  ASSERT_EQ(ConnectAndSettle(home), 0);

  // A wrong passphrase fails the handshake: complete without a connection.
  home.keyType = "passPhrase";
  home.key = "correct horse battery!";
  Service().Log().Clear();
  ASSERT_EQ(Connect(home), 0);
  Machine().Clock().SleepMs(2000);
  EXPECT_THAT(Notes(), ElementsAre(kMsmDisconnected, kAcmDisconnected, kComplete));
  EXPECT_EQ(Current().first, kErrorInvalidState);

  ProfileText legacy{.ssid = "Legacy-WPA",
                     .authentication = "WPAPSK",
                     .encryption = "TKIP",
                     .keyType = "passPhrase",
                     .key = "tkip only please"};
  ASSERT_EQ(ConnectAndSettle(legacy), 0);
  connection = Current().second;
  EXPECT_EQ(connection.security.authAlgorithm, 4u);  // WPA-PSK
  EXPECT_EQ(connection.security.cipherAlgorithm, 2u);
  // The right key in a version or cipher the network does not offer.
  legacy.authentication = "WPA2PSK";
  EXPECT_EQ(ConnectAndSettle(legacy), kErrorInvalidState);
  legacy.authentication = "WPAPSK";
  legacy.encryption = "AES";
  EXPECT_EQ(ConnectAndSettle(legacy), kErrorInvalidState);
  // A network offering both versions takes either.
  ProfileText mixed{.ssid = "MixedMode",
                    .authentication = "WPAPSK",
                    .encryption = "TKIP",
                    .keyType = "passPhrase",
                    .key = "mixedmodepass"};
  ASSERT_EQ(ConnectAndSettle(mixed), 0);
  EXPECT_EQ(Current().second.security.authAlgorithm, 4u);
  mixed.authentication = "WPA2PSK";
  mixed.encryption = "AES";
  ASSERT_EQ(ConnectAndSettle(mixed), 0);
  EXPECT_EQ(Current().second.security.authAlgorithm, 7u);
  // An open profile does not fit a WPA network, nor a WPA profile an open one.
  EXPECT_EQ(ConnectAndSettle({.ssid = "HomeNet"}), kErrorInvalidState);
  EXPECT_EQ(ConnectAndSettle({.ssid = "CoffeeShop",
                              .authentication = "WPA2PSK",
                              .encryption = "AES",
                              .keyType = "passPhrase",
                              .key = "correct horse battery"}),
            kErrorInvalidState);
}

TEST_F(WlanServiceTest, PeapSignsOnWithTheUsersLogon) {
  Start();
  const ProfileText office{
      .ssid = "Office-Corp", .authentication = "WPA2", .encryption = "AES", .oneX = OneX(25)};
  Service().Log().Clear();
  ASSERT_EQ(Connect(office), 0);
  // Associated first; connected once the 802.1X exchange has keyed the link.
  Machine().Clock().SleepMs(600);
  EXPECT_THAT(Notes(), ElementsAre(kAssociated));
  Machine().Clock().SleepMs(400);
  EXPECT_THAT(Notes(), ElementsAre(kAssociated, kConnected, kComplete));
  const auto connection = Current().second;
  EXPECT_EQ(connection.state, kWlanInterfaceConnected);
  EXPECT_TRUE(connection.security.oneXEnabled);
  EXPECT_EQ(connection.security.authAlgorithm, 6u);  // RSNA
  EXPECT_EQ(connection.security.cipherAlgorithm, 4u);
  // The stronger of the two access points of that name.
  EXPECT_EQ(Association()->frequencyMHz, 5745u);

  // TKIP is not offered; WPA (version 1) neither.
  ProfileText tkip = office;
  tkip.encryption = "TKIP";
  EXPECT_EQ(ConnectAndSettle(tkip), kErrorInvalidState);
  ProfileText wpa = office;
  wpa.authentication = "WPA";
  EXPECT_EQ(ConnectAndSettle(wpa), kErrorInvalidState);
}

TEST_F(WlanServiceTest, PeapWithoutAnAcceptedLogonFails) {
  const ProfileText office{
      .ssid = "Office-Corp", .authentication = "WPA2", .encryption = "AES", .oneX = OneX(25)};
  auto description = testing_support::VistaDescription();
  description["logonCredentials"]["password"] = "Summer2008!";
  Start(description);
  EXPECT_EQ(ConnectAndSettle(office), kErrorInvalidState);
  // The right password in another domain is another account.
  description["logonCredentials"]["password"] = "Winter2008!";
  description["logonCredentials"]["domain"] = "ELSEWHERE";
  Start(description);
  EXPECT_EQ(ConnectAndSettle(office), kErrorInvalidState);
  description.erase("logonCredentials");
  Start(description);
  EXPECT_EQ(ConnectAndSettle(office), kErrorInvalidState);
  // A TLS profile whose blob names no root trusts no server.
  EXPECT_EQ(ConnectAndSettle({.ssid = "Office-Corp",
                              .authentication = "WPA2",
                              .encryption = "AES",
                              .oneX = OneX(13,
                                           "020000002A000000050000001400000000000100"
                                           "0000")}),
            kErrorInvalidState);
}

TEST_F(WlanServiceTest, TlsTrustsTheRootOfTheBlob) {
  Start();
  ASSERT_FALSE(
      sim::WriteCertificateFiles(Machine().directory(), sim::PresetCertificateFiles("vista")));
  // The blob as the library writes it: a header, the root's SHA-1 hash, a trailer.
  auto blobOf = [&](const std::string& rootName) {
    for (const auto& root : Machine().Certificates().SystemStore("Root")) {
      if (root.subjectName == rootName) {
        return "020000002A0000000500000014000000" +
               HexText(std::vector<uint8_t>(root.sha1Hash.begin(), root.sha1Hash.end())) +
               "000001000000";
      }
    }
    ADD_FAILURE() << "no root " << rootName;
    return std::string();
  };
  ProfileText office{.ssid = "Office-Corp",
                     .authentication = "WPA2",
                     .encryption = "AES",
                     .oneX = OneX(13, blobOf("Halvorn Root CA"))};
  ASSERT_EQ(ConnectAndSettle(office), 0);
  EXPECT_TRUE(Current().second.security.oneXEnabled);
  // bob's chain does not end at another root.
  office.oneX = OneX(13, blobOf("Elsewhere Root CA"));
  EXPECT_EQ(ConnectAndSettle(office), kErrorInvalidState);
}

TEST_F(WlanServiceTest, AdHocJoinsOrStartsAnIbss) {
  Start();
  ASSERT_EQ(ConnectAndSettle({.ssid = "LanParty", .adhoc = true}), 0);
  auto connection = Current().second;
  EXPECT_EQ(connection.association.bssType, kDot11BssIndependent);
  EXPECT_FALSE(Association()->ownIbss);
  ASSERT_EQ(ConnectAndSettle(
                {.ssid = "GameNight", .encryption = "WEP", .key = "0badc0ffee", .adhoc = true}),
            0);
  EXPECT_TRUE(Association()->framesPass);
  // A name no one uses: the station starts its own.
  ASSERT_EQ(ConnectAndSettle({.ssid = "MyOwnParty", .adhoc = true}), 0);
  EXPECT_TRUE(Association()->ownIbss);
  // The kind of network asked for must be the profile's.
  WlanConnectionParameters parameters;
  parameters.profile = Utf16(Xml({.ssid = "LanParty", .adhoc = true}));
  parameters.bssType = kDot11BssInfrastructure;
  EXPECT_EQ(Service().WlanConnect(handle_, Interface(), parameters), kErrorInvalidParameter);
  // An infrastructure profile for an ad hoc network's name finds no access point.
  EXPECT_EQ(ConnectAndSettle({.ssid = "LanParty"}), kErrorInvalidState);
}

TEST_F(WlanServiceTest, AHiddenNetworkIsFoundOnlyByProbingForIt) {
  Start();
  ProfileText backroom{.ssid = "Backroom",
                       .authentication = "WPA2PSK",
                       .encryption = "AES",
                       .keyType = "passPhrase",
                       .key = "nobody sees me",
                       .nonBroadcast = false};
  EXPECT_EQ(ConnectAndSettle(backroom), kErrorInvalidState);
  backroom.nonBroadcast = true;
  ASSERT_EQ(ConnectAndSettle(backroom), 0);
  EXPECT_EQ(Current().second.profileName, "Backroom");
}

TEST_F(WlanServiceTest, AConnectReplacesTheLinkAndAFailedOneLeavesNone) {
  Start();
  ASSERT_EQ(ConnectAndSettle({.ssid = "CoffeeShop"}), 0);
  Service().Log().Clear();
  // Far-Away is heard too weakly to join.
  ASSERT_EQ(Connect({.ssid = "Far-Away"}), 0);
  Machine().Clock().SleepMs(2000);
  EXPECT_THAT(Notes(), ElementsAre(kMsmDisconnected, kAcmDisconnected, kComplete));
  EXPECT_EQ(Current().first, kErrorInvalidState);
  // The name asked for must be the profile's.
  WlanConnectionParameters parameters;
  parameters.profile = Utf16(Xml({.ssid = "CoffeeShop"}));
  parameters.ssid = {'P', 'r', 'i', 'n', 't', 'e', 'r', 's'};
  EXPECT_EQ(Service().WlanConnect(handle_, Interface(), parameters), kErrorInvalidParameter);
  parameters.ssid = {'C', 'o', 'f', 'f', 'e', 'e', 'S', 'h', 'o', 'p'};
  EXPECT_EQ(Service().WlanConnect(handle_, Interface(), parameters), 0);
}

TEST_F(WlanServiceTest, StoredProfilesAreKeptWholeAndOwnerOnly) {
  Start();
  const std::string home = Xml({.ssid = "HomeNet",
                                .authentication = "WPA2PSK",
                                .encryption = "AES",
                                .keyType = "passPhrase",
                                .key = "correct horse battery",
                                .name = "Home"});
  uint32_t reason = 99;
  ASSERT_EQ(SetProfile(home, false, &reason), 0);
  EXPECT_EQ(reason, 0u);
  EXPECT_EQ(GetProfile("Home"), Utf16(home));
  EXPECT_EQ(Service().OutstandingMemory(), 0u);
  struct stat info {};
  ASSERT_EQ(::stat((Machine().directory() / sim::kWlanProfilesFile).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // A name already stored is replaced only when asked to.
  std::string changed = home;
  changed.replace(changed.find("correct horse battery"), 21, "another passphrase");
  EXPECT_EQ(SetProfile(changed, false, &reason), kErrorAlreadyExists);
  EXPECT_EQ(GetProfile("Home"), Utf16(home));
  ASSERT_EQ(SetProfile(changed, true, &reason), 0);
  EXPECT_EQ(GetProfile("Home"), Utf16(changed));

  // An unreadable profile is not stored, and the reason says why.
  EXPECT_EQ(SetProfile("<WLANProfile/>", true, &reason), kErrorBadProfile);
  EXPECT_EQ(reason, sim::kReasonInvalidProfileSchema);
  std::string adhocAuto = Xml({.ssid = "LanParty", .adhoc = true});
  adhocAuto.replace(adhocAuto.find("manual"), 6, "auto");
  EXPECT_EQ(SetProfile(adhocAuto, true, &reason), kErrorBadProfile);
  EXPECT_EQ(reason, sim::kReasonInvalidAdhocConnectionMode);
  EXPECT_FALSE(GetProfile("LanParty"));
  EXPECT_EQ(Service().WlanSetProfile(handle_, Interface(), 2, Utf16(home), true, &reason),
            kErrorInvalidParameter);
  // Another process on the machine sees the same store.
  sim::WlanProfileStore other(Machine().directory() / sim::kWlanProfilesFile);
  EXPECT_TRUE(other.Find("Home"));
  EXPECT_FALSE(other.Find("home"));
}

TEST_F(WlanServiceTest, ConnectsWithAStoredProfileByName) {
  Start();
  WlanConnectionParameters parameters;
  parameters.connectionMode = kWlanConnectionModeProfile;
  parameters.profile = u"Home";
  EXPECT_EQ(Service().WlanConnect(handle_, Interface(), parameters), kErrorNotFound);
  uint32_t reason = 0;
  ASSERT_EQ(SetProfile(Xml({.ssid = "HomeNet",
                            .authentication = "WPA2PSK",
                            .encryption = "AES",
                            .keyType = "passPhrase",
                            .key = "correct horse battery",
                            .name = "Home"}),
                       false, &reason),
            0);
  Service().Log().Clear();
  ASSERT_EQ(Service().WlanConnect(handle_, Interface(), parameters), 0);
  Machine().Clock().SleepMs(2000);
  EXPECT_THAT(Notes(), ElementsAre(kAssociated, kConnected, kComplete));
  const auto [result, connection] = Current();
  ASSERT_EQ(result, 0);
  EXPECT_EQ(connection.connectionMode, kWlanConnectionModeProfile);
  EXPECT_EQ(connection.profileName, "Home");
  EXPECT_EQ(connection.security.authAlgorithm, 7u);
  // Discovery modes take no profile of this service.
  parameters.connectionMode = 2;
  EXPECT_EQ(Service().WlanConnect(handle_, Interface(), parameters), kErrorInvalidParameter);
}

}  // namespace
