// The simulated registrations: the statuses a registration passes on the machine clock, the
// walk time of a pressed button, overlapping push-button sessions, PINs right, wrong and late, a
// NACK, the credential tables made from a network's security, and the registration as adapter
// state that outlives a process.
#include <gtest/gtest.h>

#include <cstring>
#include <variant>

#include "platform/vendor_oids.h"
#include "platform/wps_driver_records.h"
#include "sim/adapter_control.h"
#include "sim/association.h"
#include "sim/machine.h"
#include "sim/wps_registrar.h"
#include "support/machine_fixture.h"
#include "tests/sim/miniport_support.h"

namespace {

using namespace platform;

// The xp machine's scan and association times, and the exchange up to "configured".
constexpr uint64_t kScanMs = 2500;
constexpr uint64_t kAssociationMs = 500;
constexpr uint64_t kExchangeMs = 3000;

std::array<uint8_t, 6> Mac(const char* text) {
  std::array<uint8_t, 6> bytes{};
  EXPECT_TRUE(sim::ParseBssid(text, bytes)) << text;
  return bytes;
}

const sim::NetworkDescription& Network(const sim::MachineDescription& machine, const char* ssid) {
  for (const auto& network : machine.neighbourhood) {
    if (std::string(network.ssid.begin(), network.ssid.end()) == ssid) return network;
  }
  throw std::runtime_error(std::string("no network ") + ssid);
}

std::vector<uint8_t> StartMessage(uint32_t method, const std::string& pin = "",
                                  const std::string& ssid = "") {
  WpsStartMessage message{};
  message.mode = method == 0 ? kWpsStartPushButton : kWpsStartPin;
  message.pinOwner = method == 2 ? kWpsPinOfAccessPoint : kWpsPinShownHere;
  std::memcpy(message.pin, pin.data(), std::min<size_t>(pin.size(), 8));
  message.ssidLength = static_cast<uint32_t>(ssid.size());
  std::memcpy(message.ssid, ssid.data(), ssid.size());
  std::vector<uint8_t> bytes(sizeof message);
  std::memcpy(bytes.data(), &message, sizeof message);
  return bytes;
}

class WpsRegistrarTest : public ::testing::Test {
 protected:
  explicit WpsRegistrarTest(nlohmann::json description = testing_support::XpDescription()) {
    machine_ = std::get<sim::MachineDescription>(sim::ParseMachineDescription(description.dump()));
    adapter_ = machine_.adapters[1];
    state_ = sim::InitialAdapterState(adapter_.radio);
  }

  void Begin(uint32_t method, uint64_t atMs, const std::string& pin = "",
             const std::string& ssid = "") {
    sim::BeginWpsRegistration(state_, StartMessage(method, pin, ssid).data(), atMs);
  }
  uint32_t StatusAt(uint64_t atMs) {
    sim::AdvanceWpsRegistration(adapter_, state_, machine_, atMs);
    return sim::WpsStatusOf(state_);
  }
  // The statuses seen polling every 100 ms from..to, each once as it first appears.
  std::vector<uint32_t> StatusesBetween(uint64_t fromMs, uint64_t toMs) {
    std::vector<uint32_t> seen;
    for (uint64_t t = fromMs; t <= toMs; t += 100) {
      const uint32_t status = StatusAt(t);
      if (seen.empty() || seen.back() != status) seen.push_back(status);
    }
    return seen;
  }

