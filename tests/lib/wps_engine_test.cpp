// The WPS engine of the driver build against the simulated adapter's registrations, in virtual
// time: the requests in their order with their bytes, the callbacks, the profile, the
// push-button rules and the failures, and stopping a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/services.h"
#include "sim/adapter_control.h"
#include "sim/miniport_log.h"
#include "sim/sim_machine.h"
#include "sim/wps_registrar_control.h"
#include "support/machine_fixture.h"
#include "support/wps_recorder.h"
#include "vtrlib.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kAuthenticationMode = 0x0D010118;
constexpr uint32_t kDisassociate = 0x0D010115;
constexpr uint32_t kWpsControl = 0x0D710151;
constexpr uint32_t kWpsStart = 0x0D710140;
constexpr uint32_t kWpsCredentials = 0x0D710142;
constexpr uint32_t kWpsFirstValue = 0x0D710144;
constexpr uint32_t kWpsSecondValue = 0x0D710146;
constexpr uint32_t kWpsStatus = 0x0D710141;
constexpr uint32_t kWpsChannel = 0x0D710152;
constexpr uint32_t kWpsMode = 0x0D710143;

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

using testing_support::Recorder;
using testing_support::Request;

class WpsEngineTest : public testing_support::MachineTest {
 protected:
  void SetUp() override { Use(testing_support::XpDescription()); }
  void TearDown() override {
    VTR_WPSUninitialize();
    VTR_UnInitialize();
  }

  void Use(const nlohmann::json& description) {
    const auto dir = UseMachine(description);
    // The trace log is written only where its folder exists.
    const auto log = platform::Current().Files().HostPath("c:\\vtrlog\\log.txt");
    ASSERT_TRUE(log.has_value());
    std::filesystem::create_directories(log->parent_path());
    logPath_ = *log;
    ASSERT_EQ(VTR_Initialize(0), 3);
    ASSERT_EQ(VTR_WPSInitialize(), 1);
    sim::CurrentMiniportLog().Clear();
  }

  sim::SimMachine& Machine() { return static_cast<sim::SimMachine&>(platform::Current()); }

  // Runs the engine until one of the final callbacks.
  void RunToEnd(const WpsRequest& request) {
    startMs_ = platform::Current().Clock().NowMs();
    ASSERT_EQ(
        VTR_WPSStartEngine(request, &Recorder::Callback, reinterpret_cast<uintptr_t>(&recorder_)),
        1);
    ASSERT_TRUE(recorder_.WaitFor({6, 7, 9, 10})) << "the run never ended";
    VTR_WPSStopEngine();
  }

  ProfileRecord WpsProfile() {
    ProfileRecord profile;
    std::memset(&profile, 0xEE, sizeof profile);
    EXPECT_EQ(VTR_WPSGetProfile(&profile), 1);
    return profile;
  }

