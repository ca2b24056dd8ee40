// vtrctl sim in its own process changes the adapter that this process's requests reach.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/miniport.h"
#include "support/machine_fixture.h"
#include "tests/sim/miniport_support.h"

extern char** environ;

namespace {

using namespace miniport_support;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class SimCommandTest : public testing_support::MachineTest {
 protected:
  void SetUp() override { dir_ = UseXpMachine(); }

  Outcome Vtrctl(std::vector<std::string> args) {
    const auto out = dir_.parent_path() / "out.txt";
    const auto err = dir_.parent_path() / "err.txt";
    std::vector<std::string> all = {RADIODESK_PROGRAM_DIR "/vtrctl", "--machine", dir_.string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    Outcome run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      waitpid(pid, &status, 0);
      run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = Slurp(out);
    run.err = Slurp(err);
    return run;
  }

  static std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path dir_;
};

uint32_t ListCount() {
  const Reply reply = Query(platform::kOid802_11BssidList, 24584);
  EXPECT_TRUE(reply.ok);
  return reply.ok ? reply.U32() : 0;
}

TEST_F(SimCommandTest, PullAndPlugReachThisProcessAtItsNextRequest) {
  ASSERT_TRUE(Query(sim::kOidVendorFirmwareVersion, 4).ok);
  const Outcome pull = Vtrctl({"sim", "pull"});
  ASSERT_EQ(pull.exitCode, 0) << pull.err;
  EXPECT_EQ(pull.out, "adapter pulled out\n");
  EXPECT_FALSE(Query(sim::kOidVendorFirmwareVersion, 4).opened);
  ASSERT_EQ(Vtrctl({"sim", "plug"}).exitCode, 0);
  EXPECT_TRUE(Query(sim::kOidVendorFirmwareVersion, 4).ok);
}

TEST_F(SimCommandTest, AddMoveAndRemoveChangeTheListedNetworks) {
  ASSERT_TRUE(Set(platform::kOid802_11BssidListScan, {}).ok);
  platform::Current().Clock().SleepMs(2500);
  const uint32_t before = ListCount();

  const Outcome add = Vtrctl(
      {"sim", "add", R"({"ssid":"Guest","bssid":"00-11-22-33-44-55","channel":6,"rssi":-60})"});
  ASSERT_EQ(add.exitCode, 0) << add.err;
  EXPECT_EQ(ListCount(), before + 1);

  ASSERT_EQ(Vtrctl({"sim", "move", "00-11-22-33-44-55", "--rssi", "-91"}).exitCode, 0);
  const Outcome listed = Vtrctl({"--json", "sim", "list"});
  const auto json = nlohmann::json::parse(listed.out);
  bool found = false;
  for (const auto& network : json["networks"]) {
    if (network["bssid"] == "00-11-22-33-44-55") {
      found = true;
      EXPECT_EQ(network["rssi"], -91);
      EXPECT_EQ(network["name"], "Guest");
      EXPECT_EQ(network["heard"], true);
    }
    EXPECT_FALSE(network.contains("credentials"));
  }
  EXPECT_TRUE(found);

  ASSERT_EQ(Vtrctl({"sim", "remove", "00-11-22-33-44-55"}).exitCode, 0);
  EXPECT_EQ(ListCount(), before);
}

TEST_F(SimCommandTest, TrafficGivesANetworkOtherBackgroundTraffic) {
  const Outcome set = Vtrctl({"sim", "traffic", "00-14-6C-3A-51-02", "--receive", "5000", "--send",
                              "700", "--variation", "25"});
  ASSERT_EQ(set.exitCode, 0) << set.err;
  EXPECT_EQ(set.out, "traffic of 00-14-6C-3A-51-02 set\n");
  const auto json = nlohmann::json::parse(Vtrctl({"--json", "sim", "list"}).out);
  bool found = false;
  for (const auto& network : json["networks"]) {
    if (network["bssid"] != "00-14-6C-3A-51-02") continue;
    found = true;
    EXPECT_EQ(network["traffic"], nlohmann::json({{"receiveBytesPerSecond", 5000},
                                                  {"sendBytesPerSecond", 700},
                                                  {"variation", 25}}));
  }
  EXPECT_TRUE(found);
  EXPECT_EQ(Vtrctl({"sim", "traffic", "00-14-6C-3A-51-02", "--receive", "1", "--send", "1",
                    "--variation", "101"})
                .exitCode,
            2);
  EXPECT_EQ(Vtrctl({"sim", "traffic", "00-14-6C-3A-51-02", "--receive", "1"}).exitCode, 2);
  EXPECT_EQ(Vtrctl({"sim", "traffic", "00-11-22-33-44-56", "--receive", "1", "--send", "1"}).err,
            "vtrctl: no network has the address 00-11-22-33-44-56\n");
}

TEST_F(SimCommandTest, MistakesAreOneLineFailures) {
  const Outcome unknown = Vtrctl({"sim", "remove", "00-11-22-33-44-56"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err, "vtrctl: no network has the address 00-11-22-33-44-56\n");
  const Outcome bad = Vtrctl({"sim", "add", R"({"ssid":"x","bssid":"00-11-22-33-44-57"})"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_EQ(bad.err, "vtrctl: network: give either \"channel\" or \"frequency\" (MHz)\n");
  const Outcome nothing = Vtrctl({"sim", "move", "00-14-6C-3A-51-02"});
  EXPECT_EQ(nothing.exitCode, 2);
  const Outcome address = Vtrctl({"sim", "remove", "00-14-6C"});
  EXPECT_EQ(address.exitCode, 2);
  EXPECT_EQ(address.out, "");
}

}  // namespace
