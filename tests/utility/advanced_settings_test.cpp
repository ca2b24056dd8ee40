// The Advance Settings dialog: the transmit rates it offers for each kind of profile and
// adapter, the copy it edits and writes back only on OK, "Do not change settings" and "&Reset",
// and a connect after a change giving the driver the new values.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <cstring>

#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/pages/advanced_settings_dialog.h"
#include "platform/ndis_802_11.h"
#include "sim/miniport_log.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using pages::CAdvancedSettingsDialog;
using pages::RateChoices;

std::vector<uint32_t> Data(const std::vector<pages::RateChoice>& choices) {
  std::vector<uint32_t> data;
  for (const auto& choice : choices) data.push_back(choice.data);
  return data;
}

VtrCapability HtAdapter(std::initializer_list<int> mcs) {
  VtrCapability capability{};
  capability.adapterKind = 4;
  capability.optionFlag = 1;
  for (int index : mcs) capability.reserved157[index / 8] |= static_cast<uint8_t>(1 << (index % 8));
  return capability;
}

TEST(AdvancedRateChoices, LegacyRatesFollowTheWirelessModeAndMcsFollowAdapterAndAntennas) {
  ProfileRecord record{};
  const VtrCapability legacyAdapter{};
  record.phyMode = 2;
  const auto b = RateChoices(record, legacyAdapter, false);
  EXPECT_EQ(Data(b), (std::vector<uint32_t>{255, 2, 4, 11, 22}));
  std::vector<QString> texts;
  for (const auto& choice : b) texts.push_back(choice.text);
  EXPECT_EQ(texts, (std::vector<QString>{"Auto", "1 Mbps", "2 Mbps", "5.5 Mbps", "11 Mbps"}));
  record.phyMode = 6;
  EXPECT_EQ(Data(RateChoices(record, legacyAdapter, false)),
            (std::vector<uint32_t>{255, 12, 18, 24, 36, 48, 72, 96, 108}));
  record.phyMode = 4;
  EXPECT_EQ(RateChoices(record, legacyAdapter, false).size(), 13u);

  // An 802.11n network on an 802.11n adapter offers no legacy rate, with 802.11n on or off.
  std::vector<int> every(128);
  for (int i = 0; i < 128; ++i) every[static_cast<size_t>(i)] = i;
  VtrCapability ht = HtAdapter({});
  for (int i : every) ht.reserved157[i / 8] |= static_cast<uint8_t>(1 << (i % 8));
  record.htNetwork = 1;
  EXPECT_EQ(Data(RateChoices(record, ht, true)), (std::vector<uint32_t>{255}));

  record.htEnabled = 1;
  record.htAntennaSelection = -1;
  std::vector<uint32_t> twoStreams{255};
  for (uint32_t mcs = 0; mcs <= 15; ++mcs) twoStreams.push_back(mcs + 256);
  twoStreams.push_back(32 + 256);
  const auto mcsChoices = RateChoices(record, ht, true);
  EXPECT_EQ(Data(mcsChoices), twoStreams);
  EXPECT_EQ(mcsChoices[1].text, "MCS 0");
  EXPECT_EQ(mcsChoices.back().text, "MCS 32");

  // One antenna: one spatial stream (and the duplicate MCS 32).
  for (int32_t antenna : {1, 2}) {
    record.htAntennaSelection = antenna;
    std::vector<uint32_t> oneStream{255};
    for (uint32_t mcs = 0; mcs <= 7; ++mcs) oneStream.push_back(mcs + 256);
    oneStream.push_back(32 + 256);
    EXPECT_EQ(Data(RateChoices(record, ht, true)), oneStream) << antenna;
  }
  // Only what the adapter names, and nothing without 802.11n support.
  record.htAntennaSelection = 3;
  EXPECT_EQ(Data(RateChoices(record, HtAdapter({1, 9, 20, 32, 100}), true)),
            (std::vector<uint32_t>{255, 257, 265, 288}));
  EXPECT_EQ(Data(RateChoices(record, ht, false)), (std::vector<uint32_t>{255}));
}

class AdvancedSettingsTest : public UtilityTest {
 protected:
  template <typename T = QWidget>
  T* Control(CAdvancedSettingsDialog& dialog, int id) {
    return qobject_cast<T*>(core::FindControl(&dialog, id));
  }

  ProfileRecord Profile() {
    ProfileRecord record{};
    Library().InitialProfile(&record);
    std::strcpy(record.profileName, "CoffeeShop");
    std::strcpy(record.ssid, "CoffeeShop");
    record.networkType = 1;
    record.phyMode = 4;
    record.keepDriverSettings = 0;
    record.htNetwork = 1;
    record.htEnabled = 1;
    record.txRate = 255;
    record.fragmentThreshold = 2346;
    record.rtsThreshold = 2346;
    return record;
  }
};

