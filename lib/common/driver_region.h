// The adapter driver's region word, shared by both builds: which region a country code selects,
// and how the word's region reads as the utility's region code.
#pragma once

#include <cstdint>

namespace vtr {

// The driver region a country code selects; 0 for countries without a region of their own.
inline uint32_t DriverRegionForCountry(uint32_t countryCode) {
  switch (countryCode) {
    case 2:
    case 4:
    case 9:
    case 11:
    case 13:
      return 1;
    case 5:
      return 3;
    case 6:
      return 2;
    case 7:
      return 4;
    case 8:
      return 5;
    default:
      return 0;
  }
}

// The utility's region code of a driver region word (its low 7 bits; bit 7 marks a factory
// region).
inline uint32_t RegionCodeFromDriver(uint32_t driverWord) {
  switch (driverWord & 0x7F) {
    case 1:
      return 3;
    case 2:
      return 4;
    case 3:
      return 5;
    default:
      return 1;
  }
}

}  // namespace vtr
