// Every call the Native Wi-Fi service received in this process and every notification it sent,
// in order, so that tests can assert the calls a caller makes and what it was told.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

struct NativeWifiCall {
  std::string name;       // "WlanScan", ..., or "notify" for a notification sent
  std::string arguments;  // "opcode=7", "source=8 code=7", ...
  long result = 0;
};

class NativeWifiLog {
 public:
  void Add(NativeWifiCall call);
  std::vector<NativeWifiCall> Calls() const;
  // The names alone, in order.
  std::vector<std::string> Names() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<NativeWifiCall> calls_;
};

}  // namespace sim
