#include "app/pages/profile_manager_page.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <memory>

#include "app/controls/byte_limit.h"
#include "app/controls/flat_button.h"
#include "app/controls/palette.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/file_dialog.h"
#include "app/core/language.h"
#include "app/core/message_box.h"
#include "app/core/os_version_code.h"
#include "app/core/property_sheet.h"
#include "app/core/record_text.h"
#include "app/core/settings.h"
#include "app/core/survey_profile.h"
#include "app/pages/advanced_settings_dialog.h"
#include "app/pages/profile_security_group.h"
#include "app/pages/radius_dialog.h"
#include "app/pages/wifi_protected_setup_page.h"
#include "app/pages/working_profile.h"
#include "lib/common/profile_record_rules.h"

namespace pages {

namespace {

constexpr int kNameBytes = 256;
constexpr int kSsidBytes = 32;
constexpr uint32_t kAutoSelectMode = 8;
constexpr uint32_t kModeA = 6;
constexpr uint32_t kHighestChannel24 = 14;
constexpr uint32_t kPhyModeA = 2;
constexpr uint32_t kAdapterKindXp = 4;
constexpr int32_t kAddDone = 0;
constexpr int32_t kAddExists = 1;
constexpr int32_t kAddFull = 4;

constexpr LangText kAutoSelect{"100D0", "Auto Select"};
constexpr LangText kNewName{"104D0", "Please enter a new Profile name !"};
constexpr LangText kNewSsid{"104E0", "Please enter a new SSID name !"};
constexpr LangText kAddFailed{"10490", "Open or Add Profile Fail !"};

void Say(QWidget* page, const LangText& text, core::MessageIcon icon) {
  core::ShowMessage(page->window(), ProfileText(text), icon);
}

// An SSID the driver can take: 1 to 32 printable 7-bit characters.
bool IsTypableSsid(std::string_view ssid) {
  return !ssid.empty() && std::all_of(ssid.begin(), ssid.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 32 && byte <= 126;
  });
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

template <size_t N>
bool FieldIs(const char (&field)[N], std::string_view text) {
  return core::FieldText(field) == text;
}

void SetEditText(QComboBox* list, const QString& text) {
  const QSignalBlocker quiet(list);
  list->setEditText(text);
}

// The registry's copy of the default profile, when it is whole: exactly one record, holding the
// values a stored record keeps.
bool ReadRegistryDefault(ProfileRecord& record) {
  ProfileRecord stored{};
  uint32_t size = 0;
  if (core::ReadSettingBinary("Default Profile", &stored, sizeof stored, &size) != 0) return false;
  if (size != sizeof stored || !vtr::profile::HoldsStoredInvariants(stored)) return false;
  record = stored;
  return true;
}

}  // namespace

CVantrelProfileManagerPage::CVantrelProfileManagerPage(core::CVantrelPropertySheet& sheet,
                                                       const core::CVtrLibrary& lib)
    : core::SheetPage(sheet, core::kPageProfileManager,
                      core::LangCaption("PROFILE_MANAGER", "Profile Manager           ")),
      lib_(lib) {
  BuildLayout();
  SetTexts();
  ConnectHandlers();
  security_->ReadMasking();
  RefreshList();
  advance_->setEnabled(core::State().osVersionCode != core::kOsWindowsVista);
}

void CVantrelProfileManagerPage::BuildLayout() {
  setAutoFillBackground(true);
  QPalette background = palette();
  background.setColor(QPalette::Window, controls::kPageBackground);
  setPalette(background);
  const QString blue = controls::WindowsColor(0xFF0000).name();
  setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid #D5DBE1; border-radius: 6px;"
                               " margin-top: 14px; padding: 10px 8px 8px 8px; }"
                               "QGroupBox::title { subcontrol-origin: margin; left: 10px;"
                               " padding: 0 4px; color: %1; }")
                    .arg(blue));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 8, 12, 10);
  layout->setSpacing(10);
  auto* columns = new QHBoxLayout;
  columns->setSpacing(12);
  columns->addWidget(BuildEditor(), 1);
  security_ = new ProfileSecurityGroup(lib_, this);
  columns->addWidget(security_, 1);
  layout->addLayout(columns, 1);
  layout->addWidget(BuildActions());
}

