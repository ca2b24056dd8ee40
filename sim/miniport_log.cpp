#include "sim/miniport_log.h"

#include "sim/sim_machine.h"

namespace sim {

MiniportLog& CurrentMiniportLog() {
  return static_cast<SimMachine&>(platform::Current()).MiniportRequests();
}

}  // namespace sim
