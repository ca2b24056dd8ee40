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

// A program started as RunProgram starts it, left running; its output files fill as it runs.
struct StartedProgram {
  int pid = -1;  // -1 when it could not be started
  std::filesystem::path outFile;
  std::filesystem::path errFile;
};
StartedProgram StartProgram(const std::filesystem::path& program,
                            const std::vector<std::string>& args,
                            const std::vector<std::string>& settings,
                            const std::filesystem::path& scratch);
// Runs program as RunProgram does, but with standard error on a terminal of its own, as a
// person at a terminal sees it; err is everything written there, control characters included.
RunResult RunProgramOnTerminal(const std::filesystem::path& program,
                               const std::vector<std::string>& args,
                               const std::vector<std::string>& settings,
                               const std::filesystem::path& scratch);
// Waits for a started program to end and collects what it printed.
RunResult WaitForProgram(const StartedProgram& started);
// What a file holds now (empty when it is not there).
std::string FileText(const std::filesystem::path& path);

// The vtrctl of this build.
std::filesystem::path VtrctlProgram();

}  // namespace testing_support
