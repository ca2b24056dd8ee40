// vtrctl profile as its users run it: the built program in its own process, on a machine and a
// profile store of the test's own.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/machine.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/program_runner.h"

namespace {

namespace fs = std::filesystem;

using Result = testing_support::RunResult;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ProfileCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = testing_support::MakeTempDirectory();
    ASSERT_FALSE(sim::InitMachineDirectory(root_ / "machine", "xp").has_value());
    fs::create_directory(root_ / "store");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  Result Run(std::vector<std::string> args) const {
    args.insert(args.begin(), "profile");
    return testing_support::RunProgram(
        testing_support::VtrctlProgram(), args,
        {"RADIODESK_MACHINE=" + (root_ / "machine").string(),
         "RADIODESK_PROFILE_DIR=" + (root_ / "store").string(), "RADIODESK_VIRTUAL_TIME=1"},
        root_);
  }

  // A failure the way a user reads it: one line, no result code.
  static void ExpectFailure(const Result& result, const std::string& says, int exitCode = 1) {
    EXPECT_EQ(result.exitCode, exitCode);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "vtrctl: " + says + "\n");
  }

  fs::path root_;
};

TEST_F(ProfileCommandTest, AddListShowAndDefault) {
  EXPECT_EQ(Run({"list"}).out, "no profiles\n");
  auto added = Run({"add", "--name", "Home", "--ssid", "HomeNet", "--auth", "wpa2-psk",
                    "--encryption", "aes", "--psk", "correct horse battery"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  EXPECT_EQ(added.out, "added profile \"Home\"\n");
  ASSERT_EQ(Run({"add", "--name", "Cafe", "--ssid", "CafeNet", "--wep-key", "2:0102030405",
                 "--wep-index", "2", "--auth", "shared", "--encryption", "wep"})
                .exitCode,
            0);
  ExpectFailure(Run({"add", "--name", "Home", "--ssid", "Other"}), "profile \"Home\" exists");
  EXPECT_EQ(Run({"default", "Cafe"}).out, "profile \"Cafe\" is the default\n");

  const auto list = nlohmann::json::parse(Run({"list", "--json"}).out);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]["name"], "Home");
  EXPECT_EQ(list[0]["default"], false);
  EXPECT_EQ(list[1]["security"], "shared/wep");
  EXPECT_EQ(list[1]["default"], true);
  EXPECT_NE(Run({"list"}).out.find("* Cafe"), std::string::npos);

  // Secrets are masked unless asked for.
  const auto shown = Run({"show", "Home"});
  EXPECT_EQ(shown.out.find("correct horse"), std::string::npos);
  EXPECT_NE(shown.out.find("********"), std::string::npos);
  const auto json = nlohmann::json::parse(Run({"show", "Cafe", "--json"}).out);
  EXPECT_EQ(json["wepKeys"][1], "********");
  EXPECT_EQ(json["wepIndex"], 2);
  const auto secret = nlohmann::json::parse(Run({"show", "Home", "--show-secrets", "--json"}).out);
  EXPECT_EQ(secret["psk"], "correct horse battery");
  ExpectFailure(Run({"show", "Nobody"}), "no profile \"Nobody\"");
}

TEST_F(ProfileCommandTest, AddRefusesInconsistentFieldsBeforeTouchingTheStore) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"add", "--ssid", "x"}, "a profile needs a name (--name)"},
      {{"add", "--name", "n"}, "a profile needs an SSID (--ssid)"},
      {{"add", "--name", "n", "--ssid", std::string(33, 's')},
       "the SSID is longer than 32 characters"},
      {{"add", "--name", "n", "--ssid", "s", "--auth", "wpa-psk", "--encryption", "tkip"},
       "WPA-PSK and WPA2-PSK need a pre-shared key (--psk)"},
      {{"add", "--name", "n", "--ssid", "s", "--psk", "short"},
       "a pre-shared key has 8 to 63 characters, or 64 hexadecimal digits"},
      {{"add", "--name", "n", "--ssid", "s", "--auth", "open", "--encryption", "aes"},
       "open, shared and auto authentication use no encryption or WEP"},
      {{"add", "--name", "n", "--ssid", "s", "--encryption", "wep"},
       "WEP needs a key in slot 1 (--wep-key or --wep-passphrase)"},
      {{"add", "--name", "n", "--ssid", "s", "--wep-key", "123"},
       "a WEP key is 10, 26 or 32 hexadecimal digits (or use --wep-ascii)"},
      {{"add", "--name", "n", "--ssid", "s", "--auth", "wpa2", "--encryption", "aes", "--eap",
        "peap", "--identity", "bob"},
       "PEAP and LEAP need --identity and --password"},
      {{"add", "--name", "n", "--ssid", "s", "--type", "adhoc", "--auth", "wpa", "--encryption",
        "tkip", "--eap", "leap", "--identity", "a", "--password", "b"},
       "an ad hoc network cannot use 802.1X (wpa or wpa2)"},
      {{"add", "--name", "n", "--ssid", "s", "--ip", "10.0.0.300"},
       "invalid address '10.0.0.300' (a.b.c.d)"},
      {{"add", "--name", "n", "--ssid", "s", "--ip", "10.0.0.3"},
       "a fixed address needs --ip and --mask"},
      // The ad hoc channel field is a position in the driver's list: above 14 it is no channel.
      {{"add", "--name", "n", "--ssid", "s", "--type", "adhoc", "--channel", "36"},
       "invalid channel '36' (0 to 14)"},
  };
  for (const auto& [args, says] : cases) {
    ExpectFailure(Run(args), says, 2);
  }
  EXPECT_FALSE(fs::exists(root_ / "store" / "Profile.dll"));
}

