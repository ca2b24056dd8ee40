// The WPS dialog on simulated machines in virtual time: push button and both PIN methods against
// the neighbourhood's registrars, a wrong PIN, the walk running out, overlapping push buttons,
// cancel, the overall limit, a pulled adapter, the library's release and return, and what the
// dialog offers and sends.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <cstring>
#include <memory>

#include "app/controls/wps_pictures.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/message_box.h"
#include "app/pages/wifi_protected_setup_page.h"
#include "platform/services.h"
#include "sim/adapter_control.h"
#include "sim/network_description.h"
#include "sim/sim_machine.h"
#include "sim/wps_registrar_control.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using pages::CVantrelWifiProtectedSetupPage;

constexpr const char* kPressMe = "00-1B-11-7C-20-9E";
constexpr const char* kPinPad = "00-1D-7E-55-06-C3";
constexpr const char* kHomeNet = "00-14-6C-3A-51-02";

std::array<uint8_t, 6> Bssid(const char* text) {
  std::array<uint8_t, 6> bssid{};
  EXPECT_TRUE(sim::ParseBssid(text, bssid)) << text;
  return bssid;
}

sim::SimMachine& Machine() {
  return static_cast<sim::SimMachine&>(platform::Current());
}

class WpsDialogTest : public UtilityTest {
 protected:
  void SetUp() override {
    UtilityTest::SetUp();
    core::SetMessageHook([this](const QString& text, core::MessageIcon icon) {
      messages.push_back(text);
      EXPECT_EQ(icon, core::MessageIcon::Stop) << text.toStdString();
      return QMessageBox::Ok;
    });
  }
  void TearDown() override {
    if (dialog_) dialog_->close();
    UtilityTest::TearDown();
    core::SetMessageHook({});
  }

  CVantrelWifiProtectedSetupPage& Open() {
    dialog_ = CVantrelWifiProtectedSetupPage::Open(Library(), Sheet(), &Sheet());
    return *dialog_;
  }

  template <typename T = QWidget>
  T* Control(int id) {
    return qobject_cast<T*>(core::FindControl(dialog_, id));
  }
  void Click(int id) { Control<QAbstractButton>(id)->click(); }
  QString Status() { return Control<QLineEdit>(pages::kWpsStatus)->text(); }
  int Progress() { return Control<QProgressBar>(pages::kWpsProgress)->value(); }
  bool Enabled(int id) { return Control(id)->isEnabled(); }

  void ChooseAccessPoint(const QString& ssid) {
    auto* list = Control<QComboBox>(pages::kWpsAccessPoints);
    const int index = list->findText(ssid);
    ASSERT_GT(index, 0) << ssid.toStdString();
    list->setCurrentIndex(index);
    emit list->activated(index);
  }

  // Waits for the run's end and, after a success, for the connect it starts.
  void WaitForSuccessAndConnect() {
    const uint64_t runs = Sheet().Connector().Runs();
    ASSERT_TRUE(RunUntil([&] { return dialog_->Succeeded(); }, 300000)) << Status().toStdString();
    ASSERT_TRUE(RunUntil(
        [&] { return Sheet().Connector().Runs() > runs && Sheet().Connector().IsIdle(); }, 300000));
    RunFor(100);
  }

  std::string DefaultProfileName() {
    auto list = std::make_unique<core::ProfileArray>();
    const int32_t count = Library().ReadProfileList(core::kListCapacity, list->data());
    const int32_t index = Library().FindDefaultProfile(count, list->data());
    return index < 0 ? "" : (*list)[static_cast<size_t>(index)].profileName;
  }
  int32_t ProfileCount() {
    auto list = std::make_unique<core::ProfileArray>();
    return Library().ReadProfileList(core::kListCapacity, list->data());
  }
  bool Stored(const std::string& name) {
    ProfileRecord record{};
    return Library().ReadSingleProfile(name.c_str(), &record) != 0;
  }

  QPointer<CVantrelWifiProtectedSetupPage> dialog_;
  std::vector<QString> messages;
};

