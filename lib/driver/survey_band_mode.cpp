#include "lib/driver/survey_band_mode.h"

#include "platform/ndis_802_11.h"
#include "vtrlib/codes.h"

namespace vtr {

uint32_t BandMode(uint32_t frequencyKhz, const uint8_t (&rates)[kSupportedRatesSize]) {
  if (frequencyKhz > 5000000) return VTR_PHY_11A;
  for (const uint8_t listed : rates) {
    // In 500 kbit/s units, basic-rate flag removed. 9 Mbit/s (18 or 19) and every rate above
    // 11.5 Mbit/s (23) exist only in OFDM; 6 Mbit/s (12) alone is not taken as a sign of
    // 802.11g. The list ends at its first empty byte.
    const uint8_t rate = listed & static_cast<uint8_t>(~platform::kBasicRateBit);
    if (rate == 0) return VTR_PHY_11B;
    if (rate == 18 || rate == 19 || rate > 23) return VTR_PHY_11G;
  }
  return VTR_PHY_11B;
}

}  // namespace vtr
