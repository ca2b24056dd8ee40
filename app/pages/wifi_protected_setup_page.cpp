#include "app/pages/wifi_protected_setup_page.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "app/controls/flat_button.h"
#include "app/controls/wps_pictures.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/language.h"
#include "app/core/message_box.h"
#include "app/core/property_sheet.h"
#include "app/core/survey_profile.h"
#include "app/core/worker.h"
#include "platform/services.h"

namespace pages {

namespace {

constexpr std::string_view kSection = "WPS";
constexpr int kPictureSize = 72;
constexpr int kAccessPointPinLimit = 8;
constexpr uint32_t kModeStationPin = 2;
constexpr uint32_t kModeAccessPointPin = 4;

// The request's method code for each of the dialog's methods.
constexpr uint32_t kRequestPushButton = 0;
constexpr uint32_t kRequestStationPin = 1;
constexpr uint32_t kRequestAccessPointPin = 2;

// GUI thread only: the dialog open now, and the number of the last engine run started.
CVantrelWifiProtectedSetupPage* g_open = nullptr;
uintptr_t g_lastRun = 0;

// The engine's callback, on the library's thread: only the code and the run's number travel to
// the GUI thread, which then asks whether that dialog and that run are still there.
void EngineCallback(uint32_t code, uintptr_t run) {
  core::PostToGui(QCoreApplication::instance(), [code, run] {
    CVantrelWifiProtectedSetupPage* dialog = CVantrelWifiProtectedSetupPage::Current();
    if (dialog != nullptr && dialog->IsCurrentRun(run)) dialog->OnStatus(code);
  });
}

QString Text(std::string_view key, std::string_view fallback) {
  return core::ToQString(core::LangLookup(kSection, key, fallback));
}

template <size_t N>
void CopyText(char (&field)[N], std::string_view text, size_t limit = N - 1) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min({text.size(), limit, N - 1}));
}

QLabel* NewLabel(QWidget* parent, int id) {
  auto* label = new QLabel(parent);
  core::SetControlId(label, id);
  label->setWordWrap(true);
  return label;
}

}  // namespace

CVantrelWifiProtectedSetupPage::CVantrelWifiProtectedSetupPage(const core::CVtrLibrary& lib,
                                                               core::CVantrelPropertySheet& sheet,
                                                               QWidget* parent)
    : QDialog(parent),
      lib_(lib),
      sheet_(sheet),
      pictureTimer_(this, [this] { ShowPicture(picture_); }),
      runLimit_(this, [this] { Cancel(); }),
      connectPause_(this, [this] { ConnectReceivedProfile(); }) {
  g_open = this;
  lib_.WPSInitialize();
  BuildLayout();
  SetTexts();
  OfferMethods();
  SelectMethod(kMethodPushButton);
  cancel_->setEnabled(false);
  start_->setEnabled(true);
  FillAccessPoints();
  char pin[9] = {};
  lib_.WPSGeneratePin(pin);
  stationPinField_->setText(QString::fromLatin1(pin, static_cast<int>(strnlen(pin, 8))));
  ShowPicture(controls::kWpsPictureIdle);
  SetProgress(0, "10150", "None");
}

CVantrelWifiProtectedSetupPage::~CVantrelWifiProtectedSetupPage() {
  lib_.WPSUninitialize();
  if (g_open == this) g_open = nullptr;
}

CVantrelWifiProtectedSetupPage* CVantrelWifiProtectedSetupPage::Open(
    const core::CVtrLibrary& lib, core::CVantrelPropertySheet& sheet, QWidget* parent) {
  if (g_open != nullptr) return g_open;
  auto* dialog = new CVantrelWifiProtectedSetupPage(lib, sheet, parent);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->open();
  return dialog;
}

CVantrelWifiProtectedSetupPage* CVantrelWifiProtectedSetupPage::Current() {
  return g_open;
}

