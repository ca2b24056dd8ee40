// CVantrelPropertySheet: the utility's one window. Tabs for the pages, the Close button and the
// "Auto Profile Connect" box under them, the tray icon with its menu, the 1500 ms poll that
// follows the adapter (plugged, pulled, taken by Windows' zero-configuration service or given
// back), the automatic connection, and suspend and resume.
#pragma once

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "app/controls/tray_icon.h"
#include "app/core/auto_connect_worker.h"
#include "app/core/clock_bridge.h"
#include "app/core/connect_worker.h"
#include "app/core/scan_worker.h"
#include "app/core/sheet_page.h"
#include "app/core/vtr_library.h"

class QTabWidget;
class QAbstractButton;

namespace core {

// Command identifiers of the sheet's controls and the tray menu.
enum SheetCommand : int {
  kCommandClose = 1000,
  kCommandAutoConnect = 1001,
  kCommandRestore = 1002,
  kCommandRadioOff = 1003,
  kCommandWzcOn = 1004,
  kCommandExit = 1005,
};

// TrayState values.
enum TrayStateValue : int32_t {
  kTrayScanning = 0,
  kTrayConnected = 1,
  kTrayNoConnection = 2,
  kTrayCardUnplugged = 3,
};

// The pages a sheet holds, each made by its factory (an empty factory: the page is not built).
struct PageFactories {
  using Factory = std::function<SheetPage*(CVantrelPropertySheet&)>;
  Factory siteSurvey;
  Factory profileManager;
  Factory networkStatus;
  Factory about;
  // The "Validate Settings ..." notice the connect paths show; it closes (and deletes) itself.
  std::function<QWidget*(QWidget* parent)> validateNotice;
};

inline constexpr uint32_t kPollPeriodMs = 1500;
inline constexpr uint32_t kPowerCheckPeriodMs = 500;

// A link rate (100 kbit/s units) in the detailed tooltip: whole or half megabits, so 545 and 541
// read "54.5" and 540 reads "54".
QString TooltipRateText(uint32_t rate);

class CVantrelPropertySheet : public QWidget {
 public:
  CVantrelPropertySheet(const CVtrLibrary& lib, const QString& title, PageFactories factories);
  ~CVantrelPropertySheet() override;

  // What dialog initialisation does once the window exists: pages made, tray set up, window
  // shown, the first poll's change primed and the poll started.
  void Initialise();

  // The sheet's operations, on the GUI thread.
  void UpdateTray(int32_t state, int32_t signal);
  void StopWorkers();
  // Ends the ConnectWorker within its bound and gives the pages their buttons back.
  void StopConnectWorker();
  void ClosePopups();
  void HideToTray();
  void RestoreFromTray();
  void ShowMainWindow(bool suppress);
  void RebuildPages(bool reduced);
  void ApplyCountryDomain();
  void RunCommand(int command);
  // The detailed tooltip of the tray while Network Status shows a link.
  void ShowDetailedTooltip();
  void StartAutoConnection();

  // Scans with the sheet's scan worker (the Site Survey page and the automatic connection).
  bool StartScan(const ScanParameters& parameters);
  ScanWorker& Scanner() { return scanWorker_; }
  const AutoConnectWorker& AutoConnector() const { return autoConnectWorker_; }
  // The one ConnectWorker of the pages (connect_worker.h says how a page starts it).
  ConnectWorker& Connector() { return connectWorker_; }
  // Ends a running automatic connection within boundMs and lets the next one start ("&DisConnect").
  void StopAutoConnection(uint32_t boundMs);
  // Makes the Profile Manager page the active tab; false when the sheet has no such page.
  bool ShowProfileManager();
  // Opens the "Validate Settings ..." notice unless the window is hidden; the notice, or null.
  QWidget* ShowValidateNotice();

  // The two pages the sheet drives, when they exist.
  SiteSurveyHooks* SiteSurvey() const;
  ProfileManagerHooks* ProfileManager() const;

  const CVtrLibrary& Library() const { return lib_; }

  // The state the workers read.
  bool ConnectPending() const { return connectPending_.load(); }
  void SetConnectPending(bool pending) { connectPending_ = pending; }
  bool CardPresent() const { return cardPresent_.load(); }
  bool RadioOn() const { return radioOn_.load(); }
  bool WzcManaged() const { return wzcManaged_.load(); }
  bool AutoConnect() const { return autoConnect_.load(); }
  bool Hidden() const { return hidden_.load(); }
  int32_t TrayState() const { return trayState_.load(); }

  controls::CTrayIcon& Tray() { return *tray_; }
  QMenu& TrayMenu() { return trayMenu_; }
  // The tray menu's item with that command, or null (item 1004 exists on XP only).
  QAction* MenuItem(int command) const;
  const std::vector<SheetPage*>& Pages() const { return pages_; }
  QTabWidget* Tabs() const { return tabs_; }

  // Activates the page at index of the tabs now in the sheet.
  void ActivatePage(int index);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildLayout();
  void BuildTrayMenu();
  void CreatePages();
  void AddPages(bool reduced);
  void Poll();
  void OnAdapterAppeared();
  void OnAdapterRemoved();
  void OnWindowsTookOver();
  void OnWindowsGaveBack();
  void CheckPowerEvents();
  void OnQuerySuspend();
  void OnResume();
  void ToggleRadio();
  void ToggleWzc();
  void Exit();
  void SetMenuState(bool restore, bool radio, bool wzc);
  void AnimateWindowRect(const QRect& from, bool grow);
  void ContinueAutoConnection();
  void MakeActive(SheetPage* page);

  const CVtrLibrary& lib_;
  QTabWidget* tabs_ = nullptr;
  QAbstractButton* closeButton_ = nullptr;
  QAbstractButton* autoConnectBox_ = nullptr;
  controls::CTrayIcon* tray_ = nullptr;
  QMenu trayMenu_;
  PageFactories factories_;
  // In tab order; owned by the sheet as children, kept while the tabs are rebuilt.
  std::vector<SheetPage*> pages_;
  SheetPage* siteSurveyPage_ = nullptr;
  SheetPage* profileManagerPage_ = nullptr;
  SheetPage* activePage_ = nullptr;  // the page last made active, told when it leaves
  MachineTimer pollTimer_;
  MachineTimer powerTimer_;
  MachineTimer autoConnectStart_;
  ScanWorker scanWorker_;
  ConnectWorker connectWorker_;
  AutoConnectWorker autoConnectWorker_;

  std::atomic<bool> hidden_{false};
  std::atomic<bool> radioOn_{true};
  std::atomic<bool> wzcManaged_{false};
  std::atomic<bool> cardPresent_{false};
  std::atomic<bool> connectPending_{false};
  std::atomic<bool> autoConnect_{false};
  std::atomic<int32_t> trayState_{kTrayNoConnection};
  int32_t lastHandedState_ = kTrayNoConnection;
  QRect savedRect_;
  QPointer<QWidget> popupToClose_;
  uint64_t powerSequenceSeen_ = 0;
  bool pagesReduced_ = false;
};

}  // namespace core
