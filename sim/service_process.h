// kernel32's view of the calling process. Whether the process runs under WOW64, and whether
// kernel32 has IsWow64Process at all, are machine settings (ServiceStateStore) a test or
// `vtrctl sim` can change; a new machine runs a native process whose kernel32 has the function.
#pragma once

#include <mutex>
#include <string>

#include "platform/process.h"
#include "sim/service_state.h"

namespace sim {

class SimProcess : public platform::ProcessPort {
 public:
  explicit SimProcess(ServiceStateStore& store) : store_(store) {}
  bool HasIsWow64Process() override;
  bool IsWow64Process(bool* wow64) override;
  // The executable this process runs, unless a test gave the program another place.
  std::string ProgramFileName() override;
  void SetProgramFileName(std::string path);

 private:
  ServiceStateStore& store_;
  std::mutex mutex_;
  std::string programFileName_;  // guarded by mutex_; empty: the running executable
};

}  // namespace sim
