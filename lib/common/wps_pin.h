// The station's WPS PIN: a seven-digit base and the WPS checksum digit, as eight digits.
#pragma once

#include <cstdint>

namespace vtr::wps {

inline constexpr uint32_t kPinBaseModulo = 10'000'000;

// The seven-digit base of three random bytes (first byte most significant).
uint32_t PinBase(uint8_t first, uint8_t second, uint8_t third);

// The checksum digit of a seven-digit base by the WPS rule: with d1..d7 the digits from the most
// significant, (10 - (3 (d1 + d3 + d5 + d7) + d2 + d4 + d6) mod 10) mod 10.
uint32_t PinChecksum(uint32_t base);

// Writes the PIN of a base (base and checksum digit, leading zeros kept) and a NUL into text.
void FormatPin(uint32_t base, char (&text)[9]);

// A new PIN from the system's unpredictable source. A PIN lets whoever knows it onto the
// network, so it never comes from a generator seeded with the time, which could be guessed from
// the second it was made.
void NewPin(char (&text)[9]);

// Whether text is eight digits whose last is the checksum of the first seven.
bool PinValid(const char* text, uint32_t length);

}  // namespace vtr::wps
