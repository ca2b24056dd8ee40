// The requests the adapter's miniport received in this process, in order, with their bytes, so
// that tests can assert the exact request sequence a caller makes (the most recent ones only).
#pragma once

#include <cstdint>
#include <vector>

#include "sim/recent_log.h"

namespace sim {

struct MiniportRequest {
  bool set = false;
  uint32_t oid = 0;          // without the set bit
  uint32_t length = 0;       // the caller's buffer length
  std::vector<uint8_t> in;   // a set's data as the caller gave it
  std::vector<uint8_t> out;  // what a query wrote into the caller's buffer
  bool succeeded = false;
  long error = 0;         // the last error of a failed request
  uint32_t returned = 0;  // the count the driver reported (the needed size when too short)
};

class MiniportLog : public RecentLog<MiniportRequest> {
 public:
  std::vector<MiniportRequest> Requests() const { return All(); }
};

// The log of the current machine's wireless adapter (tests read and clear it).
MiniportLog& CurrentMiniportLog();

}  // namespace sim