TEST_F(WpsDialogTest, PushButtonJoinsPressMeStoresItAndMakesItTheDefault) {
  StartAndSettle();
  ASSERT_FALSE(sim::PressWpsButton(Machine(), Bssid(kPressMe)).has_value());
  Open();
  EXPECT_EQ(dialog_->Method(), pages::kMethodPushButton);
  EXPECT_EQ(Status(), "None");
  Click(pages::kWpsStart);
  EXPECT_TRUE(dialog_->Running());
  EXPECT_FALSE(Enabled(pages::kWpsStart));
  EXPECT_TRUE(Enabled(pages::kWpsCancel));
  EXPECT_EQ(dialog_->Picture(), controls::kWpsPictureRunning);
  ASSERT_TRUE(RunUntil([&] { return Progress() >= 20; }, 60000));
  Render(*dialog_, "wps_running_" + BuildUnderTest());
  WaitForSuccessAndConnect();
  Render(*dialog_, "wps_success_" + BuildUnderTest());

  EXPECT_EQ(Status(), "Success !!!");
  EXPECT_EQ(Progress(), 100);
  EXPECT_EQ(dialog_->Picture(), controls::kWpsPictureSuccess);
  // After a success Start stays grey; Close is there again.
  EXPECT_FALSE(Enabled(pages::kWpsStart));
  EXPECT_FALSE(Enabled(pages::kWpsCancel));
  EXPECT_TRUE(Enabled(pages::kWpsClose));
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(Stored("PressMe"));
  EXPECT_EQ(DefaultProfileName(), "PressMe");
  EXPECT_EQ(LinkSsid(), "PressMe");

  Click(pages::kWpsClose);
  RunFor(10);
  EXPECT_TRUE(dialog_.isNull());
  // Closing after the success leaves the link alone.
  EXPECT_EQ(LinkSsid(), "PressMe");
}

TEST_F(WpsDialogTest, StationPinTypedIntoPinPadJoinsIt) {
  StartAndSettle();
  Open();
  ChooseAccessPoint("PinPad");
  Click(pages::kWpsStationPinRadio);
  EXPECT_EQ(dialog_->Method(), pages::kMethodStationPin);
  EXPECT_TRUE(Control(pages::kWpsStationPin)->isVisibleTo(dialog_));
  EXPECT_FALSE(Control(pages::kWpsAccessPointPin)->isVisibleTo(dialog_));
  const std::string pin = Control<QLineEdit>(pages::kWpsStationPin)->text().toStdString();
  ASSERT_EQ(pin.size(), 8u);

  const WpsRequest request = dialog_->BuildRequest();
  EXPECT_EQ(request.method, 1u);
  EXPECT_STREQ(request.pin, pin.c_str());
  EXPECT_STREQ(request.ssid, "PinPad");
  EXPECT_STREQ(request.bssid, kPinPad);
  EXPECT_EQ(request.channel, 5u);

  ASSERT_FALSE(sim::EnterWpsPin(Machine(), Bssid(kPinPad), pin).has_value());
  Click(pages::kWpsStart);
  WaitForSuccessAndConnect();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(DefaultProfileName(), "PinPad");
  EXPECT_EQ(LinkSsid(), "PinPad");
}

TEST_F(WpsDialogTest, AWrongPinFailsOnceStoresNothingAndLetsTheUserStartAgain) {
  StartAndSettle();
  Open();
  ChooseAccessPoint("PinPad");
  Click(pages::kWpsStationPinRadio);
  const std::string pin = Control<QLineEdit>(pages::kWpsStationPin)->text().toStdString();
  // The registrar holds another station's PIN.
  const std::string other = pin == "12345670" ? "49226874" : "12345670";
  ASSERT_FALSE(sim::EnterWpsPin(Machine(), Bssid(kPinPad), other).has_value());
  const int32_t profilesBefore = ProfileCount();
  Click(pages::kWpsStart);
  ASSERT_TRUE(RunUntil([&] { return !messages.empty(); }, 300000));
  RunFor(100);

  EXPECT_EQ(messages, std::vector<QString>{"WPS Failure !"});
  EXPECT_FALSE(dialog_->Running());
  EXPECT_FALSE(dialog_->Succeeded());
  EXPECT_EQ(Status(), "None");
  EXPECT_EQ(Progress(), 0);
  EXPECT_EQ(dialog_->Picture(), controls::kWpsPictureIdle);
  EXPECT_TRUE(Enabled(pages::kWpsStart));
  EXPECT_FALSE(Stored("PinPad"));
  EXPECT_EQ(ProfileCount(), profilesBefore);
  EXPECT_NE(LinkSsid(), "PinPad");

  // A second report of the same failure in that run says nothing more ...
  dialog_->OnStatus(pages::kWpsFailure);
  EXPECT_EQ(messages.size(), 1u);
  // ... and a new run may tell it again.
  ASSERT_FALSE(sim::EnterWpsPin(Machine(), Bssid(kPinPad), other).has_value());
  Click(pages::kWpsStart);
  ASSERT_TRUE(RunUntil([&] { return messages.size() == 2; }, 300000));
  EXPECT_EQ(messages.back(), "WPS Failure !");
}

