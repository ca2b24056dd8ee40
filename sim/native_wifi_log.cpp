#include "sim/native_wifi_log.h"

namespace sim {

std::vector<std::string> NativeWifiLog::Names() const {
  const auto calls = Calls();
  std::vector<std::string> names;
  names.reserve(calls.size());
  for (const auto& call : calls) names.push_back(call.name);
  return names;
}

}  // namespace sim
