// Radio, power and regulatory settings, and the disconnect, as the driver sees them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/ndis_802_11.h"
#include "platform/services.h"
#include "sim/miniport_log.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& bytes) {
  uint32_t value = 0;
  if (bytes.size() >= 4) std::memcpy(&value, bytes.data(), 4);
  return value;
}

class RadioSettingsTest : public testing_support::MachineTest {
 protected:
  void Start(nlohmann::json description = testing_support::XpDescription()) {
    UseMachine(description);
    ASSERT_EQ(VTR_Initialize(0), 3);
    sim::CurrentMiniportLog().Clear();
  }
  void TearDown() override { VTR_UnInitialize(); }

  static std::vector<sim::MiniportRequest> Requests() {
    return sim::CurrentMiniportLog().Requests();
  }
};

TEST_F(RadioSettingsTest, DisconnectParksTheAdapterOnANameNoNetworkCarries) {
  Start();
  ASSERT_TRUE(VTR_DisConnectToAP());
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(requests[0].set);
  EXPECT_EQ(requests[0].oid, platform::kOid802_11Disassociate);
  EXPECT_EQ(requests[0].length, 0u);
  EXPECT_EQ(requests[1].oid, platform::kOid802_11Ssid);
  ASSERT_EQ(requests[1].in.size(), 36u);
  EXPECT_EQ(U32(requests[1].in), 4u);
  EXPECT_EQ(std::vector<uint8_t>(requests[1].in.begin() + 4, requests[1].in.begin() + 8),
            (std::vector<uint8_t>{0xFF, 0xBA, 0xBE, 0xFF}));
}

TEST_F(RadioSettingsTest, RadioOffDisconnectsFirstAndOtherModesDoNot) {
  Start();
  ASSERT_TRUE(VTR_SetRadioMode(0));
  auto requests = Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].oid, platform::kOid802_11Disassociate);
  EXPECT_EQ(requests[2].oid, 0x0D710108u);
  EXPECT_EQ(U32(requests[2].in), 0u);

  uint32_t mode = 7;
  ASSERT_TRUE(VTR_GetRadioMode(&mode));
  EXPECT_EQ(mode, 0u);

  sim::CurrentMiniportLog().Clear();
  ASSERT_TRUE(VTR_SetRadioMode(2));  // any mode but 1 switches off, without the disconnect
  requests = Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(U32(requests[0].in), 0u);

  // Switching on gives the radio half a second before the next request.
  const uint64_t before = platform::Current().Clock().NowMs();
  ASSERT_TRUE(VTR_SetRadioMode(1));
  EXPECT_EQ(platform::Current().Clock().NowMs() - before, 500u);
  ASSERT_TRUE(VTR_GetRadioMode(&mode));
  EXPECT_EQ(mode, 1u);
}

TEST_F(RadioSettingsTest, RegionCodesReachTheDriverAndReadBack) {
  Start();
  const struct {
    uint32_t country;  // 0: use the region code instead
    uint32_t region;
    uint32_t driverRegion;
    uint32_t readBack;
  } cases[] = {{0, 1, 0, 1}, {0, 2, 0, 1}, {0, 3, 1, 3}, {0, 4, 2, 4},  {0, 5, 3, 5},
               {0, 6, 5, 1}, {6, 0, 2, 4}, {5, 0, 3, 5}, {13, 0, 1, 3}, {99, 0, 0, 1}};
  for (const auto& c : cases) {
    sim::CurrentMiniportLog().Clear();
    ASSERT_TRUE(c.country != 0 ? VTR_SetCountryDomain(c.country) : VTR_SetRegionalDomain(c.region));
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].oid, 0x0D710107u);  // the set number less its set bit
    EXPECT_EQ(U32(requests[0].in), c.driverRegion) << c.country << "/" << c.region;
    VtrAdapterInfo info{};
    VTR_DriverParameter(&info);
    EXPECT_EQ(info.regionCode, c.readBack) << c.country << "/" << c.region;
  }
}

TEST_F(RadioSettingsTest, SuspendAndWakeUpSetThePowerModeAndTheCompanionSetting) {
  Start();
  ASSERT_TRUE(VTR_SetSuspendMode());
  auto requests = Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].oid, platform::kOid802_11PowerMode);
  EXPECT_EQ(U32(requests[0].in), 1u);
  EXPECT_EQ(requests[1].oid, 0x0D710104u);
  EXPECT_EQ(U32(requests[1].in), 0u);

  sim::CurrentMiniportLog().Clear();
  ASSERT_TRUE(VTR_SetWakeUpMode());
  requests = Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(U32(requests[0].in), 0u);
}

TEST_F(RadioSettingsTest, UnsupportedSystemRefusesTheRadioButStillDisconnects) {
  auto description = testing_support::XpDescription();
  description["os"] = {{"platformId", 1}, {"major", 4}, {"minor", 10}};
  UseMachine(description);
  EXPECT_EQ(VTR_Initialize(0), -1);
  sim::CurrentMiniportLog().Clear();
  uint32_t mode = 5;
  EXPECT_FALSE(VTR_GetRadioMode(&mode));
  EXPECT_EQ(mode, 5u);
  EXPECT_FALSE(VTR_SetRadioMode(0));
  // The search still named the adapter, so the disconnect reaches it; the radio request does not.
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].oid, platform::kOid802_11Disassociate);
  EXPECT_EQ(requests[1].oid, platform::kOid802_11Ssid);
}

}  // namespace
