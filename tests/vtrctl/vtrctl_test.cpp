// vtrctl as its users run it: the built program in its own process, on a machine of its own.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/machine.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/program_runner.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

using testing_support::RunResult;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

int LineCount(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

// A failure as vtrctl promises it: non-zero, nothing on stdout, one "vtrctl: " line on stderr.
void ExpectOneLineFailure(const RunResult& result, const std::string& mentions) {
  EXPECT_NE(result.exitCode, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(LineCount(result.err), 1) << result.err;
  EXPECT_EQ(result.err.rfind("vtrctl: ", 0), 0u) << result.err;
  EXPECT_NE(result.err.find(mentions), std::string::npos) << result.err;
}

class VtrctlTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = testing_support::MakeTempDirectory();
    machine_ = root_ / "machine";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // Runs program with args; RADIODESK_MACHINE names this test's machine and the default machine
  // lives in this test's folder, so no run touches anything outside it.
  RunResult RunProgram(const fs::path& program, const std::vector<std::string>& args) const {
    return testing_support::RunProgram(
        program, args,
        {"RADIODESK_MACHINE=" + machine_.string(), "XDG_STATE_HOME=" + (root_ / "state").string()},
        root_);
  }

  RunResult Run(std::initializer_list<std::string> args) const {
    return RunProgram(fs::path(RADIODESK_PROGRAM_DIR) / "vtrctl", args);
  }

  fs::path root_;
  fs::path machine_;
};

// The adapter description as the library reports it: the preset's description without the
// " - Packet Scheduler Miniport"-style suffix.
std::string XpWirelessDescription() {
  nlohmann::json xp = testing_support::XpDescription();
  for (const auto& adapter : xp["adapters"]) {
    if (adapter.value("type", "") != "wireless") continue;
    const std::string description = adapter["description"];
    const std::size_t dash = description.rfind('-');
    return dash == std::string::npos || dash == 0 ? description : description.substr(0, dash - 1);
  }
  return "(no wireless adapter in the xp description)";
}

using VtrctlCommandLine = VtrctlTest;

TEST_F(VtrctlCommandLine, HelpAtEveryLevel) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"--help"},
                                                                {"status", "--help"},
                                                                {"machine", "--help"},
                                                                {"machine", "init", "--help"},
                                                                {"machine", "path", "-h"},
                                                                {"reg", "--help"},
                                                                {"reg", "get", "--help"},
                                                                {"reg", "set", "--help"},
                                                                {"reg", "enum", "--help"},
                                                                {"reg", "delete", "--help"}}) {
    const RunResult result = RunProgram(fs::path(RADIODESK_PROGRAM_DIR) / "vtrctl", args);
    EXPECT_EQ(result.exitCode, 0) << args.front();
    EXPECT_EQ(result.out.rfind("usage: vtrctl", 0), 0u) << result.out;
    EXPECT_EQ(result.err, "");
  }
  // Help never needs a machine.
  EXPECT_FALSE(fs::exists(machine_));
}

TEST_F(VtrctlCommandLine, UnknownCommandsAndOptionsFailWithOneLine) {
  ExpectOneLineFailure(Run({}), "missing command");
  ExpectOneLineFailure(Run({"frobnicate"}), "'frobnicate'");
  ExpectOneLineFailure(Run({"--frob", "status"}), "'--frob'");
  ExpectOneLineFailure(Run({"status", "--frob"}), "'--frob'");
  ExpectOneLineFailure(Run({"reg"}), "missing command");
  ExpectOneLineFailure(Run({"reg", "frob"}), "'frob'");
  ExpectOneLineFailure(Run({"machine", "init"}), "usage");
  ExpectOneLineFailure(Run({"reg", "get", "HKXX\\Software", "Name"}), "'HKXX'");
  ExpectOneLineFailure(Run({"reg", "set", "HKLM\\Software\\A", "N", "--dword", "4294967296"}),
                       "4294967296");
  ExpectOneLineFailure(Run({"reg", "set", "HKLM\\Software\\A", "N", "--binary", "0a1"}), "binary");
  ExpectOneLineFailure(
      Run({"reg", "set", "HKLM\\Software\\A", "N", "--string", "x", "--dword", "1"}),
      "exactly one");
  ExpectOneLineFailure(Run({"--machine"}), "--machine");
  // None of these got as far as the machine.
  EXPECT_FALSE(fs::exists(machine_));
}