TEST_F(WpsDialogTest, PushButtonWithNoAccessPointOrTwoInPushButtonModeEndsAfterTheWalkTime) {
  StartAndSettle();
  // Nothing in push-button mode: the walk time runs out.
  ASSERT_FALSE(sim::CurrentAdapterControl().RemoveNetwork(Bssid(kPressMe)).has_value());
  Open();
  const uint64_t started = Now();
  Click(pages::kWpsStart);
  ASSERT_TRUE(RunUntil([&] { return !messages.empty(); }, 300000));
  EXPECT_EQ(messages, std::vector<QString>{"No WPS AP found !"});
  EXPECT_GE(Now() - started, 120000u);
  EXPECT_LT(Now() - started, pages::kWpsRunLimitMs);
  EXPECT_TRUE(Enabled(pages::kWpsStart));
  EXPECT_EQ(dialog_->Picture(), controls::kWpsPictureIdle);

  // Two access points in push-button mode for the whole run: the registration would be
  // ambiguous. (A second one that stays in that mode, rather than a button pressed again in the
  // middle of the run: the engine's polls move the clock faster than a test can follow.)
  ASSERT_FALSE(sim::CurrentAdapterControl().Reset().has_value());
  sim::NetworkDescription pressToo;
  pressToo.ssid = {'P', 'r', 'e', 's', 's', 'T', 'o', 'o'};
  pressToo.bssid = {0x00, 0x1B, 0x11, 0x7C, 0x20, 0x9F};
  pressToo.rssi = -50;
  pressToo.security = sim::NetworkSecurity::kWpa2Psk;
  pressToo.rates = sim::RatesOfKind("g");
  pressToo.wps = sim::WpsDescription{};
  pressToo.wps->selectedRegistrar = true;
  pressToo.wps->devicePasswordId = 0x0004;
  ASSERT_FALSE(sim::CurrentAdapterControl().AddNetwork(pressToo).has_value());
  const uint64_t second = Now();
  Click(pages::kWpsStart);
  ASSERT_TRUE(RunUntil([&] { return messages.size() == 2; }, 3000000))
      << Status().toStdString() << " after " << Now() - second << " ms";
  EXPECT_EQ(messages.back(), "Many APs in PBC mode !");
  EXPECT_GE(Now() - second, 120000u);
  EXPECT_TRUE(Enabled(pages::kWpsStart));
  EXPECT_FALSE(Stored("PressMe"));
  EXPECT_FALSE(Stored("PressToo"));
}

TEST_F(WpsDialogTest, CancelStopsTheEngineSoALaterPinJoinsNothing) {
  StartAndSettle();
  Open();
  ChooseAccessPoint("PinPad");
  Click(pages::kWpsStationPinRadio);
  const std::string pin = Control<QLineEdit>(pages::kWpsStationPin)->text().toStdString();
  Click(pages::kWpsStart);
  // The registrar waits for the PIN; the run goes on meanwhile.
  RunFor(8000);
  ASSERT_TRUE(dialog_->Running());

  Click(pages::kWpsCancel);
  EXPECT_FALSE(dialog_->Running());
  EXPECT_EQ(Status(), "None");
  EXPECT_EQ(Progress(), 0);
  EXPECT_TRUE(Enabled(pages::kWpsStart));
  EXPECT_FALSE(Enabled(pages::kWpsCancel));
  EXPECT_EQ(dialog_->Picture(), controls::kWpsPictureIdle);

  // Had the engine gone on, this PIN would now complete the registration.
  ASSERT_FALSE(sim::EnterWpsPin(Machine(), Bssid(kPinPad), pin).has_value());
  RunFor(20000);
  EXPECT_FALSE(dialog_->Succeeded());
  EXPECT_EQ(Status(), "None");
  EXPECT_FALSE(Stored("PinPad"));
  EXPECT_NE(LinkSsid(), "PinPad");
  EXPECT_TRUE(messages.empty());
}

