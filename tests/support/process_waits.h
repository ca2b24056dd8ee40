// Waiting on what another process does, for tests that run programs: a guarded wait for a
// condition, whether a link holder runs, and a hold on a machine's adapter state that stops every
// adapter request there.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

namespace testing_support {

// Waits, with a guard of a minute of real time, for what a program does on its own.
inline bool Eventually(const std::function<bool()>& done) {
  const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (std::chrono::steady_clock::now() > guard) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// A process that runs (not a zombie nobody has collected) as vtrctl's link holder.
inline bool LinkHolderRuns(int pid) {
  if (pid <= 0) return false;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  const auto state = line.rfind(')');
  if (state == std::string::npos || line.substr(state + 2, 1) == "Z") return false;
  std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline");
  const std::string command((std::istreambuf_iterator<char>(cmdline)),
                            std::istreambuf_iterator<char>());
  return command.find("link-holder") != std::string::npos;
}

// Holds the machine's adapter state locked, so every request of the adapter waits and the
// machine's virtual clock, which only the programs' waits move, stands still. The lock is not
// handed to the programs a test starts meanwhile, or they would keep it held.
class AdapterStateHold {
 public:
  explicit AdapterStateHold(const std::filesystem::path& machine)
      : fd_(::open((machine / "adapter_state.json.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC,
                   0600)) {
    EXPECT_GE(fd_, 0);
    EXPECT_EQ(::flock(fd_, LOCK_EX), 0);
  }
  ~AdapterStateHold() { Release(); }
  AdapterStateHold(const AdapterStateHold&) = delete;
  AdapterStateHold& operator=(const AdapterStateHold&) = delete;
  void Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

}  // namespace testing_support
