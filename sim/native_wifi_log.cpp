#include "sim/native_wifi_log.h"

namespace sim {

void NativeWifiLog::Add(NativeWifiCall call) {
  std::lock_guard lock(mutex_);
  calls_.push_back(std::move(call));
}

std::vector<NativeWifiCall> NativeWifiLog::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<std::string> NativeWifiLog::Names() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> names;
  names.reserve(calls_.size());
  for (const auto& call : calls_) names.push_back(call.name);
  return names;
}

void NativeWifiLog::Clear() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

}  // namespace sim
