// VTR_ConnectToAP as the driver sees it: the requests in their order, with their bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "platform/ndis_802_11.h"
#include "platform/services.h"
#include "sim/adapter_control.h"
#include "sim/miniport_log.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kWpsMode = 0x0D710143;
constexpr uint32_t kPreamble = 0x0D710101;
constexpr uint32_t kWirelessMode = 0x0D71010C;
constexpr uint32_t kAdhocRates = 0x0D710127;
constexpr uint32_t kHtSettings = 0x0D71013B;
constexpr uint32_t kOptions = 0x0D710137;
constexpr uint32_t kNoWait = 2;

uint32_t U32(const Bytes& bytes, size_t at = 0) {
  uint32_t value = 0;
  if (bytes.size() >= at + 4) std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

struct Step {
  bool set;
  uint32_t oid;
  bool operator==(const Step&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Step& step) {
  return out << (step.set ? "set " : "query ") << std::hex << "0x" << step.oid;
}

class ConnectTest : public testing_support::MachineTest {
 protected:
  void SetUp() override {
    UseXpMachine();
    ASSERT_EQ(VTR_Initialize(0), 3);
    sim::CurrentMiniportLog().Clear();
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

  static std::vector<sim::MiniportRequest> Requests() {
    return sim::CurrentMiniportLog().Requests();
  }
  static std::vector<Step> Steps() {
    std::vector<Step> steps;
    for (const auto& request : Requests()) steps.push_back({request.set, request.oid});
    return steps;
  }
  static std::vector<sim::MiniportRequest> SetsOf(uint32_t oid) {
    std::vector<sim::MiniportRequest> found;
    for (const auto& request : Requests()) {
      if (request.set && request.oid == oid) found.push_back(request);
    }
    return found;
  }
  // The one set of oid; fails the test when there is not exactly one.
  static Bytes OnlySet(uint32_t oid) {
    const auto sets = SetsOf(oid);
    EXPECT_EQ(sets.size(), 1u) << std::hex << "sets of 0x" << oid;
    return sets.empty() ? Bytes{} : sets.front().in;
  }

  // Gives the driver a value, as another program would, outside the request log.
  static void DriverHolds(uint32_t oid, Bytes value) {
    auto& devices = platform::Current().Devices();
    platform::DeviceHandle handle = 0;
    ASSERT_EQ(devices.OpenDevice("\\\\.\\{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}", handle), 0);
    uint32_t code = oid | platform::kOidSetBit;
    uint32_t returned = 0;
    ASSERT_TRUE(devices.DeviceIoControl(handle, platform::kIoctlNdisQueryGlobalStats, &code, 4,
                                        value.data(), static_cast<uint32_t>(value.size()),
                                        &returned));
    devices.CloseHandle(handle);
    sim::CurrentMiniportLog().Clear();
  }
};

TEST_F(ConnectTest, OpenInfrastructureProfileProgramsTheDriverInOrderAndGivesTheSsidLast) {
  ProfileRecord profile = Profile("CoffeeShop");
  const uint64_t before = platform::Current().Clock().NowMs();
  // No such wait: with flags 2 the call returns once the SSID was given.
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_EQ(platform::Current().Clock().NowMs(), before);
  using namespace platform;
  const std::vector<Step> expected = {
      {false, kOidGenMediaConnectStatus},
      {true, kWpsMode},
      {true, kOid802_11ReloadDefaults},
      {true, kOid802_11InfrastructureMode},
      {true, kWirelessMode},
      {false, kOptions},
      {true, kOptions},
      {true, kOid802_11AuthenticationMode},
      {true, kOid802_11EncryptionStatus},
      {true, kOid802_11Ssid},
  };
  EXPECT_EQ(Steps(), expected);
  EXPECT_EQ(U32(OnlySet(kWpsMode)), 0u);
  EXPECT_EQ(U32(OnlySet(kOid802_11ReloadDefaults)), 0u);
  EXPECT_EQ(U32(OnlySet(kOid802_11InfrastructureMode)), 1u);
  EXPECT_EQ(U32(OnlySet(kWirelessMode)), 0u);  // 802.11g without 802.11n: b and g
  EXPECT_EQ(U32(OnlySet(kOid802_11AuthenticationMode)), 0u);
  EXPECT_EQ(U32(OnlySet(kOid802_11EncryptionStatus)), 1u);  // disabled
  const Bytes ssid = OnlySet(kOid802_11Ssid);
  ASSERT_EQ(ssid.size(), 36u);
  EXPECT_EQ(U32(ssid), 10u);
  EXPECT_EQ(std::string(ssid.begin() + 4, ssid.begin() + 14), "CoffeeShop");
  EXPECT_TRUE(std::all_of(ssid.begin() + 14, ssid.end(), [](uint8_t b) { return b == 0; }));

  // A name no network carries is given all the same.
  sim::CurrentMiniportLog().Clear();
  profile = Profile("Nobody-Here");
  EXPECT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
}

TEST_F(ConnectTest, AdhocChannelSixWithAdvancedSettings) {
  ProfileRecord profile = Profile("LanParty");
  profile.networkType = 0;
  profile.adhocChannel = 6;
  profile.keepDriverSettings = 0;
  profile.powerMode = 2;
  profile.preamble = 1;
  profile.rtsThreshold = 500;
  profile.fragmentThreshold = 1000;
  DriverHolds(platform::kOid802_11Configuration, [] {
    platform::Ndis80211Configuration configuration{};
    configuration.length = sizeof(configuration);
    configuration.beaconPeriod = 200;
    configuration.dsConfig = 2412000;
    Bytes bytes(sizeof(configuration));
    std::memcpy(bytes.data(), &configuration, sizeof(configuration));
    return bytes;
  }());
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));

  EXPECT_EQ(U32(OnlySet(platform::kOid802_11InfrastructureMode)), 0u);
  const Bytes configuration = OnlySet(platform::kOid802_11Configuration);
  EXPECT_EQ(U32(configuration, 12), 2437000u);
  EXPECT_EQ(U32(configuration, 4), 200u);  // the rest as the driver had it
  // An ad hoc network never sleeps, and that is written back into the caller's record; the
  // preamble is kept for ad hoc (driver numbering 2 - preamble).
  EXPECT_EQ(profile.powerMode, 0u);
  EXPECT_EQ(U32(OnlySet(platform::kOid802_11PowerMode)), 0u);
  EXPECT_EQ(profile.preamble, 1u);
  EXPECT_EQ(U32(OnlySet(kPreamble)), 1u);
  EXPECT_EQ(U32(OnlySet(platform::kOid802_11RtsThreshold)), 500u);
  EXPECT_EQ(U32(OnlySet(platform::kOid802_11FragmentationThreshold)), 1000u);
  EXPECT_EQ(OnlySet(platform::kOid802_11DesiredRates), (Bytes{108, 96, 72, 48, 22, 11, 4, 2}));
  const Bytes rates = OnlySet(kAdhocRates);
  EXPECT_EQ(rates, (Bytes{8, 0x82, 0x84, 0x8B, 0x96, 0x12, 0x24, 0x48, 0x6C, 0, 0, 0, 0,
                          4, 0x8C, 0x98, 0xB0, 0x60, 0,    0,    0,    0,    0, 0, 0, 0}));
  // The advanced settings come after the wireless mode and before the option setting.
  const auto steps = Steps();
  const auto at = [&](Step step) { return std::find(steps.begin(), steps.end(), step); };
  EXPECT_LT(at({true, platform::kOid802_11Configuration}), at({true, kWirelessMode}));
  EXPECT_LT(at({true, kWirelessMode}), at({true, platform::kOid802_11PowerMode}));
  EXPECT_LT(at({true, kAdhocRates}), at({false, kOptions}));

  // Infrastructure: the preamble follows the access point, also in the caller's record.
  sim::CurrentMiniportLog().Clear();
  profile = Profile("OldRouter");
  profile.keepDriverSettings = 0;
  profile.preamble = 2;
  profile.powerMode = 1;
  profile.phyMode = 2;
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_EQ(profile.preamble, 0u);
  EXPECT_EQ(profile.powerMode, 1u);
  EXPECT_EQ(U32(OnlySet(kPreamble)), 2u);
  EXPECT_EQ(U32(OnlySet(platform::kOid802_11PowerMode)), 1u);
  EXPECT_EQ(OnlySet(platform::kOid802_11DesiredRates), (Bytes{22, 11, 4, 2, 0, 0, 0, 0}));
  EXPECT_EQ(OnlySet(kAdhocRates), (Bytes{4, 0x82, 0x84, 0x8B, 0x96, 0, 0, 0, 0, 0, 0, 0, 0,
                                         0, 0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ConnectTest, AutomaticOrUnknownAdhocChannelsLeaveTheDriversChannel) {
  for (uint32_t channel : {0u, 255u, 47u, 0x80000006u}) {
    sim::CurrentMiniportLog().Clear();
    ProfileRecord profile = Profile("LanParty");
    profile.networkType = 0;
    profile.adhocChannel = channel;
    ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
    for (const auto& request : Requests()) {
      EXPECT_NE(request.oid, platform::kOid802_11Configuration) << "channel " << channel;
    }
  }
  // The channel is an ad hoc setting only.
  sim::CurrentMiniportLog().Clear();
  ProfileRecord profile = Profile("CoffeeShop");
  profile.adhocChannel = 6;
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_TRUE(SetsOf(platform::kOid802_11Configuration).empty());
}

TEST_F(ConnectTest, WirelessModeFollowsTheBandAndEightOTwoElevenN) {
  const struct {
    uint32_t phyMode;
    uint8_t htEnabled;
    uint32_t mode;
  } cases[] = {{2, 0, 1}, {2, 1, 1}, {4, 0, 0}, {4, 1, 9}, {6, 0, 2},
               {6, 1, 5}, {8, 0, 9}, {8, 1, 9}, {7, 0, 9}, {0, 1, 9}};
  for (const auto& c : cases) {
    sim::CurrentMiniportLog().Clear();
    ProfileRecord profile = Profile("CoffeeShop");
    profile.phyMode = c.phyMode;
    profile.htEnabled = c.htEnabled;
    ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
    EXPECT_EQ(U32(OnlySet(kWirelessMode)), c.mode) << c.phyMode << "/" << int(c.htEnabled);
    // The 802.11n record is written only for an 802.11n profile, with the same mode.
    const auto ht = SetsOf(kHtSettings);
    ASSERT_EQ(ht.size(), c.htEnabled ? 1u : 0u);
    if (c.htEnabled) {
      EXPECT_EQ(U32(ht.front().in), c.mode);
    }
  }
}

TEST_F(ConnectTest, EightOTwoElevenNRecordKeepsTheDriversBytes) {
  DriverHolds(kHtSettings, {0, 0, 0, 0, 7, 7, 0xAA, 7, 7, 7, 7, 0xBB});
  const struct {
    int32_t width;
    int32_t guard;
    uint8_t wide;
    uint8_t longGuard;
  } cases[] = {{-1, -1, 1, 1}, {0, 1, 0, 0}, {1, 0, 1, 1}, {0, -1, 0, 1}};
  for (const auto& c : cases) {
    sim::CurrentMiniportLog().Clear();
    ProfileRecord profile = Profile("HomeNet");
    profile.htEnabled = 1;
    profile.htChannelWidth = c.width;
    profile.htGuardInterval = c.guard;
    ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
    const Bytes record = OnlySet(kHtSettings);
    EXPECT_EQ(record, (Bytes{9, 0, 0, 0, 2, 0, 0xAA, 33, c.wide, 1, c.longGuard, 0xBB}))
        << c.width << "/" << c.guard;
    // Read before it is written.
    const auto steps = Steps();
    EXPECT_LT(std::find(steps.begin(), steps.end(), Step{false, kHtSettings}),
              std::find(steps.begin(), steps.end(), Step{true, kHtSettings}));
  }
}

TEST_F(ConnectTest, DesiredRatesFromTheTransmitRate) {
  const struct {
    uint8_t htNetwork;
    uint8_t htEnabled;
    uint32_t phyMode;
    uint32_t txRate;
    Bytes rates;
    bool adhocRecord;
  } cases[] = {
      {1, 1, 2, 22, {108, 96, 72, 48, 22, 11, 4, 2}, false},  // 802.11n: every rate, no more
      {0, 1, 2, 0, {22, 11, 4, 2, 0, 0, 0, 0}, true},
      {1, 0, 4, 255, {108, 96, 72, 48, 22, 11, 4, 2}, true},
      {1, 0, 4, 22, {22, 0, 0, 0, 0, 0, 0, 0}, true},
      {1, 0, 2, 0x1234, {0x34, 0, 0, 0, 0, 0, 0, 0}, true},  // the low byte only
  };
  for (const auto& c : cases) {
    sim::CurrentMiniportLog().Clear();
    ProfileRecord profile = Profile("CoffeeShop");
    profile.keepDriverSettings = 0;
    profile.htNetwork = c.htNetwork;
    profile.htEnabled = c.htEnabled;
    profile.phyMode = c.phyMode;
    profile.txRate = c.txRate;
    ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
    EXPECT_EQ(OnlySet(platform::kOid802_11DesiredRates), c.rates) << c.txRate;
    EXPECT_EQ(SetsOf(kAdhocRates).size(), c.adhocRecord ? 1u : 0u) << c.txRate;
  }
  // Kept driver settings send none of them.
  sim::CurrentMiniportLog().Clear();
  ProfileRecord profile = Profile("CoffeeShop");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  for (uint32_t oid : {platform::kOid802_11PowerMode, kPreamble, platform::kOid802_11RtsThreshold,
                       platform::kOid802_11FragmentationThreshold, platform::kOid802_11DesiredRates,
                       kAdhocRates}) {
    EXPECT_TRUE(SetsOf(oid).empty()) << std::hex << oid;
  }
}

TEST_F(ConnectTest, VendorOptionByteTwoAndTheRestAsRead) {
  DriverHolds(kOptions, {1, 2, 3, 4, 5, 6, 7, 8});
  ProfileRecord profile = Profile("CoffeeShop");
  profile.vendorOptionFlag = 0;
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_EQ(OnlySet(kOptions), (Bytes{1, 2, 2, 4, 5, 6, 7, 8}));
  sim::CurrentMiniportLog().Clear();
  profile.vendorOptionFlag = 9;
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_EQ(OnlySet(kOptions), (Bytes{1, 2, 1, 4, 5, 6, 7, 8}));
}

TEST_F(ConnectTest, WepInstallsTheTransmitKeyAndRemovesTheOthers) {
  ProfileRecord profile = Profile("OldRouter");
  profile.authMode = 1;
  profile.encryption = 1;
  profile.wepKeyIndex = 2;
  profile.wepKeyLength[2] = 13;
  std::strcpy(profile.wepKey[2], "0102030405060708090a0B0c0D");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_EQ(U32(OnlySet(platform::kOid802_11AuthenticationMode)), 1u);
  EXPECT_EQ(U32(OnlySet(platform::kOid802_11EncryptionStatus)), 0u);  // WEP enabled
  const Bytes key = OnlySet(platform::kOid802_11AddKey);
  ASSERT_EQ(key.size(), 65u);
  EXPECT_EQ(U32(key, 0), 65u);
  EXPECT_EQ(U32(key, 4), 0x80000002u);
  EXPECT_EQ(U32(key, 8), 13u);
  EXPECT_EQ(Bytes(key.begin() + 12, key.begin() + 18), Bytes(6, 0xFF));
  EXPECT_EQ(Bytes(key.begin() + 18, key.begin() + 32), Bytes(14, 0));
  EXPECT_EQ(Bytes(key.begin() + 32, key.begin() + 45),
            (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
  EXPECT_EQ(Bytes(key.begin() + 45, key.end()), Bytes(20, 0));
  const auto removes = SetsOf(platform::kOid802_11RemoveKey);
  ASSERT_EQ(removes.size(), 3u);
  const uint32_t removed[] = {0, 1, 3};
  for (size_t i = 0; i < 3; ++i) {
    ASSERT_EQ(removes[i].in.size(), 16u);
    EXPECT_EQ(U32(removes[i].in, 0), 16u);
    EXPECT_EQ(U32(removes[i].in, 4), removed[i]);
    EXPECT_EQ(Bytes(removes[i].in.begin() + 8, removes[i].in.begin() + 14), Bytes(6, 0xFF));
  }
  // The key is in place before the SSID starts the association.
  const auto steps = Steps();
  EXPECT_LT(std::find(steps.begin(), steps.end(), Step{true, platform::kOid802_11RemoveKey}),
            std::find(steps.begin(), steps.end(), Step{true, platform::kOid802_11Ssid}));
}

TEST_F(ConnectTest, WepKeysTypedByHandAndMissingKeys) {
  // Characters typed as they are.
  ProfileRecord profile = Profile("OldRouter");
  profile.encryption = 1;
  profile.wepKeyManual = 1;
  profile.wepKeyAscii = 1;
  profile.wepKeyLength[0] = 5;
  std::strcpy(profile.wepKey[0], "ab1Z!");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  Bytes key = OnlySet(platform::kOid802_11AddKey);
  ASSERT_EQ(key.size(), 49u);
  EXPECT_EQ(U32(key, 4), 0x80000000u);
  EXPECT_EQ(Bytes(key.begin() + 32, key.begin() + 37), (Bytes{'a', 'b', '1', 'Z', '!'}));

  // Hexadecimal digits typed by hand are read as digits.
  sim::CurrentMiniportLog().Clear();
  profile.wepKeyAscii = 0;
  std::strcpy(profile.wepKey[0], "1a2b3c4d5e");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  key = OnlySet(platform::kOid802_11AddKey);
  EXPECT_EQ(Bytes(key.begin() + 32, key.begin() + 37), (Bytes{0x1A, 0x2B, 0x3C, 0x4D, 0x5E}));

  // No key in the slot: nothing installed, the other three still removed.
  sim::CurrentMiniportLog().Clear();
  profile.wepKeyLength[0] = 0;
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_TRUE(SetsOf(platform::kOid802_11AddKey).empty());
  EXPECT_EQ(SetsOf(platform::kOid802_11RemoveKey).size(), 3u);

  // Keys belong to WEP only.
  sim::CurrentMiniportLog().Clear();
  profile.wepKeyLength[0] = 5;
  profile.encryption = 0;
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_TRUE(SetsOf(platform::kOid802_11AddKey).empty());
  EXPECT_TRUE(SetsOf(platform::kOid802_11RemoveKey).empty());
}

// Without a supplicant library nothing installs a pre-shared key or runs 802.1X: the driver
// gets the SSID and no security at all, as a build without the supplicant does.
TEST_F(ConnectTest, WpaProfilesSendNoSecurityWithoutTheSupplicant) {
  for (uint32_t auth : {4u, 8u, 16u, 32u}) {
    for (uint32_t eap : {0u, 1u, 2u}) {
      sim::CurrentMiniportLog().Clear();
      ProfileRecord profile = Profile("HomeNet");
      profile.authMode = auth;
      profile.encryption = 4;
      profile.eapMethod = eap;
      profile.wepKeyLength[0] = 5;  // left over from an earlier WEP setting
      std::strcpy(profile.psk, "correct horse battery");
      profile.pskLength = 21;
      ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
      for (uint32_t oid :
           {platform::kOid802_11AuthenticationMode, platform::kOid802_11EncryptionStatus,
            platform::kOid802_11AddKey, platform::kOid802_11RemoveKey}) {
        EXPECT_TRUE(SetsOf(oid).empty()) << auth << "/" << eap << std::hex << " 0x" << oid;
      }
      EXPECT_EQ(SetsOf(platform::kOid802_11Ssid).size(), 1u);
    }
  }
  // 802.1X needs an access point: an ad hoc profile with a WPA code goes no further than WEP.
  sim::CurrentMiniportLog().Clear();
  ProfileRecord profile = Profile("LanParty");
  profile.networkType = 0;
  profile.authMode = 16;
  profile.encryption = 1;
  profile.wepKeyLength[0] = 5;
  std::strcpy(profile.wepKey[0], "1a2b3c4d5e");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_EQ(SetsOf(platform::kOid802_11AddKey).size(), 1u);
}

// Every other request's failure is passed over; the SSID's ends the connect, before any wait.
TEST_F(ConnectTest, PulledAdapterFailsAtTheSsidWithoutWaiting) {
  ASSERT_FALSE(sim::CurrentAdapterControl().SetPresent(false).has_value());
  ProfileRecord profile = Profile("CoffeeShop");
  const uint64_t before = platform::Current().Clock().NowMs();
  EXPECT_FALSE(VTR_ConnectToAP(&profile, 0));
  EXPECT_EQ(platform::Current().Clock().NowMs(), before);
  EXPECT_TRUE(Requests().empty());  // a pulled adapter cannot even be opened
}

// A profile read from a damaged store or registry value holds any bytes. Key index, key
// lengths and the name are bounded before they size a request or a copy.
TEST_F(ConnectTest, DamagedProfilesAreBoundedBeforeTheyReachTheDriver) {
  ProfileRecord profile = Profile("OldRouter");
  profile.encryption = 1;
  profile.wepKeyIndex = 9;
  profile.wepKeyLength[1] = 5;
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_TRUE(SetsOf(platform::kOid802_11AddKey).empty());
  EXPECT_EQ(SetsOf(platform::kOid802_11RemoveKey).size(), 4u);

  sim::CurrentMiniportLog().Clear();
  profile.wepKeyIndex = 1;
  profile.wepKeyLength[1] = 0x7FFFFFFF;  // 2n + 39 would wrap
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_TRUE(SetsOf(platform::kOid802_11AddKey).empty());
  EXPECT_EQ(SetsOf(platform::kOid802_11RemoveKey).size(), 3u);

  // A key text shorter than its length is read up to its NUL, right-aligned.
  sim::CurrentMiniportLog().Clear();
  profile.wepKeyLength[1] = 5;
  std::strcpy(profile.wepKey[1], "abc");
  ASSERT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  const Bytes key = OnlySet(platform::kOid802_11AddKey);
  ASSERT_EQ(key.size(), 49u);
  EXPECT_EQ(Bytes(key.begin() + 32, key.begin() + 37), (Bytes{0, 0, 0, 0x0A, 0xBC}));

  // A name without its NUL, or longer than 32 bytes, is refused without a request.
  sim::CurrentMiniportLog().Clear();
  std::memset(profile.ssid, 'x', sizeof(profile.ssid));
  EXPECT_FALSE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_TRUE(SetsOf(platform::kOid802_11Ssid).empty());
  std::memset(profile.ssid, 0, sizeof(profile.ssid));
  std::memset(profile.ssid, 'y', 33);
  EXPECT_FALSE(VTR_ConnectToAP(&profile, kNoWait));
  std::memset(profile.ssid, 0, sizeof(profile.ssid));
  std::memset(profile.ssid, 'z', 32);
  sim::CurrentMiniportLog().Clear();
  EXPECT_TRUE(VTR_ConnectToAP(&profile, kNoWait));
  EXPECT_EQ(U32(OnlySet(platform::kOid802_11Ssid)), 32u);

  // Random records: whatever the bytes, every request stays within its record.
  std::mt19937 random(5);
  for (int round = 0; round < 200; ++round) {
    ProfileRecord junk;
    auto* bytes = reinterpret_cast<uint8_t*>(&junk);
    for (size_t i = 0; i < sizeof(junk); ++i) bytes[i] = static_cast<uint8_t>(random());
    junk.encryption = 1;
    junk.authMode = round % 3;
    if (round % 2 == 0) junk.wepKeyIndex &= 3;
    if (round % 4 == 0) junk.wepKeyLength[junk.wepKeyIndex & 3] &= 0x1F;
    sim::CurrentMiniportLog().Clear();
    VTR_ConnectToAP(&junk, kNoWait);
    for (const auto& request : SetsOf(platform::kOid802_11AddKey)) {
      const uint32_t length = U32(request.in, 8);
      EXPECT_LE(length, 16u);
      EXPECT_EQ(request.in.size(), 2 * length + 39);
      EXPECT_EQ(U32(request.in, 4) & 0xFF, junk.wepKeyIndex);
    }
    for (const auto& request : SetsOf(platform::kOid802_11Ssid)) EXPECT_LE(U32(request.in), 32u);
  }
}

}  // namespace
