// Running a built program, such as vtrctl, in a process of its own, as its users run it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs program with args. The child gets this process's environment without any RADIODESK_*,
// XDG_STATE_HOME or LD_LIBRARY_PATH variable, plus settings ("NAME=value"), so that no run
// reaches a machine or store outside the test's own folders. Output is captured through files
// in scratch.
RunResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& settings,
                     const std::filesystem::path& scratch);

// The vtrctl of this build.
std::filesystem::path VtrctlProgram();

}  // namespace testing_support