void CVantrelWifiProtectedSetupPage::BuildLayout() {
  QFont bold(QStringLiteral("Microsoft Sans Serif"));
  bold.setPixelSize(14);
  bold.setBold(true);

  auto* configuration = new QGroupBox(this);
  core::SetControlId(configuration, kWpsConfigurationGroup);
  pictureLabel_ = NewLabel(configuration, kWpsPicture);
  pictureLabel_->setFixedSize(kPictureSize, kPictureSize);
  progress_ = new QProgressBar(configuration);
  core::SetControlId(progress_, kWpsProgress);
  progress_->setRange(0, 100);
  status_ = new QLineEdit(configuration);
  core::SetControlId(status_, kWpsStatus);
  status_->setReadOnly(true);
  auto* progressColumn = new QVBoxLayout;
  progressColumn->addStretch();
  progressColumn->addWidget(progress_);
  progressColumn->addWidget(status_);
  progressColumn->addStretch();
  auto* configurationLayout = new QHBoxLayout(configuration);
  configurationLayout->addWidget(pictureLabel_);
  configurationLayout->addLayout(progressColumn, 1);

  auto* join = new QGroupBox(this);
  core::SetControlId(join, kWpsJoinGroup);
  auto* listLabel = NewLabel(join, kWpsAccessPointsLabel);
  listLabel->setWordWrap(false);
  accessPointList_ = new QComboBox(join);
  core::SetControlId(accessPointList_, kWpsAccessPoints);
  pushButton_ = new QRadioButton(join);
  core::SetControlId(pushButton_, kWpsPushButtonRadio);
  stationPin_ = new QRadioButton(join);
  core::SetControlId(stationPin_, kWpsStationPinRadio);
  accessPointPin_ = new QRadioButton(join);
  core::SetControlId(accessPointPin_, kWpsAccessPointPinRadio);
  for (QRadioButton* radio : {pushButton_, stationPin_, accessPointPin_}) radio->setFont(bold);

  auto* pinLabel = NewLabel(join, kWpsStationPinLabel);
  pinLabel->setWordWrap(false);
  stationPinField_ = new QLineEdit(join);
  core::SetControlId(stationPinField_, kWpsStationPin);
  stationPinField_->setReadOnly(true);
  stationPinField_->setFont(bold);
  stationPinField_->setMaximumWidth(140);
  auto* pinHint = NewLabel(join, kWpsStationPinHint);
  auto* apHint = NewLabel(join, kWpsAccessPointPinHint);
  auto* apLabel = NewLabel(join, kWpsAccessPointPinLabel);
  apLabel->setWordWrap(false);
  accessPointPinField_ = new QLineEdit(join);
  core::SetControlId(accessPointPinField_, kWpsAccessPointPin);
  accessPointPinField_->setMaximumWidth(140);
  stationPinRow_ = {pinLabel, stationPinField_, pinHint};
  accessPointPinRow_ = {apHint, apLabel, accessPointPinField_};

  auto* joinLayout = new QGridLayout(join);
  joinLayout->addWidget(listLabel, 0, 0);
  joinLayout->addWidget(accessPointList_, 0, 1, 1, 2);
  joinLayout->addWidget(pushButton_, 1, 0, 1, 3);
  joinLayout->addWidget(stationPin_, 2, 0, 1, 3);
  joinLayout->addWidget(pinLabel, 3, 0);
  joinLayout->addWidget(stationPinField_, 3, 1);
  joinLayout->addWidget(pinHint, 4, 0, 1, 3);
  joinLayout->addWidget(accessPointPin_, 5, 0, 1, 3);
  joinLayout->addWidget(apHint, 6, 0, 1, 3);
  joinLayout->addWidget(apLabel, 7, 0);
  joinLayout->addWidget(accessPointPinField_, 7, 1);
  joinLayout->setColumnStretch(2, 1);

  start_ = new controls::FlatButton(QString(), this);
  core::SetControlId(start_, kWpsStart);
  cancel_ = new controls::FlatButton(QString(), this);
  core::SetControlId(cancel_, kWpsCancel);
  close_ = new controls::FlatButton(QString(), this);
  core::SetControlId(close_, kWpsClose);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  for (QAbstractButton* button : {start_, cancel_, close_}) buttons->addWidget(button);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(configuration);
  layout->addWidget(join);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(pushButton_, &QRadioButton::clicked, this, [this] { SelectMethod(kMethodPushButton); });
  connect(stationPin_, &QRadioButton::clicked, this, [this] { SelectMethod(kMethodStationPin); });
  connect(accessPointPin_, &QRadioButton::clicked, this,
          [this] { SelectMethod(kMethodAccessPointPin); });
  connect(accessPointList_, &QComboBox::activated, this,
          [this](int index) { OnAccessPointChosen(index); });
  connect(start_, &QAbstractButton::clicked, this, [this] { Start(); });
  connect(cancel_, &QAbstractButton::clicked, this, [this] { Cancel(); });
  connect(close_, &QAbstractButton::clicked, this, [this] { CloseDialog(); });
}

