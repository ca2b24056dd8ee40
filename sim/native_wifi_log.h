// The calls the Native Wi-Fi service received in this process and the notifications it sent, in
// order, so that tests can assert the calls a caller makes and what it was told (the most recent
// ones only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/recent_log.h"

namespace sim {

struct NativeWifiCall {
  std::string name;       // "WlanScan", ..., or "notify" for a notification sent
  std::string arguments;  // "opcode=7", "source=8 code=7", ...
  long result = 0;
};

class NativeWifiLog : public RecentLog<NativeWifiCall> {
 public:
  std::vector<NativeWifiCall> Calls() const { return All(); }
  // The names alone, in order.
  std::vector<std::string> Names() const;
};

}  // namespace sim
