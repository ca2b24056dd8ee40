// Making, checking and choosing machine directories.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

#include "platform/services.h"
#include "sim/machine.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace {

namespace fs = std::filesystem;
using testing_support::MakeTempDirectory;
using testing_support::XpDescription;

std::string ReadAll(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

TEST(MachineDirectoryTest, XpPresetHoldsTheAdaptersRegistryAndDriverFiles) {
  const fs::path dir = MakeTempDirectory() / "xp";
  ASSERT_EQ(sim::InitMachineDirectory(dir, "xp"), std::nullopt);
  EXPECT_EQ(sim::CheckMachineDirectory(dir), std::nullopt);
  EXPECT_EQ((fs::status(dir).permissions() & fs::perms::all), fs::perms::owner_all);

  const std::string hive = ReadAll(dir / sim::kHiveFile);
  EXPECT_NE(hive.find("\"PnpInstanceID\"=\"ROOT\\\\VTRBUS\\\\PCI\\\\VEN_1814&DEV_0701"),
            std::string::npos);
  EXPECT_NE(hive.find("\"DriverDate\"=\"6-21-2008\""), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(dir / "drive_c/WINDOWS/system32/drivers/vtrpci.sys"));
  EXPECT_TRUE(fs::is_directory(dir / "drive_c/vtrlog"));
  EXPECT_TRUE(fs::is_directory(dir / "drive_c/Documents and Settings/User/Local Settings/Temp"));
}

TEST(MachineDirectoryTest, RefusesWhatItCannotMake) {
  const fs::path base = MakeTempDirectory();
  EXPECT_NE(sim::InitMachineDirectory(base / "m", "amiga")->find("unknown preset"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(base / "m"));

  WriteAll(base / "busy", "");
  fs::create_directory(base / "full");
  WriteAll(base / "full" / "keep.txt", "mine");
  EXPECT_NE(sim::InitMachineDirectory(base / "full", "xp")->find("not empty"), std::string::npos);
  EXPECT_EQ(ReadAll(base / "full" / "keep.txt"), "mine");

  // A place that cannot hold a directory (below a regular file) gives a reason and no leftovers.
  const auto failure = sim::InitMachineDirectory(base / "busy" / "m", "xp");
  ASSERT_TRUE(failure.has_value());
  EXPECT_NE(failure->find("cannot create"), std::string::npos);
  EXPECT_EQ(ReadAll(base / "busy"), "");
}

TEST(MachineDirectoryTest, DescriptionFaultsNameTheirPlace) {
  const fs::path base = MakeTempDirectory();
  const struct {
    std::string text;
    std::string expected;
  } cases[] = {
      {"{ \"name\": \"x\", ", "not valid JSON: parse error at line 1"},
      {R"({"os": {"platformId": 2, "major": 5, "minor": 1}, "adapters": []})",
       "machine.json: missing required field \"name\""},
      {R"({"name": "x", "os": {"platformId": 2, "major": 5}, "adapters": []})",
       "machine.json.os: missing required field \"minor\""},
      {R"({"name": "x", "os": {"platformId": 2, "major": 5, "minor": 1},
           "adapters": [{"name": "{G}", "description": "d", "index": 1, "mac": "zz"}]})",
       "machine.json.adapters[0].mac: expected an address"},
      {R"({"name": "x", "os": {"platformId": 2, "major": -5, "minor": 1}, "adapters": []})",
       "machine.json.os.major: number out of range"},
      // Numbers of 2^63 and more, which a signed reading would wrap.
      {R"({"name": "x", "os": {"platformId": 2, "major": 9223372036854775808, "minor": 1},
           "adapters": []})",
       "machine.json.os.major: number out of range"},
      {R"({"name": "x", "os": {"platformId": 2, "major": 5, "minor": 1}, "adapters": [],
           "neighbourhood": [{"ssid": "A", "bssid": "00-11-22-33-44-55", "channel": 6,
                              "rssi": 18446744073709551556}]})",
       "machine.json.neighbourhood[0].rssi: number out of range"},
      // Beyond a double: the reader itself fails, at the field.
      {R"({"name": "x", "os": {"platformId": 2, "major": 5, "minor": 1}, "adapters": [],
           "timeScale": 1e400})",
       "machine.json.timeScale: number out of range"},
      {R"({"name": "x", "os": {"platformId": 2, "major": 5, "minor": 1}, "adapters": [],
           "neighbourhood": [{}, {"ssid": 1e999}]})",
       "machine.json.neighbourhood[1].ssid: number out of range"},
      // A misspelt optional field is not dropped unseen.
      {R"({"name": "x", "os": {"platformId": 2, "major": 5, "minor": 1, "biuld": 2600},
           "adapters": []})",
       "machine.json.os.biuld: unknown field"},
      {R"({"name": "x", "os": {"platformId": 2, "major": 5, "minor": 1}, "adapters": [],
           "neighbourhood": [{"ssid": "A", "bssid": "00-11-22-33-44-55", "channel": 6,
                              "rssi": -50, "credentials": {"passphrase": "12345678",
                                                           "wepKey": "x"}}]})",
       "machine.json.neighbourhood[0].credentials.wepKey: unknown field"},
  };
  for (const auto& c : cases) {
    const auto failure = sim::InitMachineFromDescription(base / "m", c.text);
    ASSERT_TRUE(failure.has_value()) << c.text;
    EXPECT_NE(failure->find(c.expected), std::string::npos) << *failure;
    EXPECT_FALSE(fs::exists(base / "m"));
  }
}