void CVantrelWifiProtectedSetupPage::SetTexts() {
  const auto set = [this](int id, std::string_view key, std::string_view fallback) {
    core::LangSetText(this, false, id, kSection, key, fallback);
  };
  core::LangSetText(this, true, 0, kSection, "10000", "Wi-Fi Protected Setup");
  set(kWpsConfigurationGroup, "10010", "WPS Configuration");
  set(kWpsJoinGroup, "10020", "Join a Wireless Network");
  set(kWpsAccessPointsLabel, "10030", "Network Name(SSID) :");
  set(kWpsPushButtonRadio, "10040", "Push the Button on my access point");
  set(kWpsStationPinRadio, "10050", "Enter a PIN into my access point");
  set(kWpsStationPinLabel, "10060", "Enter the PIN");
  set(kWpsStationPinHint, "10070", "into your access point and click Start Button to continue.");
  set(kWpsAccessPointPinRadio, "10080", "Enter the PIN from my access point");
  set(kWpsAccessPointPinHint, "10090",
      "Enter the PIN from your access point below and click Start Button to continue.");
  set(kWpsAccessPointPinLabel, "100A0", "Access Point PIN :");
  set(kWpsStart, "100B0", "Start");
  set(kWpsCancel, "100C0", "Cancel");
  set(kWpsClose, "100D0", "Close");
}

// The adapter names the methods it can run; the rows of the others are not shown, and the layout
// closes up behind them.
void CVantrelWifiProtectedSetupPage::OfferMethods() {
  const uint32_t modes = core::State().adapterCapability.Get().wpsModeMask;
  stationPin_->setVisible((modes & kModeStationPin) != 0);
  accessPointPin_->setVisible((modes & kModeAccessPointPin) != 0);
}

void CVantrelWifiProtectedSetupPage::FillAccessPoints() {
  accessPointList_->addItem(Text("10140", "Automatic Selection"));
  const core::AppState& state = core::State();
  const int32_t count = std::clamp(state.surveyCount.load(), 0, core::kListCapacity);
  const core::SurveyArray survey = state.surveyList.Get();
  for (int32_t i = 0; i < count; ++i) {
    const VtrSurveyEntry& entry = survey[static_cast<size_t>(i)];
    if (entry.hasWps == 0) continue;
    WpsAccessPoint point{core::SurveySsid(entry),
                         std::string(entry.bssid, strnlen(entry.bssid, sizeof entry.bssid)),
                         entry.channel};
    accessPointList_->addItem(core::ToQString(point.ssid));
    accessPoints_.push_back(std::move(point));
  }
  const ProfileRecord record = state.defaultProfileRecord.Get();
  const QString wanted = core::ToQString(std::string_view(record.ssid, strnlen(record.ssid, 32)));
  const int found = accessPointList_->findText(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive);
  const int chosen = found > 0 ? found : 0;
  accessPointList_->setCurrentIndex(chosen);
  OnAccessPointChosen(chosen);
}

