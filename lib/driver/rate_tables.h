// The rates behind the driver's compact rate descriptors: the DSSS/CCK and OFDM lists of the
// legacy rates and CHTTable, the 802.11n rate table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace vtr {

// A rate descriptor as the driver gives it (only the low 16 bits carry anything): bits 0-6 the
// rate index or the MCS, bit 7 a 40 MHz channel, bit 8 the short (400 ns) guard interval, bits
// 14-15 the modulation family.
inline constexpr uint32_t kRateIndexMask = 0x7F;
inline constexpr uint32_t kRateWideBit = 0x80;
inline constexpr uint32_t kRateShortGuardBit = 0x100;
inline constexpr uint32_t kRateFamilyShift = 14;
enum RateFamily : uint32_t { kFamilyDsss = 0, kFamilyOfdm = 1, kFamilyHt = 2, kFamilyHtToo = 3 };

// Mbit/s of a DSSS/CCK rate index (1, 2, 5.5 and 11 at 0-3 and again at 8-11); 0 for any other.
double DsssRate(uint32_t index);
// Mbit/s of an OFDM rate index 0-7 (6 to 54); 0 for any other.
double OfdmRate(uint32_t index);

// The 802.11n rates by a text key "width,guard,mcs": width 20 or 40 (MHz), guard 800 or 400
// (ns), then the MCS, for example "40,400,15". 68 keys: MCS 0-15 for each width and guard
// interval, and MCS 32 and 33 at 40 MHz. Built once for the process: the link poll decodes two
// rates a second and the table never changes.
class CHTTable {
 public:
  static const CHTTable& Instance();

  // The rate of the MCS at that width and guard interval. MCS 32 at 20 MHz is refused at once;
  // anything else is an exact match of the key.
  bool Lookup(bool wide, bool shortGuard, uint32_t mcs, double& rate) const;
  // The rate of a key given as text; false when the table has no such key.
  bool LookupKey(std::string_view key, double& rate) const;
  std::size_t Size() const { return rates_.size(); }
  const std::map<std::string, double, std::less<>>& Entries() const { return rates_; }

 private:
  CHTTable();
  std::map<std::string, double, std::less<>> rates_;
};

// Mbit/s of a rate descriptor through the list of its family; 0 when the rate is in no list.
double DecodeRateDescriptor(uint32_t descriptor);

}  // namespace vtr
