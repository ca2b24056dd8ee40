#include "sim/service_process.h"

#include <filesystem>

#include "platform/win_errors.h"

namespace sim {
namespace {

// ERROR_PROC_NOT_FOUND: what calling a function kernel32 does not export comes down to.
constexpr long kErrorProcNotFound = 127;

}  // namespace

bool SimProcess::HasIsWow64Process() {
  Wow64Answer answer = Wow64Answer::kNative;
  return store_.ReadWow64(answer) == 0 && answer != Wow64Answer::kAbsent;
}

bool SimProcess::IsWow64Process(bool* wow64) {
  Wow64Answer answer = Wow64Answer::kNative;
  if (long error = store_.ReadWow64(answer)) {
    platform::SetLastError(error);
    return false;
  }
  if (answer == Wow64Answer::kAbsent) {
    platform::SetLastError(kErrorProcNotFound);
    return false;
  }
  if (wow64 == nullptr) {
    platform::SetLastError(platform::kErrorInvalidParameter);
    return false;
  }
  *wow64 = answer == Wow64Answer::kWow64;
  return true;
}

std::string SimProcess::ProgramFileName() {
  std::lock_guard lock(mutex_);
  if (!programFileName_.empty()) return programFileName_;
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

void SimProcess::SetProgramFileName(std::string path) {
  std::lock_guard lock(mutex_);
  programFileName_ = std::move(path);
}

}  // namespace sim