TEST_F(AdvancedSettingsTest, TheCopyIsWrittenBackOnlyOnOkAndAnUnknownRateBecomesAuto) {
  StartAndSettle();
  ProfileRecord record = Profile();
  record.htNetwork = 0;  // legacy rates on the 802.11n adapter
  record.htEnabled = 0;
  record.txRate = 7;  // no rate of the list
  record.fragmentThreshold = 1200;
  record.rtsThreshold = 900;
  core::State().defaultProfileRecord.Set(record);
  {
    CAdvancedSettingsDialog dialog(&Sheet());
    Render(dialog, "advanced_settings_" + BuildUnderTest());
    EXPECT_EQ(dialog.Record().txRate, 255u);
    EXPECT_EQ(Control<QComboBox>(dialog, pages::kAdvancedRate)->currentText(), "Auto");
    EXPECT_EQ(Control<QSlider>(dialog, pages::kAdvancedFragment)->value(), 1200);
    EXPECT_EQ(Control<QLabel>(dialog, pages::kAdvancedFragmentValue)->text(), "1200");
    EXPECT_EQ(Control<QLabel>(dialog, pages::kAdvancedRtsValue)->text(), "900");
    auto* rts = Control<QSlider>(dialog, pages::kAdvancedRts);
    EXPECT_EQ(rts->minimum(), 256);
    EXPECT_EQ(rts->maximum(), 2346);
    rts->setValue(100);  // below the range: held at its end
    EXPECT_EQ(dialog.Record().rtsThreshold, 256u);
    EXPECT_EQ(Control<QLabel>(dialog, pages::kAdvancedRtsValue)->text(), "256");
    Control<QAbstractButton>(dialog, pages::kAdvancedCancel)->click();
  }
  EXPECT_EQ(core::State().defaultProfileRecord.Get().rtsThreshold, 900u);
  EXPECT_EQ(core::State().defaultProfileRecord.Get().txRate, 7u);
  {
    CAdvancedSettingsDialog dialog(&Sheet());
    auto* rate = Control<QComboBox>(dialog, pages::kAdvancedRate);
    const int elevenMbps = rate->findData(22u);
    ASSERT_GT(elevenMbps, 0);
    rate->setCurrentIndex(elevenMbps);
    emit rate->activated(elevenMbps);
    auto* preamble = Control<QComboBox>(dialog, pages::kAdvancedPreamble);
    preamble->setCurrentIndex(2);
    emit preamble->activated(2);
    Control<QSlider>(dialog, pages::kAdvancedFragment)->setValue(1500);
    Control<QAbstractButton>(dialog, pages::kAdvancedOk)->click();
  }
  const ProfileRecord kept = core::State().defaultProfileRecord.Get();
  EXPECT_EQ(kept.txRate, 22u);
  EXPECT_EQ(kept.preamble, 2u);
  EXPECT_EQ(kept.fragmentThreshold, 1500u);
  EXPECT_EQ(kept.rtsThreshold, 900u);
  // Everything else of the record stays as it was.
  EXPECT_STREQ(kept.ssid, "CoffeeShop");
  EXPECT_EQ(kept.networkType, 1u);

  // "Auto" hands the preamble back to the driver too.
  CAdvancedSettingsDialog dialog(&Sheet());
  auto* rate = Control<QComboBox>(dialog, pages::kAdvancedRate);
  rate->setCurrentIndex(0);
  emit rate->activated(0);
  EXPECT_EQ(dialog.Record().txRate, 255u);
  EXPECT_EQ(dialog.Record().preamble, 0u);
  EXPECT_EQ(Control<QComboBox>(dialog, pages::kAdvancedPreamble)->currentIndex(), 0);
}

