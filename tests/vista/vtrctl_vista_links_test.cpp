// vtrctl's links and results from the Vista program folder: the link holder, what a failed
// connect says, the band of an 802.11n link, a pulled adapter, a region the adapter keeps.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "sim/link_holder.h"
#include "support/program_runner.h"
#include "support/vtrctl_fixture.h"

namespace {

namespace fs = std::filesystem;

using testing_support::RunResult;

class VtrctlVistaLinks : public testing_support::VtrctlMachineTest {
 protected:
  VtrctlVistaLinks()
      : VtrctlMachineTest("vista", fs::path(RADIODESK_VISTA_PROGRAM_DIR) / "vtrctl") {}

  bool HolderRuns() const {
    const std::string pid = testing_support::FileText(root_ / "machine" / sim::kLinkHolderFile);
    return !pid.empty() && fs::exists("/proc/" + std::to_string(std::stoi(pid)) + "/cmdline") &&
           testing_support::FileText("/proc/" + std::to_string(std::stoi(pid)) + "/cmdline")
                   .find("link-holder") != std::string::npos;
  }
  std::string FailureOf(const std::vector<std::string>& args) const {
    const RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 1) << result.out;
    return result.err;
  }
};

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST_F(VtrctlVistaLinks, TheLinkOfAConnectStaysUntilDisconnect) {
  const RunResult connect = Run({"connect", "--ssid", "HomeNet", "--auth", "wpa2-psk",
                                 "--encryption", "aes", "--psk", "correct horse battery"});
  ASSERT_EQ(connect.exitCode, 0) << connect.err;
  const RunResult link = Run({"link"});
  ASSERT_EQ(link.exitCode, 0) << link.err;
  EXPECT_TRUE(Has(link.out, "HomeNet")) << link.out;
  EXPECT_TRUE(Has(link.out, "Band          802.11n")) << link.out;
  EXPECT_TRUE(HolderRuns());

  ASSERT_EQ(Run({"disconnect"}).exitCode, 0);
  EXPECT_FALSE(HolderRuns());
  EXPECT_EQ(RunJson({"link"})["state"], "not associated");
  // Nothing to leave is no failure, as on the driver build.
  const RunResult again = Run({"disconnect"});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(again.out, "disconnected\n");
}

TEST_F(VtrctlVistaLinks, AFailedConnectTellsRangeFromSecurity) {
  std::string why = FailureOf({"connect", "--ssid", "Nowhere"});
  EXPECT_TRUE(Has(why, "no network 'Nowhere' is in range")) << why;
  why = FailureOf({"connect", "--ssid", "CoffeeShop", "--auth", "wpa2-psk", "--encryption", "aes",
                   "--psk", "correct horse battery"});
  EXPECT_TRUE(Has(why, "'CoffeeShop' is in range but uses no security")) << why;
  why = FailureOf({"connect", "--ssid", "Workshop", "--auth", "shared", "--encryption", "wep",
                   "--wep-key", "00000000000000000000000000"});
  EXPECT_TRUE(Has(why, "refused the shared-key authentication: the WEP key is wrong")) << why;
  why = FailureOf({"connect", "--ssid", "Printers"});
  EXPECT_TRUE(Has(why, "no DHCP server answered")) << why;
  EXPECT_FALSE(Has(why, "WEP")) << why;

  // An ad hoc network has no DHCP server to wait for.
  const RunResult adhoc = Run({"connect", "--ssid", "LanParty", "--type", "adhoc"});
  EXPECT_EQ(adhoc.exitCode, 0) << adhoc.err;
  EXPECT_TRUE(Has(adhoc.out, "ad hoc")) << adhoc.out;
}

TEST_F(VtrctlVistaLinks, APulledAdapterIsMissingAndAFixedRegionIsKept) {
  ASSERT_EQ(Run({"sim", "pull"}).exitCode, 0);
  const std::string why = FailureOf({"status"});
  EXPECT_TRUE(Has(why, "no supported wireless adapter found on Windows Vista")) << why;
  ASSERT_EQ(Run({"sim", "plug"}).exitCode, 0);

  // The adapter's region word is not programmed: the Vista build leaves it as it is.
  const std::string kept = FailureOf({"region", "1"});
  EXPECT_TRUE(Has(kept, "kept its region 3 (channels 1-13) and did not take region 1")) << kept;
}

}  // namespace