QWidget* CVantrelProfileManagerPage::BuildEditor() {
  auto* setting = new QGroupBox(this);
  core::SetControlId(setting, kProfileSettingGroup);
  auto* layout = new QVBoxLayout(setting);
  layout->setSpacing(8);

  auto boxedList = [&](int groupId, int listId, int maxBytes) {
    auto* group = new QGroupBox(setting);
    core::SetControlId(group, groupId);
    auto* inner = new QVBoxLayout(group);
    auto* list = new QComboBox(group);
    core::SetControlId(list, listId);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    controls::LimitBytes(list->lineEdit(), maxBytes);
    inner->addWidget(list);
    layout->addWidget(group);
    return list;
  };
  names_ = boxedList(kProfileNameGroup, kProfileNameList, kNameBytes);
  ssids_ = boxedList(kSsidGroup, kSsidList, kSsidBytes);

  auto* more = new QHBoxLayout;
  auto* advance = new controls::FlatButton(QString(), setting);
  core::SetControlId(advance, kAdvanceSettings);
  auto* wps = new controls::FlatButton(QString(), setting);
  core::SetControlId(wps, kWpsFunction);
  more->addWidget(advance);
  more->addWidget(wps);
  advance_ = advance;
  wps_ = wps;
  layout->addLayout(more);

  auto* type = new QGroupBox(setting);
  core::SetControlId(type, kNetworkTypeGroup);
  auto* grid = new QGridLayout(type);
  grid->setHorizontalSpacing(10);
  infrastructure_ = new QRadioButton(type);
  core::SetControlId(infrastructure_, kInfrastructureRadio);
  adHoc_ = new QRadioButton(type);
  core::SetControlId(adHoc_, kAdHocRadio);
  grid->addWidget(infrastructure_, 0, 0);
  grid->addWidget(adHoc_, 0, 1);
  auto* modeLabel = new QLabel(type);
  core::SetControlId(modeLabel, kWirelessModeLabel);
  wirelessMode_ = new QComboBox(type);
  core::SetControlId(wirelessMode_, kWirelessModeList);
  grid->addWidget(modeLabel, 1, 0);
  grid->addWidget(wirelessMode_, 1, 1);
  auto* channelLabel = new QLabel(type);
  core::SetControlId(channelLabel, kChannelLabel);
  channels_ = new QComboBox(type);
  core::SetControlId(channels_, kChannelList);
  grid->addWidget(channelLabel, 2, 0);
  grid->addWidget(channels_, 2, 1);
  grid->setColumnStretch(1, 1);
  layout->addWidget(type);
  layout->addStretch(1);
  return setting;
}

QWidget* CVantrelProfileManagerPage::BuildActions() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(8);
  auto add = [&](int id) {
    auto* button = new controls::FlatButton(QString(), row);
    core::SetControlId(button, id);
    layout->addWidget(button);
    return button;
  };
  save_ = add(kSaveProfile);
  delete_ = add(kDeleteProfile);
  apply_ = add(kApplyProfile);
  layout->addStretch(1);
  export_ = add(kExportProfiles);
  import_ = add(kImportProfiles);
  return row;
}

