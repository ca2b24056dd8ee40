// vtrctl wps, unchanged, from the Vista program folder: the Vista build's engine behind the same
// command, on a vista machine of its own, in virtual time.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lib/common/wps_pin.h"
#include "support/machine_fixture.h"
#include "support/program_runner.h"
#include "support/vtrctl_fixture.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RunResult;

class VtrctlVistaWps : public testing_support::VtrctlMachineTest {
 protected:
  VtrctlVistaWps() : VtrctlMachineTest("vista", fs::path(RADIODESK_VISTA_PROGRAM_DIR) / "vtrctl") {}
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(VtrctlVistaWps, PushButtonAndANewPin) {
  const RunResult result = Run({"wps", "pbc"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(Has(result.err, "wps: scanning for the access point\n")) << result.err;
  EXPECT_TRUE(Has(result.err, "wps: success\n")) << result.err;
  EXPECT_TRUE(Has(result.out, "PressMe")) << result.out;
  EXPECT_TRUE(Has(result.out, "00-1B-11-7C-20-9E")) << result.out;
  EXPECT_TRUE(Has(result.out, "wpa2-psk")) << result.out;
  EXPECT_FALSE(Has(result.out, "button pressed 2008"));

  const std::string pin = RunJson({"wps", "new-pin"})["pin"];
  EXPECT_TRUE(vtr::wps::PinValid(pin.c_str(), static_cast<uint32_t>(pin.size()))) << pin;
}

TEST_F(VtrctlVistaWps, StationPinWrongPinAndTimeOut) {
  // A PIN typed into PinPad's registrar first, then given to the engine.
  ASSERT_EQ(Run({"sim", "wps-pin", "00-1D-7E-55-06-C3", "12345670"}).exitCode, 0);
  const auto json = RunJson({"wps", "pin", "--pin", "12345670"});
  EXPECT_EQ(json["result"], "success");
  EXPECT_EQ(json["accessPoint"], "00-1D-7E-55-06-C3");
  EXPECT_EQ(json["profile"]["ssid"], "PinPad");
  EXPECT_EQ(json["profile"]["auth"], "wpa-psk");
  EXPECT_EQ(json["profile"]["surveyChannel"], 0);

  // PinPad holds no PIN of its own to match.
  RunResult result = Run({"wps", "pin", "--ap-pin", "11111111", "--ssid", "PinPad"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(Has(result.err, "a wrong PIN")) << result.err;

  // Vantrel-5G waits for a PIN nobody types in, until the command's four minutes are up.
  result = Run({"wps", "pin", "--ssid", "Vantrel-5G"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(Has(result.err, "Enter the PIN ")) << result.err;
  EXPECT_TRUE(Has(result.err, "WPS timed out after 240 s")) << result.err;
}

TEST_F(VtrctlVistaWps, OverlappingPushButtonsFail) {
  ASSERT_EQ(Run({"sim", "add",
                 R"({"ssid":"Second","bssid":"00-11-22-33-44-55","channel":6,"rssi":-50,)"
                 R"("wps":{"selectedRegistrar":true,"devicePasswordId":"push-button"}})"})
                .exitCode,
            0);
  const RunResult result = Run({"wps", "pbc"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(Has(result.err, "more than one access point is in push-button mode")) << result.err;
}

TEST_F(VtrctlVistaWps, SavedProfilesJoinThroughTheWlanService) {
  auto json = RunJson({"wps", "pbc", "--save"});
  EXPECT_EQ(json["saved"], true);
  EXPECT_EQ(json["connected"], true) << json.dump();
  EXPECT_EQ(json["link"]["ssid"], "PressMe");
  EXPECT_EQ(json["link"]["security"], "wpa2-psk/aes");
  EXPECT_EQ(json["ip"]["ipAddress"], "192.168.1.100");

  ASSERT_EQ(Run({"sim", "wps-pin", "00-1D-7E-55-06-C3", "12345670"}).exitCode, 0);
  json = RunJson({"wps", "pin", "--pin", "12345670", "--save"});
  EXPECT_EQ(json["connected"], true) << json.dump();
  EXPECT_EQ(json["link"]["ssid"], "PinPad");
  EXPECT_TRUE(json["link"].value("security", "").starts_with("wpa-psk/")) << json.dump();

  // The stored profile holds the passphrase PressMe handed out: it joins again later.
  json = RunJson({"connect", "PressMe"});
  EXPECT_EQ(json["link"]["ssid"], "PressMe") << json.dump();
  bool pinPadDefault = false;
  for (const auto& profile : RunJson({"profile", "list"})) {
    if (profile.value("name", "") == "PinPad") pinPadDefault = profile.value("default", false);
  }
  EXPECT_TRUE(pinPadDefault);
}

}  // namespace
