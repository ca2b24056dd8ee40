// VTR_SiteSurveyEx end to end on simulated machines, in machine time: the requests the driver
// receives, the waits between them, the entries of real neighbourhoods, and the failures.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/services.h"
#include "sim/adapter_control.h"
#include "sim/miniport_log.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace {

using testing_support::MachineTest;

constexpr uint32_t kWirelessModeOid = 0x0D71010C;  // the set goes with the set bit added
constexpr uint32_t kScanOid = 0x0D01011A;
constexpr uint32_t kListOid = 0x0D010217;
constexpr uint8_t kCanary = 0xC5;

struct Result {
  int32_t count = 0;
  std::vector<VtrSurveyEntry> entries;  // 128 and one more that must stay untouched

  const VtrSurveyEntry* Bssid(const char* bssid) const {
    for (int32_t i = 0; i < count; ++i) {
      if (std::strcmp(entries[i].bssid, bssid) == 0) return &entries[i];
    }
    return nullptr;
  }
  std::string Names() const {
    std::string names;
    for (int32_t i = 0; i < count; ++i) names += std::string(entries[i].ssid) + ",";
    return names;
  }
};

Result Survey(uint32_t filter, uint32_t key, uint32_t descending, uint32_t scanMode,
              uint32_t signalFormat = 0) {
  Result result;
  result.entries.resize(129);
  std::memset(result.entries.data(), 0, 128 * sizeof(VtrSurveyEntry));
  std::memset(&result.entries[128], kCanary, sizeof(VtrSurveyEntry));
  result.count =
      VTR_SiteSurveyEx(filter, key, descending, scanMode, result.entries.data(), signalFormat);
  return result;
}

uint64_t Now() {
  return platform::Current().Clock().NowMs();
}

nlohmann::json Network(const std::string& ssid, const std::string& bssid, int channel, int rssi) {
  return {{"ssid", ssid}, {"bssid", bssid}, {"channel", channel}, {"rssi", rssi}, {"rates", "g"}};
}

class SurveyExportTest : public MachineTest {
 protected:
  void TearDown() override { VTR_UnInitialize(); }

  // A machine with the xp description's adapter and the given air; initialised, log cleared.
  void UseAir(const nlohmann::json& neighbourhood, bool dualBand = false) {
    auto description = testing_support::XpDescription();
    description["neighbourhood"] = neighbourhood;
    WirelessAdapter(description)["radio"]["dualBand"] = dualBand;
    UseMachine(description);
    ASSERT_EQ(VTR_Initialize(0), 3);
    sim::CurrentMiniportLog().Clear();
  }
};

