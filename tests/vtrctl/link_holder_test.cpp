// Links that outlive the vtrctl that made them: a connect leaves a link holder that keeps the
// adapter library (and with it the supplicant of a WPA link) going until another program takes
// the adapter over. The built program in its own processes, on a machine of its own, in
// virtual time.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/link_holder.h"
#include "tests/support/process_waits.h"
#include "tests/support/program_runner.h"
#include "tests/support/vtrctl_fixture.h"

namespace {

using testing_support::AdapterStateHold;
using testing_support::Eventually;
using testing_support::LinkHolderRuns;
using testing_support::RunResult;

const std::vector<std::string> kHomeNet = {"connect", "--ssid",   "HomeNet",
                                           "--auth",  "wpa2-psk", "--encryption",
                                           "aes",     "--psk",    "correct horse battery"};

class VtrctlLinkHolder : public testing_support::VtrctlMachineTest {
 protected:
  // The process the machine names as its link holder, 0 when none is named.
  int NamedHolder() const {
    const std::string text = testing_support::FileText(root_ / "machine" / sim::kLinkHolderFile);
    return text.empty() ? 0 : std::stoi(text);
  }
  std::vector<std::string> Settings() const {
    return {"RADIODESK_MACHINE=" + (root_ / "machine").string(),
            "RADIODESK_PROFILE_DIR=" + (root_ / "store").string(), "RADIODESK_VIRTUAL_TIME=1",
            "XDG_STATE_HOME=" + (root_ / "state").string()};
  }
};

TEST_F(VtrctlLinkHolder, AWpaLinkStaysUntilDisconnectAndNothingOfItIsLeft) {
  const RunResult connect = Run(kHomeNet);
  ASSERT_EQ(connect.exitCode, 0) << connect.err;

  // A new process sees the link the supplicant of the holder keeps.
  auto link = RunJson({"link"});
  EXPECT_EQ(link["state"], "associated") << link.dump();
  EXPECT_EQ(link["ssid"], "HomeNet");
  EXPECT_EQ(link["security"], "wpa2-psk/aes");
  const int holder = NamedHolder();
  EXPECT_TRUE(LinkHolderRuns(holder)) << holder;

  const RunResult disconnect = Run({"disconnect"});
  ASSERT_EQ(disconnect.exitCode, 0) << disconnect.err;
  EXPECT_FALSE(LinkHolderRuns(holder));
  EXPECT_EQ(RunJson({"link"})["state"], "not associated");
  // Not being connected is no failure.
  EXPECT_EQ(Run({"disconnect"}).exitCode, 0);
}

TEST_F(VtrctlLinkHolder, AnotherConnectAPulledAdapterAndTheUtilityEachEndTheHolder) {
  ASSERT_EQ(Run(kHomeNet).exitCode, 0);
  const int first = NamedHolder();
  const RunResult office =
      Run({"connect", "--ssid", "Office-Corp", "--auth", "wpa2", "--encryption", "aes", "--eap",
           "peap", "--identity", "alice", "--password", "Winter2008!", "--domain", "HALVORN"});
  ASSERT_EQ(office.exitCode, 0) << office.err;
  const int second = NamedHolder();
  EXPECT_NE(second, first);
  EXPECT_FALSE(LinkHolderRuns(first));
  EXPECT_TRUE(LinkHolderRuns(second));
  EXPECT_EQ(RunJson({"link"})["ssid"], "Office-Corp");

  ASSERT_EQ(Run({"sim", "pull"}).exitCode, 0);
  EXPECT_FALSE(LinkHolderRuns(second));
  ASSERT_EQ(Run({"sim", "plug"}).exitCode, 0);

  // The utility ends the holder at start-up through the machine's port, as here.
  ASSERT_EQ(Run(kHomeNet).exitCode, 0);
  const int third = NamedHolder();
  ASSERT_TRUE(LinkHolderRuns(third));
  sim::SimLinkHolder port(root_ / "machine");
  EXPECT_TRUE(port.EndLinkHolder());
  EXPECT_FALSE(LinkHolderRuns(third));
  // The supplicant went with the holder, and the WPA link with it.
  EXPECT_EQ(RunJson({"link"})["state"], "not associated");
}

TEST_F(VtrctlLinkHolder, WpsSaveLeavesItsLinkWithAHolder) {
  ASSERT_EQ(Run({"sim", "wps-button", "00-1B-11-7C-20-9E"}).exitCode, 0);
  const RunResult wps = Run({"wps", "pbc", "--save"});
  ASSERT_EQ(wps.exitCode, 0) << wps.err;
  const auto link = RunJson({"link"});
  EXPECT_EQ(link["ssid"], "PressMe") << link.dump();
  EXPECT_EQ(link["security"], "wpa2-psk/aes");
  EXPECT_TRUE(LinkHolderRuns(NamedHolder()));
}

TEST_F(VtrctlLinkHolder, AConnectOvertakenByAnotherFailsAndTheOtherHolds) {
#if defined(__SANITIZE_THREAD__)
  // The thread sanitizer holds a signal back until the thread that gets it leaves the call it is
  // in. The first holder waits in flock() on the test's hold, so the second connect's SIGTERM
  // never reaches its handler there and the holder is killed instead of ending on its own.
  GTEST_SKIP() << "a signal cannot interrupt flock() under the thread sanitizer";
#endif
  // Each program writes its output into a folder of its own.
  const auto started = [&](const std::vector<std::string>& args, const std::string& scratch) {
    std::filesystem::create_directories(root_ / scratch);
    return testing_support::StartProgram(testing_support::VtrctlProgram(), args, Settings(),
                                         root_ / scratch);
  };
  testing_support::StartedProgram first;
  testing_support::StartedProgram second;
  int firstHolder = 0;
  {
    // Every adapter request waits on the hold: the first connect's holder has taken its place
    // but cannot join before the second connect starts.
    AdapterStateHold hold(root_ / "machine");
    first = started(kHomeNet, "first");
    ASSERT_GT(first.pid, 0);
    ASSERT_TRUE(Eventually([&] { return LinkHolderRuns(NamedHolder()); }));
    firstHolder = NamedHolder();
    second = started({"connect", "--ssid", "CoffeeShop"}, "second");
    ASSERT_GT(second.pid, 0);
    ASSERT_TRUE(Eventually([&] {
      const int holder = NamedHolder();
      return holder != firstHolder && LinkHolderRuns(holder);
    }));
  }
  const RunResult overtaken = testing_support::WaitForProgram(first);
  const RunResult winner = testing_support::WaitForProgram(second);
  EXPECT_EQ(overtaken.exitCode, 1) << overtaken.out;
  EXPECT_EQ(overtaken.out, "");
  EXPECT_NE(overtaken.err.find("cut short"), std::string::npos) << overtaken.err;
  EXPECT_EQ(winner.exitCode, 0) << winner.err;
  EXPECT_FALSE(LinkHolderRuns(firstHolder));
  EXPECT_EQ(RunJson({"link"})["ssid"], "CoffeeShop");
}

}  // namespace
