#include "support/program_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
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

namespace {

// Starts program with standard output to a file in scratch and standard error to errorPath.
StartedProgram Spawn(const fs::path& program, const std::vector<std::string>& args,
                     const std::vector<std::string>& settings, const fs::path& scratch,
                     const fs::path& errorPath) {
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
  const fs::path& errFile = errorPath;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY, 0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << program;
    return {-1, outFile, errFile};
  }
  return {pid, outFile, errFile};
}

}  // namespace

StartedProgram StartProgram(const fs::path& program, const std::vector<std::string>& args,
                            const std::vector<std::string>& settings, const fs::path& scratch) {
  return Spawn(program, args, settings, scratch, scratch / "stderr.txt");
}

RunResult RunProgramOnTerminal(const fs::path& program, const std::vector<std::string>& args,
                               const std::vector<std::string>& settings, const fs::path& scratch) {
  RunResult result;
  const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
  if (terminal < 0 || ::grantpt(terminal) != 0 || ::unlockpt(terminal) != 0) {
    ADD_FAILURE() << "no pseudo-terminal";
    return result;
  }
  const fs::path side = ::ptsname(terminal);
  // Held open here until the program has ended, so the terminal does not read as gone before
  // the program has opened it.
  int ownSide = ::open(side.c_str(), O_RDWR | O_NOCTTY);
  const StartedProgram started = Spawn(program, args, settings, scratch, side);
  int status = 0;
  bool ended = started.pid < 0;
  if (ended) {
    ::close(ownSide);
    ownSide = -1;
  }
  // The terminal is read while the program runs, so that it never waits for room there; it is
  // done once every writer (the program, and any process it left behind) has let it go.
  const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < guard) {
    if (!ended && ::waitpid(started.pid, &status, WNOHANG) == started.pid) {
      ended = true;
      ::close(ownSide);
      ownSide = -1;
    }
    pollfd ready{terminal, POLLIN, 0};
    if (::poll(&ready, 1, 20) <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::read(terminal, buffer, sizeof buffer);
    if (got <= 0) break;
    result.err.append(buffer, static_cast<std::size_t>(got));
  }
  if (ownSide >= 0) ::close(ownSide);
  ::close(terminal);
  if (!ended) ::waitpid(started.pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = FileText(started.outFile);
  return result;
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