TEST_F(SurveyExportTest, DefaultMachineShowsEveryNetworkItsRadioHears) {
  UseXpMachine();
  ASSERT_EQ(VTR_Initialize(0), 3);
  const Result survey = Survey(0, 5, 1, 1);
  // The dual-band adapter hears the sixteen 2.4 GHz networks and the three at 5 GHz.
  ASSERT_EQ(survey.count, 19);
  const struct {
    const char* bssid;
    const char* ssid;
    uint32_t phyMode, channel, networkType, auth, cipher;
    uint8_t ht, wps, pbc;
  } expected[] = {
      {"00-14-6C-3A-51-02", "HomeNet", 4, 6, 1, 8, 4, 1, 1, 0},
      {"00-1B-11-7C-20-9E", "PressMe", 4, 11, 1, 8, 4, 1, 1, 1},
      {"00-90-4C-0A-33-71", "MixedMode", 4, 1, 1, 12, 6, 1, 1, 0},
      {"00-18-39-C2-8D-14", "CoffeeShop", 4, 1, 1, 0, 0, 0, 1, 0},
      {"00-09-5B-1E-44-A0", "OldRouter", 2, 11, 1, 0, 1, 0, 1, 0},
      {"00-0F-66-4D-12-B8", "Legacy-WPA", 4, 3, 1, 4, 2, 0, 0, 0},
      {"00-1D-7E-55-06-C3", "PinPad", 4, 5, 1, 4, 6, 0, 1, 0},
      {"00-16-B6-20-01-11", "Office-Corp", 4, 1, 1, 32, 4, 1, 0, 0},
      {"00-16-B6-20-01-12", "Office-Corp", 4, 6, 1, 32, 4, 1, 0, 0},
      {"00-13-10-9F-7A-E5", "Enterprise-WPA", 4, 13, 1, 16, 2, 0, 0, 0},
      {"00-1E-58-60-2B-4F", "", 4, 6, 1, 8, 4, 0, 0, 0},
      {"02-3C-91-44-07-D2", "LanParty", 2, 10, 0, 0, 0, 0, 0, 0},
      {"00-11-95-0B-C7-39", "Far-Away", 2, 2, 1, 0, 0, 0, 0, 0},
      {"00-24-01-8E-3D-70", "Caf\xC3\xA9-Luna", 4, 8, 1, 8, 4, 0, 0, 0},
      {"00-0F-B5-61-2C-08", "Workshop", 4, 4, 1, 0, 1, 0, 0, 0},
      {"00-1A-2B-3C-4D-5E", "Printers", 4, 9, 1, 0, 0, 0, 0, 0},
      {"00-0C-43-28-70-36", "Vantrel-5G", 6, 36, 1, 8, 4, 1, 1, 0},
      {"00-90-4C-7E-15-99", "Lab-5G", 6, 153, 1, 0, 0, 1, 0, 0},
      {"00-16-B6-20-01-95", "Office-Corp", 6, 149, 1, 32, 4, 1, 0, 0},
  };
  for (const auto& e : expected) {
    const VtrSurveyEntry* entry = survey.Bssid(e.bssid);
    ASSERT_NE(entry, nullptr) << e.bssid;
    EXPECT_STREQ(entry->ssid, e.ssid) << e.bssid;
    EXPECT_EQ(entry->phyMode, e.phyMode) << e.ssid;
    EXPECT_EQ(entry->channel, e.channel) << e.ssid;
    EXPECT_EQ(entry->networkType, e.networkType) << e.ssid;
    EXPECT_EQ(entry->authMask, e.auth) << e.ssid;
    EXPECT_EQ(entry->cipherMask, e.cipher) << e.ssid;
    EXPECT_EQ(entry->isHt, e.ht) << e.ssid;
    EXPECT_EQ(entry->hasWps, e.wps) << e.ssid;
    EXPECT_EQ(entry->wpsPbcActive, e.pbc) << e.ssid;
  }
  // Strongest first. HomeNet (-42 dBm) and PressMe (-49 dBm) both show 100%; the exchanging
  // passes move equal signals too, so their order depends on the whole list: over these
  // nineteen HomeNet comes first (over the sixteen 2.4 GHz networks alone, PressMe does).
  EXPECT_STREQ(survey.entries[0].ssid, "HomeNet");
  EXPECT_STREQ(survey.entries[1].ssid, "PressMe");
  EXPECT_EQ(survey.entries[0].signal, 100);
  EXPECT_STREQ(survey.entries[18].ssid, "Far-Away");
  EXPECT_EQ(survey.entries[18].signal, 0);
  EXPECT_STREQ(survey.entries[0].frequency, "2.437 GHz");
}

