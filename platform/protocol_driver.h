// The adapter's NDIS protocol driver ("VTRNdisP") as the Vista build drives it: opened as
// "\\.\VTRNdisP", bound, pointed at one adapter ("\DEVICE\{GUID}" in UTF-16), then given query
// and set frames that carry the driver's private request codes.
#pragma once

#include <cstdint>

namespace platform {

inline constexpr const char* kProtocolDriverName = "VTRNdisP";

// DeviceIoControl codes of the protocol driver.
inline constexpr uint32_t kIoctlProtocolOpenAdapter = 0x12C800;
inline constexpr uint32_t kIoctlProtocolQuery = 0x12C804;
inline constexpr uint32_t kIoctlProtocolWaitBind = 0x12C810;
inline constexpr uint32_t kIoctlProtocolSet = 0x12C814;

// A frame: the request code, a word (0 for a query; a set's data when it is 4 bytes long), then
// the data bytes.
struct ProtocolFrameHeader {
  uint32_t request = 0;
  uint32_t word = 0;
};
static_assert(sizeof(ProtocolFrameHeader) == 8);

// The driver's private requests.
inline constexpr uint32_t kRequestRegulatoryDomain = 0x0D010327;  // query, u32
inline constexpr uint32_t kRequestRegionWord = 0xFF0C0003;        // query, u32 (bit 7: factory)
inline constexpr uint32_t kRequestRegionWordSet = 0xFF8C0003;     // set, u32
inline constexpr uint32_t kRequestTxRate = 0xFF0C0021;            // query, double in Mbit/s
inline constexpr uint32_t kRequestRxRate = 0xFF0C000E;            // query, double in Mbit/s
// The ad hoc channel block: an NDIS_802_11_CONFIGURATION (32 bytes, its fourth word the centre
// frequency in kHz), queried and set with the same code.
inline constexpr uint32_t kRequestAdhocConfiguration = 0xFF0C003B;
inline constexpr uint32_t kAdhocConfigurationSize = 32;

// Wi-Fi Protected Setup: the engine's sets and queries, the counterparts of the driver's WPS
// vendor requests. A set code is its query code with the set bit.
inline constexpr uint32_t kRequestWpsStart = 0xFF8C002A;             // set, the 56-byte message
inline constexpr uint32_t kRequestWpsCredentialBuffer = 0xFF8C0049;  // set, 996 bytes
inline constexpr uint32_t kRequestWpsFirstValue = 0xFF8C002B;        // set, u32 1
inline constexpr uint32_t kRequestWpsSecondValue = 0xFF8C002C;       // set, u32 1
inline constexpr uint32_t kRequestWpsStatus = 0xFF0C002D;            // query, u32
inline constexpr uint32_t kRequestWpsCredentialTable = 0xFF0C002E;   // query, 996 bytes

}  // namespace platform
