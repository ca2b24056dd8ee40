#include "lib/driver/rate_tables.h"

#include <array>
#include <charconv>

namespace vtr {
namespace {

constexpr std::array<double, 4> kDsssRates = {1.0, 2.0, 5.5, 11.0};
constexpr std::array<double, 8> kOfdmRates = {6, 9, 12, 18, 24, 36, 48, 54};

// One column of the 802.11n MCS table: MCS 0-15 at one width and guard interval.
struct HtColumn {
  const char* prefix;  // "width,guard,"
  std::array<double, 16> rates;
};

// The published data rates; the 20 MHz short-guard column keeps the decimals the utility shows
// (one for a single stream, three for two).
const HtColumn kHtColumns[] = {
    {"20,800,", {6.5, 13, 19.5, 26, 39, 52, 58.5, 65, 13, 26, 39, 52, 78, 104, 117, 130}},
    {"20,400,",
     {7.2, 14.4, 21.7, 28.9, 43.3, 57.8, 65.0, 72.2, 14.444, 28.889, 43.333, 57.778, 86.667,
      115.556, 130.0, 144.444}},
    {"40,800,", {13.5, 27, 40.5, 54, 81, 108, 121.5, 135, 27, 54, 81, 108, 162, 216, 243, 270}},
    {"40,400,", {15, 30, 45, 60, 90, 120, 135, 150, 30, 60, 90, 120, 180, 240, 270, 300}},
};

// MCS 32 (duplicate 6 Mbit/s) and MCS 33 exist at 40 MHz only.
struct HtExtra {
  const char* key;
  double rate;
};
const HtExtra kHtExtras[] = {
    {"40,800,32", 6.0}, {"40,400,32", 6.7}, {"40,800,33", 39.0}, {"40,400,33", 43.3}};

constexpr uint32_t kMcsOnlyAt40MHz = 32;

}  // namespace

double DsssRate(uint32_t index) {
  if (index < 4) return kDsssRates[index];
  if (index >= 8 && index < 12) return kDsssRates[index - 8];
  return 0;
}

double OfdmRate(uint32_t index) {
  return index < kOfdmRates.size() ? kOfdmRates[index] : 0;
}

CHTTable::CHTTable() {
  for (const HtColumn& column : kHtColumns) {
    for (std::size_t mcs = 0; mcs < column.rates.size(); ++mcs) {
      rates_.emplace(column.prefix + std::to_string(mcs), column.rates[mcs]);
    }
  }
  for (const HtExtra& extra : kHtExtras) rates_.emplace(extra.key, extra.rate);
}

const CHTTable& CHTTable::Instance() {
  static const CHTTable table;
  return table;
}

bool CHTTable::Lookup(bool wide, bool shortGuard, uint32_t mcs, double& rate) const {
  if (!wide && mcs == kMcsOnlyAt40MHz) return false;
  // "40,400," and at most ten digits: the key never outgrows this buffer.
  char key[20] = {};
  std::string_view prefix = wide ? "40," : "20,";
  std::string_view guard = shortGuard ? "400," : "800,";
  char* end = key;
  for (char c : prefix) *end++ = c;
  for (char c : guard) *end++ = c;
  end = std::to_chars(end, key + sizeof(key), mcs).ptr;
  return LookupKey(std::string_view(key, static_cast<std::size_t>(end - key)), rate);
}

bool CHTTable::LookupKey(std::string_view key, double& rate) const {
  const auto it = rates_.find(key);
  if (it == rates_.end()) return false;
  rate = it->second;
  return true;
}

double DecodeRateDescriptor(uint32_t descriptor) {
  const uint32_t index = descriptor & kRateIndexMask;
  switch ((descriptor >> kRateFamilyShift) & 3) {
    case kFamilyDsss:
      return DsssRate(index);
    case kFamilyOfdm:
      return OfdmRate(index);
    default: {
      double rate = 0;
      const bool found = CHTTable::Instance().Lookup(
          (descriptor & kRateWideBit) != 0, (descriptor & kRateShortGuardBit) != 0, index, rate);
      return found ? rate : 0;
    }
  }
}

}  // namespace vtr