TEST_F(SurveyExportTest, ScanSetsTheModeScansWaitsAndReadsTheList) {
  UseAir(nlohmann::json::array({Network("one", "00-00-00-00-00-01", 6, -60)}));
  const uint64_t start = Now();
  ASSERT_EQ(Survey(0, 5, 1, 1).count, 1);
  EXPECT_EQ(Now() - start, 3000u);
  const auto requests = sim::CurrentMiniportLog().Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_TRUE(requests[0].set);
  EXPECT_EQ(requests[0].oid, kWirelessModeOid);
  EXPECT_EQ(requests[0].in, (std::vector<uint8_t>{9, 0, 0, 0}));
  EXPECT_TRUE(requests[1].set);
  EXPECT_EQ(requests[1].oid, kScanOid);
  EXPECT_EQ(requests[1].length, 0u);
  EXPECT_FALSE(requests[2].set);
  EXPECT_EQ(requests[2].oid, kListOid);
  EXPECT_EQ(requests[2].length, 24584u);
}

TEST_F(SurveyExportTest, DualBandAdapterScansBothBands) {
  auto air = nlohmann::json::array();
  air.push_back(Network("g", "00-00-00-00-00-01", 6, -60));
  air.push_back(Network("a", "00-00-00-00-00-02", 36, -60));
  air.back()["rates"] = "a";
  UseAir(air, true);
  const Result survey = Survey(0, 0, 0, 1);
  EXPECT_EQ(survey.Names(), "a,g,");
  EXPECT_EQ(sim::CurrentMiniportLog().Requests()[0].in, (std::vector<uint8_t>{5, 0, 0, 0}));
  EXPECT_EQ(survey.entries[0].phyMode, 6u);
  EXPECT_STREQ(survey.entries[0].frequency, "5.180 GHz");
}

TEST_F(SurveyExportTest, EmptyAirGetsASecondPassAndGivesZero) {
  UseAir(nlohmann::json::array());
  const uint64_t start = Now();
  EXPECT_EQ(Survey(0, 5, 1, 1).count, 0);
  EXPECT_EQ(Now() - start, 6000u);
  int scans = 0;
  int lists = 0;
  for (const auto& request : sim::CurrentMiniportLog().Requests()) {
    scans += request.oid == kScanOid;
    lists += request.oid == kListOid;
  }
  EXPECT_EQ(scans, 2);
  EXPECT_EQ(lists, 2);
}

TEST_F(SurveyExportTest, PulledAdapterFailsAfterOneRetry) {
  UseAir(nlohmann::json::array({Network("one", "00-00-00-00-00-01", 6, -60)}));
  ASSERT_FALSE(sim::CurrentAdapterControl().SetPresent(false).has_value());
  const uint64_t start = Now();
  EXPECT_EQ(Survey(0, 5, 1, 1).count, -1);
  EXPECT_EQ(Now() - start, 1000u);
  // Plugged back in, the next survey works without anything being reopened.
  ASSERT_FALSE(sim::CurrentAdapterControl().SetPresent(true).has_value());
  EXPECT_EQ(Survey(0, 5, 1, 1).count, 1);
}

TEST_F(SurveyExportTest, ListTooLargeForTheBufferGivesItsFirstNetworks) {
  auto air = nlohmann::json::array();
  auto bssid = [](int i) {
    char text[18];
    std::snprintf(text, sizeof(text), "00-22-33-44-%02X-%02X", (i >> 8) & 0xFF, i & 0xFF);
    return std::string(text);
  };
  for (int i = 0; i < 150; ++i) {
    air.push_back(Network(std::string(31, static_cast<char>('A' + i % 26)) + char('a' + i / 26),
                          bssid(i), 1 + i % 13, -50 - i % 40));
    air.back()["security"] = "wpa-wpa2-psk";
    air.back()["ciphers"] = "both";
    air.back()["ht"] = "standard";
  }
  UseAir(air);
  const uint64_t start = Now();
  const Result survey = Survey(0, 8, 0, 1);
  // One pass: the list is asked for once more at the size the driver names.
  EXPECT_EQ(Now() - start, 3000u);
  ASSERT_GT(survey.count, 50);
  ASSERT_LT(survey.count, 150);
  for (int32_t i = 0; i < survey.count; ++i) {
    ASSERT_EQ(survey.entries[i].bssid, bssid(i)) << i;
    EXPECT_EQ(survey.entries[i].authMask, 4u | 8u) << i;
  }
  int lists = 0;
  for (const auto& request : sim::CurrentMiniportLog().Requests()) lists += request.oid == kListOid;
  EXPECT_EQ(lists, 2);
  // The list kept is re-read by a survey without a scan.
  EXPECT_EQ(Survey(0, 8, 0, 0).count, survey.count);
}