TEST_F(WpsDialogTest, APinNobodyEntersEndsAtTheOverallLimitAsCancelDoesWithoutAMessage) {
  StartAndSettle();
  Open();
  ChooseAccessPoint("PinPad");
  Click(pages::kWpsStationPinRadio);
  const uint64_t started = Now();
  Click(pages::kWpsStart);
  ASSERT_TRUE(RunUntil([&] { return !dialog_->Running(); }, 3000000));
  EXPECT_GE(Now() - started, pages::kWpsRunLimitMs);
  EXPECT_EQ(Status(), "None");
  EXPECT_TRUE(Enabled(pages::kWpsStart));
  EXPECT_FALSE(Enabled(pages::kWpsCancel));
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(Stored("PinPad"));
}

TEST_F(WpsDialogTest, APulledAdapterClosesTheDialogAndStoresNothing) {
  StartAndSettle();
  Open();
  ChooseAccessPoint("PinPad");
  Click(pages::kWpsStationPinRadio);
  Click(pages::kWpsStart);
  RunFor(3000);
  ASSERT_TRUE(dialog_->Running());
  SetAdapterPresent(false);
  // The engine's polls move the clock on their own, faster than the window's poll may follow:
  // the bounds stay within the run's own limit.
  ASSERT_TRUE(RunUntil([&] { return !Sheet().CardPresent(); }, 100000));
  ASSERT_TRUE(RunUntil([&] { return dialog_.isNull(); }, 100000));
  EXPECT_FALSE(Sheet().CardPresent());
  EXPECT_FALSE(core::State().cardPollHold);
  EXPECT_TRUE(messages.empty());
  SetAdapterPresent(true);
  EXPECT_FALSE(Stored("PinPad"));
}

TEST_F(WpsDialogTest, TheLibraryIsReleasedAndTakenBackWithCancelAndCloseHeldMeanwhile) {
  StartAndSettle();
  Open();
  dialog_->OnStatus(pages::kWpsReleaseLibrary);
  EXPECT_TRUE(core::State().cardPollHold);
  EXPECT_FALSE(Enabled(pages::kWpsCancel));
  EXPECT_FALSE(Enabled(pages::kWpsClose));
  // The held poll does not take the released library for a pulled adapter.
  RunFor(4000);
  EXPECT_TRUE(Sheet().CardPresent());
  dialog_->OnStatus(pages::kWpsReacquireLibrary);
  EXPECT_FALSE(core::State().cardPollHold);
  EXPECT_NE(core::State().libraryHandle.load(), 0);
}

TEST_F(WpsDialogTest, ASuccessWithTheRadioOffShowsTheIdlePictureAndJoinsNothing) {
  StartAndSettle();
  Sheet().RunCommand(core::kCommandRadioOff);
  ASSERT_FALSE(Sheet().RadioOn());
  Open();
  const uint64_t runs = Sheet().Connector().Runs();
  dialog_->OnStatus(pages::kWpsSuccess);
  EXPECT_EQ(dialog_->Picture(), controls::kWpsPictureSuccess);
  RunFor(pages::kWpsConnectPauseMs + 500);
  EXPECT_EQ(dialog_->Picture(), controls::kWpsPictureIdle);
  EXPECT_EQ(Sheet().Connector().Runs(), runs);
}

