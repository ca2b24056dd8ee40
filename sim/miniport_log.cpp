#include "sim/miniport_log.h"

#include "sim/sim_machine.h"

namespace sim {

void MiniportLog::Add(MiniportRequest request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(std::move(request));
}

std::vector<MiniportRequest> MiniportLog::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void MiniportLog::Clear() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

MiniportLog& CurrentMiniportLog() {
  return static_cast<SimMachine&>(platform::Current()).MiniportRequests();
}

}  // namespace sim