TEST_F(SurveyExportTest, SurveyWithoutScanReReadsTheLastListWithoutAskingTheDriver) {
  auto air = nlohmann::json::array();
  air.push_back(Network("infra", "00-00-00-00-00-01", 6, -60));
  air.push_back(Network("adhoc", "02-00-00-00-00-02", 11, -70));
  air.back()["mode"] = "adhoc";
  UseAir(air);
  ASSERT_EQ(Survey(0, 5, 1, 1).count, 2);
  ASSERT_FALSE(sim::CurrentAdapterControl().SetPresent(false).has_value());
  sim::CurrentMiniportLog().Clear();
  const uint64_t start = Now();
  const Result again = Survey(1, 5, 1, 0, 1);
  EXPECT_EQ(again.Names(), "infra,");
  EXPECT_EQ(again.entries[0].signal, -60);
  EXPECT_EQ(Survey(0, 0, 0, 7).Names(), "adhoc,infra,");
  EXPECT_EQ(Now(), start);
  EXPECT_TRUE(sim::CurrentMiniportLog().Requests().empty());
}

TEST_F(SurveyExportTest, EdgesOfNamesFrequenciesSignalsAndFilters) {
  auto air = nlohmann::json::array();
  air.push_back(Network("hidden", "00-00-00-00-00-01", 6, -200));
  air.back()["hidden"] = true;
  air.push_back(Network("upper153", "00-00-00-00-00-02", 153, -60));
  air.back()["rates"] = "a";
  air.push_back(Network("upper157", "00-00-00-00-00-03", 157, -60));
  air.back()["rates"] = "a";
  const struct {
    const char* band;
    const char* bssid;
    int channel;
  } adHoc[] = {{"a", "02-00-00-00-00-0A", 40},
               {"b", "02-00-00-00-00-0B", 1},
               {"g", "02-00-00-00-00-0C", 11}};
  for (const auto& station : adHoc) {
    air.push_back(
        Network(std::string("adhoc-") + station.band, station.bssid, station.channel, -60));
    air.back()["rates"] = station.band;
    air.back()["mode"] = "adhoc";
  }
  UseAir(air, true);

  const Result all = Survey(0, 0, 0, 1);
  ASSERT_EQ(all.count, 6);
  // Name ascending: the hidden network's empty name first; its name stays as the caller zeroed.
  EXPECT_EQ(std::memcmp(all.entries[0].ssid, std::string(257, '\0').data(), 257), 0);
  EXPECT_EQ(all.entries[0].signal, 0);
  EXPECT_EQ(Survey(0, 0, 1, 0).entries[5].ssid[0], '\0');
  EXPECT_EQ(Survey(0, 0, 0, 0, 1).entries[0].signal, -200);

  const VtrSurveyEntry* upper153 = all.Bssid("00-00-00-00-00-02");
  ASSERT_NE(upper153, nullptr);
  EXPECT_EQ(upper153->channel, 153u);
  EXPECT_STREQ(upper153->frequency, "5.765 GHz");
  const VtrSurveyEntry* upper157 = all.Bssid("00-00-00-00-00-03");
  ASSERT_NE(upper157, nullptr);
  EXPECT_EQ(upper157->channel, 157u);  // the table's row, see docs/survey.md
  EXPECT_STREQ(upper157->frequency, "5.785 GHz");

  EXPECT_EQ(Survey(14, 0, 0, 0).Names(), "adhoc-a,adhoc-b,adhoc-g,");
  EXPECT_EQ(Survey(1, 0, 0, 0).Names(),
            ","
            "upper153,upper157,");
  EXPECT_EQ(Survey(15, 0, 0, 0).count, 0);
}

