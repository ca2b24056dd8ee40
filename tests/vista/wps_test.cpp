// Wi-Fi Protected Setup in the Vista build, through its exports, against the simulated chipset
// driver in virtual time: the chipset's request codes on the adapter's device and on VTRNdisP,
// the 1000 ms waits, the callbacks and the profile, the push-button limits, the failures, and a
// stop's pause before its disconnect.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "lib/common/wps_pin.h"
#include "platform/native_wifi.h"
#include "platform/protocol_driver.h"
#include "sim/adapter_control.h"
#include "sim/miniport_log.h"
#include "sim/wps_registrar_control.h"
#include "support/wps_recorder.h"
#include "vista/vista_fixture.h"
#include "vtrlib.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testing_support::Recorder;
using testing_support::Request;

// The codes as the drivers log them: without the set bit.
constexpr uint32_t kStart = 0xFF0C002A;
constexpr uint32_t kCredentialBuffer = 0xFF0C0049;
constexpr uint32_t kFirstValue = 0xFF0C002B;
constexpr uint32_t kSecondValue = 0xFF0C002C;
constexpr uint32_t kStatus = 0xFF0C002D;
constexpr uint32_t kCredentialTable = 0xFF0C002E;

constexpr const char* kPressMe = "00-1B-11-7C-20-9E";
constexpr const char* kHomeNet = "00-14-6C-3A-51-02";
constexpr const char* kPinPad = "00-1D-7E-55-06-C3";
constexpr const char* kOldRouter = "00-09-5B-1E-44-A0";

