// The rate lists, the 802.11n table and the ad hoc channel list, on their values.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "lib/common/channel_table.h"
#include "lib/driver/adhoc_channels.h"
#include "lib/driver/rate_tables.h"

namespace {

uint32_t Descriptor(uint32_t family, bool wide, bool shortGuard, uint32_t index) {
  return (family << 14) | (wide ? 0x80u : 0u) | (shortGuard ? 0x100u : 0u) | index;
}

// The table's keys are exactly MCS 0-15 for each width and guard interval, and MCS 32 and 33
// at 40 MHz: nothing missing, nothing extra.
TEST(CHTTable, HoldsTheSixtyEightKeysAndNoOthers) {
  const auto& table = vtr::CHTTable::Instance();
  std::set<std::string> expected;
  for (const char* column : {"20,800,", "20,400,", "40,800,", "40,400,"}) {
    for (int mcs = 0; mcs < 16; ++mcs) expected.insert(column + std::to_string(mcs));
  }
  for (const char* key : {"40,800,32", "40,400,32", "40,800,33", "40,400,33"}) {
    expected.insert(key);
  }
  std::set<std::string> keys;
  for (const auto& [key, rate] : table.Entries()) keys.insert(key);
  EXPECT_EQ(table.Size(), 68u);
  EXPECT_EQ(keys, expected);
  // Built once: every caller sees the same table.
  EXPECT_EQ(&vtr::CHTTable::Instance(), &table);
}

TEST(CHTTable, RatesFollowTheMcsTable) {
  const auto& table = vtr::CHTTable::Instance();
  const struct {
    const char* key;
    double rate;
  } telling[] = {{"20,800,0", 6.5},      {"20,800,15", 130.0}, {"40,800,0", 13.5},
                 {"40,800,15", 270.0},   {"40,400,15", 300.0}, {"40,800,32", 6.0},
                 {"40,400,32", 6.7},     {"40,800,33", 39.0},  {"40,400,33", 43.3},
                 {"20,400,3", 28.9},     {"20,400,7", 72.2},   {"20,400,8", 14.444},
                 {"20,400,13", 115.556}, {"20,400,14", 130.0}};
  for (const auto& row : telling) {
    double rate = 0;
    ASSERT_TRUE(table.LookupKey(row.key, rate)) << row.key;
    EXPECT_DOUBLE_EQ(rate, row.rate) << row.key;
  }
  // Two spatial streams carry twice the data of one; the 400 ns column at 20 MHz is rounded
  // per entry, so it matches only to the rounding.
  for (const char* column : {"20,800,", "20,400,", "40,800,", "40,400,"}) {
    for (int mcs = 0; mcs < 8; ++mcs) {
      double one = 0;
      double two = 0;
      ASSERT_TRUE(table.LookupKey(column + std::to_string(mcs), one));
      ASSERT_TRUE(table.LookupKey(column + std::to_string(mcs + 8), two));
      EXPECT_NEAR(two, 2 * one, 0.1) << column << mcs;
    }
  }
  // 40 MHz carries 2.08 times the data of 20 MHz (108 against 52 data subcarriers).
  for (int mcs = 0; mcs < 16; ++mcs) {
    double narrow = 0;
    double wide = 0;
    ASSERT_TRUE(table.LookupKey("20,800," + std::to_string(mcs), narrow));
    ASSERT_TRUE(table.LookupKey("40,800," + std::to_string(mcs), wide));
    EXPECT_NEAR(wide / narrow, 108.0 / 52.0, 1e-9) << mcs;
  }
}

TEST(CHTTable, LookupRefusesWhatTheTableDoesNotHold) {
  const auto& table = vtr::CHTTable::Instance();
  double rate = -1;
  EXPECT_FALSE(table.Lookup(false, false, 32, rate));
  EXPECT_FALSE(table.Lookup(false, true, 33, rate));
  EXPECT_FALSE(table.Lookup(true, false, 16, rate));
  EXPECT_FALSE(table.Lookup(true, true, 127, rate));
  EXPECT_FALSE(table.LookupKey("20,800,00", rate));  // the MCS is written without leading 0
  EXPECT_EQ(rate, -1);
  ASSERT_TRUE(table.Lookup(true, true, 32, rate));
  EXPECT_DOUBLE_EQ(rate, 6.7);
  ASSERT_TRUE(table.Lookup(false, true, 0, rate));
  EXPECT_DOUBLE_EQ(rate, 7.2);
}

TEST(RateDescriptor, EachFamilyDecodesThroughItsList) {
  const struct {
    uint32_t descriptor;
    double rate;
  } cases[] = {
      {Descriptor(2, true, true, 15), 300.0},                // HT, 40 MHz, short guard
      {Descriptor(3, true, true, 15), 300.0},                // family 3 is HT too
      {Descriptor(2, false, false, 7), 65.0},                // HT, 20 MHz, long guard
      {Descriptor(2, false, false, 32), 0},                  // MCS 32 needs 40 MHz
      {Descriptor(2, true, false, 32), 6.0},                 //
      {Descriptor(2, false, false, 40), 0},                  // not an MCS of the table
      {Descriptor(1, false, false, 7), 54.0},                // OFDM
      {Descriptor(1, false, false, 0), 6.0},                 //
      {Descriptor(1, false, false, 8), 0},                   // beyond the OFDM list
      {Descriptor(0, false, false, 2), 5.5},                 // DSSS/CCK
      {Descriptor(0, false, false, 3), 11.0},                //
      {Descriptor(0, false, false, 4), 0},                   // the gap between the two groups
      {Descriptor(0, false, false, 7), 0},                   //
      {Descriptor(0, false, false, 8), 1.0},                 // the second group repeats the first
      {Descriptor(0, false, false, 11), 11.0},               //
      {Descriptor(0, false, false, 12), 0},                  //
      {Descriptor(0, true, true, 1), 2.0},                   // width and guard mean nothing to DSSS
      {Descriptor(1, true, true, 4), 24.0},                  // nor to OFDM
      {0xFFFF0000u | Descriptor(1, false, false, 5), 36.0},  // only the low 16 bits count
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(vtr::DecodeRateDescriptor(c.descriptor), c.rate)
        << std::hex << "descriptor 0x" << c.descriptor;
  }
  // The link record carries tenths of Mbit/s, truncated.
  EXPECT_EQ(static_cast<uint32_t>(vtr::DecodeRateDescriptor(Descriptor(2, true, true, 15)) * 10),
            3000u);
  EXPECT_EQ(static_cast<uint32_t>(vtr::DecodeRateDescriptor(Descriptor(1, false, false, 7)) * 10),
            540u);
  EXPECT_EQ(static_cast<uint32_t>(vtr::DecodeRateDescriptor(Descriptor(0, false, false, 2)) * 10),
            55u);
  EXPECT_EQ(static_cast<uint32_t>(vtr::DecodeRateDescriptor(Descriptor(2, false, true, 8)) * 10),
            144u);
}

TEST(AdhocChannelList, PositionsNameTheChannelsOfTheChannelTable) {
  const auto list = vtr::AdhocChannelList();
  ASSERT_EQ(list.size(), 46u);
  for (uint32_t position = 1; position <= 14; ++position) {
    EXPECT_EQ(list[position - 1].channel, position);
  }
  EXPECT_EQ(vtr::AdhocChannelFrequency(6), 2437000u);
  EXPECT_EQ(vtr::AdhocChannelFrequency(14), 2484000u);
  EXPECT_EQ(vtr::AdhocChannelFrequency(15), 5170000u);  // channel 34
  EXPECT_EQ(vtr::AdhocChannelFrequency(46), 4980000u);  // channel 196
  // Positions a damaged profile can hold name no frequency.
  EXPECT_EQ(vtr::AdhocChannelFrequency(0), 0u);
  EXPECT_EQ(vtr::AdhocChannelFrequency(47), 0u);
  EXPECT_EQ(vtr::AdhocChannelFrequency(0xFFFFFFFFu), 0u);
  // Wherever the survey's channel table knows the frequency, it names the same channel, so a
  // network started on a position shows that channel in the survey and the link.
  uint32_t known = 0;
  uint32_t previous = 0;
  for (const auto& entry : list) {
    const uint32_t channel = vtr::ChannelForFrequency(entry.frequencyKhz);
    if (channel != 0) {
      EXPECT_EQ(channel, entry.channel) << entry.frequencyKhz;
      ++known;
    }
    // 5 GHz channels sit 5 MHz apart from their neighbours' numbers.
    if (entry.channel >= 34) {
      const uint32_t base = entry.channel >= 182 ? 4000000 : 5000000;
      EXPECT_EQ(entry.frequencyKhz, base + 5000 * entry.channel) << entry.channel;
    }
    EXPECT_GT(entry.channel, previous);
    previous = entry.channel;
  }
  EXPECT_EQ(known, 41u);  // all but 165 and the four 4.9 GHz channels
}

}  // namespace