TEST_F(VtrctlCommandLine, MachineOptionSelectsTheDirectoryForTheWholeRun) {
  const RunResult fromEnvironment = Run({"machine", "path"});
  EXPECT_EQ(fromEnvironment.exitCode, 0);
  EXPECT_EQ(fromEnvironment.out, machine_.string() + "\n");

  const fs::path other = root_ / "other";
  const RunResult fromOption = Run({"--machine", other.string(), "--json", "machine", "path"});
  EXPECT_EQ(fromOption.exitCode, 0);
  EXPECT_EQ(nlohmann::json::parse(fromOption.out).at("directory"), other.string());

  // The library works on the chosen machine, not on the one in the environment.
  const RunResult status = Run({"--machine=" + other.string(), "status"});
  EXPECT_EQ(status.exitCode, 0) << status.err;
  EXPECT_TRUE(fs::exists(other / sim::kDescriptionFile));
  EXPECT_FALSE(fs::exists(machine_));
}

using VtrctlMachine = VtrctlTest;

TEST_F(VtrctlMachine, InitCreatesAMachineOnlyWhereNoneIs) {
  const fs::path dir = root_ / "new";
  const RunResult created = Run({"--json", "machine", "init", dir.string(), "--preset", "xp"});
  ASSERT_EQ(created.exitCode, 0) << created.err;
  EXPECT_EQ(nlohmann::json::parse(created.out).at("preset"), "xp");
  EXPECT_TRUE(fs::exists(dir / sim::kDescriptionFile));
  EXPECT_EQ(Run({"machine", "check", dir.string()}).exitCode, 0);

  const std::string description = ReadFile(dir / sim::kDescriptionFile);
  ExpectOneLineFailure(Run({"machine", "init", dir.string()}), "");
  EXPECT_EQ(ReadFile(dir / sim::kDescriptionFile), description);

  const fs::path unknown = root_ / "unknown";
  ExpectOneLineFailure(Run({"machine", "init", unknown.string(), "--preset", "nosuch"}), "");
  EXPECT_FALSE(fs::exists(unknown / sim::kDescriptionFile));
}

using VtrctlStatus = VtrctlTest;

