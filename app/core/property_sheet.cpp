#include "app/core/property_sheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstring>

#include "app/controls/flat_button.h"
#include "app/controls/palette.h"
#include "app/controls/tray_artwork.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/language.h"
#include "app/core/os_version_code.h"
#include "app/core/settings.h"
#include "app/core/window_animation.h"
#include "platform/services.h"

namespace core {

namespace {

constexpr uint32_t kRegionAmericas = 1;
constexpr uint32_t kRegionElsewhere = 3;
constexpr uint32_t kDomainWaitMs = 100;
constexpr uint32_t kRadioSettleMs = 1000;
constexpr uint32_t kRestoreSettleMs = 80;
constexpr uint32_t kScanWorkerBoundMs = 100;
constexpr uint32_t kConnectWorkerBoundMs = 500;
constexpr uint32_t kAutoConnectBoundMs = 500;
constexpr uint32_t kAdapterKindOpenWep = 5;
constexpr uint32_t kAdapterKindLegacy = 1;
constexpr uint32_t kAdapterKindXp = 4;
constexpr int kAnimationStepX = 20;
constexpr int kAnimationStepY = 15;
constexpr int kGrowHeight = 50;

void WaitMs(uint32_t ms) {
  platform::Current().Clock().SleepMs(ms);
}

int IconForSignal(int32_t signal) {
  if (signal >= 90) return controls::kIconSignal90;
  if (signal >= 70) return controls::kIconSignal70;
  if (signal >= 50) return controls::kIconSignal50;
  if (signal >= 30) return controls::kIconSignal30;
  return controls::kIconSignalBelow30;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

QString Lang(std::string_view section, std::string_view key, std::string_view fallback) {
  return ToQString(LangLookup(section, key, fallback));
}

// Texts read without the maker's name put in (the tray menu's, the sheet's buttons).
QString LangPlain(std::string_view section, std::string_view key, std::string_view fallback,
                  size_t capacity) {
  return ToQString(LangLookupPlain(section, key, fallback, capacity));
}

}  // namespace

QString TooltipRateText(uint32_t rate) {
  if (rate % 10 == 0) return QString::number(rate / 10);
  return QString::number(rate / 10) + ".5";
}

CVantrelPropertySheet::CVantrelPropertySheet(const CVtrLibrary& lib, const QString& title,
                                             PageFactories factories)
    : lib_(lib),
      trayMenu_(this),
      factories_(std::move(factories)),
      pollTimer_(this, [this] { Poll(); }),
      powerTimer_(this, [this] { CheckPowerEvents(); }),
      autoConnectStart_(this, [this] { ContinueAutoConnection(); }),
      scanWorker_(lib, this, [this] { return RadioOn(); }),
      connectWorker_(lib, *this),
      autoConnectWorker_(lib, *this) {
  State().surveyCount = 0;
  ApplyCountryDomain();
  WaitMs(kDomainWaitMs);
  setWindowTitle(title);
  setAttribute(Qt::WA_QuitOnClose, false);
  const QIcon logo(ToQString(State().programDir + "res/Logo.ico"));
  if (!logo.availableSizes().isEmpty()) setWindowIcon(logo);
  tray_ = new controls::CTrayIcon(this);
  CreatePages();
}

CVantrelPropertySheet::~CVantrelPropertySheet() {
  pollTimer_.Stop();
  powerTimer_.Stop();
  autoConnectStart_.Stop();
  // The workers post to this window; they end before it does.
  autoConnectWorker_.Stop(kAutoConnectBoundMs);
  connectWorker_.Stop(kConnectWorkerBoundMs);
  scanWorker_.Stop(kScanWorkerBoundMs);
}

void CVantrelPropertySheet::CreatePages() {
  auto make = [this](const PageFactories::Factory& factory) -> SheetPage* {
    if (!factory) return nullptr;
    SheetPage* page = factory(*this);
    page->setParent(this);
    page->hide();
    pages_.push_back(page);
    return page;
  };
  siteSurveyPage_ = make(factories_.siteSurvey);
  profileManagerPage_ = make(factories_.profileManager);
  make(factories_.networkStatus);
  make(factories_.about);
}

SiteSurveyHooks* CVantrelPropertySheet::SiteSurvey() const {
  return dynamic_cast<SiteSurveyHooks*>(siteSurveyPage_);
}

ProfileManagerHooks* CVantrelPropertySheet::ProfileManager() const {
  return dynamic_cast<ProfileManagerHooks*>(profileManagerPage_);
}

void CVantrelPropertySheet::BuildLayout() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 12);
  layout->setSpacing(12);
  tabs_ = new QTabWidget(this);
  tabs_->setDocumentMode(false);
  // A screen reader names the page area after the window, as the tab bar names each page.
  tabs_->setAccessibleName(windowTitle());
  layout->addWidget(tabs_, 1);
  connect(tabs_, &QTabWidget::currentChanged, this,
          [this](int index) { MakeActive(dynamic_cast<SheetPage*>(tabs_->widget(index))); });

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(10, 0, 10, 0);
  auto* box = new controls::FlatButton(
      LangPlain("PROPERTY_SHEET", "10020", "Auto Profile Connect", kLangBufferSize), this);
  box->setCheckable(true);
  box->setMinimumWidth(210);
  SetControlId(box, kCommandAutoConnect);
  // The box is checked by the program itself, from the setting it mirrors.
  connect(box, &QAbstractButton::clicked, this, [this] { RunCommand(kCommandAutoConnect); });
  autoConnectBox_ = box;
  auto* close = new controls::FlatButton(
      LangPlain("PROPERTY_SHEET", "10000", "&Close", kLangBufferSize), this);
  close->setDefault(true);
  close->setMinimumWidth(115);
  SetControlId(close, kCommandClose);
  connect(close, &QAbstractButton::clicked, this, [this] { RunCommand(kCommandClose); });
  closeButton_ = close;
  buttons->addWidget(box);
  buttons->addStretch(1);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  QPalette background = palette();
  background.setColor(QPalette::Window, controls::kPageBackground);
  setPalette(background);
  setAutoFillBackground(true);
}

