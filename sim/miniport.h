// The adapter's NDIS miniport as the driver channel meets it: one IOCTL_NDIS_QUERY_GLOBAL_STATS
// request names an OID (with 0x00800000 for a set) and carries the data in the output buffer.
//
// A wireless adapter answers the standard 802.11 requests and the vendor requests of its driver;
// any other adapter answers only the general and 802.3 requests. The driver of an adapter that
// comes with the chipset's protocol driver also takes the chipset's own WPS request codes. Requests
// it does not know fail with ERROR_NOT_SUPPORTED. A buffer shorter than the request needs fails
// with ERROR_INSUFFICIENT_BUFFER and the needed size in the returned count, the buffer untouched;
// that is also how a BSSID list larger than the caller's buffer fails. A value the driver cannot
// take fails with ERROR_INVALID_DATA.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/vendor_oids.h"
#include "sim/adapter_state_file.h"
#include "sim/machine_description.h"
#include "sim/miniport_log.h"

namespace sim {

inline constexpr long kErrorInvalidFunction = 1;
inline constexpr long kErrorInvalidData = 13;
inline constexpr long kErrorNotReady = 21;
inline constexpr long kErrorDeviceNotConnected = 1167;

using enum platform::VendorOid;

class Miniport {
 public:
  // stateFile is the wireless adapter's state; nothing for an adapter without a radio.
  Miniport(const MachineDescription& machine, const AdapterDescription& adapter,
           AdapterStateFile* stateFile, platform::ClockPort& clock, MiniportLog& log);

  // Whether the device can be opened now (a pulled adapter cannot).
  bool Present();

  // One request; false with the last error set when it fails.
  bool Request(uint32_t code, void* buffer, uint32_t length, uint32_t* returned);

 private:
  bool Query(uint32_t oid, void* buffer, uint32_t length, uint32_t& returned, long& error);
  bool Set(uint32_t oid, const uint8_t* data, uint32_t length, uint32_t& returned, long& error);
  long Answer(uint32_t oid, const AdapterState& state, std::vector<uint8_t>& out);

  const MachineDescription& machine_;
  const AdapterDescription& adapter_;
  AdapterStateFile* const stateFile_;
  platform::ClockPort& clock_;
  MiniportLog& log_;
};

}  // namespace sim