  std::vector<std::string> TraceLines() {
    std::ifstream in(logPath_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  static std::vector<sim::MiniportRequest> Requests(uint32_t oid) {
    std::vector<sim::MiniportRequest> found;
    for (auto& request : sim::CurrentMiniportLog().Requests()) {
      if (request.oid == oid) found.push_back(request);
    }
    return found;
  }

  Recorder recorder_;
  std::filesystem::path logPath_;
  uint64_t startMs_ = 0;
};

TEST_F(WpsEngineTest, PushButtonRequestsInOrderAndTheProfile) {
  RunToEnd(Request(0));
  const auto codes = recorder_.Codes();
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.front(), 1u);
  EXPECT_EQ(codes.back(), 6u);
  // Scanning, associating and handshaking each come, in that order.
  auto first = [&](uint32_t code) { return std::find(codes.begin(), codes.end(), code); };
  ASSERT_NE(first(2), codes.end());
  ASSERT_NE(first(3), codes.end());
  EXPECT_LT(first(1), first(2));
  EXPECT_LT(first(2), first(3));

  const auto log = sim::CurrentMiniportLog().Requests();
  // The start on the caller's thread, then the engine's messages.
  std::vector<std::pair<bool, uint32_t>> opening;
  for (size_t i = 0; i < 8 && i < log.size(); ++i) opening.emplace_back(log[i].set, log[i].oid);
  const std::vector<std::pair<bool, uint32_t>> expected = {
      {true, kAuthenticationMode}, {true, kDisassociate},   {true, kWpsControl},
      {true, kWpsStart},           {true, kWpsCredentials}, {true, kWpsFirstValue},
      {true, kWpsSecondValue},     {false, kWpsStatus}};
  EXPECT_EQ(opening, expected);
  EXPECT_EQ(U32(log[0].in), 0u);  // open
  EXPECT_EQ(log[1].length, 0u);
  EXPECT_EQ(U32(log[2].in), 2u);
  Bytes start(56, 0);
  start[3] = 0x20;
  start[55] = 1;
  EXPECT_EQ(log[3].in, start);
  EXPECT_EQ(log[4].in, Bytes(996, 0));
  EXPECT_EQ(U32(log[5].in), 1u);
  EXPECT_EQ(U32(log[6].in), 1u);

  // The end: the table, the channel, the mode word cleared, and nothing after.
  ASSERT_GE(log.size(), 11u);
  const auto& table = log[log.size() - 3];
  EXPECT_FALSE(table.set);
  EXPECT_EQ(table.oid, kWpsCredentials);
  EXPECT_EQ(table.length, 996u);
  EXPECT_EQ(log[log.size() - 2].oid, kWpsChannel);
  EXPECT_EQ(U32(log[log.size() - 2].out), 11u);
  EXPECT_TRUE(log.back().set);
  EXPECT_EQ(log.back().oid, kWpsMode);
  EXPECT_EQ(U32(log.back().in), 0u);

  // One poll every 200 ms from the start to the success.
  const auto polls = Requests(kWpsStatus);
  const uint64_t elapsed = recorder_.Calls().back().atMs - startMs_;
  EXPECT_GE(elapsed, 2500u + 3000u);  // the scan, then the exchange
  EXPECT_NEAR(static_cast<double>(polls.size()), static_cast<double>(elapsed) / 200.0 + 1, 2.0);

  const ProfileRecord profile = WpsProfile();
  EXPECT_STREQ(profile.profileName, "PressMe");
  EXPECT_STREQ(profile.ssid, "PressMe");
  EXPECT_EQ(profile.authMode, 8u);
  EXPECT_EQ(profile.encryption, 4u);
  EXPECT_STREQ(profile.psk, "button pressed 2008");
  EXPECT_EQ(profile.pskLength, 19u);
  EXPECT_EQ(profile.surveyChannel, 11u);
  EXPECT_EQ(profile.htEnabled, 1);
  const auto mac = Mac(kPressMe);
  EXPECT_EQ(std::memcmp(profile.bssid, mac.data(), 6), 0);

  // The adapter stays associated with the network that handed out the credential.
  VtrLinkInfo link{};
  VTR_APLinkInformation(&link, 0);
  EXPECT_EQ(link.linkState, 1u);
  EXPECT_STREQ(link.ssid, "PressMe");

  // Each polled status is traced by name.
  const auto trace = TraceLines();
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace.front(), "STATUS_WPS_SCAN_AP");
  EXPECT_EQ(trace.back(), "STATUS_WPS_EAP_CONFIGURED");
  EXPECT_NE(std::find(trace.begin(), trace.end(), "STATUS_WPS_EAP_M7_SENT"), trace.end());
}

TEST_F(WpsEngineTest, AccessPointPinMessageAndWaitBeforeIt) {
  RunToEnd(Request(2, "49226874", "PinPad", kPinPad, 5));
  EXPECT_EQ(recorder_.Codes().back(), 6u);
  const auto starts = Requests(kWpsStart);
  ASSERT_EQ(starts.size(), 1u);
  const Bytes& message = starts[0].in;
  EXPECT_EQ(U32(message), 0x10000000u);
  EXPECT_EQ(std::string(message.begin() + 4, message.begin() + 12), "49226874");
  EXPECT_EQ(U32(message, 12), 6u);
  EXPECT_EQ(std::string(message.begin() + 16, message.begin() + 22), "PinPad");
  const auto mac = Mac(kPinPad);
  EXPECT_TRUE(std::equal(mac.begin(), mac.end(), message.begin() + 48));
  EXPECT_EQ(message[54], 5);
  EXPECT_EQ(message[55], 2);
  // The access point's PIN waits a second before the start message: the scan and exchange
  // come on top of it.
  EXPECT_GE(recorder_.Calls().back().atMs - startMs_, 1000u + 2500u + 3000u);

  const ProfileRecord profile = WpsProfile();
  EXPECT_STREQ(profile.ssid, "PinPad");
  EXPECT_EQ(profile.authMode, 4u);  // WPA-PSK
  EXPECT_EQ(profile.encryption, 2u);
  EXPECT_STREQ(profile.psk, "enter the pin");
  EXPECT_EQ(profile.surveyChannel, 5u);
}

