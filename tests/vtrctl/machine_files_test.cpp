// The machine's files as users meet them: made by many processes at once, damaged, replaced by a
// FIFO or a device, owned by someone else, and read by a library caller that opens no machine
// itself.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sim/adapter_state_file.h"
#include "sim/machine.h"
#include "sim/machine_file.h"
#include "tests/support/vtrctl_fixture.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RunResult;

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

int LineCount(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

void ExpectOneLineFailure(const RunResult& result, const std::string& mentions) {
  EXPECT_NE(result.exitCode, 0);
  EXPECT_EQ(LineCount(result.err), 1) << result.err;
  EXPECT_NE(result.err.find(mentions), std::string::npos) << result.err;
}

class MachineFiles : public testing_support::VtrctlMachineTest {
 protected:
  fs::path Machine() const { return root_ / "machine"; }

  // vtrctl on the machine in dir (which may not exist yet), as a new user runs it.
  RunResult RunOn(const fs::path& dir, const std::vector<std::string>& args,
                  std::vector<std::string> settings = {}) const {
    settings.push_back("RADIODESK_MACHINE=" + dir.string());
    settings.push_back("RADIODESK_VIRTUAL_TIME=1");
    return testing_support::RunProgram(testing_support::VtrctlProgram(), args, settings, root_);
  }

  // A program in C that calls VTR_Initialize before anything else, as the utility does.
  RunResult RunLibraryCaller(const fs::path& dir) const {
    return testing_support::RunProgram(RADIODESK_INITIALIZE_PROBE, {},
                                       {"RADIODESK_MACHINE=" + dir.string()}, root_);
  }
};

TEST_F(MachineFiles, ManyProcessesMakeOneMachineTogether) {
  const fs::path fresh = root_ / "fresh";
  std::vector<testing_support::StartedProgram> started;
  for (int i = 0; i < 16; ++i) {
    const fs::path scratch = root_ / "runs" / std::to_string(i);
    fs::create_directories(scratch);
    started.push_back(testing_support::StartProgram(
        testing_support::VtrctlProgram(), {"status"},
        {"RADIODESK_MACHINE=" + fresh.string(), "RADIODESK_VIRTUAL_TIME=1"}, scratch));
  }
  for (const auto& program : started) {
    const RunResult result = testing_support::WaitForProgram(program);
    EXPECT_EQ(result.exitCode, 0) << result.err;
  }
  EXPECT_EQ(sim::CheckMachineDirectory(fresh), std::nullopt);
  // Nothing of the machines that lost the race is left beside the one made.
  for (const auto& entry : fs::directory_iterator(root_)) {
    EXPECT_EQ(entry.path().filename().string().find(".fresh"), std::string::npos) << entry.path();
  }
}

TEST_F(MachineFiles, NamedMachineIsNotMadeInFoldersThatDoNotExist) {
  const fs::path deep = root_ / "a" / "deep" / "path";
  ExpectOneLineFailure(RunOn(deep, {"status"}), "does not exist");
  EXPECT_FALSE(fs::exists(root_ / "a"));
}

TEST_F(MachineFiles, DamagedAdapterStateIsToldOnceWithTheWayOut) {
  ASSERT_EQ(Run({"radio", "off"}).exitCode, 0);
  WriteFile(Machine() / sim::kAdapterStateFile, "{\"present\": true, \"radioOn\": tru");

  const RunResult survey = Run({"survey"});
  ExpectOneLineFailure(survey, sim::kAdapterStateFile);
  EXPECT_NE(survey.err.find("vtrctl sim reset"), std::string::npos) << survey.err;
  EXPECT_EQ(survey.err.find("pulled"), std::string::npos) << survey.err;
  ExpectOneLineFailure(Run({"machine", "check"}), sim::kAdapterStateFile);

  ASSERT_EQ(Run({"sim", "reset"}).exitCode, 0);
  EXPECT_EQ(Run({"machine", "check"}).exitCode, 0);
}

TEST_F(MachineFiles, FifosAndDevicesInAFilesPlaceAreRefusedAtOnce) {
  for (const char* name : {sim::kDescriptionFile, sim::kHiveFile, sim::kAdapterStateFile}) {
    const fs::path file = Machine() / name;
    const fs::path kept = file.string() + ".kept";
    if (fs::exists(file)) fs::rename(file, kept);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    ExpectOneLineFailure(Run({"link"}), "FIFO");
    fs::remove(file);
    if (fs::exists(kept)) fs::rename(kept, file);
  }
  fs::rename(Machine() / sim::kDescriptionFile, root_ / "description");
  fs::create_symlink("/dev/zero", Machine() / sim::kDescriptionFile);
  ExpectOneLineFailure(Run({"link"}), "character device");

  fs::remove(Machine() / sim::kDescriptionFile);
  WriteFile(Machine() / sim::kDescriptionFile, std::string(sim::kMachineFileLimit + 1, ' '));
  ExpectOneLineFailure(Run({"link"}), "larger than");
}

TEST_F(MachineFiles, AMissingHiveIsNotAMissingAdapter) {
  fs::remove(Machine() / sim::kHiveFile);
  const RunResult status = Run({"status"});
  ExpectOneLineFailure(status, sim::kHiveFile);
  EXPECT_EQ(status.err.find("no supported wireless adapter"), std::string::npos) << status.err;
}

TEST_F(MachineFiles, LibraryCallerSurvivesAMachineItCannotUse) {
  std::ifstream preset(Machine() / sim::kDescriptionFile);
  std::string description((std::istreambuf_iterator<char>(preset)), {});
  description.replace(description.find("\"utcOffsetMinutes\": 60"), 22, "\"timeScale\": 1e400");
  WriteFile(Machine() / sim::kDescriptionFile, description);
  RunResult result = RunLibraryCaller(Machine());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "-1\n");
  EXPECT_NE(result.err.find("machine.json: timeScale: number out of range"), std::string::npos)
      << result.err;

  ASSERT_EQ(sim::InitMachineDirectory(root_ / "second", "xp"), std::nullopt);
  fs::remove(root_ / "second" / sim::kHiveFile);
  fs::create_directory(root_ / "second" / sim::kHiveFile);
  result = RunLibraryCaller(root_ / "second");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "-1\n");
  EXPECT_NE(result.err.find("registry.reg is a directory"), std::string::npos) << result.err;
}

