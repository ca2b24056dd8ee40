// vtrctl survey as its users run it: the built program in its own process, on a machine of its
// own, in virtual time.
#include <fcntl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/adapter_control.h"
#include "sim/machine.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/program_runner.h"

namespace {

namespace fs = std::filesystem;

using testing_support::RunResult;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class VtrctlSurvey : public testing::Test {
 protected:
  void SetUp() override {
    root_ = testing_support::MakeTempDirectory();
    machine_ = root_ / "machine";
    ASSERT_FALSE(sim::InitMachineDirectory(machine_, "xp").has_value());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  RunResult Run(std::vector<std::string> args) const {
    return testing_support::RunProgram(
        testing_support::VtrctlProgram(), args,
        {"RADIODESK_MACHINE=" + machine_.string(), "RADIODESK_VIRTUAL_TIME=1",
         "XDG_STATE_HOME=" + (root_ / "state").string()},
        root_);
  }

  fs::path root_;
  fs::path machine_;
};

TEST_F(VtrctlSurvey, TableShowsThePagesColumnsStrongestFirst) {
  const RunResult result = Run({"survey"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");  // no progress on a stderr that is not a terminal
  const auto lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 20u);  // the header and the nineteen networks the radio hears
  EXPECT_EQ(lines[0].rfind("Network Name", 0), 0u);
  for (const char* column : {"MAC Address", "Security", "WPS", "CH.", "Signal", "Network Type",
                             "Frequency", "Band", "802.11n"}) {
    EXPECT_NE(lines[0].find(column), std::string::npos) << column;
  }
  // Columns are split by runs of two or more blanks.
  auto cells = [](const std::string& line) {
    std::vector<std::string> found;
    std::size_t at = 0;
    while (at < line.size()) {
      std::size_t end = line.find("  ", at);
      if (end == std::string::npos) end = line.size();
      found.push_back(line.substr(at, end - at));
      at = line.find_first_not_of(' ', end);
      if (at == std::string::npos) break;
    }
    return found;
  };
  EXPECT_EQ(cells(lines[2]),
            (std::vector<std::string>{"PressMe", "00-1B-11-7C-20-9E", "WPA2-PSK", "Y+", "11",
                                      "100%", "Infrastructure", "2.462 GHz", "802.11g", "Y"}));
  EXPECT_EQ(cells(lines[19]),
            (std::vector<std::string>{"Far-Away", "00-11-95-0B-C7-39", "None", "---", "2", "0%",
                                      "Infrastructure", "2.417 GHz", "802.11b", "-"}));
  const std::string all = result.out;
  EXPECT_NE(all.find("MixedMode       00-90-4C-0A-33-71  WPA-PSK/WPA2-PSK  Y    1"),
            std::string::npos);
  EXPECT_NE(all.find("Legacy-WPA      00-0F-66-4D-12-B8  WPA-PSK           ---  3"),
            std::string::npos);
  EXPECT_NE(all.find("00-13-10-9F-7A-E5  WPA Radius"), std::string::npos);
  EXPECT_NE(all.find("00-09-5B-1E-44-A0  WEP"), std::string::npos);
  EXPECT_NE(all.find("Ad-Hoc"), std::string::npos);
}

TEST_F(VtrctlSurvey, JsonCarriesTheEntryFieldsFilteredAndSortedAsAsked) {
  const RunResult result = Run({"--json", "survey", "--sort", "name", "--ascending", "--hide",
                                "adhoc", "--hide", "b", "--dbm"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const auto list = nlohmann::json::parse(result.out);
  ASSERT_EQ(list.size(), 16u);     // without LanParty (ad hoc) and the two 802.11b networks
  EXPECT_EQ(list[0]["ssid"], "");  // the hidden network's empty name sorts first
  EXPECT_EQ(list[0]["bssid"], "00-1E-58-60-2B-4F");
  EXPECT_EQ(list[1]["ssid"], "Caf\xC3\xA9-Luna");
  EXPECT_EQ(list[1]["ssidHex"], "436166c3a92d4c756e61");
  EXPECT_EQ(list[1]["signalDbm"], -80);
  const auto& pressMe = list[12];  // after Lab-5G and the three Office-Corp access points
  EXPECT_EQ(pressMe["ssid"], "PressMe");
  EXPECT_EQ(pressMe["phyMode"], 4);
  EXPECT_EQ(pressMe["channel"], 11);
  EXPECT_EQ(pressMe["frequency"], "2.462 GHz");
  EXPECT_EQ(pressMe["isHt"], true);
  EXPECT_EQ(pressMe["hasWps"], true);
  EXPECT_EQ(pressMe["wpsPbcActive"], true);
  EXPECT_EQ(pressMe["networkType"], "infrastructure");
  EXPECT_EQ(pressMe["authMask"], 8);
  EXPECT_EQ(pressMe["cipherMask"], 4);
}

TEST_F(VtrctlSurvey, PulledAdapterIsReportedClearly) {
  ASSERT_FALSE(sim::UseMachine(machine_).has_value());
  ASSERT_FALSE(sim::CurrentAdapterControl().SetPresent(false).has_value());
  const RunResult result = Run({"survey"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  // A pulled card leaves IP Helper's list, so a new program does not find it at all.
  EXPECT_EQ(result.err, "vtrctl: no supported wireless adapter found on Windows XP\n");
}

TEST_F(VtrctlSurvey, AFullListSaysThatMoreNetworksMayBeInRange) {
  const RunResult few = Run({"survey"});
  ASSERT_EQ(few.exitCode, 0) << few.err;
  EXPECT_EQ(few.err, "");

  const fs::path description = machine_ / sim::kDescriptionFile;
  nlohmann::json machine = nlohmann::json::parse(testing_support::FileText(description));
  for (int i = 0; i < 140; ++i) {
    char bssid[18];
    std::snprintf(bssid, sizeof bssid, "00-50-00-00-%02X-%02X", i / 256, i % 256);
    machine["neighbourhood"].push_back(
        {{"ssid", "Net" + std::to_string(i)}, {"bssid", bssid}, {"channel", 6}, {"rssi", -60}});
  }
  std::ofstream(description) << machine.dump();
  const RunResult full = Run({"--json", "survey"});
  ASSERT_EQ(full.exitCode, 0) << full.err;
  EXPECT_EQ(nlohmann::json::parse(full.out).size(), 128u);
  EXPECT_EQ(full.err,
            "vtrctl: the list is full at 128 networks, as the utility's is: more may be in "
            "range\n");
}

TEST_F(VtrctlSurvey, WithoutScanANewProcessHasNoListYet) {
  const RunResult result = Run({"survey", "--no-scan"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "No networks: this process has not scanned yet (leave out --no-scan).\n");
}

TEST_F(VtrctlSurvey, WrongArgumentsAreUsageErrors) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"survey", "--sort", "loudness"}, {"survey", "--hide", "adhoc,n"}, {"survey", "now"}}) {
    const RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 2) << args.back();
    EXPECT_EQ(result.out, "") << args.back();
    EXPECT_EQ(result.err.rfind("vtrctl: ", 0), 0u) << result.err;
  }
}

}  // namespace
