// The calling process as kernel32 describes it.
#pragma once

#include <string>

namespace platform {

class ProcessPort {
 public:
  virtual ~ProcessPort() = default;
  // Whether kernel32 exports IsWow64Process (GetProcAddress finds it from XP SP2 on).
  virtual bool HasIsWow64Process() = 0;
  // IsWow64Process for the current process: true in wow64 when a 32-bit process runs on a
  // 64-bit Windows. False with the last error set when the call fails or does not exist.
  virtual bool IsWow64Process(bool* wow64) = 0;
  // GetModuleFileNameA for the program: the full path of the running executable.
  virtual std::string ProgramFileName() = 0;
};

}  // namespace platform
