// The Profile Manager page on xp and vista machines: the "<Default>" profile of an empty store,
// the checks and messages of Save, Delete and Apply and what they leave in the store (as the
// library and vtrctl read it), import and export through the file dialogs, the lists of the
// network type, and the buttons whose dialogs are still to come.
#include <QDir>
#include <QRadioButton>
#include <QSlider>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "app/core/app_state.h"
#include "app/core/record_text.h"
#include "app/core/settings.h"
#include "app/core/survey_profile.h"
#include "app/pages/advanced_settings_dialog.h"
#include "app/pages/profile_security_group.h"
#include "app/pages/wifi_protected_setup_page.h"
#include "app/pages/working_profile.h"
#include "utility/profile_page_fixture.h"

namespace app_testing {
namespace {

using core::FieldText;
using core::State;
using namespace pages;

std::string SettingsKey() {
  return core::FormatSettingsKey("Vantrel", "Radiodesk");
}

void WriteDefaultProfileValue(const void* data, uint32_t size) {
  ASSERT_EQ(core::WriteSettingBinary(SettingsKey(), "Default Profile", data, size), 0);
}

class ProfileManagerTest : public ProfilePageTest {
 protected:
  // Ends the running utility and starts it again on the same machine and store.
  void Restart() {
    Sheet().RunCommand(core::kCommandExit);
    app_.reset();
    core::ResetState();
    ASSERT_TRUE(Start());
  }
  void RemoveStore() { std::filesystem::remove(profiles_ / "Profile.dll"); }
};

// The window and the workers use the store at the same time; the store refuses a second
// operation rather than wait, so the binding lets them take turns.
TEST_F(ProfileManagerTest, TheUtilitysThreadsNeverFindTheStoreInUse) {
  AddProfile("Home", "HomeNet", 0, 0, {}, true);
  const core::CVtrLibrary& lib = Library();
  std::atomic<int> failedWrites{0};
  std::atomic<bool> reading{false};
  std::atomic<bool> written{false};
  std::thread writer([&] {
    ProfileRecord record{};
    lib.InitialProfile(&record);
    core::SetFieldText(record.profileName, std::string_view("Home"));
    core::SetFieldText(record.ssid, std::string_view("HomeNet"));
    while (!reading) std::this_thread::yield();
    for (int i = 0; i < 100; ++i) {
      if (lib.WriteSingleProfile(record.profileName, &record) == 0) ++failedWrites;
    }
    written = true;
  });
  int emptyReads = 0;
  auto list = std::make_unique<core::ProfileArray>();
  reading = true;
  while (!written) {
    if (lib.ReadProfileList(core::kListCapacity, list->data()) != 1) ++emptyReads;
  }
  writer.join();
  EXPECT_EQ(emptyReads, 0);
  EXPECT_EQ(failedWrites.load(), 0);
}

TEST_F(ProfileManagerTest, AnEmptyStoreGetsDefaultFromTheRegistryOrForAnyNetwork) {
  ASSERT_TRUE(Start());
  auto made = Stored("<Default>");
  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(made->isDefault, 1u);
  EXPECT_EQ(FieldText(made->ssid), "<ANY SSID>");
  EXPECT_EQ(made->htNetwork, 0);
  EXPECT_EQ(List(kProfileNameList)->currentText(), "<Default>");
  EXPECT_TRUE(TakeMessages().empty());

  // The registry's copy of the last profile joined.
  ProfileRecord kept{};
  Library().InitialProfile(&kept);
  core::SetFieldText(kept.profileName, std::string_view("Home"));
  core::SetFieldText(kept.ssid, std::string_view("HomeNet"));
  kept.authMode = 8;
  kept.encryption = 4;
  WriteDefaultProfileValue(&kept, sizeof kept);
  RemoveStore();
  Restart();
  made = Stored("<Default>");
  ASSERT_TRUE(made.has_value());
  EXPECT_EQ(FieldText(made->ssid), "HomeNet");
  EXPECT_EQ(made->authMode, 8u);
  EXPECT_EQ(List(kAuthList)->currentData().toUInt(), 8u);

  // A damaged copy, too short or with values no stored profile holds, is not taken over.
  for (const bool tooShort : {true, false}) {
    kept.phyMode = 77;
    WriteDefaultProfileValue(&kept, tooShort ? 100 : sizeof kept);
    RemoveStore();
    Restart();
    made = Stored("<Default>");
    ASSERT_TRUE(made.has_value());
    EXPECT_EQ(FieldText(made->ssid), "<ANY SSID>");
    EXPECT_EQ(made->isDefault, 1u);
  }
}

TEST_F(ProfileManagerTest, SaveStoresTheProfileAsDefaultAndVtrctlSeesIt) {
  StartAndSettle();
  ShowPage();
  TypeProfile("Home", "HomeNet");
  Choose(List(kAuthList), 8);
  Choose(List(kEncryptionList), 4);
  Type(Edit(kPskEdit), "correct horse battery");
  Type(Edit(kConfirmEdit), "correct horse battery");
  Click(Button(kSaveProfile));
  EXPECT_TRUE(TakeMessages().empty());
  const auto home = Stored("Home");
  ASSERT_TRUE(home.has_value());
  EXPECT_EQ(FieldText(home->ssid), "HomeNet");
  EXPECT_EQ(home->authMode, 8u);
  EXPECT_EQ(home->encryption, 4u);
  EXPECT_EQ(FieldText(home->psk), "correct horse battery");
  EXPECT_EQ(DefaultName(), "Home");
  EXPECT_EQ(List(kProfileNameList)->currentText(), "Home");
  EXPECT_TRUE(Button(kSaveProfile)->isEnabled());

  const auto listed = Vtrctl({"profile", "list"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_NE(listed.out.find("* Home"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("HomeNet"), std::string::npos) << listed.out;
}

TEST_F(ProfileManagerTest, SavingAnExistingNameAsksAndCancelKeepsTheStoredProfile) {
  AddProfile("Work", "WorkNet");
  AddProfile("Home", "HomeNet", 0, 0, {}, true);
  StartAndSettle();
  ShowPage();
  ChooseText(List(kProfileNameList), "Work");
  Type(Edit(kSsidList), "OtherNet");
  answer_ = QMessageBox::Cancel;
  Click(Button(kSaveProfile));
  auto shown = TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Profile Exist ! Do you want to overwrite it ?");
  EXPECT_EQ(shown[0].icon, core::MessageIcon::Question);
  EXPECT_EQ(FieldText(Stored("Work")->ssid), "WorkNet");
  // The name saved becomes the default all the same.
  EXPECT_EQ(DefaultName(), "Work");

  ChooseText(List(kProfileNameList), "Work");
  Type(Edit(kSsidList), "OtherNet");
  answer_ = QMessageBox::Ok;
  Click(Button(kSaveProfile));
  EXPECT_EQ(OnlyMessage(), "Profile Exist ! Do you want to overwrite it ?");
  EXPECT_EQ(FieldText(Stored("Work")->ssid), "OtherNet");
}

TEST_F(ProfileManagerTest, NamesAndSsidsAreCheckedAsTypedAndBeforeSaveOrApply) {
  StartAndSettle();
  ShowPage();
  Type(Edit(kProfileNameList), "<Default>");
  auto shown = TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "You can not use <Default> Profile name !");
  EXPECT_EQ(shown[0].icon, core::MessageIcon::Stop);
  EXPECT_EQ(Edit(kProfileNameList)->text(), "");
  EXPECT_EQ(FieldText(Working().profileName), "");
  // Only the name itself is refused.
  Type(Edit(kProfileNameList), "<Default> at home");
  EXPECT_TRUE(TakeMessages().empty());

  Type(Edit(kSsidList), "<ANY SSID>");
  EXPECT_EQ(OnlyMessage(), "You can not use <ANY SSID> SSID Key !");
  EXPECT_EQ(Edit(kSsidList)->text(), "");
  EXPECT_EQ(FieldText(Working().ssid), "");

  // Blanks around the name go; blanks alone are no name.
  TypeProfile("   ", "HomeNet");
  Click(Button(kSaveProfile));
  EXPECT_EQ(OnlyMessage(), "Please enter a new Profile name !");
  for (const char* ssid : {"", "Home\tNet", "Caf\xc3\xa9"}) {
    TypeProfile("  Spaced  ", QString::fromUtf8(ssid));
    Click(Button(kSaveProfile));
    EXPECT_EQ(OnlyMessage(), "Please enter a new SSID name !") << ssid;
    EXPECT_EQ(Edit(kProfileNameList)->text(), "Spaced");
    Click(Button(kApplyProfile));
    EXPECT_EQ(OnlyMessage(), "Please enter a new SSID name !") << ssid;
  }
  EXPECT_FALSE(Stored("Spaced").has_value());
  TypeProfile("  Spaced  ", "CoffeeShop");
  Click(Button(kSaveProfile));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_TRUE(Stored("Spaced").has_value());

  // "<Default>" for any network: Save refuses it, Apply takes it.
  EditWorkingProfile([](ProfileRecord& record) {
    core::SetFieldText(record.profileName, std::string_view("<Default>"));
    core::SetFieldText(record.ssid, std::string_view("<ANY SSID>"));
  });
  Click(Button(kSaveProfile));
  EXPECT_EQ(OnlyMessage(), "Please enter a new Profile name !");
  Click(Button(kApplyProfile));
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(ProfileManagerTest, DeleteRemovesTheProfileButNeverDefault) {
  AddProfile("Work", "WorkNet", 0, 0, {}, true);
  AddProfile("Cafe", "CoffeeShop");
  StartAndSettle();
  ShowPage();
  ChooseText(List(kProfileNameList), "Cafe");
  Click(Button(kDeleteProfile));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_FALSE(Stored("Cafe").has_value());
  EXPECT_EQ(List(kProfileNameList)->findText("Cafe"), -1);

  // The default gone, "<Default>" takes its place.
  ChooseText(List(kProfileNameList), "Work");
  Click(Button(kDeleteProfile));
  EXPECT_FALSE(Stored("Work").has_value());
  ASSERT_TRUE(Stored("<Default>").has_value());
  EXPECT_EQ(DefaultName(), "<Default>");
  EXPECT_EQ(List(kProfileNameList)->currentText(), "<Default>");

  Click(Button(kDeleteProfile));
  auto shown = TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "You can not Delete <Default> Profile name !");
  EXPECT_EQ(shown[0].icon, core::MessageIcon::Stop);
  EXPECT_TRUE(Stored("<Default>").has_value());

  Type(Edit(kProfileNameList), "Ghost");
  Click(Button(kDeleteProfile));
  EXPECT_EQ(OnlyMessage(), "Profile not Exist !");
  EXPECT_TRUE(Button(kDeleteProfile)->isEnabled());
}

TEST_F(ProfileManagerTest, ExportAndImportGoThroughTheFileDialogsAndTellTheResult) {
  AddProfile("Home", "HomeNet", 8, 4, "correct horse battery", true);
  AddProfile("Work", "WorkNet");
  StartAndSettle();
  ShowPage();
  const QString before = QDir::currentPath();
  const auto exported = machine_.parent_path() / "backup.cfg";
  filePath_ = QString::fromStdString(exported.string());
  core::SetFileDialogHook([this](const core::FileDialogRequest& request) {
    fileRequests_.push_back(request);
    // A dialog that browses elsewhere; the program's folder is current again afterwards.
    QDir::setCurrent(QDir::tempPath());
    return filePath_;
  });
  Click(Button(kExportProfiles));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_TRUE(std::filesystem::exists(exported));
  EXPECT_EQ(QDir::currentPath(), before);
  ASSERT_EQ(fileRequests_.size(), 1u);
  EXPECT_EQ(fileRequests_[0].kind, core::FileDialogKind::Save);
  EXPECT_EQ(fileRequests_[0].defaultName, "Profile.cfg");
  EXPECT_EQ(fileRequests_[0].defaultSuffix, "cfg");
  EXPECT_EQ(fileRequests_[0].filter, "cfg Files (*.cfg);;All Files (*)");

  ASSERT_TRUE(Library().DeleteProfile("Work"));
  ASSERT_TRUE(Library().DeleteProfile("Home"));
  Click(Button(kImportProfiles));
  EXPECT_EQ(OnlyMessage(), "Import Profile Success.");
  EXPECT_EQ(fileRequests_.back().kind, core::FileDialogKind::Open);
  EXPECT_EQ(FieldText(Stored("Home")->psk), "correct horse battery");
  EXPECT_TRUE(Stored("Work").has_value());
  EXPECT_NE(List(kProfileNameList)->findText("Work"), -1);
  EXPECT_EQ(QDir::currentPath(), before);

  filePath_ = QString::fromStdString((machine_.parent_path() / "missing.cfg").string());
  Click(Button(kImportProfiles));
  auto shown = TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Import Profile.cfg file is not Existed.");
  EXPECT_EQ(shown[0].icon, core::MessageIcon::Stop);
  // The store itself is no file to import.
  filePath_ = QString::fromStdString((profiles_ / "Profile.dll").string());
  Click(Button(kImportProfiles));
  EXPECT_EQ(OnlyMessage(), "Import Profile Failed.");
  // Cancel does nothing.
  filePath_.clear();
  Click(Button(kImportProfiles));
  Click(Button(kExportProfiles));
  EXPECT_TRUE(TakeMessages().empty());
  // An export that could not be written is told.
  filePath_ = QString::fromStdString((machine_.parent_path() / "no-such-dir" / "x.cfg").string());
  Click(Button(kExportProfiles));
  EXPECT_EQ(OnlyMessage(), "Export Profiles Failed.");
}

TEST_F(ProfileManagerTest, NetworkTypeRulesTheWirelessModeAndChannelLists) {
  SetSetting("CountryDomain", "Canada");
  StartAndSettle();
  ShowPage();
  EXPECT_TRUE(Control<QRadioButton>(kInfrastructureRadio)->isChecked());
  EXPECT_FALSE(List(kChannelList)->isEnabled());
  Click(Control<QRadioButton>(kAdHocRadio));
  EXPECT_EQ(Working().networkType, 0u);
  EXPECT_TRUE(List(kChannelList)->isEnabled());
  EXPECT_EQ(Values(List(kWirelessModeList)), std::vector<uint32_t>{8});
  // Ad hoc offers only the WEP family.
  EXPECT_EQ(Values(List(kAuthList)), (std::vector<uint32_t>{0, 1, 2}));

  const VtrCapability capability = State().adapterCapability.Get();
  const bool channelsListed = !IsVista() || capability.adapterKind == 4;
  std::vector<uint32_t> channels{0};
  if (channelsListed && (capability.phyModeMask & 2) == 0) {
    for (uint32_t channel = 1; channel <= 11; ++channel) channels.push_back(channel);
  }
  EXPECT_EQ(Values(List(kChannelList)), channels);
  if (channels.size() > 1) {
    Choose(List(kChannelList), 6);
    EXPECT_EQ(Working().adhocChannel, 6u);
    EXPECT_EQ(List(kChannelList)->itemText(6), "CH 6");
  }
  // A 5 GHz channel goes with any mode but 802.11a.
  EditWorkingProfile([](ProfileRecord& record) { record.adhocChannel = 36; });
  Choose(List(kWirelessModeList), 8);
  EXPECT_EQ(Working().adhocWirelessMode, 8u);
  EXPECT_EQ(Working().adhocChannel, 0u);

  Click(Control<QRadioButton>(kInfrastructureRadio));
  EXPECT_EQ(Working().networkType, 1u);
  EXPECT_FALSE(List(kWirelessModeList)->isEnabled());
}

TEST_F(ProfileManagerTest, OutsideTheAmericasThirteenChannelsAreOffered) {
  if (IsVista()) GTEST_SKIP() << "the Vista build lists no channels for this adapter";
  SetSetting("CountryDomain", "Germany");
  // The list names channels only for an adapter without 802.11a.
  UseSingleBandAdapter();
  StartAndSettle();
  ShowPage();
  Click(Control<QRadioButton>(kAdHocRadio));
  const auto channels = Values(List(kChannelList));
  ASSERT_FALSE(channels.empty());
  EXPECT_EQ(channels.back(), 13u);
}

TEST_F(ProfileManagerTest, AdvanceSettingsAndWpsFunctionOpenTheirDialogs) {
  StartAndSettle();
  ShowPage();
  EXPECT_EQ(Button(kAdvanceSettings)->isEnabled(), !IsVista());
  if (!IsVista()) {
    const uint32_t before = Working().rtsThreshold;
    const int wanted = before == 1000 ? 1200 : 1000;
    WithDialog<CAdvancedSettingsDialog>(
        Button(kAdvanceSettings), [&](CAdvancedSettingsDialog& dialog) {
          DialogControl<QSlider>(dialog, kAdvancedRts)->setValue(wanted);
          DialogControl<QAbstractButton>(dialog, kAdvancedOk)->click();
        });
    EXPECT_EQ(Working().rtsThreshold, static_cast<uint32_t>(wanted));
  }
  Click(Button(kWpsFunction));
  CVantrelWifiProtectedSetupPage* wps = CVantrelWifiProtectedSetupPage::Current();
  ASSERT_NE(wps, nullptr);
  EXPECT_TRUE(wps->isVisible());
  // A second press while it is open brings no second dialog.
  EXPECT_EQ(CVantrelWifiProtectedSetupPage::Open(Library(), Sheet(), &Sheet()), wps);
  wps->close();
  RunFor(10);
  EXPECT_EQ(CVantrelWifiProtectedSetupPage::Current(), nullptr);
  EXPECT_TRUE(TakeMessages().empty());
}

TEST_F(ProfileManagerTest, ASecuredSurveyNetworkIsCompletedHereAndJoinedByApply) {
  AddProfile("Gone", "NotHere", 0, 0, {}, true);
  SetSetting("AutoConnect", "0");
  StartAndSettle();
  State().adapterCapability.With([](VtrCapability& capability) { capability.wpsSupported = 1; });
  // What "&Connect" on the Site Survey page does with a network that needs a key.
  ASSERT_TRUE(Sheet().Connector().StartFromSurvey(SurveyEntry("HomeNet")));
  WaitForConnectEnd(1);
  EXPECT_EQ(Sheet().Tabs()->currentWidget(), &Page());
  EXPECT_TRUE(State().surveyProfilePending.load());
  EXPECT_FALSE(State().wpsAutoStart.load());
  // HomeNet offers WPS: the page opened the WPS dialog at once, with HomeNet chosen.
  CVantrelWifiProtectedSetupPage* wps = CVantrelWifiProtectedSetupPage::Current();
  ASSERT_NE(wps, nullptr);
  EXPECT_EQ(DialogControl<QComboBox>(*wps, kWpsAccessPoints)->currentText(), "HomeNet");
  wps->close();
  RunFor(10);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(Edit(kSsidList)->text(), "HomeNet");
  EXPECT_EQ(List(kAuthList)->currentData().toUInt(), 8u);
  EXPECT_EQ(Link().linkState, 2u);

  // Applied under a name of its own, the settings also stay with "<Default>".
  Type(Edit(kProfileNameList), "Home");
  Type(Edit(kPskEdit), "correct horse battery");
  Type(Edit(kConfirmEdit), "correct horse battery");
  Click(Button(kApplyProfile));
  // Grey from the start of the connect, which first shows the "Validate Settings ..." notice.
  EXPECT_TRUE(RunUntil([this] { return !Button(kApplyProfile)->isEnabled(); }, 2000));
  WaitForConnectEnd(2);
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(LinkSsid(), "HomeNet");
  EXPECT_TRUE(Button(kApplyProfile)->isEnabled());
  EXPECT_FALSE(State().surveyProfilePending.load());
  EXPECT_EQ(FieldText(Stored("<Default>")->psk), "correct horse battery");
  EXPECT_EQ(FieldText(Stored("Home")->psk), "correct horse battery");
  EXPECT_EQ(DefaultName(), "Home");
  EXPECT_EQ(List(kProfileNameList)->currentText(), "Home");
}

// A scan ends while the user types: the store's new names are listed, the edit stays.
TEST_F(ProfileManagerTest, AFinishedScanKeepsWhatTheUserIsTyping) {
  StartAndSettle();
  ShowPage();
  TypeProfile("Half", "HalfTyped");
  Choose(List(kAuthList), 8);
  AddProfile("Elsewhere", "OtherNet");
  Page().RefreshProfiles();  // what the sheet does after every scan
  EXPECT_NE(List(kProfileNameList)->findText("Elsewhere"), -1);
  EXPECT_EQ(List(kProfileNameList)->currentText(), "Half");
  EXPECT_EQ(FieldText(Working().profileName), "Half");
  EXPECT_EQ(FieldText(Working().ssid), "HalfTyped");
  EXPECT_EQ(Working().authMode, 8u);
  EXPECT_EQ(Edit(kSsidList)->text(), "HalfTyped");
}

TEST_F(ProfileManagerTest, ChoosingASurveyNetworkFillsTheEditorAndEnterpriseOffWarns) {
  SetSetting("EnterpriseOff", "");
  StartAndSettle();
  ShowPage();
  // The scan's networks are offered by name.
  const auto survey = State().surveyList.Get();
  ASSERT_EQ(List(kSsidList)->count(), State().surveyCount.load());
  const auto find = [&](std::string_view ssid) {
    for (int32_t i = 0; i < State().surveyCount; ++i) {
      if (core::SurveySsid(survey[static_cast<size_t>(i)]) == ssid) return i;
    }
    return -1;
  };
  Type(Edit(kProfileNameList), "Mine");
  Choose(List(kSsidList), static_cast<uint32_t>(find("MixedMode")));
  EXPECT_TRUE(TakeMessages().empty());
  EXPECT_EQ(FieldText(Working().profileName), "Mine");
  EXPECT_EQ(FieldText(Working().ssid), "MixedMode");
  EXPECT_EQ(Working().authMode, 4u);
  EXPECT_EQ(Working().encryption, 2u);
  EXPECT_EQ(State().selectedSurveyIndex.load(), find("MixedMode"));

  Choose(List(kSsidList), static_cast<uint32_t>(find("OldRouter")));
  EXPECT_EQ(Working().authMode, 2u);
  EXPECT_EQ(List(kEncryptionList)->currentData().toUInt(), 1u);

  // With the enterprise modes off, their networks are told apart; the editor keeps them.
  Choose(List(kSsidList), static_cast<uint32_t>(find("Office-Corp")));
  auto shown = TakeMessages();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Not support this connect mode !");
  EXPECT_EQ(shown[0].icon, core::MessageIcon::Exclamation);
  EXPECT_EQ(FieldText(Working().ssid), "Office-Corp");
  EXPECT_EQ(Values(List(kAuthList)), (std::vector<uint32_t>{0, 1, 2, 4, 8}));
}

}  // namespace
}  // namespace app_testing
