// The Vista build's site survey: the scan and its waits on the service, and the BSS list turned
// into survey entries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "lib/nativewifi/bss_survey.h"
#include "vista/vista_fixture.h"
#include "vtrlib.h"

namespace {

using testing::ElementsAre;
using testing_support::VistaTest;

class VistaSurveyTest : public VistaTest {};

const VtrSurveyEntry* Find(const std::vector<VtrSurveyEntry>& entries, int32_t count,
                           const char* bssid) {
  for (int32_t i = 0; i < count; ++i) {
    if (std::strcmp(entries[i].bssid, bssid) == 0) return &entries[i];
  }
  return nullptr;
}

TEST_F(VistaSurveyTest, ScanWaitsForTheServiceAndListsBothBands) {
  UseVista();
  ASSERT_EQ(VTR_Initialize(0), 11);
  Service().Log().Clear();
  const uint64_t start = Machine().Clock().NowMs();
  std::vector<VtrSurveyEntry> entries(128);
  const int32_t count = VTR_SiteSurveyEx(0, 5, 1, 1, entries.data(), 0);
  // A dual-band radio hears every network of the neighbourhood.
  EXPECT_EQ(count, 19);
  EXPECT_EQ(Machine().Clock().NowMs() - start, 2500u);
  EXPECT_THAT(CallNames(), ElementsAre("WlanScan", "WlanGetNetworkBssList"));
  EXPECT_EQ(Service().Log().Calls().back().arguments, "bssType=3 security=0");
  for (int32_t i = 1; i < count; ++i) EXPECT_GE(entries[i - 1].signal, entries[i].signal);

  const VtrSurveyEntry* rooftop = Find(entries, count, "00-24-A5-3C-90-11");
  ASSERT_NE(rooftop, nullptr);
  EXPECT_EQ(rooftop->channel, 161u);
  EXPECT_STREQ(rooftop->frequency, "5.805 GHz");
  EXPECT_EQ(rooftop->phyMode, 6u);
  EXPECT_EQ(rooftop->isHt, 1);
  const VtrSurveyEntry* press = Find(entries, count, "00-1B-11-7C-20-9E");
  ASSERT_NE(press, nullptr);
  EXPECT_EQ(press->phyMode, 4u);  // 802.11n at 2.4 GHz
  EXPECT_EQ(press->authMask, 8u);
  EXPECT_EQ(press->cipherMask, 4u);
  EXPECT_EQ(press->hasWps, 1);
  EXPECT_EQ(press->wpsPbcActive, 1);
  const VtrSurveyEntry* mixed = Find(entries, count, "00-90-4C-0A-33-71");
  ASSERT_NE(mixed, nullptr);
  EXPECT_EQ(mixed->authMask, 12u);
  EXPECT_EQ(mixed->cipherMask, 6u);
  const VtrSurveyEntry* hidden = Find(entries, count, "00-1E-58-60-2B-4F");
  ASSERT_NE(hidden, nullptr);
  EXPECT_EQ(hidden->ssid[0], '\0');
  const VtrSurveyEntry* party = Find(entries, count, "02-3C-91-44-07-D2");
  ASSERT_NE(party, nullptr);
  EXPECT_EQ(party->networkType, 0u);
  EXPECT_EQ(party->phyMode, 2u);
  EXPECT_EQ(Service().OutstandingMemory(), 0u);

  // Without a scan the list is read again; dBm on request; 802.11g infrastructure filtered out.
  Service().Log().Clear();
  std::vector<VtrSurveyEntry> filtered(128);
  const int32_t kept = VTR_SiteSurveyEx(8, 8, 0, 0, filtered.data(), 1);
  EXPECT_THAT(CallNames(), ElementsAre("WlanGetNetworkBssList"));
  EXPECT_NE(Find(filtered, kept, "02-5A-17-88-3B-01"), nullptr);  // ad hoc 802.11g stays
  EXPECT_EQ(Find(filtered, kept, "00-18-39-C2-8D-14"), nullptr);
  const VtrSurveyEntry* far = Find(filtered, kept, "00-11-95-0B-C7-39");
  ASSERT_NE(far, nullptr);
  EXPECT_EQ(far->signal, -93);
}

TEST_F(VistaSurveyTest, ScanWithTheRadioOffTimesOutAfterThirtySeconds) {
  UseVista();
  ASSERT_EQ(VTR_Initialize(0), 11);
  ASSERT_EQ(VTR_SetRadioMode(0), 1);
  const uint64_t start = Machine().Clock().NowMs();
  std::vector<VtrSurveyEntry> entries(128);
  EXPECT_EQ(VTR_SiteSurveyEx(0, 5, 1, 1, entries.data(), 0), 0);
  EXPECT_EQ(Machine().Clock().NowMs() - start, 30'000u);
}

platform::WlanBssEntry Bss(uint8_t last, uint32_t frequencyKhz, uint32_t phyType) {
  platform::WlanBssEntry bss;
  bss.ssid = {'n', 'e', 't'};
  bss.bssid[5] = last;
  bss.centerFrequencyKhz = frequencyKhz;
  bss.phyType = phyType;
  bss.linkQuality = 50;
  return bss;
}

TEST(BssSurveyTest, PhyModesChannelsAndFilters) {
  EXPECT_EQ(vtr::SurveyPhyMode(7, 2'437'000), 4u);
  EXPECT_EQ(vtr::SurveyPhyMode(7, 2'484'000), 4u);
  EXPECT_EQ(vtr::SurveyPhyMode(7, 5'180'000), 6u);
  EXPECT_EQ(vtr::SurveyPhyMode(1, 2'412'000), 10u);
  EXPECT_EQ(vtr::SurveyPhyMode(2, 2'412'000), 10u);
  EXPECT_EQ(vtr::SurveyPhyMode(3, 2'412'000), 10u);

  platform::WlanBssList list;
  list.entries = {Bss(1, 2'412'000, 6), Bss(2, 5'805'000, 4), Bss(3, 2'437'000, 5),
                  Bss(4, 2'437'000, 6)};
  list.entries[3].bssType = platform::kDot11BssIndependent;
  std::vector<VtrSurveyEntry> entries(128);
  std::vector<std::string> reported;
  vtr::BssSurveyOptions options;
  options.filterMask = 8;
  ASSERT_EQ(vtr::WriteBssEntries(list, options, entries.data(), reported), 3u);
  EXPECT_STREQ(entries[0].bssid, "00-00-00-00-00-02");
  EXPECT_EQ(entries[0].channel, 161u);
  EXPECT_STREQ(entries[0].frequency, "5.805 GHz");
  EXPECT_EQ(entries[2].networkType, 0u);  // the ad hoc 802.11g network stays
  EXPECT_THAT(reported, ElementsAre("00-00-00-00-00-02", "00-00-00-00-00-03", "00-00-00-00-00-04"));
  options.filterMask = 1 | 2 | 4;
  reported.clear();
  ASSERT_EQ(vtr::WriteBssEntries(list, options, entries.data(), reported), 1u);
  EXPECT_STREQ(entries[0].bssid, "00-00-00-00-00-01");
}

TEST(BssSurveyTest, SecurityFromTheElementsOnlyWithPrivacy) {
  platform::WlanBssList list;
  list.entries = {Bss(1, 2'412'000, 6), Bss(2, 2'412'000, 6), Bss(3, 2'412'000, 6)};
  // Privacy without RSN or WPA: WEP.
  list.entries[0].capabilityInformation = 0x0011;
  // RSN (CCMP, PSK) and WPA (TKIP, PSK).
  const std::vector<uint8_t> rsn = {48,   20,   1, 0, 0, 0x0F, 0xAC, 4,    1, 0, 0,
                                    0x0F, 0xAC, 4, 1, 0, 0,    0x0F, 0xAC, 2, 0, 0};
  const std::vector<uint8_t> wpa = {221, 22, 0, 0x50, 0xF2, 1, 1, 0, 0, 0x50, 0xF2, 2,
                                    1,   0,  0, 0x50, 0xF2, 2, 1, 0, 0, 0x50, 0xF2, 2};
  list.entries[1].capabilityInformation = 0x0011;
  list.entries[1].ies = rsn;
  list.entries[1].ies.insert(list.entries[1].ies.end(), wpa.begin(), wpa.end());
  // The same elements without privacy count for nothing.
  list.entries[2].ies = list.entries[1].ies;
  std::vector<VtrSurveyEntry> entries(128);
  std::vector<std::string> reported;
  ASSERT_EQ(vtr::WriteBssEntries(list, {}, entries.data(), reported), 3u);
  EXPECT_EQ(entries[0].cipherMask, 1u);
  EXPECT_EQ(entries[0].authMask, 0u);
  EXPECT_EQ(entries[1].cipherMask, 6u);
  EXPECT_EQ(entries[1].authMask, 12u);
  EXPECT_EQ(entries[2].cipherMask, 0u);
  EXPECT_EQ(entries[2].authMask, 0u);
}

TEST(BssSurveyTest, OneEntryPerBssidForChipsetFourAndAtMost128) {
  platform::WlanBssList list;
  list.entries = {Bss(1, 2'412'000, 6), Bss(1, 5'180'000, 4), Bss(2, 2'412'000, 6)};
  std::vector<VtrSurveyEntry> entries(128);
  std::vector<std::string> reported;
  vtr::BssSurveyOptions options;
  EXPECT_EQ(vtr::WriteBssEntries(list, options, entries.data(), reported), 3u);
  options.reportBssidOnce = true;
  reported.clear();
  EXPECT_EQ(vtr::WriteBssEntries(list, options, entries.data(), reported), 2u);
  EXPECT_EQ(entries[0].phyMode, 4u);  // the first of the two is the one reported

  platform::WlanBssList many;
  for (int i = 0; i < 200; ++i) many.entries.push_back(Bss(static_cast<uint8_t>(i), 2'412'000, 6));
  std::vector<VtrSurveyEntry> array(129);
  std::memset(&array[128], 0x5A, sizeof(VtrSurveyEntry));
  reported.clear();
  EXPECT_EQ(vtr::WriteBssEntries(many, {}, array.data(), reported), 128u);
  EXPECT_EQ(array[128].phyMode, 0x5A5A5A5Au);
}

}  // namespace