void CVantrelWifiProtectedSetupPage::SelectMethod(WpsMethod method) {
  method_ = method;
  pushButton_->setChecked(method == kMethodPushButton);
  stationPin_->setChecked(method == kMethodStationPin);
  accessPointPin_->setChecked(method == kMethodAccessPointPin);
  for (QWidget* widget : stationPinRow_) widget->setVisible(method == kMethodStationPin);
  for (QWidget* widget : accessPointPinRow_) widget->setVisible(method == kMethodAccessPointPin);
  if (method == kMethodAccessPointPin) accessPointPinField_->setMaxLength(kAccessPointPinLimit);
}

// "Automatic Selection" can only be joined by push button: a PIN belongs to one access point.
void CVantrelWifiProtectedSetupPage::OnAccessPointChosen(int index) {
  const bool specific = index > 0;
  stationPin_->setEnabled(specific);
  accessPointPin_->setEnabled(specific);
  if (!specific) SelectMethod(kMethodPushButton);
}

WpsRequest CVantrelWifiProtectedSetupPage::BuildRequest() const {
  WpsRequest request;
  std::memset(&request, 0, sizeof request);
  switch (method_) {
    case kMethodPushButton:
      request.method = kRequestPushButton;
      break;
    case kMethodStationPin:
      request.method = kRequestStationPin;
      CopyText(request.pin, stationPinField_->text().toStdString());
      break;
    case kMethodAccessPointPin:
      request.method = kRequestAccessPointPin;
      CopyText(request.pin, accessPointPinField_->text().toStdString(), kAccessPointPinLimit);
      break;
  }
  const int index = accessPointList_->currentIndex();
  if (index > 0 && static_cast<size_t>(index) <= accessPoints_.size()) {
    const WpsAccessPoint& point = accessPoints_[static_cast<size_t>(index - 1)];
    CopyText(request.ssid, point.ssid);
    CopyText(request.bssid, point.bssid);
    request.channel = point.channel;
  }
  return request;
}

void CVantrelWifiProtectedSetupPage::Start() {
  sheet_.StopWorkers();
  platform::Current().Clock().SleepMs(kWpsStartPauseMs);
  running_ = true;
  if (!sheet_.RadioOn()) return;
  start_->setEnabled(false);
  const WpsRequest request = BuildRequest();
  mayTell_.fill(true);
  frame_ = 0;
  picture_ = controls::kWpsPictureRunning;
  pictureTimer_.Start(kWpsPictureTimerMs);
  runLimit_.StartOnce(kWpsRunLimitMs);
  success_ = false;
  run_ = ++g_lastRun;
  lib_.WPSStartEngine(request, &EngineCallback, run_);
  cancel_->setEnabled(true);
}

void CVantrelWifiProtectedSetupPage::OnStatus(uint32_t code) {
  core::AppState& state = core::State();
  switch (code) {
    case kWpsStarting:
      return SetProgress(10, "10160", "Starting ...");
    case kWpsScanning:
      return SetProgress(20, "10170", "Scanning APs ...");
    case kWpsAssociating:
      return SetProgress(50, "10180", "Associating ...");
    case kWpsHandshaking:
      return SetProgress(80, "10190", "Handshaking ...");
    case kWpsReleaseLibrary:
      cancel_->setEnabled(false);
      close_->setEnabled(false);
      state.cardPollHold = true;
      lib_.UnInitialize();
      return;
    case kWpsReacquireLibrary:
      state.libraryHandle = lib_.Initialize(0);
      state.cardPollHold = false;
      return;
    case kWpsSuccess:
      SetProgress(100, "101A0", "Success !!!");
      close_->setEnabled(false);
      success_ = true;
      running_ = false;
      RunSuccessSteps();
      close_->setEnabled(true);
      return;
    case kWpsFailure:
    case kWpsTimeout:
    case kWpsNoAccessPoint:
    case kWpsManyPushButtons:
      SetProgress(0, "10150", "None");
      StopRun();
      running_ = false;
      ShowFailure(code);
      start_->setEnabled(true);
      return;
    default:
      update();
      return;
  }
}