void CVantrelProfileManagerPage::SetTexts() {
  auto set = [this](int id, std::string_view key, std::string_view fallback) {
    core::LangSetText(this, false, id, "PROFILE_MANAGER", key, fallback);
  };
  set(kProfileSettingGroup, "10010", "Profile Setting");
  set(kProfileNameGroup, "10020", "Profile Name");
  set(kSsidGroup, "10030", "Network Name(SSID)");
  set(kAdvanceSettings, "10040", "Advance Settings");
  set(kWpsFunction, "10360", "&WPS Function");
  set(kNetworkTypeGroup, "10050", "Network Type");
  set(kInfrastructureRadio, "10060", "Infrastructure");
  set(kAdHocRadio, "10070", "Ad-Hoc");
  set(kWirelessModeLabel, "10080", "Wireless Mode :");
  set(kChannelLabel, "10090", "Prefer Channel :");
  set(kSaveProfile, "10310", "&Save Profile");
  set(kDeleteProfile, "10320", "&Delete Profile");
  set(kApplyProfile, "10330", "&Apply  Profile");
  set(kExportProfiles, "10340", "&Export Profiles");
  set(kImportProfiles, "10350", "&Import Profiles");
}

void CVantrelProfileManagerPage::ConnectHandlers() {
  connect(names_, &QComboBox::activated, this, [this] { OnProfileSelected(); });
  connect(names_->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& text) { OnNameTyped(text); });
  connect(ssids_, &QComboBox::activated, this, [this](int index) { OnSsidChosen(index); });
  connect(ssids_->lineEdit(), &QLineEdit::textEdited, this,
          [this](const QString& text) { OnSsidTyped(text); });
  connect(infrastructure_, &QRadioButton::clicked, this,
          [this] { SetNetworkType(kNetworkInfrastructure); });
  connect(adHoc_, &QRadioButton::clicked, this, [this] { SetNetworkType(kNetworkAdHoc); });
  connect(wirelessMode_, &QComboBox::activated, this, [this] { OnWirelessModeChosen(); });
  connect(channels_, &QComboBox::activated, this, [this] {
    const uint32_t channel = channels_->currentData().toUInt();
    EditWorkingProfile([&](ProfileRecord& record) { record.adhocChannel = channel; });
  });
  connect(advance_, &QAbstractButton::clicked, this, [this] { OpenAdvanceSettings(); });
  connect(wps_, &QAbstractButton::clicked, this, [this] { OpenWpsFunction(); });
  connect(save_, &QAbstractButton::clicked, this, [this] { SaveProfile(); });
  connect(delete_, &QAbstractButton::clicked, this, [this] { DeleteProfile(); });
  connect(apply_, &QAbstractButton::clicked, this, [this] { ApplyProfile(); });
  connect(import_, &QAbstractButton::clicked, this, [this] { ImportProfiles(); });
  connect(export_, &QAbstractButton::clicked, this, [this] { ExportProfiles(); });
}

void CVantrelProfileManagerPage::OnSetActive() {
  show();
  RebuildSsidList();
  if (names_->currentIndex() >= 0) OnProfileSelected();
  auto& state = core::State();
  if (state.adapterCapability.Get().wpsSupported != 0 && state.wpsAutoStart.exchange(false)) {
    core::PostToGui(this, [this] { wps_->click(); });
  }
}

void CVantrelProfileManagerPage::ShowRecord(const ProfileRecord& record) {
  core::State().defaultProfileRecord.Set(record);
  const QString name = core::FieldQString(record.profileName);
  {
    const QSignalBlocker quiet(names_);
    const int index = names_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) names_->setCurrentIndex(index);
    names_->setEditText(name);
  }
  SetNetworkType(record.networkType);
  RebuildSsidList();
}