TEST_F(ProfileCommandTest, EditRenamesAndKeepsWhatIsNotGiven) {
  ASSERT_EQ(Run({"add", "--name", "Office", "--ssid", "Corp", "--auth", "wpa2", "--encryption",
                 "aes", "--eap", "peap", "--identity", "bob", "--password", "hunter2"})
                .exitCode,
            0);
  ASSERT_EQ(Run({"add", "--name", "Other", "--ssid", "o"}).exitCode, 0);
  ExpectFailure(Run({"edit", "Office", "--name", "Other"}), "profile \"Other\" exists");
  const auto edited = Run({"edit", "Office", "--name", "Work", "--ip", "192.168.1.20", "--mask",
                           "255.255.255.0", "--dns", "192.168.1.1", "--dns", "9.9.9.9"});
  ASSERT_EQ(edited.exitCode, 0) << edited.err;
  EXPECT_EQ(edited.out, "changed profile \"Office\", now named \"Work\"\n");
  const auto work = nlohmann::json::parse(Run({"show", "Work", "--show-secrets", "--json"}).out);
  EXPECT_EQ(work["ssid"], "Corp");
  EXPECT_EQ(work["password"], "hunter2");
  EXPECT_EQ(work["ip"]["address"], "192.168.1.20");
  EXPECT_EQ(work["dns"][1], "9.9.9.9");
  ASSERT_EQ(Run({"edit", "Work", "--dhcp"}).exitCode, 0);
  EXPECT_TRUE(nlohmann::json::parse(Run({"show", "Work", "--json"}).out)["ip"].is_null());
  ExpectFailure(Run({"edit", "Missing", "--ssid", "x"}), "no profile \"Missing\"");
}

TEST_F(ProfileCommandTest, DeleteExportAndImport) {
  ASSERT_EQ(Run({"add", "--name", "A", "--ssid", "a"}).exitCode, 0);
  ASSERT_EQ(Run({"add", "--name", "B", "--ssid", "b"}).exitCode, 0);
  const auto file = root_ / "Profile.cfg";
  EXPECT_EQ(Run({"export", file.string()}).out, "exported 2 profiles to " + file.string() + "\n");
  EXPECT_EQ(Slurp(file), Slurp(root_ / "store" / "Profile.dll"));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Run({"delete", "A"}).out, "deleted profile \"A\"\n");
  ExpectFailure(Run({"delete", "A"}), "no profile \"A\"");
  EXPECT_EQ(Run({"import", file.string()}).out,
            "imported " + file.string() + ": 2 profiles (1 new)\n");
  ExpectFailure(Run({"import", (root_ / "none.cfg").string()}),
                "cannot import " + (root_ / "none.cfg").string() + ": no such file");
  const auto store = (root_ / "store" / "Profile.dll").string();
  ExpectFailure(Run({"export", store}), "cannot export: " + store + " is the profile store itself");
}

TEST_F(ProfileCommandTest, TellsWhenAnotherProgramHoldsTheStore) {
  ASSERT_EQ(Run({"add", "--name", "A", "--ssid", "a"}).exitCode, 0);
  const int fd = ::open((root_ / "store" / "Profile.dll.lock").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  ExpectFailure(Run({"add", "--name", "B", "--ssid", "b"}),
                "cannot add profile \"B\": the store is in use by another program");
  ExpectFailure(Run({"delete", "A"}),
                "cannot read profile \"A\": the store is in use by another program");
  ::close(fd);
  EXPECT_EQ(Run({"delete", "A"}).exitCode, 0);
}

TEST_F(ProfileCommandTest, TellsWhenTheStoreIsDamaged) {
  ASSERT_EQ(Run({"add", "--name", "A", "--ssid", "a"}).exitCode, 0);
  std::ofstream(root_ / "store" / "Profile.dll", std::ios::trunc) << std::string(3000, 'x');
  const auto result = Run({"add", "--name", "B", "--ssid", "b"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("is damaged"), std::string::npos) << result.err;
  const auto store = (root_ / "store" / "Profile.dll").string();
  ExpectFailure(Run({"import", store}), "cannot import: " + store + " is the profile store itself");
}

}  // namespace