  sim::MachineDescription machine_;
  sim::AdapterDescription adapter_;
  sim::AdapterState state_;
};

TEST_F(WpsRegistrarTest, PushButtonPassesTheStatusesInOrderAndAssociates) {
  Begin(0, 1000);
  EXPECT_EQ(StatusAt(1000), kWpsScanAp);
  EXPECT_EQ(StatusAt(1000 + kScanMs - 1), kWpsScanAp);
  const uint64_t exchange = 1000 + kScanMs;
  const std::vector<uint32_t> expected = {
      kWpsStartAssoc,          kWpsLinkUp,         kWpsEapolStartSent, kWpsEapRspIdSent,
      kWpsEapReqStartReceived, kWpsEapM1Sent,      kWpsEapM2Received,  kWpsEapM3Sent,
      kWpsEapM4Received,       kWpsEapM5Sent,      kWpsEapM6Received,  kWpsEapM7Sent,
      kWpsEapM8Received,       kWpsEapRspDoneSent, kWpsEapConfigured};
  EXPECT_EQ(StatusesBetween(exchange, exchange + kExchangeMs + 1000), expected);
  EXPECT_EQ(StatusAt(exchange + kExchangeMs + 60'000), kWpsEapConfigured);
  EXPECT_EQ(sim::WpsChannelOf(state_), 11u);
  ASSERT_TRUE(state_.link.association.has_value());
  EXPECT_EQ(state_.link.association->bssid, Mac("00-1B-11-7C-20-9E"));
  EXPECT_TRUE(sim::LinkUp(state_, exchange + kExchangeMs));

  const auto table = sim::WpsCredentialTableOf(state_);
  ASSERT_EQ(table.size(), kWpsCredentialTableSize);
  WpsCredential credential{};
  std::memcpy(&credential, table.data() + kWpsCredentialTableHeader, sizeof credential);
  EXPECT_EQ(table[0], 1);
  EXPECT_STREQ(credential.ssid, "PressMe");
  EXPECT_EQ(credential.authType, kWpsAuthWpa2Psk);
  EXPECT_EQ(credential.encryptionType, kWpsEncryptionAes);
  EXPECT_EQ(std::string(credential.key, credential.keyLength), "button pressed 2008");

  // The mode word cleared ends it; the driver is idle again.
  sim::EndWpsRegistration(state_);
  state_.settings[kOidVendorWpsStart] = StartMessage(0);
  EXPECT_EQ(sim::WpsStatusOf(state_), kWpsIdle);
}

class WpsRegistrarQuietAirTest : public WpsRegistrarTest {
 protected:
  static nlohmann::json WithoutStandingPushButton() {
    auto description = testing_support::XpDescription();
    for (auto& network : description["neighbourhood"]) {
      if (network.value("ssid", "") == "PressMe") network["wps"]["selectedRegistrar"] = false;
    }
    return description;
  }
  WpsRegistrarQuietAirTest() : WpsRegistrarTest(WithoutStandingPushButton()) {}
};

TEST_F(WpsRegistrarQuietAirTest, PressOpensTwoMinutesOfPushButtonMode) {
  const auto& homeNet = Network(machine_, "HomeNet");
  EXPECT_FALSE(sim::WpsPushButtonActive(homeNet, state_, 0));
  sim::PressWpsButton(state_, homeNet.bssid, 10'000);
  EXPECT_TRUE(sim::WpsPushButtonActive(homeNet, state_, 10'000));
  EXPECT_TRUE(sim::WpsPushButtonActive(homeNet, state_, 10'000 + sim::kWpsWalkTimeMs - 1));
  EXPECT_FALSE(sim::WpsPushButtonActive(homeNet, state_, 10'000 + sim::kWpsWalkTimeMs));
  // A press stamped by a process whose clock is ahead counts from now.
  EXPECT_TRUE(sim::WpsPushButtonActive(homeNet, state_, 5'000));

  // Nobody in push-button mode: 258 for as long as it lasts, until a press.
  Begin(0, 200'000);
  EXPECT_EQ(StatusAt(200'000 + kScanMs), kWpsPbcNoAp);
  EXPECT_EQ(StatusAt(300'000), kWpsPbcNoAp);
  sim::PressWpsButton(state_, homeNet.bssid, 300'100);
  EXPECT_EQ(StatusAt(300'100), kWpsStartAssoc);
  EXPECT_EQ(StatusAt(300'100 + kExchangeMs), kWpsEapConfigured);
  // The registration used the press up.
  EXPECT_FALSE(sim::WpsPushButtonActive(homeNet, state_, 300'200));
}

TEST_F(WpsRegistrarTest, TwoAccessPointsInPushButtonModeOverlapUntilOneWalkTimeEnds) {
  // PressMe stands in push-button mode; HomeNet's button makes two.
  sim::PressWpsButton(state_, Network(machine_, "HomeNet").bssid, 0);
  Begin(0, 0);
  EXPECT_EQ(StatusAt(kScanMs), kWpsPbcTooManyAp);
  EXPECT_EQ(StatusAt(sim::kWpsWalkTimeMs - 1), kWpsPbcTooManyAp);
  EXPECT_EQ(StatusAt(sim::kWpsWalkTimeMs), kWpsStartAssoc);
}

TEST_F(WpsRegistrarTest, StationPinWaitsForTheRegistrarThenSucceeds) {
  const auto& pinPad = Network(machine_, "PinPad");
  Begin(1, 0, "12345670", "PinPad");
  EXPECT_EQ(StatusAt(kScanMs), kWpsStartAssoc);
  EXPECT_EQ(StatusAt(kScanMs + 60'000), kWpsEapM2dReceived);
  sim::EnterWpsPin(state_, pinPad.bssid, "12345670", 70'000);
  EXPECT_EQ(StatusAt(70'000), kWpsEapM1Sent);
  EXPECT_EQ(StatusAt(70'299), kWpsEapM1Sent);
  EXPECT_EQ(StatusAt(70'300), kWpsEapM2Received);
  EXPECT_EQ(StatusAt(70'000 + 1799), kWpsEapRspDoneSent);
  EXPECT_EQ(StatusAt(70'000 + 1800), kWpsEapConfigured);
  EXPECT_TRUE(state_.wps.pins.empty());  // the registrar's PIN is used up
}

TEST_F(WpsRegistrarTest, WrongPinsFailAfterThePasswordMismatch) {
  const std::vector<uint32_t> tail = {kWpsEapM2Received, kWpsEapM3Sent, kWpsEapM4Received,
                                      kWpsPasswordMismatch, kWpsEapFailed};
  // The access point's own PIN, mistyped.
  Begin(2, 0, "49226875", "PinPad");
  auto statuses = StatusesBetween(kScanMs, kScanMs + 5000);
  ASSERT_GE(statuses.size(), tail.size());
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), statuses.end() - tail.size()));
  EXPECT_TRUE(state_.wps.registration->finished);
  EXPECT_FALSE(state_.link.association.has_value());

  // A different PIN typed into the registrar than the station shows.
  sim::EnterWpsPin(state_, Network(machine_, "OldRouter").bssid, "11111111", 0);
  Begin(1, 0, "12345670", "OldRouter");
  statuses = StatusesBetween(kScanMs, kScanMs + 5000);
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), statuses.end() - tail.size()));
}

TEST_F(WpsRegistrarTest, AccessPointThatSendsANack) {
  for (auto& network : machine_.neighbourhood) {
    if (network.wps) network.wps->sendsNack = true;
  }
  Begin(0, 0);
  const auto statuses = StatusesBetween(0, 10'000);
  const std::vector<uint32_t> tail = {kWpsEapM1Sent, kWpsEapReqNackReceived, kWpsEapFailed};
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), statuses.end() - tail.size()));
}

TEST_F(WpsRegistrarTest, AccessPointNamedButNotThereOrWithoutWps) {
  Begin(2, 0, "12345670", "Nowhere");
  EXPECT_EQ(StatusAt(kScanMs), kWpsInvalidSsid);
  Begin(2, 0, "12345670", "Printers");  // in range, no WPS
  EXPECT_EQ(StatusAt(kScanMs), kWpsInvalidSsid);
  // Without a name the station's PIN goes to a registrar that holds one.
  sim::EnterWpsPin(state_, Network(machine_, "CoffeeShop").bssid, "12345670", 0);
  Begin(1, 0, "12345670");
  EXPECT_EQ(StatusAt(kScanMs + kExchangeMs), kWpsEapConfigured);
  EXPECT_EQ(state_.link.association->bssid, Network(machine_, "CoffeeShop").bssid);
}

TEST_F(WpsRegistrarTest, RadioOffRestartsTheScanAndBreaksAnExchange) {
  Begin(0, 0);
  state_.radioOn = false;
  EXPECT_EQ(StatusAt(60'000), kWpsScanAp);
  state_.radioOn = true;
  EXPECT_EQ(StatusAt(60'000 + kScanMs - 1), kWpsScanAp);
  EXPECT_EQ(StatusAt(60'000 + kScanMs), kWpsStartAssoc);
  state_.radioOn = false;
  EXPECT_EQ(StatusAt(60'000 + kScanMs + 100), kWpsEapFailed);
  state_.radioOn = true;
  EXPECT_EQ(StatusAt(200'000), kWpsEapFailed);
  EXPECT_FALSE(state_.link.association.has_value());
}

TEST_F(WpsRegistrarTest, CredentialTablesFollowTheNetworksSecurity) {
  struct Expected {
    uint32_t auth, encryption;
    std::string key;
    uint32_t keyIndex;
  };
  const struct {
    const char* ssid;
    std::vector<Expected> credentials;
  } cases[] = {
      {"CoffeeShop", {{kWpsAuthOpen, kWpsEncryptionNone, "", 0}}},
      {"OldRouter", {{kWpsAuthOpen, kWpsEncryptionWep, "1a2b3c4d5e", 0}}},
      {"Workshop", {{kWpsAuthShared, kWpsEncryptionWep, "2b7e151628aed2a6abf7158809", 0}}},
      {"MixedMode",
       {{kWpsAuthWpa2Psk, kWpsEncryptionAes, "mixedmodepass", 0},
        {kWpsAuthWpaPsk, kWpsEncryptionTkip, "mixedmodepass", 0}}},
      {"Legacy-WPA", {{kWpsAuthWpaPsk, kWpsEncryptionTkip, "tkip only please", 0}}},
      {"Enterprise-WPA", {{kWpsAuthWpa, kWpsEncryptionTkip, "", 0}}},
  };
  for (const auto& c : cases) {
    const auto& network = Network(machine_, c.ssid);
    const auto table = sim::WpsCredentialTable(network);
    ASSERT_EQ(table.size(), 996u);
    uint32_t count = 0;
    std::memcpy(&count, table.data(), 4);
    ASSERT_EQ(count, c.credentials.size()) << c.ssid;
    for (size_t i = 0; i < count; ++i) {
      WpsCredential credential{};
      std::memcpy(&credential, table.data() + 8 + i * 124, sizeof credential);
      EXPECT_EQ(std::string(credential.ssid, strnlen(credential.ssid, 32)), c.ssid);
      EXPECT_EQ(credential.authType, c.credentials[i].auth) << c.ssid;
      EXPECT_EQ(credential.encryptionType, c.credentials[i].encryption) << c.ssid;
      EXPECT_EQ(std::string(credential.key, credential.keyLength), c.credentials[i].key) << c.ssid;
      EXPECT_EQ(credential.keyIndex, c.credentials[i].keyIndex) << c.ssid;
      EXPECT_TRUE(std::equal(network.bssid.begin(), network.bssid.end(), credential.mac));
    }
  }
}

TEST_F(WpsRegistrarTest, RegistrationIsKeptInTheStateFileText) {
  sim::PressWpsButton(state_, Network(machine_, "HomeNet").bssid, 5);
  sim::EnterWpsPin(state_, Network(machine_, "PinPad").bssid, "12345670", 7);
  Begin(2, 100, "49226874", "PinPad");
  StatusAt(100 + kScanMs + kExchangeMs);
  ASSERT_TRUE(state_.wps.registration->finished);
  sim::AdapterState read;
  ASSERT_FALSE(sim::ParseAdapterState(sim::FormatAdapterState(state_), read).has_value());
  EXPECT_EQ(read.wps, state_.wps);
  EXPECT_EQ(read, state_);
  // A state without WPS keeps the text it had.
  EXPECT_EQ(sim::FormatAdapterState(sim::InitialAdapterState(adapter_.radio)).find("wps"),
            std::string::npos);
}

class WpsMiniportTest : public testing_support::MachineTest {};

TEST_F(WpsMiniportTest, StartMessageBeginsAndDisassociationEndsARegistration) {
  using miniport_support::Query;
  using miniport_support::Set;
  UseXpMachine();
  EXPECT_EQ(Query(kOidVendorWpsStatus, 4).U32(), kWpsNotUsed);
  ASSERT_TRUE(Set(kOidVendorWpsStart, StartMessage(0)).ok);
  EXPECT_EQ(Query(kOidVendorWpsStatus, 4).U32(), kWpsScanAp);
  platform::Current().Clock().SleepMs(kScanMs + kExchangeMs);
  EXPECT_EQ(Query(kOidVendorWpsStatus, 4).U32(), kWpsEapConfigured);
  EXPECT_EQ(Query(kOidVendorWpsChannel, 4).U32(), 11u);
  EXPECT_EQ(Query(kOidVendorWpsCredentials, 996).data[0], 1);
  EXPECT_EQ(Query(kOidVendorWpsCredentials, 995).error, kErrorInsufficientBuffer);
  ASSERT_TRUE(Set(kOidVendorWpsMode, miniport_support::Le32(0)).ok);
  EXPECT_EQ(Query(kOidVendorWpsStatus, 4).U32(), kWpsIdle);
  EXPECT_EQ(Query(kOidVendorWpsCredentials, 996).data, std::vector<uint8_t>(996, 0));

  // A registration another process started is seen here, and ends on disassociation.
  ASSERT_TRUE(Set(kOidVendorWpsStart, StartMessage(1, "12345670", "PinPad")).ok);
  platform::Current().Clock().SleepMs(kScanMs + 10'000);
  EXPECT_EQ(Query(kOidVendorWpsStatus, 4).U32(), kWpsEapM2dReceived);
  ASSERT_TRUE(Set(kOid802_11Disassociate, {}).ok);
  EXPECT_EQ(Query(kOidVendorWpsStatus, 4).U32(), kWpsIdle);
}

}  // namespace