TEST_F(WpsDialogTest, TheDialogOffersTheAdaptersMethodsAndTheSurveysWpsAccessPoints) {
  StartAndSettle();
  // The list: "Automatic Selection", then each survey entry with WPS in survey order.
  {
    const core::SurveyArray survey = core::State().surveyList.Get();
    std::vector<std::string> expected;
    for (int32_t i = 0; i < core::State().surveyCount; ++i) {
      const VtrSurveyEntry& entry = survey[static_cast<size_t>(i)];
      if (entry.hasWps != 0) expected.emplace_back(entry.ssid);
    }
    ASSERT_FALSE(expected.empty());
    Open();
    auto* list = Control<QComboBox>(pages::kWpsAccessPoints);
    ASSERT_EQ(list->count(), static_cast<int>(expected.size()) + 1);
    EXPECT_EQ(list->itemText(0), "Automatic Selection");
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(list->itemText(static_cast<int>(i) + 1).toStdString(), expected[i]);
    }
    // Automatic selection: only push button.
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_FALSE(Enabled(pages::kWpsStationPinRadio));
    EXPECT_FALSE(Enabled(pages::kWpsAccessPointPinRadio));
    const WpsRequest automatic = dialog_->BuildRequest();
    EXPECT_EQ(automatic.method, 0u);
    EXPECT_EQ(automatic.ssid[0], 0);
    EXPECT_EQ(automatic.channel, 0u);

    // The access point's PIN: at most eight characters travel.
    ChooseAccessPoint("PinPad");
    Click(pages::kWpsAccessPointPinRadio);
    Control<QLineEdit>(pages::kWpsAccessPointPin)->setText("123456709");
    const WpsRequest apPin = dialog_->BuildRequest();
    EXPECT_EQ(apPin.method, 2u);
    EXPECT_STREQ(apPin.pin, "12345670");
    EXPECT_STREQ(apPin.ssid, "PinPad");
    // Going back to automatic selection falls back to push button.
    auto* chooser = Control<QComboBox>(pages::kWpsAccessPoints);
    chooser->setCurrentIndex(0);
    emit chooser->activated(0);
    EXPECT_EQ(dialog_->Method(), pages::kMethodPushButton);
    EXPECT_TRUE(Control<QRadioButton>(pages::kWpsPushButtonRadio)->isChecked());
    EXPECT_FALSE(Control(pages::kWpsAccessPointPin)->isVisibleTo(dialog_));
    dialog_->close();
    RunFor(10);
  }
  // The station's PIN carries its checksum digit.
  {
    Open();
    const std::string pin = Control<QLineEdit>(pages::kWpsStationPin)->text().toStdString();
    ASSERT_EQ(pin.size(), 8u);
    int weighted = 0;
    for (size_t i = 0; i < 7; ++i) weighted += (pin[i] - '0') * (i % 2 == 0 ? 3 : 1);
    EXPECT_EQ((10 - weighted % 10) % 10, pin[7] - '0') << pin;
    dialog_->close();
    RunFor(10);
  }
  // The record's network is chosen when it offers WPS.
  {
    ProfileRecord record{};
    std::strcpy(record.ssid, "PinPad");
    core::State().defaultProfileRecord.Set(record);
    Open();
    EXPECT_EQ(Control<QComboBox>(pages::kWpsAccessPoints)->currentText(), "PinPad");
    EXPECT_TRUE(Enabled(pages::kWpsStationPinRadio));
    dialog_->close();
    RunFor(10);
  }
  // An adapter that does push button only shows nothing else, and the dialog is shorter.
  {
    Open();
    const int fullHeight = dialog_->sizeHint().height();
    dialog_->close();
    RunFor(10);
    VtrCapability capability = core::State().adapterCapability.Get();
    capability.wpsModeMask = 1;
    core::State().adapterCapability.Set(capability);
    Open();
    EXPECT_TRUE(Control(pages::kWpsPushButtonRadio)->isVisibleTo(dialog_));
    EXPECT_FALSE(Control(pages::kWpsStationPinRadio)->isVisibleTo(dialog_));
    EXPECT_FALSE(Control(pages::kWpsAccessPointPinRadio)->isVisibleTo(dialog_));
    EXPECT_LT(dialog_->sizeHint().height(), fullHeight);
  }
}

}  // namespace
}  // namespace app_testing
