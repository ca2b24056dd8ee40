// vtrctl, unchanged, from the Vista program folder, where the binding loads the VantrelLib build.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "support/machine_fixture.h"
#include "support/program_runner.h"
#include "support/vtrctl_fixture.h"

namespace {

namespace fs = std::filesystem;

class VtrctlVistaTest : public testing_support::VtrctlMachineTest {
 protected:
  VtrctlVistaTest()
      : VtrctlMachineTest("vista", fs::path(RADIODESK_VISTA_PROGRAM_DIR) / "vtrctl") {}
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(VtrctlVistaTest, StatusSurveyDriverCapabilityAndRadio) {
  const auto status = Run({"status"});
  EXPECT_EQ(status.exitCode, 0) << status.err;
  EXPECT_TRUE(Has(status.out, "Vantrel 802.11n USB Wireless LAN Card")) << status.out;

  const auto survey = Run({"survey"});
  EXPECT_EQ(survey.exitCode, 0) << survey.err;
  EXPECT_TRUE(Has(survey.out, "Rooftop-5G")) << survey.out;
  EXPECT_TRUE(Has(survey.out, "00-24-A5-3C-90-11")) << survey.out;

  const auto driver = Run({"driver"});
  EXPECT_EQ(driver.exitCode, 0) << driver.err;
  EXPECT_TRUE(Has(driver.out, "2.1.2.0")) << driver.out;
  EXPECT_TRUE(Has(driver.out, "00-0C-43-30-72-5E")) << driver.out;

  const auto caps = Run({"caps"});
  EXPECT_EQ(caps.exitCode, 0) << caps.err;
  EXPECT_TRUE(Has(caps.out, "802.11b, 802.11g, 802.11a, 802.11n")) << caps.out;
  EXPECT_TRUE(Has(caps.out, "0x00000037")) << caps.out;

  EXPECT_EQ(Run({"radio", "off"}).exitCode, 0);
  const auto off = Run({"radio", "status"});
  EXPECT_TRUE(Has(off.out, "off")) << off.out;
  EXPECT_EQ(Run({"radio", "on"}).exitCode, 0);
  const auto link = Run({"link"});
  EXPECT_EQ(link.exitCode, 0) << link.err;
  const auto ip = Run({"ip"});
  EXPECT_EQ(ip.exitCode, 0) << ip.err;
}

// vtrctl connect joins through WLAN profiles and shows the link and the lease it waited for.
// (Every vtrctl run in virtual time starts its own clock, so a later run does not see the
// association of an earlier one come up: the connect's own report is what is checked.)
TEST_F(VtrctlVistaTest, ConnectThroughProfiles) {
  auto result = Run({"--json", "connect", "--ssid", "CoffeeShop"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto open = nlohmann::json::parse(result.out.substr(result.out.find('{')));
  EXPECT_EQ(open["link"]["state"], "associated") << open.dump();
  EXPECT_EQ(open["link"]["ssid"], "CoffeeShop") << open.dump();
  EXPECT_EQ(open["link"]["bssid"], "00-18-39-C2-8D-14") << open.dump();
  EXPECT_EQ(open["ip"]["ipAddress"], "10.20.0.57") << open.dump();
  EXPECT_EQ(open["ip"]["gateway"], "10.20.0.1") << open.dump();

  result = Run({"connect", "--ssid", "HomeNet", "--auth", "wpa2-psk", "--encryption", "aes",
                "--psk", "correct horse battery"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(Has(result.out, "HomeNet")) << result.out;
  EXPECT_TRUE(Has(result.out, "WPA2-PSK")) << result.out;
  // A later program on the machine sees the link and the lease at the same moment of its time.
  const auto link = Run({"--json", "link"});
  ASSERT_EQ(link.exitCode, 0) << link.err;
  const auto linked = nlohmann::json::parse(link.out);
  EXPECT_EQ(linked["state"], "associated") << linked.dump();
  EXPECT_EQ(linked["ssid"], "HomeNet") << linked.dump();
  // A wrong key: the service completes the attempt without a connection.
  result = Run({"connect", "--ssid", "HomeNet", "--auth", "wpa2-psk", "--encryption", "aes",
                "--psk", "wrong horse battery"});
  EXPECT_EQ(result.exitCode, 1) << result.out;
  EXPECT_TRUE(Has(result.err, "could not join 'HomeNet': 'HomeNet' refused the pre-shared key"))
      << result.err;

  for (const char* command : {"link", "ip", "status"}) {
    const auto shown = Run({command});
    EXPECT_EQ(shown.exitCode, 0) << command << ": " << shown.err;
  }
}

}  // namespace
