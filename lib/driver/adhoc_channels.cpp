#include "lib/driver/adhoc_channels.h"

#include <array>

namespace vtr {
namespace {

constexpr std::array<AdhocChannel, 46> BuildList() {
  std::array<AdhocChannel, 46> list{};
  std::size_t at = 0;
  for (uint32_t channel = 1; channel <= 13; ++channel) {
    list[at++] = {channel, 2407000 + 5000 * channel};
  }
  list[at++] = {14, 2484000};
  for (uint32_t channel = 34; channel <= 48; channel += 2) {
    list[at++] = {channel, 5170000 + 5000 * (channel - 34)};
  }
  for (uint32_t channel = 52; channel <= 64; channel += 4) {
    list[at++] = {channel, 5000000 + 5000 * channel};
  }
  for (uint32_t channel = 100; channel <= 140; channel += 4) {
    list[at++] = {channel, 5000000 + 5000 * channel};
  }
  for (uint32_t channel = 149; channel <= 165; channel += 4) {
    list[at++] = {channel, 5000000 + 5000 * channel};
  }
  // Japan's 4.9 GHz channels.
  for (uint32_t channel = 184; channel <= 196; channel += 4) {
    list[at++] = {channel, 4000000 + 5000 * channel};
  }
  return list;
}

constexpr std::array<AdhocChannel, 46> kList = BuildList();
static_assert(kList[45].channel == 196 && kList[45].frequencyKhz == 4980000);

}  // namespace

std::span<const AdhocChannel> AdhocChannelList() {
  return kList;
}

uint32_t AdhocChannelFrequency(uint32_t position) {
  if (position < 1 || position > kList.size()) return 0;
  return kList[position - 1].frequencyKhz;
}

}  // namespace vtr
