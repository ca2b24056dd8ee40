// CVantrelSiteSurveyPage: the sheet's first tab. The networks in range, as a list (control 2005)
// with eight sortable columns or as a channel map, filtered by band and type (boxes 2001-2004);
// "&ReScan", "&Connect" and "&DisConnect"; a radar picture while the adapter scans and a
// connection picture while a connection is made. Scans run on the sheet's scan worker, joins on
// its ConnectWorker; the page only shows what they find.
#pragma once

#include <QPointer>
#include <array>
#include <optional>
#include <vector>

#include "app/core/clock_bridge.h"
#include "app/core/property_sheet.h"
#include "app/core/scan_worker.h"
#include "app/core/sheet_page.h"
#include "app/pages/site_survey_rows.h"

class QAbstractButton;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QStackedWidget;

namespace controls {
class SortHeader;
class TitleTipTable;
}  // namespace controls

namespace pages {

class ChannelMapView;

// Control numbers of the page.
enum SiteSurveyControl : int {
  kFilterGroup = 2000,
  kFilterAdHoc = 2001,
  kFilter11a = 2002,
  kFilter11b = 2003,
  kFilter11g = 2004,
  kSurveyList = 2005,
  kScanPicture = 2006,
  kScanFrame = 2007,
  kRescanButton = 2008,
  kConnectPicture = 2009,
  kConnectFrame = 2011,
  kConnectButton = 2012,
  kDisconnectButton = 2013,
  kListViewBox = 2014,
  kChannelMap = 103,  // the graphical view, the old child dialog's template number
};

// The first cell of each row keeps its row image's number under this role.
inline constexpr int kRowImageRole = Qt::UserRole;

inline constexpr uint32_t kScanPictureMs = 100;     // timer 110
inline constexpr uint32_t kConnectPictureMs = 250;  // timer 112

class CVantrelSiteSurveyPage : public core::SheetPage, public core::SiteSurveyHooks {
 public:
  CVantrelSiteSurveyPage(core::CVantrelPropertySheet& sheet, const core::CVtrLibrary& lib);
  ~CVantrelSiteSurveyPage() override;

  void OnSetActive() override;

  // The sheet's hooks.
  void StopConnectAnimation(int frame) override;
  void StartConnectAnimation() override;
  void StepConnectAnimation() override;
  void RefreshList() override;
  void ApplyViewChoice() override;
  void ShowAllFilters() override;
  void OnScanStarted(bool animated) override;
  void OnScanFinished(bool animated) override;
  void ConnectWorkerRunning(bool running) override;
  // Timer 110's step: pictures 172 to 178 while the beam turns, then 171 and round again.
  void StepScanPicture();

  // The page's commands, as its controls give them.
  void Rescan();
  void Connect();
  void Disconnect();
  void SortByColumn(int column);
  void ToggleFilter(int controlId, bool checked);

  // What tests and the sheet read of the page.
  const core::ScanParameters& SurveyFilter() const { return surveyFilter_; }
  int ConnectFrame() const { return connectFrame_; }
  int ScanFrame() const { return scanFrame_; }
  int ShownConnectPicture() const { return shownConnectPicture_; }
  int ShownScanPicture() const { return shownScanPicture_; }
  bool ScanPictureRunning() const { return scanTimer_.IsActive(); }
  bool ConnectPictureRunning() const { return connectTimer_.IsActive(); }
  bool ListShown() const;
  controls::TitleTipTable& List() const { return *list_; }
  ChannelMapView& Map() const { return *map_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  QGroupBox* BuildFilterGroup();
  QWidget* BuildPictures();
  void BuildList();
  QWidget* BuildButtons();
  void SetTexts();
  void AdjustPicturesForLanguage();
  void ApplyColumnWidths();
  void StartScan();
  // The header marks the column and direction of the survey's sort.
  void ShowSort();
  void EnableFilters();
  void UpdateConnectButton();
  void ShowConnectPicture(int frame);
  // The survey index the user chose: the list's selected row, or the map's marked network.
  int ChosenIndex() const;
  void OnChosen(int index);
  // Chooses again, in the list or the map, the network shown as index before a refresh.
  void ChooseAgain(const std::optional<VtrSurveyEntry>& before);
  // WM_START_CONNECT: starts the ConnectWorker on the chosen entry unless one runs.
  void OnStartConnect();

  const core::CVtrLibrary& lib_;
  core::ScanParameters surveyFilter_{0, 5, 1, 1};
  std::array<QCheckBox*, 4> filters_{};
  QAbstractButton* rescanButton_ = nullptr;
  QAbstractButton* connectButton_ = nullptr;
  QAbstractButton* disconnectButton_ = nullptr;
  QAbstractButton* listViewBox_ = nullptr;
  QFrame* scanPictureFrame_ = nullptr;
  QLabel* scanPicture_ = nullptr;
  QFrame* connectPictureFrame_ = nullptr;
  QLabel* connectPicture_ = nullptr;
  QStackedWidget* views_ = nullptr;
  controls::TitleTipTable* list_ = nullptr;
  controls::SortHeader* header_ = nullptr;
  ChannelMapView* map_ = nullptr;
  std::vector<VtrSurveyEntry> shown_;  // the rows, in the order listed
  // The network chosen before the list went empty (a scan under way), chosen again once listed.
  std::optional<VtrSurveyEntry> awaitedChoice_;
  core::MachineTimer scanTimer_;
  core::MachineTimer connectTimer_;
  int connectFrame_ = 0;
  int scanFrame_ = 0;  // 1 to 7 while the beam turns; anything else shows the picture at rest
  int shownConnectPicture_ = 0;
  int shownScanPicture_ = 0;
  int selection_ = 0;  // the list's selected row + 1, 0 for none
  bool connecting_ = false;
  bool scanAnimated_ = false;  // an animated scan holds the wait cursor
};

}  // namespace pages