TEST_F(SurveyExportTest, BeaconElementBytesAsTheAccessPointSendsThem) {
  auto air = nlohmann::json::array();
  // A WPA element claiming 21 pairwise suites: ignored, so the private network shows WEP.
  air.push_back(Network("wpa21", "00-00-00-00-00-01", 1, -60));
  air.back()["privacy"] = true;
  air.back()["ies"] = "0004 77706132 dd16 0050f201 0100 0050f202 1500 0050f202 0100 0050f202";
  // RSN and WPA both: the union.
  air.push_back(Network("mixed", "00-00-00-00-00-02", 2, -60));
  air.back()["security"] = "wpa-wpa2-psk";
  air.back()["ciphers"] = "both";
  // Security elements without privacy count for nothing.
  air.push_back(Network("noprivacy", "00-00-00-00-00-03", 3, -60));
  air.back()["security"] = "wpa2-psk";
  air.back()["privacy"] = false;
  // An element running past the end of the area hides the WPS element behind it.
  air.push_back(Network("broken", "00-00-00-00-00-04", 4, -60));
  air.back()["ies"] = "dd05 0050f204 00 0b";
  UseAir(air);
  const Result survey = Survey(0, 0, 0, 1);
  ASSERT_EQ(survey.count, 4);
  const VtrSurveyEntry* wpa21 = survey.Bssid("00-00-00-00-00-01");
  EXPECT_EQ(wpa21->authMask, 0u);
  EXPECT_EQ(wpa21->cipherMask, 1u);
  const VtrSurveyEntry* mixed = survey.Bssid("00-00-00-00-00-02");
  EXPECT_EQ(mixed->authMask, 12u);
  EXPECT_EQ(mixed->cipherMask, 6u);
  const VtrSurveyEntry* noPrivacy = survey.Bssid("00-00-00-00-00-03");
  EXPECT_EQ(noPrivacy->authMask, 0u);
  EXPECT_EQ(noPrivacy->cipherMask, 0u);
  EXPECT_EQ(survey.Bssid("00-00-00-00-00-04")->hasWps, 0);
}

TEST_F(SurveyExportTest, AtMost128EntriesAreWritten) {
  auto air = nlohmann::json::array();
  for (int i = 0; i < 150; ++i) {
    char bssid[18];
    std::snprintf(bssid, sizeof(bssid), "00-22-33-44-%02X-%02X", i >> 8, i & 0xFF);
    air.push_back(Network("n" + std::to_string(i), bssid, 1 + i % 13, -40 - i % 50));
    air.back()["ies"] = "";  // the fixed part and the beacon's fixed fields only
  }
  UseAir(air);
  const Result survey = Survey(0, 8, 0, 1);
  ASSERT_EQ(survey.count, 128);
  EXPECT_STREQ(survey.entries[127].ssid, "n127");
  const auto* canary = reinterpret_cast<const uint8_t*>(&survey.entries[128]);
  for (size_t i = 0; i < sizeof(VtrSurveyEntry); ++i) ASSERT_EQ(canary[i], kCanary) << i;
}

TEST_F(SurveyExportTest, Windows98RefusesWithoutAskingTheDriver) {
  auto description = testing_support::XpDescription();
  description["os"] = {{"platformId", 1}, {"major", 4}, {"minor", 10}};
  UseMachine(description);
  ASSERT_EQ(VTR_Initialize(0), -1);
  sim::CurrentMiniportLog().Clear();
  EXPECT_EQ(Survey(0, 5, 1, 1).count, -1);
  EXPECT_EQ(Survey(0, 5, 1, 0).count, -1);
  EXPECT_TRUE(sim::CurrentMiniportLog().Requests().empty());
}

}  // namespace