void CVantrelWifiProtectedSetupPage::ShowFailure(uint32_t code) {
  const size_t slot = code - kWpsFailure;
  if (!mayTell_[slot]) return;
  mayTell_[slot] = false;
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kMessages{{
      {"10100", "WPS Failure !"},
      {"10110", "WPS Timeout !"},
      {"10120", "No WPS AP found !"},
      {"10130", "Many APs in PBC mode !"},
  }};
  core::ShowMessage(this, Text(kMessages[slot].first, kMessages[slot].second),
                    core::MessageIcon::Stop);
}

void CVantrelWifiProtectedSetupPage::RunSuccessSteps() {
  cancel_->setEnabled(false);
  pictureTimer_.Stop();
  runLimit_.Stop();
  ShowPicture(controls::kWpsPictureSuccess);
  start_->setEnabled(!success_);
  ProfileRecord record{};
  lib_.WPSGetProfile(&record);
  core::State().defaultProfileRecord.Set(record);
  connectPause_.StartOnce(kWpsConnectPauseMs);
}

// Two seconds after the success the profile is joined; with the radio off there is nothing to
// join and the picture goes back to idle.
void CVantrelWifiProtectedSetupPage::ConnectReceivedProfile() {
  if (!sheet_.RadioOn()) {
    ShowPicture(controls::kWpsPictureIdle);
    return;
  }
  sheet_.Connector().StartFromProfile();
}

void CVantrelWifiProtectedSetupPage::StopRun() {
  if (!success_) lib_.DisConnectToAP();
  sheet_.StopWorkers();
  pictureTimer_.Stop();
  runLimit_.Stop();
  ShowPicture(controls::kWpsPictureIdle);
}

void CVantrelWifiProtectedSetupPage::Cancel() {
  SetProgress(0, "10150", "None");
  cancel_->setEnabled(false);
  start_->setEnabled(true);
  lib_.WPSStopEngine();
  run_ = 0;
  StopRun();
  mayTell_.fill(true);
  running_ = false;
}

void CVantrelWifiProtectedSetupPage::CloseDialog() {
  SetProgress(0, "10150", "None");
  if (running_) {
    lib_.WPSStopEngine();
    StopRun();
  }
  run_ = 0;
  connectPause_.Stop();
  mayTell_.fill(true);
  running_ = false;
  GiveButtonsBack();
  QDialog::reject();
}

void CVantrelWifiProtectedSetupPage::reject() {
  CloseDialog();
}

// The pages' connect buttons come back unless a connect (the one a success started) holds them.
void CVantrelWifiProtectedSetupPage::GiveButtonsBack() {
  if (core::State().connectWorkerBusy) return;
  if (core::SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->ConnectWorkerRunning(false);
  if (core::ProfileManagerHooks* manager = sheet_.ProfileManager())
    manager->ConnectWorkerRunning(false);
}

void CVantrelWifiProtectedSetupPage::SetProgress(int percent, std::string_view key,
                                                 std::string_view text) {
  progress_->setValue(percent);
  progress_->setFormat(QString::asprintf("%d%%", percent));
  status_->setText(Text(key, text));
}

void CVantrelWifiProtectedSetupPage::ShowPicture(int picture) {
  picture_ = picture;
  if (picture == controls::kWpsPictureRunning) ++frame_;
  pictureLabel_->setPixmap(controls::WpsPicture(picture, frame_, kPictureSize));
}

}  // namespace pages