void CVantrelPropertySheet::BuildTrayMenu() {
  auto add = [this](int command, std::string_view key, std::string_view fallback) {
    QAction* action = trayMenu_.addAction(LangPlain("TRAY", key, fallback, kLangCaptionSize));
    SetControlId(action, command);
    connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    return action;
  };
  QAction* restore = add(kCommandRestore, "10000", "&Restore");
  trayMenu_.setDefaultAction(restore);
  add(kCommandRadioOff, "10010", "Radio &Off")->setCheckable(true);
  if (State().osVersionCode == kOsWindowsXp) {
    add(kCommandWzcOn, "10020", "&WZC On")->setCheckable(true);
  }
  trayMenu_.addSeparator();
  add(kCommandExit, "10030", "E&xit");
  tray_->SetMenu(&trayMenu_);
}

QAction* CVantrelPropertySheet::MenuItem(int command) const {
  for (QAction* action : trayMenu_.actions()) {
    if (ControlId(action) == command) return action;
  }
  return nullptr;
}

void CVantrelPropertySheet::Initialise() {
  connect(tray_, &controls::CTrayIcon::DoubleClicked, this, [this] {
    if (lib_.IsCardConnect()) RestoreFromTray();
  });
  connect(tray_, &controls::CTrayIcon::RightClicked, this, [this] {
    QWidget* popup = QApplication::activeModalWidget();
    popupToClose_ = popup == this ? nullptr : popup;
  });
  BuildLayout();
  RebuildPages(false);
  resize(sizeHint().expandedTo(QSize(520, 420 + kGrowHeight)));
  savedRect_ = geometry();

  std::string autoConnect;
  autoConnect_ = ReadSetting("AutoConnect", autoConnect) == 0 && autoConnect == "1";
  autoConnectBox_->setChecked(autoConnect_.load());
  BuildTrayMenu();

  ShowMainWindow(false);
  UpdateTray(kTrayNoConnection, -1);
  cardPresent_ = !lib_.IsCardConnect();
  powerSequenceSeen_ = platform::Current().PowerEvents().LatestSequence();
  pollTimer_.Start(kPollPeriodMs);
  powerTimer_.Start(kPowerCheckPeriodMs);
}

void CVantrelPropertySheet::AddPages(bool reduced) {
  for (SheetPage* page : pages_) {
    const bool keep = !reduced || page->ActivePageValue() == kPageNetworkStatus ||
                      page->ActivePageValue() == kPageAbout;
    if (keep) tabs_->addTab(page, page->Caption());
  }
}