uint32_t U32(const Bytes& bytes, size_t at = 0) {
  uint32_t value = 0;
  if (bytes.size() >= at + 4) std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

std::array<uint8_t, 6> Mac(const char* text) {
  std::array<uint8_t, 6> bytes{};
  EXPECT_TRUE(sim::ParseBssid(text, bytes)) << text;
  return bytes;
}

nlohmann::json& Network(nlohmann::json& description, const std::string& ssid) {
  for (auto& network : description["neighbourhood"]) {
    if (network.value("ssid", "") == ssid) return network;
  }
  ADD_FAILURE() << "no network " << ssid;
  return description;
}

// When the Native Wi-Fi service announced that the adapter left its network.
struct DisconnectWatch {
  static void Notify(const platform::WlanNotificationData* data, void* context) {
    if (data->notificationSource == platform::kWlanNotificationSourceAcm &&
        data->notificationCode == platform::kAcmDisconnected) {
      static_cast<DisconnectWatch*>(context)->atMs = platform::Current().Clock().NowMs();
    }
  }
  std::atomic<uint64_t> atMs{0};
};

class VistaWpsTest : public testing_support::VistaTest {
 protected:
  void TearDown() override {
    VTR_WPSUninitialize();
    VistaTest::TearDown();
  }

  void Start(const nlohmann::json& description = testing_support::VistaDescription()) {
    UseVista(description);
    ASSERT_GE(VTR_Initialize(0), 0);
    ASSERT_EQ(VTR_WPSInitialize(), 1);
    sim::CurrentMiniportLog().Clear();
    ProtocolLog().Clear();
    Service().Log().Clear();
  }

  sim::MiniportLog& ProtocolLog() { return Machine().devices().WirelessProtocolDriver()->Log(); }

  void Begin(const WpsRequest& request) {
    startMs_ = Machine().Clock().NowMs();
    ASSERT_EQ(
        VTR_WPSStartEngine(request, &Recorder::Callback, reinterpret_cast<uintptr_t>(&recorder_)),
        1);
  }

  // Runs the engine until one of the final callbacks.
  void RunToEnd(const WpsRequest& request) {
    Begin(request);
    ASSERT_TRUE(recorder_.WaitFor({6, 7, 9, 10})) << "the run never ended";
    VTR_WPSStopEngine();
  }

  uint64_t FinalAfterMs() { return recorder_.Calls().back().atMs - startMs_; }

  static ProfileRecord WpsProfile() {
    ProfileRecord profile;
    std::memset(&profile, 0xEE, sizeof profile);
    EXPECT_EQ(VTR_WPSGetProfile(&profile), 1);
    return profile;
  }

  static std::vector<sim::MiniportRequest> Find(const std::vector<sim::MiniportRequest>& log,
                                                uint32_t oid) {
    std::vector<sim::MiniportRequest> found;
    std::copy_if(log.begin(), log.end(), std::back_inserter(found),
                 [&](const auto& request) { return request.oid == oid; });
    return found;
  }

  Recorder recorder_;
  uint64_t startMs_ = 0;
};

TEST_F(VistaWpsTest, PushButtonWithTheChipsetCodesAndTheProfile) {
  Start();
  // The diagnostic log's folder is there, yet this build traces nothing.
  const auto trace = platform::Current().Files().HostPath("c:\\vtrlog\\log.txt");
  ASSERT_TRUE(trace.has_value());
  std::filesystem::create_directories(trace->parent_path());

  RunToEnd(Request(0));
  // Polled once a second from a second after the start message, the driver is seen scanning
  // twice; association and the EAPOL start pass between two polls, and the sixth finds the
  // registration done.
  EXPECT_THAT(recorder_.Codes(), testing::ElementsAre(1u, 1u, 6u));
  EXPECT_EQ(recorder_.Calls().front().atMs - startMs_, 1000u);
  EXPECT_EQ(FinalAfterMs(), 6000u);

  // The sets through the adapter's device: the chipset's codes with their bytes, and none of the
  // driver build's requests.
  const auto device = sim::CurrentMiniportLog().Requests();
  std::vector<uint32_t> sets;
  for (const auto& request : device) {
    if (request.set) sets.push_back(request.oid);
  }
  EXPECT_THAT(sets, testing::ElementsAre(kStart, kCredentialBuffer, kFirstValue, kSecondValue));
  Bytes start(56, 0);
  start[3] = 0x20;
  start[55] = 1;
  EXPECT_EQ(Find(device, kStart).at(0).in, start);
  EXPECT_EQ(Find(device, kCredentialBuffer).at(0).in, Bytes(996, 0));
  EXPECT_EQ(U32(Find(device, kFirstValue).at(0).in), 1u);
  EXPECT_EQ(U32(Find(device, kSecondValue).at(0).in), 1u);

  // The queries through VTRNdisP: the status once a second, then the credential table.
  const auto driver = ProtocolLog().Requests();
  ASSERT_GE(driver.size(), 2u);
  for (const auto& request : driver) EXPECT_FALSE(request.set);
  EXPECT_EQ(driver.back().oid, kCredentialTable);
  EXPECT_EQ(driver.back().out.size(), 996u);
  const auto polls = Find(driver, kStatus);
  EXPECT_EQ(polls.size(), driver.size() - 1);
  EXPECT_EQ(polls.size(), FinalAfterMs() / 1000);
  EXPECT_EQ(U32(polls.back().out), 15u);

  const ProfileRecord profile = WpsProfile();
  EXPECT_STREQ(profile.profileName, "PressMe");
  EXPECT_STREQ(profile.ssid, "PressMe");
  EXPECT_EQ(profile.authMode, 8u);
  EXPECT_EQ(profile.encryption, 4u);
  EXPECT_STREQ(profile.psk, "button pressed 2008");
  EXPECT_EQ(profile.pskLength, 19u);
  EXPECT_EQ(profile.surveyChannel, 0u);
  EXPECT_EQ(profile.htEnabled, 0);
  const auto mac = Mac(kPressMe);
  EXPECT_EQ(std::memcmp(profile.bssid, mac.data(), 6), 0);

  // The adapter stays on the network that handed out the credential.
  VtrLinkInfo link{};
  VTR_APLinkInformation(&link, 0);
  EXPECT_EQ(link.linkState, 1u);
  EXPECT_STREQ(link.ssid, "PressMe");
  EXPECT_FALSE(std::filesystem::exists(*trace));
}

TEST_F(VistaWpsTest, StationPinGivesAWepProfileInTheKeysSlot) {
  auto description = testing_support::VistaDescription();
  auto& router = Network(description, "OldRouter");
  router["wps"] = {{"state", "configured"}};
  router["credentials"] = {{"wepKeys", {"0123456789abcdef0123456789"}}, {"wepKeyIndex", 0}};
  Start(description);
  ASSERT_FALSE(sim::EnterWpsPin(Machine(), Mac(kOldRouter), "12345670").has_value());
  RunToEnd(Request(1, "12345670", "OldRouter", kOldRouter, 11));
  ASSERT_EQ(recorder_.Codes().back(), 6u);

  const auto start = Find(sim::CurrentMiniportLog().Requests(), kStart);
  ASSERT_EQ(start.size(), 1u);
  const Bytes& message = start[0].in;
  EXPECT_EQ(U32(message), 0x10000000u);
  EXPECT_EQ(std::string(message.begin() + 4, message.begin() + 12), "12345670");
  EXPECT_EQ(U32(message, 12), 9u);
  EXPECT_EQ(std::string(message.begin() + 16, message.begin() + 25), "OldRouter");
  const auto mac = Mac(kOldRouter);
  EXPECT_TRUE(std::equal(mac.begin(), mac.end(), message.begin() + 48));
  EXPECT_EQ(message[54], 11);
  EXPECT_EQ(message[55], 1);

  const ProfileRecord profile = WpsProfile();
  EXPECT_STREQ(profile.ssid, "OldRouter");
  EXPECT_EQ(profile.authMode, 0u);
  EXPECT_EQ(profile.encryption, 1u);
  EXPECT_EQ(profile.wepKeyIndex, 0u);
  // 26 hexadecimal digits are a 13-byte key.
  EXPECT_EQ(profile.wepKeyLength[0], 13u);
  EXPECT_STREQ(profile.wepKey[0], "0123456789abcdef0123456789");
  EXPECT_EQ(profile.wepKeyManual, 1);
  EXPECT_EQ(profile.wepKeyAscii, 0);
}

TEST_F(VistaWpsTest, AccessPointPinWaitsASecondMoreAndKeepsTheKeyLength) {
  auto description = testing_support::VistaDescription();
  Network(description, "PinPad")["wps"]["apPin"] = "49226874";
  Start(description);
  RunToEnd(Request(2, "49226874", "PinPad", kPinPad, 5));
  ASSERT_EQ(recorder_.Codes().back(), 6u);
  // A second before the start message, and a second after it before the first poll.
  EXPECT_EQ(recorder_.Calls().front().atMs - startMs_, 2000u);
  const auto start = Find(sim::CurrentMiniportLog().Requests(), kStart);
  ASSERT_EQ(start.size(), 1u);
  EXPECT_EQ(start[0].in[55], 2);

  const ProfileRecord profile = WpsProfile();
  EXPECT_STREQ(profile.ssid, "PinPad");
  EXPECT_EQ(profile.authMode, 4u);
  EXPECT_EQ(profile.encryption, 2u);
  EXPECT_STREQ(profile.psk, "enter the pin");
  EXPECT_EQ(profile.pskLength, 13u);
}

TEST_F(VistaWpsTest, NoAccessPointInPushButtonModeEndsAtTwoMinutes) {
  auto description = testing_support::VistaDescription();
  Network(description, "PressMe")["wps"]["selectedRegistrar"] = false;
  Start(description);
  RunToEnd(Request(0));
  const auto calls = recorder_.Calls();
  EXPECT_EQ(calls.back().code, 9u);
  // Status 258 changed nothing for two minutes of polls a second apart.
  EXPECT_EQ(FinalAfterMs(), 120'000u);
  for (size_t i = 0; i + 1 < calls.size(); ++i) EXPECT_EQ(calls[i].code, 1u);
  const auto polls = Find(ProtocolLog().Requests(), kStatus);
  EXPECT_EQ(polls.size(), 120u);
  EXPECT_EQ(U32(polls.back().out), 0x102u);
  EXPECT_TRUE(Find(ProtocolLog().Requests(), kCredentialTable).empty());
}

TEST_F(VistaWpsTest, OverlappingPushButtonsEndAtTwoMinutes) {
  Start();
  // PressMe stands in push-button mode; HomeNet's button is pressed while the engine scans.
  int scans = 0;
  recorder_.onCall = [&](uint32_t code) {
    if (code == 1 && ++scans == 2) {
      EXPECT_FALSE(sim::PressWpsButton(Machine(), Mac(kHomeNet)).has_value());
    }
  };
  RunToEnd(Request(0));
  EXPECT_EQ(recorder_.Codes().back(), 10u);
  EXPECT_EQ(FinalAfterMs(), 120'000u);
  EXPECT_EQ(U32(Find(ProtocolLog().Requests(), kStatus).back().out), 0x101u);
}

TEST_F(VistaWpsTest, WrongPinAndNackFailAndKeepTheLastProfile) {
  auto description = testing_support::VistaDescription();
  Network(description, "PinPad")["wps"]["apPin"] = "49226874";
  Network(description, "CoffeeShop")["wps"] = {
      {"state", "configured"}, {"apPin", "12345670"}, {"nack", true}};
  Start(description);
  RunToEnd(Request(0));
  ASSERT_EQ(recorder_.Codes().back(), 6u);

  const struct {
    WpsRequest request;
    uint32_t telling;  // the status the driver reports before the failure
  } runs[] = {{Request(2, "11111111", "PinPad", kPinPad, 5), 0x106},
              {Request(2, "12345670", "CoffeeShop"), 9}};
  for (const auto& run : runs) {
    Recorder failed;
    ProtocolLog().Clear();
    ASSERT_EQ(
        VTR_WPSStartEngine(run.request, &Recorder::Callback, reinterpret_cast<uintptr_t>(&failed)),
        1);
    ASSERT_TRUE(failed.WaitFor({6, 7, 9, 10}));
    VTR_WPSStopEngine();
    EXPECT_EQ(failed.Codes().back(), 7u) << run.request.ssid;
    std::vector<uint32_t> statuses;
    for (const auto& poll : Find(ProtocolLog().Requests(), kStatus)) {
      statuses.push_back(U32(poll.out));
    }
    EXPECT_THAT(statuses, testing::Contains(run.telling)) << run.request.ssid;
    EXPECT_EQ(statuses.back(), 0x204u) << run.request.ssid;
    EXPECT_TRUE(Find(ProtocolLog().Requests(), kCredentialTable).empty());
    // The profile of the push-button success stays.
    EXPECT_STREQ(WpsProfile().ssid, "PressMe");
  }
}

TEST_F(VistaWpsTest, StopPausesThenDisconnectsAndTheEngineIsDone) {
  Start();
  DisconnectWatch watch;
  auto& wlan = platform::Current().NativeWifi();
  uint32_t version = 0;
  platform::WlanHandle handle = 0;
  ASSERT_EQ(wlan.WlanOpenHandle(platform::kWlanClientVersionVista, &version, &handle), 0);
  uint32_t previous = 0;
  ASSERT_EQ(wlan.WlanRegisterNotification(handle, platform::kWlanNotificationSourceAcm, true,
                                          &DisconnectWatch::Notify, &watch, &previous),
            0);

  // PinPad's registrar waits for the station's PIN, which nobody enters; meanwhile the adapter
  // is joined to another network.
  Begin(Request(1, "12345670", "PinPad", kPinPad, 5));
  ASSERT_TRUE(recorder_.WaitFor({1}));
  JoinOpen("CoffeeShop");
  Service().Log().Clear();
  const uint64_t stopMs = Machine().Clock().NowMs();
  ASSERT_EQ(VTR_WPSStopEngine(), 1);
  EXPECT_THAT(CallNames(), testing::ElementsAre("WlanQueryInterface", "WlanDisconnect"));
  // The service tells of the disconnection on the machine's timer thread; a sleep of no time
  // returns once what is due now has run.
  Machine().Clock().SleepMs(0);
  EXPECT_GE(watch.atMs.load(), stopMs + 1200);
  VtrLinkInfo link{};
  VTR_APLinkInformation(&link, 0);
  EXPECT_NE(link.linkState, 1u);

  // The engine asks and tells nothing more, and a second stop has nothing to stop.
  const size_t calls = recorder_.Calls().size();
  const size_t polls = ProtocolLog().Requests().size();
  Machine().Clock().SleepMs(10'000);
  Service().Log().Clear();
  EXPECT_EQ(VTR_WPSStopEngine(), 1);
  EXPECT_TRUE(CallNames().empty());
  EXPECT_EQ(recorder_.Calls().size(), calls);
  EXPECT_EQ(ProtocolLog().Requests().size(), polls);
  for (uint32_t code : recorder_.Codes()) EXPECT_EQ(code, 1u);
  wlan.WlanCloseHandle(handle);
}

TEST_F(VistaWpsTest, StartDisconnectsAndInitializeEndsARunQuietly) {
  Start();
  JoinOpen("CoffeeShop");
  Service().Log().Clear();
  Begin(Request(1, "12345670", "PinPad", kPinPad, 5));
  // The start took the adapter off its network before the engine's first message.
  const auto names = CallNames();
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(names[0], "WlanQueryInterface");
  EXPECT_EQ(names[1], "WlanDisconnect");
  ASSERT_TRUE(recorder_.WaitFor({1}));

  // Initializing again clears the running flag: the run ends without a pause or a disconnect.
  Service().Log().Clear();
  EXPECT_EQ(VTR_WPSInitialize(), 1);
  const size_t polls = ProtocolLog().Requests().size();
  Machine().Clock().SleepMs(5000);
  EXPECT_TRUE(CallNames().empty());
  EXPECT_EQ(ProtocolLog().Requests().size(), polls);
  // Nothing is left to stop.
  EXPECT_EQ(VTR_WPSStopEngine(), 1);
  EXPECT_TRUE(CallNames().empty());
}

TEST_F(VistaWpsTest, PinNullArgumentsAndUnknownMethod) {
  Start();
  char pin[12];
  std::memset(pin, 'x', sizeof pin);
  ASSERT_EQ(VTR_WPSGeneratePin(pin), 1);
  EXPECT_EQ(pin[8], '\0');
  EXPECT_EQ(pin[9], 'x');
  EXPECT_TRUE(vtr::wps::PinValid(pin, 8)) << pin;
  EXPECT_EQ(VTR_WPSGeneratePin(nullptr), 0);

  EXPECT_EQ(VTR_WPSGetProfile(nullptr), 0);

  // An unknown method starts nothing: no disconnect, no request.
  EXPECT_EQ(
      VTR_WPSStartEngine(Request(3), &Recorder::Callback, reinterpret_cast<uintptr_t>(&recorder_)),
      0);
  EXPECT_TRUE(CallNames().empty());
  EXPECT_TRUE(sim::CurrentMiniportLog().Requests().empty());
  EXPECT_TRUE(ProtocolLog().Requests().empty());
}

// The chipset driver itself: VTRNdisP takes every WPS code, sets as well as queries, and the
// miniport takes them on the adapter's device; an adapter without the chipset's driver does not.
TEST_F(VistaWpsTest, ChipsetDriverTakesItsWpsCodesOnBothChannels) {
  Start();
  auto& devices = platform::Current().Devices();
  platform::DeviceHandle handle = 0;
  ASSERT_EQ(devices.OpenDevice("\\\\.\\VTRNdisP", handle), 0);
  uint32_t returned = 0;
  ASSERT_TRUE(devices.DeviceIoControl(handle, platform::kIoctlProtocolWaitBind, nullptr, 0, nullptr,
                                      0, &returned));
  const std::string name = "\\DEVICE\\" + Machine().devices().WirelessAdapter()->name;
  std::vector<uint8_t> utf16;
  for (char c : name) utf16.insert(utf16.end(), {static_cast<uint8_t>(c), 0});
  ASSERT_TRUE(devices.DeviceIoControl(handle, platform::kIoctlProtocolOpenAdapter, utf16.data(),
                                      static_cast<uint32_t>(utf16.size()), nullptr, 0, &returned));
  auto frame = [](uint32_t code, const Bytes& data) {
    Bytes bytes(8 + data.size(), 0);
    std::memcpy(bytes.data(), &code, 4);
    if (data.size() == 4) std::memcpy(bytes.data() + 4, data.data(), 4);
    std::copy(data.begin(), data.end(), bytes.begin() + 8);
    return bytes;
  };
  auto query = [&](uint32_t code, uint32_t length) {
    Bytes bytes = frame(code, Bytes(length, 0));
    EXPECT_TRUE(devices.DeviceIoControl(handle, platform::kIoctlProtocolQuery, bytes.data(),
                                        static_cast<uint32_t>(bytes.size()), bytes.data(),
                                        static_cast<uint32_t>(bytes.size()), &returned))
        << std::hex << code;
    return Bytes(bytes.begin() + 8, bytes.end());
  };

  EXPECT_EQ(U32(query(platform::kRequestWpsStatus, 4)), 0u);  // not in use yet
  Bytes start(56, 0);
  start[3] = 0x20;
  start[55] = 1;
  Bytes set = frame(platform::kRequestWpsStart, start);
  ASSERT_TRUE(devices.DeviceIoControl(handle, platform::kIoctlProtocolSet, set.data(),
                                      static_cast<uint32_t>(set.size()), nullptr, 0, &returned));
  EXPECT_EQ(U32(query(platform::kRequestWpsStatus, 4)), 2u);  // scanning
  Machine().Clock().SleepMs(20'000);
  EXPECT_EQ(U32(query(platform::kRequestWpsStatus, 4)), 15u);
  const Bytes table = query(platform::kRequestWpsCredentialTable, 996);
  EXPECT_EQ(U32(table), 1u);
  EXPECT_EQ(std::string(table.begin() + 8, table.begin() + 15), "PressMe");
  // The start code is no query, nor the table's a set.
  Bytes wrongWay = frame(kStart, Bytes(56, 0));
  EXPECT_FALSE(devices.DeviceIoControl(handle, platform::kIoctlProtocolQuery, wrongWay.data(),
                                       static_cast<uint32_t>(wrongWay.size()), wrongWay.data(),
                                       static_cast<uint32_t>(wrongWay.size()), &returned));
  devices.CloseHandle(handle);

  // The same status on the adapter's own device.
  uint32_t status = 0;
  platform::DeviceHandle adapter = 0;
  ASSERT_EQ(devices.OpenDevice("\\\\.\\" + Machine().devices().WirelessAdapter()->name, adapter),
            0);
  uint32_t code = platform::kRequestWpsStatus;
  ASSERT_TRUE(devices.DeviceIoControl(adapter, platform::kIoctlNdisQueryGlobalStats, &code, 4,
                                      &status, 4, &returned));
  EXPECT_EQ(status, 15u);
  devices.CloseHandle(adapter);

  // The xp machine's adapter comes without the chipset's driver and knows none of its codes.
  VTR_UnInitialize();
  UseMachine(testing_support::XpDescription());
  auto& xpDevices = platform::Current().Devices();
  auto& xp = static_cast<sim::SimMachine&>(platform::Current());
  ASSERT_EQ(xpDevices.OpenDevice("\\\\.\\" + xp.devices().WirelessAdapter()->name, adapter), 0);
  EXPECT_FALSE(xpDevices.DeviceIoControl(adapter, platform::kIoctlNdisQueryGlobalStats, &code, 4,
                                         &status, 4, &returned));
  xpDevices.CloseHandle(adapter);
}

}  // namespace