TEST_F(AdvancedSettingsTest, KeepingTheDriversSettingsGreysOutAllButItselfAndResetTouchesOnly11n) {
  if (IsVista()) GTEST_SKIP() << "the Vista adapter has no 802.11n part in this dialog";
  StartAndSettle();
  ProfileRecord record = Profile();
  record.keepDriverSettings = 1;
  record.rtsThreshold = 1000;
  record.htChannelWidth = 1;
  record.htGuardInterval = 1;
  record.htExtensionChannel = 0;
  record.htAntennaSelection = 3;
  core::State().defaultProfileRecord.Set(record);
  CAdvancedSettingsDialog dialog(&Sheet());
  Render(dialog, "advanced_settings_kept_" + BuildUnderTest());
  EXPECT_EQ(Control<QComboBox>(dialog, pages::kAdvancedWidth)->currentText(), "40 MHz");
  EXPECT_EQ(Control<QComboBox>(dialog, pages::kAdvancedAntenna)->currentText(), "2 By 2");
  for (int id = pages::kAdvancedPreambleLabel; id <= pages::kAdvancedReset; ++id) {
    if (id == pages::kAdvancedHtGroup) continue;
    QWidget* control = core::FindControl(&dialog, id);
    ASSERT_NE(control, nullptr) << id;
    EXPECT_FALSE(control->isEnabled()) << id;
  }
  for (int id : {pages::kAdvancedKeepSettings, pages::kAdvancedOk, pages::kAdvancedCancel}) {
    EXPECT_TRUE(core::FindControl(&dialog, id)->isEnabled()) << id;
  }

  dialog.Reset();
  EXPECT_EQ(dialog.Record().rtsThreshold, 1000u);
  EXPECT_EQ(dialog.Record().htChannelWidth, -1);
  EXPECT_EQ(dialog.Record().htGuardInterval, -1);
  EXPECT_EQ(dialog.Record().htExtensionChannel, -1);
  EXPECT_EQ(dialog.Record().htAntennaSelection, -1);
  EXPECT_EQ(Control<QComboBox>(dialog, pages::kAdvancedWidth)->currentText(), "Auto");

  // Released, everything comes back; Reset then restores the driver's defaults.
  Control<QCheckBox>(dialog, pages::kAdvancedKeepSettings)->setChecked(false);
  EXPECT_EQ(dialog.Record().keepDriverSettings, 0);
  EXPECT_TRUE(Control(dialog, pages::kAdvancedRts)->isEnabled());
  EXPECT_TRUE(Control(dialog, pages::kAdvancedHtEnable)->isEnabled());
  EXPECT_TRUE(Control(dialog, pages::kAdvancedAntenna)->isEnabled());
  dialog.Reset();
  EXPECT_EQ(dialog.Record().rtsThreshold, 2346u);
  EXPECT_EQ(Control<QLabel>(dialog, pages::kAdvancedRtsValue)->text(), "2346");

  // 802.11n off: its settings go back to automatic and its lists grey out.
  auto* antenna = Control<QComboBox>(dialog, pages::kAdvancedAntenna);
  antenna->setCurrentIndex(antenna->findData(1));
  emit antenna->activated(antenna->currentIndex());
  EXPECT_EQ(dialog.Record().htAntennaSelection, 1);
  Control<QCheckBox>(dialog, pages::kAdvancedHtEnable)->setChecked(false);
  EXPECT_EQ(dialog.Record().htEnabled, 0);
  EXPECT_EQ(dialog.Record().htAntennaSelection, -1);
  EXPECT_FALSE(antenna->isEnabled());

  // A network without 802.11n keeps its check box grey.
  record.htNetwork = 0;
  record.keepDriverSettings = 0;
  core::State().defaultProfileRecord.Set(record);
  CAdvancedSettingsDialog legacy(&Sheet());
  EXPECT_FALSE(Control(legacy, pages::kAdvancedHtEnable)->isEnabled());
  EXPECT_TRUE(Control(legacy, pages::kAdvancedRts)->isEnabled());
}

TEST_F(AdvancedSettingsTest, WithoutAn11nAdapterThe11nPartIsHiddenAndItsFieldsKept) {
  StartAndSettle();
  VtrCapability capability = core::State().adapterCapability.Get();
  capability.optionFlag = 0;
  core::State().adapterCapability.Set(capability);
  ProfileRecord record = Profile();
  record.htChannelWidth = 1;
  core::State().defaultProfileRecord.Set(record);
  CAdvancedSettingsDialog dialog(&Sheet());
  const int shortHeight = dialog.sizeHint().height();
  EXPECT_FALSE(Control(dialog, pages::kAdvancedHtGroup)->isVisibleTo(&dialog));
  dialog.Reset();
  EXPECT_EQ(dialog.Record().htChannelWidth, 1);

  capability.optionFlag = 1;
  core::State().adapterCapability.Set(capability);
  CAdvancedSettingsDialog full(&Sheet());
  EXPECT_TRUE(Control(full, pages::kAdvancedHtGroup)->isVisibleTo(&full));
  EXPECT_GT(full.sizeHint().height(), shortHeight);
}

TEST_F(AdvancedSettingsTest, AConnectAfterAChangeGivesTheDriverTheNewThresholds) {
  if (IsVista()) GTEST_SKIP() << "Vista connects through WLAN profiles, which carry no thresholds";
  StartAndSettle();
  ProfileRecord record = Profile();
  record.htEnabled = 0;
  core::State().defaultProfileRecord.Set(record);
  {
    CAdvancedSettingsDialog dialog(&Sheet());
    Control<QSlider>(dialog, pages::kAdvancedFragment)->setValue(1024);
    Control<QSlider>(dialog, pages::kAdvancedRts)->setValue(512);
    Control<QAbstractButton>(dialog, pages::kAdvancedOk)->click();
  }
  sim::CurrentMiniportLog().Clear();
  const uint64_t runs = Sheet().Connector().Runs();
  ASSERT_TRUE(Sheet().Connector().StartFromProfile());
  ASSERT_TRUE(RunUntil(
      [&] { return Sheet().Connector().Runs() > runs && Sheet().Connector().IsIdle(); }, 300000));
  EXPECT_EQ(LinkSsid(), "CoffeeShop");

  auto lastSet = [](uint32_t oid) -> std::optional<uint32_t> {
    std::optional<uint32_t> value;
    for (const sim::MiniportRequest& request : sim::CurrentMiniportLog().Requests()) {
      if (request.set && request.oid == oid && request.in.size() == 4) {
        uint32_t word = 0;
        std::memcpy(&word, request.in.data(), 4);
        value = word;
      }
    }
    return value;
  };
  EXPECT_EQ(lastSet(platform::kOid802_11FragmentationThreshold), 1024u);
  EXPECT_EQ(lastSet(platform::kOid802_11RtsThreshold), 512u);
}

}  // namespace
}  // namespace app_testing