TEST_F(VtrctlStatus, ShowsTheAdapterOfAFreshDefaultMachine) {
  const RunResult result = Run({"status"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_NE(result.out.find(XpWirelessDescription()), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Windows XP"), std::string::npos) << result.out;
  EXPECT_TRUE(fs::exists(machine_ / sim::kDescriptionFile));
}

TEST_F(VtrctlStatus, JsonCarriesTheRecordFields) {
  const RunResult result = Run({"--json", "status"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const nlohmann::json status = nlohmann::json::parse(result.out);
  EXPECT_EQ(status.at("libraryLoaded"), true);
  EXPECT_EQ(status.at("osVersionCode"), 6);
  EXPECT_GE(status.at("adapterIndex").get<int>(), 0);
  EXPECT_EQ(status.at("cardConnected"), true);
  EXPECT_EQ(status.at("description"), XpWirelessDescription());
  EXPECT_TRUE(std::regex_match(status.at("macAddress").get<std::string>(),
                               std::regex("([0-9A-F]{2}:){5}[0-9A-F]{2}")))
      << status.at("macAddress");
  EXPECT_TRUE(std::regex_match(status.at("driverDate").get<std::string>(),
                               std::regex("[0-9]{4}-[0-9]{2}-[0-9]{2}")))
      << status.at("driverDate");
  EXPECT_FALSE(status.at("driverVersion").get<std::string>().empty());
}

TEST_F(VtrctlStatus, ProgramFolderWithoutTheLibraryReportsTheLoadError) {
  const fs::path folder = root_ / "bin";
  fs::create_directories(folder);
  fs::copy_file(fs::path(RADIODESK_PROGRAM_DIR) / "vtrctl", folder / "vtrctl");
  fs::copy_file(fs::path(RADIODESK_PROGRAM_DIR) / "libradiodesk_platform.so",
                folder / "libradiodesk_platform.so");
  const RunResult result = RunProgram(folder / "vtrctl", {"status"});
  ExpectOneLineFailure(result, "Load Vantrel Library error or version is too old !!");
}

TEST_F(VtrctlStatus, Windows98IsNotSupported) {
  nlohmann::json description = testing_support::XpDescription();
  description["name"] = "win98";
  description["os"] = {
      {"platformId", 1}, {"major", 4}, {"minor", 10}, {"build", 2222}, {"servicePack", " A "}};
  ASSERT_EQ(sim::InitMachineFromDescription(machine_, description.dump(2)), std::nullopt);
  const RunResult result = Run({"status"});
  ExpectOneLineFailure(result, "Windows 98");
  EXPECT_NE(result.err.find("not supported"), std::string::npos) << result.err;
}

TEST_F(VtrctlStatus, BrokenMachineFailsWithOneLineAndChangesNothing) {
  ASSERT_EQ(sim::InitMachineDirectory(machine_, "xp"), std::nullopt);
  const std::string hive = ReadFile(machine_ / sim::kHiveFile);

  WriteFile(machine_ / sim::kDescriptionFile, "{ \"name\": \"xp\", this is not JSON");
  ExpectOneLineFailure(Run({"status"}), "");
  ExpectOneLineFailure(Run({"reg", "set", "HKLM\\Software\\A", "N", "--dword", "1"}), "");
  EXPECT_EQ(ReadFile(machine_ / sim::kDescriptionFile), "{ \"name\": \"xp\", this is not JSON");
  EXPECT_EQ(ReadFile(machine_ / sim::kHiveFile), hive);

  const fs::path second = root_ / "second";
  ASSERT_EQ(sim::InitMachineDirectory(second, "xp"), std::nullopt);
  const std::string nonsense = "this is\nno registry [export\n\"at\"=all\n";
  WriteFile(second / sim::kHiveFile, nonsense);
  ExpectOneLineFailure(Run({"--machine", second.string(), "status"}), "");
  EXPECT_EQ(ReadFile(second / sim::kHiveFile), nonsense);

  // Root ignores permission bits, so a machine below a plain file stands for a directory that
  // cannot be written.
  WriteFile(root_ / "plain", "x");
  ExpectOneLineFailure(Run({"--machine", (root_ / "plain" / "m").string(), "status"}), "");
  EXPECT_EQ(ReadFile(root_ / "plain"), "x");
}

using VtrctlReg = VtrctlTest;

TEST_F(VtrctlReg, ValuesRoundTripThroughTheLibrary) {
  ASSERT_EQ(
      Run({"reg", "set", "HKLM\\Software\\Vantrel\\Test", "Name", "--string", "hello"}).exitCode,
      0);
  ASSERT_EQ(Run({"reg", "set", "HKCU/Software/Vantrel", "Count", "--dword", "0x10"}).exitCode, 0);
  ASSERT_EQ(
      Run({"reg", "set", "HKLM\\Software\\Vantrel\\Test", "Blob", "--binary", "01 a0 ff"}).exitCode,
      0);
  ASSERT_EQ(Run({"reg", "set", "HKEY_LOCAL_MACHINE\\Software\\Vantrel\\Test", "List", "--multi",
                 "a", "--multi", "bc"})
                .exitCode,
            0);

  const RunResult text = Run({"--json", "reg", "get", "hklm\\Software\\Vantrel\\Test", "Name"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  const nlohmann::json textJson = nlohmann::json::parse(text.out);
  EXPECT_EQ(textJson.at("value"), "hello");
  EXPECT_EQ(textJson.at("root"), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(textJson.at("key"), "Software\\Vantrel\\Test");

  const RunResult number =
      Run({"reg", "get", "HKCU\\Software\\Vantrel", "Count", "--dword", "--json"});
  ASSERT_EQ(number.exitCode, 0) << number.err;
  EXPECT_EQ(nlohmann::json::parse(number.out).at("value"), 16);

  const std::string hive = ReadFile(machine_ / sim::kHiveFile);
  EXPECT_NE(hive.find("01,a0,ff"), std::string::npos) << hive;

  const RunResult subkeys = Run({"reg", "enum", "HKLM\\Software\\Vantrel"});
  EXPECT_EQ(subkeys.exitCode, 0);
  EXPECT_EQ(subkeys.out, "Test\n");

  ExpectOneLineFailure(Run({"reg", "get", "HKLM\\Software\\Vantrel\\Test", "Missing"}),
                       "cannot read value");
  ExpectOneLineFailure(Run({"reg", "get", "HKLM\\Software\\NoSuchKey", "Name"}), "cannot open key");
  ExpectOneLineFailure(Run({"reg", "enum", "HKLM\\Software\\NoSuchKey"}), "cannot open key");
  // A key with subkeys stays.
  ExpectOneLineFailure(Run({"reg", "delete", "HKLM\\Software\\Vantrel"}), "cannot delete key");

  EXPECT_EQ(Run({"reg", "delete", "HKLM\\Software\\Vantrel\\Test", "Name"}).exitCode, 0);
  ExpectOneLineFailure(Run({"reg", "get", "HKLM\\Software\\Vantrel\\Test", "Name"}),
                       "cannot read value");
  EXPECT_EQ(Run({"reg", "delete", "HKLM\\Software\\Vantrel\\Test"}).exitCode, 0);
  EXPECT_EQ(Run({"reg", "enum", "HKLM\\Software\\Vantrel"}).out, "");
}

}  // namespace