TEST(MachineDirectoryTest, CheckFindsBrokenMachinesAndChangesNothing) {
  const fs::path dir = MakeTempDirectory() / "m";
  ASSERT_EQ(sim::InitMachineDirectory(dir, "xp"), std::nullopt);

  const std::string description = ReadAll(dir / sim::kDescriptionFile);
  WriteAll(dir / sim::kDescriptionFile, "not json");
  auto failure = sim::CheckMachineDirectory(dir);
  ASSERT_TRUE(failure.has_value());
  EXPECT_NE(failure->find("machine.json: not valid JSON"), std::string::npos) << *failure;
  WriteAll(dir / sim::kDescriptionFile, description);

  // The field's whole path is told, as the file's full name.
  nlohmann::json edited = nlohmann::json::parse(description);
  edited["adapters"][1]["radio"]["region"] = 300;
  WriteAll(dir / sim::kDescriptionFile, edited.dump(2));
  failure = sim::CheckMachineDirectory(dir);
  ASSERT_TRUE(failure.has_value());
  EXPECT_NE(failure->find((dir / sim::kDescriptionFile).string() +
                          ": adapters[1].radio.region: expected 0 to 127"),
            std::string::npos)
      << *failure;
  WriteAll(dir / sim::kDescriptionFile, description);

  WriteAll(dir / sim::kHiveFile, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A]\n\"v\"=dword:zz\n");
  failure = sim::CheckMachineDirectory(dir);
  ASSERT_TRUE(failure.has_value());
  EXPECT_NE(failure->find("registry.reg"), std::string::npos) << *failure;
  EXPECT_NE(failure->find("line 4"), std::string::npos) << *failure;

  EXPECT_NE(sim::CheckMachineDirectory(dir / "absent"), std::nullopt);
}

TEST(MachineDirectoryTest, NonsenseHiveIsNeverOverwrittenByTheLibrary) {
  const fs::path dir = MakeTempDirectory() / "m";
  ASSERT_EQ(sim::InitMachineFromDescription(dir, XpDescription().dump()), std::nullopt);
  ASSERT_EQ(sim::UseMachine(dir), std::nullopt);
  const std::string nonsense = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A\n";
  WriteAll(dir / sim::kHiveFile, nonsense);

  EXPECT_FALSE(VTR_SetRegistryDWORD("SOFTWARE\\X", "v", 1, VTR_HKEY_LOCAL_MACHINE, 0));
  EXPECT_EQ(VTR_Initialize(0), -1);  // the adapter's keys cannot be read
  EXPECT_EQ(ReadAll(dir / sim::kHiveFile), nonsense);
}

TEST(MachineDirectoryTest, SelectedMachineIsCreatedFromXpOnFirstUse) {
  const fs::path dir = MakeTempDirectory() / "fresh";
  ::setenv("RADIODESK_MACHINE", dir.c_str(), 1);
  EXPECT_EQ(sim::SelectedMachineDirectory(), dir);
  EXPECT_EQ(sim::PrepareSelectedMachine(), std::nullopt);
  EXPECT_NE(ReadAll(dir / sim::kDescriptionFile).find("\"name\": \"xp\""), std::string::npos);
  ::unsetenv("RADIODESK_MACHINE");

  ::setenv("XDG_STATE_HOME", "/state", 1);
  EXPECT_EQ(sim::SelectedMachineDirectory(), fs::path("/state/radiodesk/machine"));
  ::unsetenv("XDG_STATE_HOME");
}

}  // namespace