TEST_F(WpsEngineTest, StationPinEnteredAtTheAccessPointGivesAWepProfileThatConnects) {
  ASSERT_FALSE(sim::EnterWpsPin(Machine(), Mac(kOldRouter), "12345670").has_value());
  RunToEnd(Request(1, "12345670", "OldRouter", kOldRouter, 11));
  ASSERT_EQ(recorder_.Codes().back(), 6u);
  ProfileRecord profile = WpsProfile();
  const auto start = Requests(kWpsStart);
  ASSERT_EQ(start.size(), 1u);
  EXPECT_EQ(start[0].in[55], 1);
  EXPECT_EQ(profile.authMode, 0u);
  EXPECT_EQ(profile.encryption, 1u);
  EXPECT_EQ(profile.wepKeyIndex, 0u);
  EXPECT_EQ(profile.wepKeyLength[0], 5u);
  EXPECT_STREQ(profile.wepKey[0], "1a2b3c4d5e");
  EXPECT_EQ(profile.wepKeyManual, 1);
  // The received profile joins the network and gets the network's address.
  ASSERT_EQ(VTR_ConnectToAP(&profile, 0), 1);
  VtrIpInfo ip{};
  VTR_APInternetInformation(&ip);
  EXPECT_STREQ(ip.ipAddress, "192.168.0.102");
}

TEST_F(WpsEngineTest, OpenNetworkByItsOwnPinConnects) {
  RunToEnd(Request(2, "12345670", "CoffeeShop", "", 0));
  ASSERT_EQ(recorder_.Codes().back(), 6u);
  ProfileRecord profile = WpsProfile();
  EXPECT_STREQ(profile.ssid, "CoffeeShop");
  EXPECT_EQ(profile.authMode, 0u);
  EXPECT_EQ(profile.encryption, 0u);
  ASSERT_EQ(VTR_ConnectToAP(&profile, 0), 1);
  VtrIpInfo ip{};
  VTR_APInternetInformation(&ip);
  EXPECT_STREQ(ip.ipAddress, "10.20.0.57");
}

TEST_F(WpsEngineTest, TwoCredentialsAndTheRequestedName) {
  // MixedMode hands out WPA2-PSK first and WPA-PSK second; a name that matches neither takes the
  // first.
  ASSERT_FALSE(sim::EnterWpsPin(Machine(), Mac("00-90-4C-0A-33-71"), "11111111").has_value());
  RunToEnd(Request(1, "11111111", "MixedMode", "00-90-4C-0A-33-71", 1));
  ASSERT_EQ(recorder_.Codes().back(), 6u);
  const ProfileRecord profile = WpsProfile();
  EXPECT_EQ(profile.authMode, 8u);
  EXPECT_EQ(profile.encryption, 4u);
  EXPECT_STREQ(profile.psk, "mixedmodepass");
}