void CVantrelProfileManagerPage::RefreshProfiles() {
  if (!isVisible()) {
    RefreshList();
    return;
  }
  // Shown, the editor may hold what the user is typing: a finished scan or connect renews the
  // lists around it and leaves the name field and the working profile as they are.
  const QString name = names_->currentText();
  ReadNames();
  {
    const QSignalBlocker quiet(names_);
    names_->setCurrentIndex(names_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
  }
  SetEditText(names_, name);
  RebuildSsidList();
}

void CVantrelProfileManagerPage::ConnectWorkerRunning(bool running) {
  apply_->setEnabled(!running && !core::State().appClosing);
}

int32_t CVantrelProfileManagerPage::ReadNames() {
  auto list = std::make_unique<core::ProfileArray>();
  const int32_t count =
      std::min(lib_.ReadProfileList(core::kListCapacity, list->data()), core::kListCapacity);
  core::State().profileCount = std::max(count, 0);
  core::State().profileList.Set(*list);
  const QSignalBlocker quiet(names_);
  names_->clear();
  for (int32_t index = 0; index < count; ++index) {
    names_->addItem(core::FieldQString((*list)[static_cast<size_t>(index)].profileName), index);
  }
  return count;
}

void CVantrelProfileManagerPage::RefreshList() {
  // Each way to a default is tried once: a store that refuses them is shown as it is.
  bool triedSetDefault = false;
  bool triedAdd = false;
  for (;;) {
    const int32_t count = ReadNames();
    const int32_t found = core::State().profileList.With(
        [&](core::ProfileArray& list) { return lib_.FindDefaultProfile(count, list.data()); });
    if (found >= 0 && found < count) {
      const QSignalBlocker quiet(names_);
      names_->setCurrentIndex(found);
      OnProfileSelected();
      return;
    }
    // A store that cannot be read is left alone: whether "<Default>" is in it is not known.
    if (count < 0) return;
    const bool hasDefaultName = core::State().profileList.With([&](core::ProfileArray& list) {
      return lib_.FindProfile(count, core::kDefaultProfileName, list.data()) >= 0;
    });
    if (hasDefaultName) {
      if (triedSetDefault) return;
      triedSetDefault = true;
      const bool set = core::State().profileList.With([&](core::ProfileArray& list) {
        return lib_.SetDefaultProfile(count, core::kDefaultProfileName, list.data()) != 0;
      });
      if (!set) {
        Say(this, {"10470", "Set <Default> Profile Error !"}, core::MessageIcon::Stop);
        return;
      }
      continue;
    }
    if (triedAdd) return;
    triedAdd = true;
    if (!CreateDefaultProfile()) {
      Say(this, kAddFailed, core::MessageIcon::Exclamation);
      return;
    }
  }
}

bool CVantrelProfileManagerPage::CreateDefaultProfile() {
  ProfileRecord record{};
  // A missing or damaged copy in the registry gives the library's defaults for any network.
  if (!ReadRegistryDefault(record)) {
    lib_.InitialProfile(&record);
    core::SetFieldText(record.ssid, std::string_view(core::kAnySsid));
    record.htNetwork = 0;
  }
  core::SetFieldText(record.profileName, std::string_view(core::kDefaultProfileName));
  core::State().defaultProfileRecord.Set(record);
  return lib_.AddProfile(core::kListCapacity, record.profileName, &record) == kAddDone;
}

void CVantrelProfileManagerPage::OnProfileSelected() {
  const int index = names_->currentData().toInt();
  if (names_->currentIndex() < 0 || index < 0 || index >= core::State().profileCount) return;
  const ProfileRecord record = core::State().profileList.With(
      [&](core::ProfileArray& list) { return list[static_cast<size_t>(index)]; });
  core::State().defaultProfileRecord.Set(record);
  SetNetworkType(record.networkType);
  RebuildSsidList();
}

void CVantrelProfileManagerPage::OnNameTyped(const QString& text) {
  if (text == QLatin1String(core::kDefaultProfileName)) {
    Say(this, {"10450", "You can not use <Default> Profile name !"}, core::MessageIcon::Stop);
    SetEditText(names_, QString());
    EditWorkingProfile(
        [](ProfileRecord& record) { core::SetFieldText(record.profileName, std::string_view()); });
    return;
  }
  EditWorkingProfile([&](ProfileRecord& record) { core::SetFieldText(record.profileName, text); });
}

void CVantrelProfileManagerPage::OnSsidTyped(const QString& text) {
  const bool anySsid = text == QLatin1String(core::kAnySsid);
  EditWorkingProfile([&](ProfileRecord& record) {
    core::SetFieldText(record.ssid, anySsid ? QString() : text);
    core::SetFieldText(record.bssid, std::string_view());
    record.surveyChannel = 0;
  });
  if (anySsid) {
    Say(this, {"10460", "You can not use <ANY SSID> SSID Key !"}, core::MessageIcon::Stop);
    SetEditText(ssids_, QString());
  }
}

void CVantrelProfileManagerPage::OnSsidChosen(int index) {
  const int entryIndex = ssids_->itemData(index).toInt();
  if (index < 0 || entryIndex < 0 || entryIndex >= core::State().surveyCount) return;
  auto& state = core::State();
  state.selectedSurveyIndex = entryIndex;
  const VtrSurveyEntry entry = state.surveyList.With(
      [&](core::SurveyArray& list) { return list[static_cast<size_t>(entryIndex)]; });
  const uint32_t adapterKind = state.adapterCapability.Get().adapterKind;
  EditWorkingProfile([&](ProfileRecord& record) {
    core::FillProfileFromSurvey(lib_, record, entry, adapterKind);
  });
  SetNetworkType(entry.networkType);
  if (core::EnterpriseModesOff() && core::IsEnterpriseNetwork(entry)) {
    core::ShowMessage(window(),
                      core::ToQString(core::LangLookup("SITE_SURVEY", "10110",
                                                       "Not support this connect mode !")),
                      core::MessageIcon::Exclamation);
  }
}

void CVantrelProfileManagerPage::SetNetworkType(uint32_t networkType) {
  const bool infrastructure = networkType != kNetworkAdHoc;
  infrastructure_->setChecked(infrastructure);
  adHoc_->setChecked(!infrastructure);
  for (int id : {kWirelessModeLabel, kWirelessModeList, kChannelLabel, kChannelList}) {
    core::FindControl(this, id)->setEnabled(!infrastructure);
  }
  const uint32_t type = infrastructure ? kNetworkInfrastructure : kNetworkAdHoc;
  EditWorkingProfile([&](ProfileRecord& record) { record.networkType = type; });
  BuildWirelessModeList();
  security_->BuildAuthenticationList(type);
}

void CVantrelProfileManagerPage::BuildWirelessModeList() {
  {
    const QSignalBlocker quiet(wirelessMode_);
    wirelessMode_->clear();
    wirelessMode_->addItem(ProfileText(kAutoSelect), kAutoSelectMode);
    wirelessMode_->setCurrentIndex(0);
  }
  BuildChannelList();
}

void CVantrelProfileManagerPage::OnWirelessModeChosen() {
  const uint32_t mode = wirelessMode_->currentData().toUInt();
  EditWorkingProfile([&](ProfileRecord& record) {
    record.adhocWirelessMode = mode;
    // A 5 GHz channel is left only with an 802.11a mode.
    if (mode != kModeA && record.adhocChannel > kHighestChannel24) record.adhocChannel = 0;
  });
}

void CVantrelProfileManagerPage::BuildChannelList() {
  const auto& state = core::State();
  const VtrCapability capability = state.adapterCapability.Get();
  const QSignalBlocker quiet(channels_);
  channels_->clear();
  channels_->addItem(ProfileText(kAutoSelect), 0);
  const bool listsChannels =
      state.osVersionCode != core::kOsWindowsVista || capability.adapterKind == kAdapterKindXp;
  if (listsChannels && (capability.phyModeMask & kPhyModeA) == 0) {
    VtrAdapterInfo info{};
    lib_.DriverParameter(&info);
    const uint32_t last = info.regionCode == 1 || info.regionCode == 2 ? 11 : 13;
    for (uint32_t channel = 1; channel <= last; ++channel) {
      channels_->addItem(QStringLiteral("CH %1").arg(channel), channel);
    }
  }
  const int index = channels_->findData(WorkingProfile().adhocChannel);
  channels_->setCurrentIndex(index >= 0 ? index : 0);
}

void CVantrelProfileManagerPage::RebuildSsidList() {
  const ProfileRecord record = WorkingProfile();
  const QString ssid = core::FieldQString(record.ssid);
  const QSignalBlocker quiet(ssids_);
  ssids_->clear();
  const int32_t count = std::min(core::State().surveyCount.load(), core::kListCapacity);
  const auto survey = core::State().surveyList.Get();
  for (int32_t index = 0; index < count; ++index) {
    ssids_->addItem(core::ToQString(core::SurveySsid(survey[static_cast<size_t>(index)])), index);
  }
  ssids_->setCurrentIndex(ssids_->findText(ssid, Qt::MatchExactly | Qt::MatchCaseSensitive));
  // The profile's own network name, whatever the scan found; "<ANY SSID>" only for none.
  ssids_->setEditText(ssid.isEmpty() && count == 0 ? QString::fromLatin1(core::kAnySsid) : ssid);
}

bool CVantrelProfileManagerPage::ValidateEditor(bool forSave) {
  ProfileRecord record = WorkingProfile();
  const std::string name(TrimBlanks(core::FieldText(record.profileName)));
  EditWorkingProfile(
      [&](ProfileRecord& working) { core::SetFieldText(working.profileName, name); });
  SetEditText(names_, core::ToQString(name));
  if (name.empty() || (forSave && name == core::kDefaultProfileName)) {
    Say(this, kNewName, core::MessageIcon::Stop);
    return false;
  }
  const std::string_view ssid = core::FieldText(record.ssid);
  if (!IsTypableSsid(ssid) || (forSave && ssid == core::kAnySsid)) {
    Say(this, kNewSsid, core::MessageIcon::Stop);
    return false;
  }
  return security_->Validate();
}

void CVantrelProfileManagerPage::StoreUnderDefaultWhenPending() {
  auto& state = core::State();
  ProfileRecord record = WorkingProfile();
  if (state.surveyProfilePending.exchange(false) &&
      !FieldIs(record.profileName, core::kDefaultProfileName)) {
    // The network chosen on the Site Survey page stays "<Default>" with these settings too.
    core::SetFieldText(record.profileName, std::string_view(core::kDefaultProfileName));
    lib_.WriteSingleProfile(record.profileName, &record);
  }
}

void CVantrelProfileManagerPage::AddOrOverwrite(const ProfileRecord& record) {
  const int32_t result = lib_.AddProfile(core::kListCapacity, record.profileName, &record);
  if (result == kAddDone) return;
  if (result == kAddExists) {
    const auto answer = core::ShowMessage(
        window(), ProfileText({"10480", "Profile Exist ! Do you want to overwrite it ?"}),
        core::MessageIcon::Question, QMessageBox::Ok | QMessageBox::Cancel);
    if (answer == QMessageBox::Ok) lib_.WriteSingleProfile(record.profileName, &record);
    return;
  }
  if (result == kAddFull) {
    Say(this, {"104A0", "Profile numbers is Full !"}, core::MessageIcon::Exclamation);
    return;
  }
  Say(this, kAddFailed, core::MessageIcon::Exclamation);
}

void CVantrelProfileManagerPage::MakeDefault(const ProfileRecord& record) {
  const int32_t count = ReadNames();
  core::State().profileList.With([&](core::ProfileArray& list) {
    return lib_.SetDefaultProfile(std::max(count, 0), record.profileName, list.data());
  });
}

void CVantrelProfileManagerPage::SaveProfile() {
  SetActionsEnabled(false);
  if (ValidateEditor(true)) {
    StoreUnderDefaultWhenPending();
    const ProfileRecord record = WorkingProfile();
    AddOrOverwrite(record);
    MakeDefault(record);
    RefreshList();
  }
  ReenableActions();
}

void CVantrelProfileManagerPage::DeleteProfile() {
  SetActionsEnabled(false);
  const ProfileRecord record = WorkingProfile();
  if (FieldIs(record.profileName, core::kDefaultProfileName)) {
    Say(this, {"104B0", "You can not Delete <Default> Profile name !"}, core::MessageIcon::Stop);
  } else {
    // The library's delete succeeds for a name it does not hold, so the list is asked first.
    const int32_t count = ReadNames();
    const bool stored = core::State().profileList.With([&](core::ProfileArray& list) {
      return lib_.FindProfile(count, record.profileName, list.data()) >= 0;
    });
    if (!stored || lib_.DeleteProfile(record.profileName) == 0) {
      Say(this, {"104C0", "Profile not Exist !"}, core::MessageIcon::Stop);
    }
    RefreshList();
  }
  ReenableActions();
}

void CVantrelProfileManagerPage::ApplyProfile() {
  if (!Sheet().RadioOn()) return;
  if (!ValidateEditor(false)) return;
  Sheet().SetConnectPending(false);
  // A connect already running keeps the request for itself; "&Apply  Profile" is grey meanwhile.
  Sheet().Connector().StartFromProfile();
}

void CVantrelProfileManagerPage::ImportProfiles() {
  SetActionsEnabled(false);
  const QString path = core::AskFileName(
      window(), {core::FileDialogKind::Open, QStringLiteral("cfg"), QStringLiteral("Profile.cfg"),
                 QStringLiteral("cfg Files (*.cfg);;All Files (*)")});
  if (!path.isEmpty()) {
    switch (lib_.ImportProfile(QFile::encodeName(path).constData(), core::kListCapacity)) {
      case 0:
        Say(this, {"104F0", "Import Profile Success."}, core::MessageIcon::Information);
        break;
      case 1:
        Say(this, {"10500", "Import Profile.cfg file is not Existed."}, core::MessageIcon::Stop);
        break;
      case 2:
        Say(this, {"10510", "Import Profile members is Full."}, core::MessageIcon::Exclamation);
        break;
      case 3:
        Say(this, {"10520", "Import Profile Failed."}, core::MessageIcon::Stop);
        break;
      case 4:
        Say(this, {"10530", "Illegal profile format !"}, core::MessageIcon::Stop);
        break;
      default:
        break;
    }
  }
  RefreshList();
  ReenableActions();
}

void CVantrelProfileManagerPage::ExportProfiles() {
  SetActionsEnabled(false);
  const QString path = core::AskFileName(
      window(), {core::FileDialogKind::Save, QStringLiteral("cfg"), QStringLiteral("Profile.cfg"),
                 QStringLiteral("cfg Files (*.cfg);;All Files (*)")});
  // An export that did not happen is said: the user would otherwise count on a copy that is not
  // there.
  if (!path.isEmpty() && lib_.ExportProfile(QFile::encodeName(path).constData()) == 0) {
    Say(this, {"10540", "Export Profiles Failed."}, core::MessageIcon::Stop);
  }
  RefreshList();
  ReenableActions();
}

void CVantrelProfileManagerPage::SetActionsEnabled(bool enabled) {
  const bool vista = core::State().osVersionCode == core::kOsWindowsVista;
  advance_->setEnabled(enabled && !vista);
  for (QAbstractButton* button : {save_, delete_, export_, import_}) button->setEnabled(enabled);
  // While a connection is being made, Apply stays grey until it ends.
  apply_->setEnabled(enabled && !core::State().connectWorkerBusy);
}

void CVantrelProfileManagerPage::ReenableActions() {
  if (!core::State().appClosing) SetActionsEnabled(true);
}

void CVantrelProfileManagerPage::OpenAdvanceSettings() {
  CAdvancedSettingsDialog dialog(window());
  dialog.exec();
}

void CVantrelProfileManagerPage::OpenWpsFunction() {
  CVantrelWifiProtectedSetupPage::Open(lib_, Sheet(), window());
}

}  // namespace pages
