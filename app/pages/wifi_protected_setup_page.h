// CVantrelWifiProtectedSetupPage: the modal "Wi-Fi Protected Setup" dialog. The user joins a
// network by the access point's push button, by the station's PIN typed into the access point,
// or by the access point's PIN typed here. The library's engine runs the registration and reports
// each stage through a callback on its own thread; the dialog takes those reports on the GUI
// thread, shows them, and on success hands the profile the access point gave to the sheet's
// ConnectWorker, which stores it, makes it the default and connects.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/core/clock_bridge.h"
#include "app/core/vtr_library.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;

namespace core {
class CVantrelPropertySheet;
}

namespace pages {

enum WpsControl : int {
  kWpsConfigurationGroup = 5000,
  kWpsPicture = 5002,
  kWpsJoinGroup = 5003,
  kWpsPushButtonRadio = 5004,
  kWpsStationPinRadio = 5005,
  kWpsStationPinLabel = 5006,
  kWpsStationPinHint = 5007,
  kWpsStationPin = 5008,
  kWpsAccessPointPinRadio = 5009,
  kWpsAccessPointPinHint = 5010,
  kWpsAccessPointPinLabel = 5011,
  kWpsAccessPointPin = 5012,
  kWpsStart = 5013,
  kWpsCancel = 5014,
  kWpsClose = 5015,
  kWpsAccessPoints = 5016,
  kWpsAccessPointsLabel = 5017,
  kWpsProgress = 5018,
  kWpsStatus = 5019,
};

// The engine's callback codes.
enum WpsStatusCode : uint32_t {
  kWpsStarting = 0,
  kWpsScanning = 1,
  kWpsAssociating = 2,
  kWpsHandshaking = 3,
  kWpsReleaseLibrary = 4,
  kWpsReacquireLibrary = 5,
  kWpsSuccess = 6,
  kWpsFailure = 7,
  kWpsTimeout = 8,
  kWpsNoAccessPoint = 9,
  kWpsManyPushButtons = 10,
};

enum WpsMethod : int { kMethodPushButton = 1, kMethodStationPin = 2, kMethodAccessPointPin = 3 };

inline constexpr uint32_t kWpsPictureTimerMs = 500;
inline constexpr uint32_t kWpsRunLimitMs = 240000;
inline constexpr uint32_t kWpsStartPauseMs = 1000;
inline constexpr uint32_t kWpsConnectPauseMs = 2000;

// The access points offered for WPS: the survey entries that advertise it, in survey order.
struct WpsAccessPoint {
  std::string ssid;
  std::string bssid;
  uint32_t channel = 0;
};

class CVantrelWifiProtectedSetupPage : public QDialog {
 public:
  CVantrelWifiProtectedSetupPage(const core::CVtrLibrary& lib, core::CVantrelPropertySheet& sheet,
                                 QWidget* parent);
  ~CVantrelWifiProtectedSetupPage() override;

  // Opens the dialog modally without blocking the caller (it deletes itself when closed); the
  // one already open when there is one.
  static CVantrelWifiProtectedSetupPage* Open(const core::CVtrLibrary& lib,
                                              core::CVantrelPropertySheet& sheet, QWidget* parent);
  // The dialog open now, or null.
  static CVantrelWifiProtectedSetupPage* Current();

  WpsMethod Method() const { return method_; }
  bool Running() const { return running_; }
  bool Succeeded() const { return success_; }
  int Picture() const { return picture_; }
  const std::vector<WpsAccessPoint>& AccessPoints() const { return accessPoints_; }
  // Whether the engine's reports of that run still count: the run is this dialog's latest and
  // was neither cancelled nor closed.
  bool IsCurrentRun(uintptr_t run) const { return run != 0 && run == run_; }
  // The start request as Start builds it from the choices made now.
  WpsRequest BuildRequest() const;

  // One report of the engine, on the GUI thread.
  void OnStatus(uint32_t code);

 protected:
  // Escape (and the sheet closing its popups) closes the dialog as "Close" does.
  void reject() override;

 private:
  void BuildLayout();
  void SetTexts();
  void OfferMethods();
  void FillAccessPoints();
  void SelectMethod(WpsMethod method);
  void OnAccessPointChosen(int index);
  void Start();
  void Cancel();
  void CloseDialog();
  void StopRun();
  void RunSuccessSteps();
  void ConnectReceivedProfile();
  void ShowFailure(uint32_t code);
  void SetProgress(int percent, std::string_view key, std::string_view text);
  void ShowPicture(int picture);
  void GiveButtonsBack();

  const core::CVtrLibrary& lib_;
  core::CVantrelPropertySheet& sheet_;
  WpsMethod method_ = kMethodPushButton;
  bool running_ = false;
  bool success_ = false;
  // A failure's message may still be shown in this run (statuses 7 to 10).
  std::array<bool, 4> mayTell_{};
  int picture_ = 0;
  int frame_ = 0;
  // The engine run whose reports count; 0 while none.
  uintptr_t run_ = 0;
  std::vector<WpsAccessPoint> accessPoints_;

  QComboBox* accessPointList_ = nullptr;
  QRadioButton* pushButton_ = nullptr;
  QRadioButton* stationPin_ = nullptr;
  QRadioButton* accessPointPin_ = nullptr;
  QLineEdit* stationPinField_ = nullptr;
  QLineEdit* accessPointPinField_ = nullptr;
  QAbstractButton* start_ = nullptr;
  QAbstractButton* cancel_ = nullptr;
  QAbstractButton* close_ = nullptr;
  QLabel* pictureLabel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLineEdit* status_ = nullptr;
  std::vector<QWidget*> stationPinRow_;
  std::vector<QWidget*> accessPointPinRow_;
  core::MachineTimer pictureTimer_;
  core::MachineTimer runLimit_;
  core::MachineTimer connectPause_;
};

}  // namespace pages