TEST_F(WpsEngineTest, NoAccessPointInPushButtonModeEndsOnlyAfterTwoMinutes) {
  auto description = testing_support::XpDescription();
  for (auto& network : description["neighbourhood"]) {
    if (network.value("ssid", "") == "PressMe") network["wps"]["selectedRegistrar"] = false;
  }
  Use(description);
  RunToEnd(Request(0));
  const auto calls = recorder_.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().code, 9u);
  EXPECT_GE(calls.back().atMs - startMs_, 120'000u);
  EXPECT_LT(calls.back().atMs - startMs_, 120'000u + 400u);
  for (size_t i = 0; i + 1 < calls.size(); ++i) EXPECT_EQ(calls[i].code, 1u);
  // Status 258 was polled and traced all through the two minutes before the engine gave up.
  const auto trace = TraceLines();
  EXPECT_GT(std::count(trace.begin(), trace.end(), "STATUS_WPS_PBC_NO_AP"), 500);
  // A poll at 2 minutes less 200 ms changed nothing, the first one at 2 minutes ended the run.
  EXPECT_EQ(Requests(kWpsStatus).size(), 120'000u / 200u + 1u);
  EXPECT_TRUE(Requests(kWpsCredentials).size() == 1u && Requests(kWpsMode).empty());
}

TEST_F(WpsEngineTest, TwoAccessPointsInPushButtonModeEndAfterTwoMinutes) {
  // PressMe stands in push-button mode; HomeNet's button is pressed once the engine scans.
  int scans = 0;
  recorder_.onCall = [&](uint32_t code) {
    if (code == 1 && ++scans == 2) {
      EXPECT_FALSE(sim::PressWpsButton(Machine(), Mac(kHomeNet)).has_value());
    }
  };
  RunToEnd(Request(0));
  const auto calls = recorder_.Calls();
  EXPECT_EQ(calls.back().code, 10u);
  EXPECT_GE(calls.back().atMs - startMs_, 120'000u);
  const auto trace = TraceLines();
  EXPECT_GT(std::count(trace.begin(), trace.end(), "STATUS_WPS_PBC_TOO_MANY_AP"), 500);
}

TEST_F(WpsEngineTest, WrongAccessPointPinFailsAfterTheMismatch) {
  const ProfileRecord before = WpsProfile();
  RunToEnd(Request(2, "12345670", "PinPad", kPinPad, 5));
  EXPECT_EQ(recorder_.Codes().back(), 7u);
  const auto trace = TraceLines();
  const auto mismatch = std::find(trace.begin(), trace.end(), "STATUS_WPS_PASSWORD_MISMATCH");
  ASSERT_NE(mismatch, trace.end());
  EXPECT_EQ(trace.back(), "STATUS_WPS_EAP_FAILED");
  // No profile was made and the mode word was left alone.
  const ProfileRecord after = WpsProfile();
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  EXPECT_TRUE(Requests(kWpsMode).empty());
}

TEST_F(WpsEngineTest, AccessPointThatSendsANackFails) {
  auto description = testing_support::XpDescription();
  for (auto& network : description["neighbourhood"]) {
    if (network.value("ssid", "") == "CoffeeShop") network["wps"]["nack"] = true;
  }
  Use(description);
  RunToEnd(Request(2, "12345670", "CoffeeShop"));
  EXPECT_EQ(recorder_.Codes().back(), 7u);
  const auto trace = TraceLines();
  EXPECT_NE(std::find(trace.begin(), trace.end(), "STATUS_WPS_EAP_REQ_NACK_RECEIVED"), trace.end());
}

TEST_F(WpsEngineTest, UnknownAccessPointFailsAsAnInvalidName) {
  RunToEnd(Request(2, "12345670", "Nowhere"));
  EXPECT_EQ(recorder_.Codes().back(), 7u);
  EXPECT_EQ(TraceLines().back(), "STATUS_WPS_INVALID_SSID");
}

TEST_F(WpsEngineTest, StopDuringARunCallsBackNoMoreAndDisconnects) {
  // PinPad's registrar waits for the station's PIN, which nobody enters.
  ASSERT_EQ(VTR_WPSStartEngine(Request(1, "12345670", "PinPad", kPinPad, 5), &Recorder::Callback,
                               reinterpret_cast<uintptr_t>(&recorder_)),
            1);
  ASSERT_TRUE(recorder_.WaitFor({3}));
  ASSERT_EQ(VTR_WPSStopEngine(), 1);
  const size_t calls = recorder_.Calls().size();
  const size_t requests = sim::CurrentMiniportLog().Requests().size();
  const auto log = sim::CurrentMiniportLog().Requests();
  // The stop disassociates and parks the adapter.
  EXPECT_EQ(log[log.size() - 2].oid, kDisassociate);
  EXPECT_EQ(log.back().oid, 0x0D010102u);
  // Time goes on; the engine asks and tells nothing more.
  platform::Current().Clock().SleepMs(10'000);
  VTR_WPSStopEngine();
  EXPECT_EQ(recorder_.Calls().size(), calls);
  EXPECT_EQ(sim::CurrentMiniportLog().Requests().size(), requests);
  for (uint32_t code : recorder_.Codes()) EXPECT_LE(code, 3u);
}

TEST_F(WpsEngineTest, StopOrRestartFromInsideTheCallback) {
  int restarts = 0;
  recorder_.onCall = [&](uint32_t code) {
    if (code != 3) return;
    if (restarts++ == 0) {
      // A new run from the engine's own thread replaces the one that calls back.
      VTR_WPSStartEngine(Request(0), &Recorder::Callback, reinterpret_cast<uintptr_t>(&recorder_));
    } else {
      VTR_WPSStopEngine();
    }
  };
  ASSERT_EQ(
      VTR_WPSStartEngine(Request(0), &Recorder::Callback, reinterpret_cast<uintptr_t>(&recorder_)),
      1);
  // Both runs reached handshaking; the second was stopped from its callback, so no success came.
  ASSERT_TRUE(recorder_.WaitFor({3}, 2));
  VTR_WPSStopEngine();
  EXPECT_EQ(restarts, 2);
  const auto codes = recorder_.Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 6u), 0);
}

TEST_F(WpsEngineTest, TheLastSuccessStaysThroughAFailedRun) {
  EXPECT_EQ(VTR_WPSGetProfile(nullptr), 0);

  RunToEnd(Request(0));
  ASSERT_EQ(recorder_.Codes().back(), 6u);
  Recorder failed;
  startMs_ = platform::Current().Clock().NowMs();
  ASSERT_EQ(VTR_WPSStartEngine(Request(2, "00000000", "PinPad", kPinPad, 5), &Recorder::Callback,
                               reinterpret_cast<uintptr_t>(&failed)),
            1);
  ASSERT_TRUE(failed.WaitFor({7}));
  VTR_WPSStopEngine();
  EXPECT_STREQ(WpsProfile().ssid, "PressMe");
}

TEST_F(WpsEngineTest, UnknownMethodStartsNothing) {
  EXPECT_EQ(
      VTR_WPSStartEngine(Request(3), &Recorder::Callback, reinterpret_cast<uintptr_t>(&recorder_)),
      0);
  EXPECT_TRUE(sim::CurrentMiniportLog().Requests().empty());
}

}  // namespace