void CVantrelPropertySheet::RebuildPages(bool reduced) {
  pagesReduced_ = reduced;
  MakeActive(nullptr);
  const QSignalBlocker quiet(tabs_);
  while (tabs_->count() > 0) tabs_->removeTab(0);
  AddPages(reduced);
  for (int index = tabs_->count() - 1; index >= 0; --index) tabs_->setCurrentIndex(index);
  ActivatePage(0);
}

void CVantrelPropertySheet::ActivatePage(int index) {
  if (index < 0 || index >= tabs_->count()) return;
  if (tabs_->currentIndex() == index) {
    MakeActive(dynamic_cast<SheetPage*>(tabs_->widget(index)));
    return;
  }
  tabs_->setCurrentIndex(index);
}

// The page leaving hears of it before the one coming: a page's timers run only while it is the
// active one. By the time the tabs tell of a change the old page is hidden already, so the
// sheet keeps which page was active.
void CVantrelPropertySheet::MakeActive(SheetPage* page) {
  if (activePage_ != nullptr && activePage_ != page) activePage_->OnKillActive();
  activePage_ = page;
  if (page == nullptr) return;
  State().activePage = page->ActivePageValue();
  page->OnSetActive();
}

void CVantrelPropertySheet::ApplyCountryDomain() {
  std::string country;
  const bool read = ReadSetting("CountryDomain", country) == 0;
  const bool americas = read && (EqualsIgnoringCase(country, "United States") ||
                                 EqualsIgnoringCase(country, "Canada"));
  const uint32_t code = americas ? kRegionAmericas : kRegionElsewhere;
  State().regionalDomainCode = static_cast<int32_t>(code);
  lib_.SetRegionalDomain(code);
}

void CVantrelPropertySheet::UpdateTray(int32_t state, int32_t signal) {
  if (signal == -1) {
    VtrLinkInfo link{};
    lib_.APLinkInformation(&link, 0);
    signal = link.signal;
  }
  QString text;
  int iconId = tray_->IconId() == 0 ? controls::kIconNoConnection : tray_->IconId();
  switch (state) {
    case kTrayScanning:
      text = Lang("PROPERTY_SHEET", "10030", "Auto Configuration : Scanning in progress ...");
      break;
    case kTrayConnected:
      text = Lang("PROPERTY_SHEET", "10040", "Connected");
      iconId = IconForSignal(signal);
      break;
    case kTrayNoConnection:
      text = Lang("PROPERTY_SHEET", "10050", "No Connection");
      iconId = controls::kIconNoConnection;
      break;
    case kTrayCardUnplugged:
      text = Lang("PROPERTY_SHEET", "10060", "Card Unplugged");
      iconId = controls::kIconCardUnplugged;
      break;
    default:
      break;
  }
  trayState_ = state;
  QString tooltip = Lang("NETWORK_STATUS", "10020", "Current Status :") + " " + text;
  // While Network Status shows the link, the detailed tooltip stays.
  if (state == kTrayConnected && State().activePage == kPageNetworkStatus && isVisible()) {
    tooltip.clear();
  }
  tray_->SetIcon(controls::TrayIcon(iconId), iconId, tooltip);
}

void CVantrelPropertySheet::ShowDetailedTooltip() {
  if (State().activePage != kPageNetworkStatus || !isVisible() || trayState_ != kTrayConnected) {
    return;
  }
  VtrLinkInfo link{};
  lib_.APLinkInformation(&link, 0);
  const QString ssid = ToQString(std::string_view(link.ssid, strnlen(link.ssid, sizeof link.ssid)));
  const QString tooltip = Lang("NETWORK_STATUS", "10030", "Network SSID :") + " " + ssid + " \n" +
                          Lang("NETWORK_STATUS", "100F0", "Signal") + " : " +
                          QString("%1 %").arg(link.signal) + " \n" +
                          Lang("NETWORK_STATUS", "10070", "Tx / Rx Speed :") + " " +
                          TooltipRateText(link.txRate) + " Mbps / " + TooltipRateText(link.rxRate) +
                          " Mbps \n" + Lang("NETWORK_STATUS", "10020", "Current Status :") + " " +
                          Lang("PROPERTY_SHEET", "10040", "Connected");
  tray_->SetTooltip(tooltip);
}

void CVantrelPropertySheet::StopWorkers() {
  scanWorker_.Stop(kScanWorkerBoundMs);
  // A stopped scan says nothing more, not even a result it had already queued: the page leaves
  // its scanning state here.
  if (SiteSurveyHooks* survey = SiteSurvey()) survey->OnScanFinished(false);
  StopConnectWorker();
  StopAutoConnection(kAutoConnectBoundMs);
}

