// The driver build's site survey: the scan through the driver and the last list it gave.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace vtr {

// The size the BSSID list is asked for: a count and up to 192 items of the fixed part and the
// beacon's fixed fields.
inline constexpr uint32_t kScanBufferSize = 24584;

// The last BSSID list read from the driver, kept for the whole time the library is loaded. It
// starts empty and only a survey that scans replaces it; a survey that does not scan re-reads
// it. It is not locked: the callers never run two surveys at once.
std::span<uint8_t, kScanBufferSize> ScanBuffer();

// Asks the driver for a fresh list into ScanBuffer. False when the driver refused the scan
// twice in a row or could not give the list.
bool ScanNetworks();

}  // namespace vtr