TEST_F(MachineFiles, DescriptionIsOwnerOnly) {
  const fs::path made = root_ / "made";
  const mode_t umask = ::umask(0);
  const auto result = sim::InitMachineDirectory(made, "xp");
  ::umask(umask);
  ASSERT_EQ(result, std::nullopt);
  EXPECT_EQ(fs::status(made / sim::kDescriptionFile).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);

  // A description from before, readable by everyone, is made owner-only on first use.
  fs::permissions(Machine() / sim::kDescriptionFile,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                      fs::perms::others_read);
  ASSERT_EQ(Run({"status"}).exitCode, 0);
  EXPECT_EQ(fs::status(Machine() / sim::kDescriptionFile).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(MachineFiles, AnotherUsersMachineIsRefusedUnlessAllowed) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a directory to another user needs root";
  constexpr uid_t kOther = 4321;
  ASSERT_EQ(Run({"radio", "off"}).exitCode, 0);
  for (const auto& entry : fs::recursive_directory_iterator(Machine())) {
    ASSERT_EQ(::lchown(entry.path().c_str(), kOther, kOther), 0);
  }
  ASSERT_EQ(::chown(Machine().c_str(), kOther, kOther), 0);
  // A link of one's own leads to the other user's machine all the same.
  fs::create_directory_symlink(Machine(), root_ / "link");

  ExpectOneLineFailure(RunOn(Machine(), {"radio", "status"}), "uid 4321");
  ExpectOneLineFailure(RunOn(root_ / "link", {"radio", "status"}), "uid 4321");
  ExpectOneLineFailure(RunOn(Machine(), {"machine", "check"}), sim::kForeignMachineVariable);

  const std::string allowed = std::string(sim::kForeignMachineVariable) + "=1";
  const RunResult on = RunOn(root_ / "link", {"radio", "on"}, {allowed});
  ASSERT_EQ(on.exitCode, 0) << on.err;
  // A connect leaves its link holder's file there too.
  const RunResult joined = RunOn(root_ / "link", {"connect", "--ssid", "CoffeeShop"},
                                 {allowed, "RADIODESK_PROFILE_DIR=" + (root_ / "store").string()});
  ASSERT_EQ(joined.exitCode, 0) << joined.err;
  ASSERT_TRUE(fs::exists(Machine() / sim::kLinkHolderFile));
  for (const auto& entry : fs::recursive_directory_iterator(Machine())) {
    struct stat info {};
    ASSERT_EQ(::lstat(entry.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kOther) << entry.path();
  }
}

}  // namespace
