#include "lib/common/channel_table.h"

#include <array>

namespace vtr {
namespace {

// 5785000 kHz is channel 157 here, as 5000 MHz + 5 MHz x 157 says and as both builds list it.
constexpr std::array<ChannelRow, 41> kRows{{
    {2412000, 1},   {2417000, 2},   {2422000, 3},   {2427000, 4},   {2432000, 5},   {2437000, 6},
    {2442000, 7},   {2447000, 8},   {2452000, 9},   {2457000, 10},  {2462000, 11},  {2467000, 12},
    {2472000, 13},  {2484000, 14},  {5170000, 34},  {5180000, 36},  {5190000, 38},  {5200000, 40},
    {5210000, 42},  {5220000, 44},  {5230000, 46},  {5240000, 48},  {5260000, 52},  {5280000, 56},
    {5300000, 60},  {5320000, 64},  {5500000, 100}, {5520000, 104}, {5540000, 108}, {5560000, 112},
    {5580000, 116}, {5600000, 120}, {5620000, 124}, {5640000, 128}, {5660000, 132}, {5680000, 136},
    {5700000, 140}, {5745000, 149}, {5765000, 153}, {5785000, 157}, {5805000, 161},
}};

}  // namespace

std::span<const ChannelRow> ChannelTable() {
  return kRows;
}

uint32_t ChannelForFrequency(uint32_t frequencyKhz) {
  for (const ChannelRow& row : kRows) {
    if (row.frequencyKhz == frequencyKhz) return row.channel;
  }
  return 0;
}

}  // namespace vtr
