#include "lib/common/wps_pin.h"

#include <cstdio>
#include <random>

namespace vtr::wps {

uint32_t PinBase(uint8_t first, uint8_t second, uint8_t third) {
  const uint32_t random = (uint32_t{first} << 16) | (uint32_t{second} << 8) | third;
  return random % kPinBaseModulo;
}

uint32_t PinChecksum(uint32_t base) {
  uint32_t sum = 0;
  // From the least significant digit d7 up: d7, d5, d3, d1 weigh 3, the others 1.
  for (uint32_t position = 0; position < 7; ++position) {
    const uint32_t digit = base % 10;
    base /= 10;
    sum += position % 2 == 0 ? 3 * digit : digit;
  }
  return (10 - sum % 10) % 10;
}

void FormatPin(uint32_t base, char (&text)[9]) {
  base %= kPinBaseModulo;
  std::snprintf(text, sizeof text, "%08u", base * 10 + PinChecksum(base));
}

void NewPin(char (&text)[9]) {
  std::random_device source;
  const uint32_t random = source();
  FormatPin(PinBase(static_cast<uint8_t>(random >> 16), static_cast<uint8_t>(random >> 8),
                    static_cast<uint8_t>(random)),
            text);
}

bool PinValid(const char* text, uint32_t length) {
  if (text == nullptr || length != 8) return false;
  uint32_t base = 0;
  for (uint32_t i = 0; i < 7; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    base = base * 10 + static_cast<uint32_t>(text[i] - '0');
  }
  return text[7] >= '0' && text[7] <= '9' &&
         static_cast<uint32_t>(text[7] - '0') == PinChecksum(base);
}

}  // namespace vtr::wps
