// A page of the sheet, and what the sheet and its workers ask of the two pages they drive. All of
// it runs on the GUI thread; workers reach it through queued calls.
#pragma once

#include <QWidget>
#include <cstdint>

#include "vtrlib.h"

namespace core {

class CVantrelPropertySheet;

class SheetPage : public QWidget {
 public:
  // activePage: the ActivePage value the page sets when it is made active.
  SheetPage(CVantrelPropertySheet& sheet, int32_t activePage, QString caption);

  int32_t ActivePageValue() const { return activePage_; }
  const QString& Caption() const { return caption_; }
  CVantrelPropertySheet& Sheet() const { return sheet_; }

  // The page became the active tab: ActivePage is set first.
  virtual void OnSetActive() {}
  virtual void OnKillActive() {}

 private:
  CVantrelPropertySheet& sheet_;
  const int32_t activePage_;
  const QString caption_;
};

// The Site Survey page's operations the sheet and the automatic connection use.
class SiteSurveyHooks {
 public:
  virtual ~SiteSurveyHooks() = default;
  // Kills the connection picture's timer and shows frame (5 connected, 0 not).
  virtual void StopConnectAnimation(int frame) = 0;
  // Starts the 250 ms connection picture.
  virtual void StartConnectAnimation() = 0;
  virtual void StepConnectAnimation() = 0;
  virtual void RefreshList() = 0;
  // Shows the view check box 2014 chooses.
  virtual void ApplyViewChoice() = 0;
  // Before an automatic connection's scan: every filter box on and shown.
  virtual void ShowAllFilters() = 0;
  // Around a scan of the sheet's scan worker (the filter boxes, the scan picture, the cursor).
  virtual void OnScanStarted(bool animated) = 0;
  virtual void OnScanFinished(bool animated) = 0;
  // The sheet's ConnectWorker started (true) or ended (false): "&Connect" waits meanwhile.
  virtual void ConnectWorkerRunning(bool running) = 0;
};

// The Profile Manager page's operations the automatic connection, the scan and the connect
// worker use.
class ProfileManagerHooks {
 public:
  virtual ~ProfileManagerHooks() = default;
  // Shows the record in the editor.
  virtual void ShowRecord(const ProfileRecord& record) = 0;
  // Re-reads the profile list and the SSID list (WM_REFRESH_PROFILES).
  virtual void RefreshProfiles() = 0;
  // The sheet's ConnectWorker started (true) or ended (false): "&Apply  Profile" waits meanwhile.
  virtual void ConnectWorkerRunning(bool running) = 0;
};

}  // namespace core
