// The protocol driver "VTRNdisP" of the wireless adapter's driver package. It stands between the
// Vista build and the adapter's miniport: the region, the ad hoc channel block and the WPS
// requests become the miniport's own requests (so they show in its log as well); the rates it
// reads off the link.
//
// Every control on one of its handles is logged in its own log, in the miniport log's form: the
// bind and open controls under their control codes, queries and sets under their request codes.
// A handle must wait for the bind, then open the adapter, before it can query or set; the open
// names the wireless adapter as "\DEVICE\{GUID}" in UTF-16 and fails for anything else or while
// the adapter is pulled.
#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "platform/clock.h"
#include "sim/adapter_state_file.h"
#include "sim/machine_description.h"
#include "sim/miniport.h"
#include "sim/miniport_log.h"

namespace sim {

class ProtocolDriver {
 public:
  // What one open handle has done so far; the handle may be used from several threads.
  struct Session {
    std::atomic<bool> bound{false};
    std::atomic<bool> adapterOpen{false};
  };

  ProtocolDriver(const MachineDescription& machine, const AdapterDescription& adapter,
                 Miniport& miniport, AdapterStateFile& state, platform::ClockPort& clock);

  // "VTRNdisP" (any case) for the adapter's driver.
  bool Named(std::string_view name) const;

  bool Control(Session& session, uint32_t code, const void* in, uint32_t inLength, void* out,
               uint32_t outLength, uint32_t* returned);

  MiniportLog& Log() { return log_; }

 private:
  long OpenAdapter(Session& session, const void* in, uint32_t inLength);
  long Query(uint32_t request, uint8_t* data, uint32_t length, uint32_t& written);
  long Set(uint32_t request, const uint8_t* data, uint32_t length);
  long MiniportRequest(uint32_t oid, void* data, uint32_t length);
  // The chipset's WPS requests, as the miniport's WPS vendor requests.
  long WpsVendorRequest(uint32_t request, bool set, void* data, uint32_t length, uint32_t* written);
  double RateMbps(bool transmit);

  const MachineDescription& machine_;
  const AdapterDescription& adapter_;
  Miniport& miniport_;
  AdapterStateFile& state_;
  platform::ClockPort& clock_;
  MiniportLog log_;
};

}  // namespace sim
