#include "support/program_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>

extern char** environ;

namespace testing_support {
namespace {

namespace fs = std::filesystem;

bool InheritedByChildren(const std::string& entry) {
  return !entry.starts_with("RADIODESK_") && !entry.starts_with("XDG_STATE_HOME=") &&
         !entry.starts_with("LD_LIBRARY_PATH=");
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

StartedProgram StartProgram(const fs::path& program, const std::vector<std::string>& args,
                            const std::vector<std::string>& settings, const fs::path& scratch) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    if (InheritedByChildren(*e)) env.emplace_back(*e);
  }
  env.insert(env.end(), settings.begin(), settings.end());
  std::vector<std::string> argvText = {program.string()};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv = Pointers(argvText);
  std::vector<char*> envp = Pointers(env);

  const fs::path outFile = scratch / "stdout.txt";
  const fs::path errFile = scratch / "stderr.txt";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << program;
    return {-1, outFile, errFile};
  }
  return {pid, outFile, errFile};
}

RunResult WaitForProgram(const StartedProgram& started) {
  RunResult result;
  if (started.pid < 0) return result;
  int status = 0;
  waitpid(started.pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = FileText(started.outFile);
  result.err = FileText(started.errFile);
  return result;
}

RunResult RunProgram(const fs::path& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& settings, const fs::path& scratch) {
  return WaitForProgram(StartProgram(program, args, settings, scratch));
}

fs::path VtrctlProgram() {
  return fs::path(RADIODESK_PROGRAM_DIR) / "vtrctl";
}

}  // namespace testing_support
