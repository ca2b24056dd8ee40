#include "sim/sim_shell.h"

namespace sim {

bool SimShell::ShellExecute(std::string_view verb, std::string_view file) {
  std::lock_guard lock(mutex_);
  requests_.push_back({std::string(verb), std::string(file)});
  return true;
}

std::vector<ShellRequest> SimShell::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

}  // namespace sim