void CVantrelPropertySheet::StopConnectWorker() {
  connectWorker_.Stop(kConnectWorkerBoundMs);
  // Its last word to the pages may be among the results dropped by the stop.
  if (SiteSurveyHooks* survey = SiteSurvey()) survey->ConnectWorkerRunning(false);
  if (ProfileManagerHooks* manager = ProfileManager()) manager->ConnectWorkerRunning(false);
}

void CVantrelPropertySheet::StopAutoConnection(uint32_t boundMs) {
  autoConnectWorker_.Stop(boundMs);
  connectPending_ = false;
  State().autoConnectBusy = false;
}

bool CVantrelPropertySheet::ShowProfileManager() {
  if (profileManagerPage_ == nullptr) return false;
  const int index = tabs_->indexOf(profileManagerPage_);
  if (index < 0) return false;
  ActivatePage(index);
  return true;
}

QWidget* CVantrelPropertySheet::ShowValidateNotice() {
  if (hidden_ || !factories_.validateNotice) return nullptr;
  return factories_.validateNotice(this);
}

void CVantrelPropertySheet::ClosePopups() {
  auto escape = [this](QWidget* from) {
    for (QWidget* window = from; window != nullptr && window != this;
         window = window->parentWidget()) {
      QCoreApplication::postEvent(window,
                                  new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }
  };
  escape(QApplication::activeModalWidget());
  escape(popupToClose_.data());
  popupToClose_ = nullptr;
}

void CVantrelPropertySheet::AnimateWindowRect(const QRect& from, bool grow) {
  if (!isVisible()) return;
  AnimateRect(from, kAnimationStepX, kAnimationStepY, grow, [this](const QRect& step) {
    setGeometry(step);
    WaitMs(kAnimationStepMs);
  });
}

void CVantrelPropertySheet::HideToTray() {
  ClosePopups();
  if (!hidden_) {
    AnimateWindowRect(geometry(), false);
    setGeometry(savedRect_);
    if (QAction* restore = MenuItem(kCommandRestore)) restore->setEnabled(true);
  }
  // Without a notification area the window could never come back: it is minimised instead.
  if (controls::CTrayIcon::DesktopHasTray()) {
    hide();
  } else {
    showMinimized();
  }
  hidden_ = true;
}

void CVantrelPropertySheet::RestoreFromTray() {
  if (!cardPresent_) return;
  const int page = tabs_->currentIndex();
  showNormal();
  if (hidden_) AnimateWindowRect(savedRect_, true);
  setGeometry(savedRect_);
  hidden_ = false;
  if (QAction* restore = MenuItem(kCommandRestore)) restore->setEnabled(false);
  raise();
  activateWindow();
  ActivatePage(page);
  WaitMs(kRestoreSettleMs);
}

void CVantrelPropertySheet::ShowMainWindow(bool suppress) {
  if (wzcManaged_ || suppress) return;
  const int page = tabs_->currentIndex();
  show();
  hidden_ = false;
  ActivatePage(page);
  WaitMs(kRestoreSettleMs);
  if (isVisible()) ActivatePage(0);
}

void CVantrelPropertySheet::SetMenuState(bool restore, bool radio, bool wzc) {
  if (QAction* item = MenuItem(kCommandRestore)) item->setEnabled(restore);
  if (QAction* item = MenuItem(kCommandRadioOff)) item->setEnabled(radio);
  if (QAction* item = MenuItem(kCommandWzcOn)) item->setEnabled(wzc);
}

void CVantrelPropertySheet::Poll() {
  AppState& state = State();
  VtrLinkInfo link{};
  lib_.APLinkInformation(&link, 0);
  UpdateTray(static_cast<int32_t>(link.linkState), -1);
  trayState_ = static_cast<int32_t>(link.linkState);

  if (!state.autoConnectBusy && !state.connectWorkerBusy) {
    if (SiteSurveyHooks* survey = SiteSurvey()) {
      survey->StopConnectAnimation(trayState_ == kTrayConnected ? 5 : 0);
      if (trayState_ != lastHandedState_) {
        lastHandedState_ = trayState_;
        survey->RefreshList();
      }
    } else {
      lastHandedState_ = trayState_;
    }
  }

  bool present = lib_.IsCardConnect();
  if (state.cardPollHold) present = cardPresent_;
  if (present != cardPresent_) {
    cardPresent_ = present;
    present ? OnAdapterAppeared() : OnAdapterRemoved();
  }

  if (state.osVersionCode == kOsWindowsXp && cardPresent_) {
    const bool managed = lib_.IsZeroConfigON();
    if (managed != wzcManaged_) {
      wzcManaged_ = managed;
      managed ? OnWindowsTookOver() : OnWindowsGaveBack();
    }
  }
  // The desktop tells no mouse-over of the tray icon; the detailed tooltip follows the poll.
  ShowDetailedTooltip();
}

void CVantrelPropertySheet::OnAdapterAppeared() {
  AppState& state = State();
  UpdateTray(wzcManaged_ ? kTrayNoConnection : kTrayScanning, -1);
  if (!wzcManaged_) {
    const auto window = static_cast<uintptr_t>(winId());
    if (state.resumePending) {
      const uint32_t kind = state.adapterCapability.Get().adapterKind;
      const bool vistaXpKind = state.osVersionCode == kOsWindowsVista && kind == kAdapterKindXp;
      if (kind != kAdapterKindLegacy && kind != kAdapterKindOpenWep && !vistaXpKind) {
        state.libraryHandle = lib_.Initialize(window);
      }
      state.resumePending = false;
    } else if (state.libraryHandle == 0) {
      state.libraryHandle = lib_.Initialize(window);
    }
  }
  VtrCapability capability{};
  lib_.GetAdapterCapability(&capability);
  state.adapterCapability.Set(capability);
  ApplyCountryDomain();
  WaitMs(kDomainWaitMs);
  if (state.libraryHandle != 0) StartAutoConnection();
  SetMenuState(hidden_, !wzcManaged_, state.osVersionCode == kOsWindowsXp);
  if (isVisible()) ActivatePage(0);
}

void CVantrelPropertySheet::OnAdapterRemoved() {
  AppState& state = State();
  UpdateTray(kTrayCardUnplugged, -1);
  lib_.WPSStopEngine();
  if (SiteSurveyHooks* survey = SiteSurvey()) survey->StopConnectAnimation(0);
  connectPending_ = false;
  StopWorkers();
  lib_.DisConnectToAP();
  state.ClearSurvey();
  state.libraryHandle = 0;
  lib_.UnInitialize();
  HideToTray();
  SetMenuState(false, false, false);
}

void CVantrelPropertySheet::OnWindowsTookOver() {
  UpdateTray(kTrayNoConnection, -1);
  lib_.WPSStopEngine();
  if (QAction* wzc = MenuItem(kCommandWzcOn)) wzc->setChecked(true);
  if (SiteSurveyHooks* survey = SiteSurvey()) survey->StopConnectAnimation(0);
  connectPending_ = false;
  StopWorkers();
  lib_.SetZeroConfigControlMode(1);
  if (QAction* radio = MenuItem(kCommandRadioOff)) radio->setEnabled(false);
  lib_.DisConnectToAP();
  State().ClearSurvey();
  HideToTray();
  PostToGui(this, [this] { RebuildPages(true); });
}

void CVantrelPropertySheet::OnWindowsGaveBack() {
  lib_.SetZeroConfigControlMode(0);
  WaitMs(kDomainWaitMs);
  RebuildPages(false);
  if (QAction* radio = MenuItem(kCommandRadioOff)) {
    radio->setEnabled(true);
  }
  if (QAction* wzc = MenuItem(kCommandWzcOn)) wzc->setChecked(false);
  StartAutoConnection();
  if (SiteSurveyHooks* survey = SiteSurvey()) survey->ApplyViewChoice();
  RestoreFromTray();
}

void CVantrelPropertySheet::StartAutoConnection() {
  radioOn_ = true;
  if (QAction* radio = MenuItem(kCommandRadioOff)) radio->setChecked(false);
  lib_.SetRadioMode(1);
  // The radio needs a second to come up; the window stays responsive meanwhile.
  autoConnectStart_.StartOnce(kRadioSettleMs);
}

void CVantrelPropertySheet::ContinueAutoConnection() {
  connectPending_ = true;
  if (autoConnectWorker_.IsIdle()) autoConnectWorker_.Start();
}

bool CVantrelPropertySheet::StartScan(const ScanParameters& parameters) {
  ScanListener listener;
  listener.started = [this](bool animated) {
    if (SiteSurveyHooks* survey = SiteSurvey()) survey->OnScanStarted(animated);
  };
  listener.skipped = [this] {
    if (SiteSurveyHooks* survey = SiteSurvey()) survey->OnScanFinished(false);
  };
  listener.finished = [this](bool animated, int32_t) {
    if (SiteSurveyHooks* survey = SiteSurvey()) survey->OnScanFinished(animated);
    if (ProfileManagerHooks* profiles = ProfileManager()) profiles->RefreshProfiles();
  };
  return scanWorker_.Start(parameters, std::move(listener));
}

void CVantrelPropertySheet::RunCommand(int command) {
  switch (command) {
    case kCommandClose:
      HideToTray();
      break;
    case kCommandAutoConnect: {
      autoConnect_ = !autoConnect_;
      WriteSetting("AutoConnect", autoConnect_ ? "1" : "0");
      autoConnectBox_->setChecked(autoConnect_.load());
      break;
    }
    case kCommandRestore:
      RestoreFromTray();
      break;
    case kCommandRadioOff:
      ToggleRadio();
      break;
    case kCommandWzcOn:
      ToggleWzc();
      break;
    case kCommandExit:
      Exit();
      break;
    default:
      break;
  }
}

void CVantrelPropertySheet::ToggleRadio() {
  if (!cardPresent_) return;
  QAction* item = MenuItem(kCommandRadioOff);
  if (!radioOn_) {
    const bool noLink = !lib_.IsCardConnect() || wzcManaged_;
    UpdateTray(noLink ? kTrayNoConnection : kTrayScanning, -1);
    StartAutoConnection();
    if (isVisible()) ActivatePage(0);
    return;
  }
  radioOn_ = false;
  connectPending_ = false;
  lib_.WPSStopEngine();
  StopWorkers();
  lib_.DisConnectToAP();
  State().ClearSurvey();
  if (SiteSurveyHooks* survey = SiteSurvey()) survey->StopConnectAnimation(0);
  UpdateTray(kTrayNoConnection, -1);
  ClosePopups();
  lib_.SetRadioMode(0);
  WaitMs(kRadioSettleMs);
  if (item != nullptr) item->setChecked(true);
  if (isVisible()) ActivatePage(2);
}

void CVantrelPropertySheet::ToggleWzc() {
  if (State().osVersionCode != kOsWindowsXp || !cardPresent_) return;
  QAction* item = MenuItem(kCommandWzcOn);
  if (lib_.IsZeroConfigON()) {
    lib_.WPSStopEngine();
    lib_.EnableZeroConfig(0);
    lib_.SetZeroConfigControlMode(0);
    if (item != nullptr) item->setChecked(false);
  } else {
    lib_.EnableZeroConfig(1);
    lib_.SetZeroConfigControlMode(1);
    if (item != nullptr) item->setChecked(true);
  }
}

// Exit ends this program only, whatever adapter it drives: it closes the sheet, and the
// application ends with it.
void CVantrelPropertySheet::Exit() {
  State().appClosing = true;
  tray_->Remove();
  lib_.WPSStopEngine();
  StopWorkers();
  lib_.UnInitialize();
  pollTimer_.Stop();
  powerTimer_.Stop();
  autoConnectStart_.Stop();
  QCoreApplication::quit();
}

void CVantrelPropertySheet::CheckPowerEvents() {
  auto& power = platform::Current().PowerEvents();
  for (const auto& event : power.EventsAfter(powerSequenceSeen_)) {
    powerSequenceSeen_ = event.sequence;
    if (event.kind == platform::PowerEventKind::QuerySuspend) OnQuerySuspend();
    if (event.kind == platform::PowerEventKind::ResumeSuspend) OnResume();
  }
}

void CVantrelPropertySheet::OnQuerySuspend() {
  connectPending_ = false;
  StopWorkers();
  lib_.DisConnectToAP();
  State().ClearSurvey();
  lib_.SetSuspendMode();
  State().resumePending = false;
}

void CVantrelPropertySheet::OnResume() {
  lib_.SetWakeUpMode();
  cardPresent_ = false;
  State().resumePending = true;
}

void CVantrelPropertySheet::closeEvent(QCloseEvent* event) {
  if (State().appClosing) {
    event->accept();
    return;
  }
  event->ignore();
  HideToTray();
}

}  // namespace core
