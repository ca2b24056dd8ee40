// The shell of the machine: there is no desktop to open anything on, so it takes every request
// and keeps it, in order, for tests and for `vtrctl sim` to show.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace sim {

struct ShellRequest {
  std::string verb;
  std::string file;
};

class SimShell : public platform::ShellPort {
 public:
  bool ShellExecute(std::string_view verb, std::string_view file) override;
  std::vector<ShellRequest> Requests() const;

 private:
  mutable std::mutex mutex_;
  std::vector<ShellRequest> requests_;  // guarded by mutex_
};

}  // namespace sim
