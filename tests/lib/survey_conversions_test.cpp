// Signal percentages, the channel table and band modes: the conversions every survey entry and
// the link information use.
#include <gtest/gtest.h>

#include <set>

// The library exports only its VTR_* functions; these internals are compiled into the tests
// here, and only here.
#include "lib/common/channel_table.h"
#include "lib/common/signal_percent.h"
#include "lib/driver/survey_band_mode.h"

namespace {

TEST(SurveySignalPercent, FollowsBothLinesAndTheirEnds) {
  const struct {
    int32_t rssi;
    int32_t percent;
  } cases[] = {
      {0, 100},  {-49, 100}, {-50, 100}, {-51, 99},      {-60, 76},
      {-79, 26}, {-80, 24},  {-81, 23},  {-85, 13},      {-89, 2},
      {-90, 0},  {-91, 0},   {-200, 0},  {INT32_MIN, 0}, {INT32_MAX, 100},
  };
  for (const auto& c : cases) EXPECT_EQ(vtr::SignalPercent(c.rssi), c.percent) << c.rssi;
}

TEST(SurveyChannelTable, HasTheFortyOneRowsOfBothBands) {
  const auto table = vtr::ChannelTable();
  ASSERT_EQ(table.size(), 41u);
  std::set<uint32_t> frequencies;
  for (const auto& row : table) {
    frequencies.insert(row.frequencyKhz);
    // 2.4 GHz: 2407 MHz + 5 MHz x channel (14 is the odd one); 5 GHz: 5000 MHz + 5 MHz x channel.
    if (row.channel == 14) {
      EXPECT_EQ(row.frequencyKhz, 2484000u);
    } else if (row.channel < 14) {
      EXPECT_EQ(row.frequencyKhz, 2407000u + 5000u * row.channel);
    } else {
      EXPECT_EQ(row.frequencyKhz, 5000000u + 5000u * row.channel) << row.channel;
    }
  }
  EXPECT_EQ(frequencies.size(), 41u);
}

TEST(SurveyChannelTable, LooksUpExactFrequenciesOnly) {
  EXPECT_EQ(vtr::ChannelForFrequency(2412000), 1u);
  EXPECT_EQ(vtr::ChannelForFrequency(2472000), 13u);
  EXPECT_EQ(vtr::ChannelForFrequency(2484000), 14u);
  EXPECT_EQ(vtr::ChannelForFrequency(5170000), 34u);
  EXPECT_EQ(vtr::ChannelForFrequency(5230000), 46u);
  EXPECT_EQ(vtr::ChannelForFrequency(5600000), 120u);
  EXPECT_EQ(vtr::ChannelForFrequency(5765000), 153u);
  EXPECT_EQ(vtr::ChannelForFrequency(5785000), 157u);
  EXPECT_EQ(vtr::ChannelForFrequency(5805000), 161u);
  EXPECT_EQ(vtr::ChannelForFrequency(2412001), 0u);
  EXPECT_EQ(vtr::ChannelForFrequency(2477000), 0u);  // channel 14 is not 5 MHz after 13
  EXPECT_EQ(vtr::ChannelForFrequency(5250000), 0u);
  EXPECT_EQ(vtr::ChannelForFrequency(5825000), 0u);  // 165 is not listed
  EXPECT_EQ(vtr::ChannelForFrequency(2437), 0u);     // MHz is not kHz
  EXPECT_EQ(vtr::ChannelForFrequency(0), 0u);
}

TEST(SurveyBandMode, FrequencyAbove5GHzIsAWhateverTheRates) {
  const uint8_t rates11b[16] = {0x82, 0x84, 0x8B, 0x96};
  EXPECT_EQ(vtr::BandMode(5180000, rates11b), 6u);
  EXPECT_EQ(vtr::BandMode(5000001, rates11b), 6u);
  EXPECT_EQ(vtr::BandMode(5000000, rates11b), 2u);
}

TEST(SurveyBandMode, OfdmOnlyRatesMakeG) {
  const struct {
    uint8_t rates[16];
    uint32_t mode;
    const char* what;
  } cases[] = {
      {{0x82, 0x84, 0x8B, 0x96}, 2, "802.11b rates only"},
      {{0x82, 0x84, 0x8B, 0x96, 0x0C}, 2, "6 Mbit/s besides the 802.11b rates"},
      {{0x82, 0x84, 0x8B, 0x96, 0x12}, 4, "9 Mbit/s"},
      {{0x93}, 4, "19 with the basic-rate flag"},
      {{0x82, 0x84, 0x8B, 0x97}, 2, "23 is still no OFDM rate"},
      {{0x82, 0x98}, 4, "12 Mbit/s basic"},
      {{0x82, 0x00, 0x6C}, 2, "the list ends at the first empty byte"},
      {{0x82, 0x80, 0x6C}, 2, "a byte empty but for the basic-rate flag ends it too"},
      {{2, 4, 11, 22, 2, 4, 11, 22, 2, 4, 11, 22, 2, 4, 11, 22}, 2, "all sixteen looked at"},
      {{2, 4, 11, 22, 2, 4, 11, 22, 2, 4, 11, 22, 2, 4, 11, 0x6C}, 4, "the sixteenth counts"},
  };
  for (const auto& c : cases) EXPECT_EQ(vtr::BandMode(2437000, c.rates), c.mode) << c.what;
}

}  // namespace
