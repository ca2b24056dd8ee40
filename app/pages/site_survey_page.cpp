#include "app/pages/site_survey_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>

#include "app/controls/flat_button.h"
#include "app/controls/palette.h"
#include "app/controls/sort_header.h"
#include "app/controls/survey_artwork.h"
#include "app/controls/title_tip_table.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/language.h"
#include "app/core/message_box.h"
#include "app/core/settings.h"
#include "app/core/survey_profile.h"
#include "app/pages/channel_map_view.h"
#include "platform/services.h"

namespace pages {

namespace {

constexpr const char* kSection = "SITE_SURVEY";
constexpr uint32_t kPhy11aBit = 2;
constexpr uint32_t kLinkAssociated = 1;
constexpr int kFrameIdle = 0;
constexpr int kFrameConnected = 5;
constexpr int kLastSearchFrame = 4;
constexpr int kFirstScanFrame = 1;
constexpr int kLastScanFrame = 7;
constexpr uint32_t kSortBySignal = 5;
constexpr uint32_t kViewSettleMs = 100;
constexpr uint32_t kDisconnectSettleMs = 1000;
constexpr uint32_t kAutoConnectBoundMs = 500;
constexpr int kRowHeight = 22;
// Room for a dozen rows and both bands of the channel map.
constexpr QSize kViewsMinimum(660, 300);
// The pictures' frames and the pictures in them, before the language moves them.
constexpr QSize kScanFrameSize(88, 70);
constexpr QSize kScanPictureSize(80, 62);
constexpr QSize kConnectFrameSize(156, 70);
constexpr QSize kConnectPictureSize(148, 62);

// The filter boxes in filter-mask order: ad hoc 1, 802.11a 2, 802.11b 4, 802.11g 8.
struct FilterBox {
  int id;
  uint32_t bit;
  std::string_view key;
  std::string_view text;
};
constexpr std::array<FilterBox, 4> kFilterBoxes = {{
    {kFilterAdHoc, 1, "10020", "Display PC To PC(Ad-Hoc)"},
    {kFilter11a, 2, "10030", "Display 802.11a Access Points"},
    {kFilter11b, 4, "10040", "Display 802.11b Access Points"},
    {kFilter11g, 8, "10050", "Display 802.11g Access Points"},
}};

QString TabCaption() {
  return core::LangCaption(kSection, "Site Survey                 ");
}

bool Has11a() {
  return (core::State().adapterCapability.Get().phyModeMask & kPhy11aBit) != 0;
}

QFrame* PictureFrame(int id, QLabel*& picture, int pictureId) {
  auto* frame = new QFrame;
  frame->setObjectName("pictureFrame");
  frame->setStyleSheet(
      "#pictureFrame { background: white; border: 1px solid #D5DBE1; border-radius: 6px; }");
  core::SetControlId(frame, id);
  picture = new QLabel(frame);
  picture->setAlignment(Qt::AlignCenter);
  core::SetControlId(picture, pictureId);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(picture, 0, Qt::AlignCenter);
  return frame;
}

}  // namespace

CVantrelSiteSurveyPage::CVantrelSiteSurveyPage(core::CVantrelPropertySheet& sheet,
                                               const core::CVtrLibrary& lib)
    : SheetPage(sheet, core::kPageSiteSurvey, TabCaption()),
      lib_(lib),
      scanTimer_(this, [this] { StepScanPicture(); }),
      connectTimer_(this, [this] { StepConnectAnimation(); }) {
  BuildControls();
  SetTexts();
  ShowSort();
  EnableFilters();
  AdjustPicturesForLanguage();
  QPalette background = palette();
  background.setColor(QPalette::Window, controls::kPageBackground);
  setPalette(background);
  setAutoFillBackground(true);
  ShowConnectPicture(kFrameIdle);
  StepScanPicture();
}

CVantrelSiteSurveyPage::~CVantrelSiteSurveyPage() {
  if (scanAnimated_) QApplication::restoreOverrideCursor();
}

void CVantrelSiteSurveyPage::BuildControls() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->setSpacing(10);
  auto* top = new QHBoxLayout;
  top->addWidget(BuildFilterGroup(), 1);
  top->addWidget(BuildPictures());
  layout->addLayout(top);
  BuildList();
  views_ = new QStackedWidget(this);
  views_->setMinimumSize(kViewsMinimum);
  views_->addWidget(list_);
  views_->addWidget(map_);
  layout->addWidget(views_, 1);
  layout->addWidget(BuildButtons());
}

QGroupBox* CVantrelSiteSurveyPage::BuildFilterGroup() {
  auto* group = new QGroupBox(this);
  core::SetControlId(group, kFilterGroup);
  auto* grid = new QGridLayout(group);
  grid->setHorizontalSpacing(18);
  for (size_t i = 0; i < kFilterBoxes.size(); ++i) {
    const FilterBox& box = kFilterBoxes[i];
    auto* check = new QCheckBox(group);
    check->setChecked(true);
    core::SetControlId(check, box.id);
    connect(check, &QCheckBox::clicked, this,
            [this, id = box.id](bool checked) { ToggleFilter(id, checked); });
    filters_[i] = check;
    // Ad-Hoc and 802.11a on the first row, 802.11b and 802.11g on the second.
    grid->addWidget(check, static_cast<int>(i % 2), static_cast<int>(i / 2));
  }
  return group;
}

QWidget* CVantrelSiteSurveyPage::BuildPictures() {
  auto* pictures = new QWidget(this);
  auto* row = new QHBoxLayout(pictures);
  row->setContentsMargins(0, 6, 0, 0);
  row->setSpacing(8);
  scanPictureFrame_ = PictureFrame(kScanFrame, scanPicture_, kScanPicture);
  connectPictureFrame_ = PictureFrame(kConnectFrame, connectPicture_, kConnectPicture);
  row->addWidget(scanPictureFrame_, 0, Qt::AlignTop);
  row->addWidget(connectPictureFrame_, 0, Qt::AlignTop);
  return pictures;
}

void CVantrelSiteSurveyPage::BuildList() {
  list_ = new controls::TitleTipTable(this);
  core::SetControlId(list_, kSurveyList);
  // A screen reader names the list after its page.
  list_->setAccessibleName(Caption().trimmed());
  list_->setColumnCount(static_cast<int>(kSurveyColumns.size()));
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(true);
  list_->setWordWrap(false);
  list_->setIconSize(QSize(16, 16));
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setDefaultSectionSize(kRowHeight);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  header_ = new controls::SortHeader(list_);
  list_->setHorizontalHeader(header_);
  list_->setStyleSheet(
      "QTableWidget { background: white; gridline-color: #E3E7EB; border: 1px solid #D5DBE1; "
      "outline: 0;"
      " selection-background-color: #D6E6F7; selection-color: #20242A; }"
      "QHeaderView::section { background: #F1F4F7; border: none; border-right: 1px solid #E3E7EB;"
      " border-bottom: 1px solid #D5DBE1; padding: 6px 3px 4px 3px; }");
  list_->viewport()->installEventFilter(this);
  connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { SortByColumn(column); });
  connect(list_, &QTableWidget::itemSelectionChanged, this, [this] {
    const auto rows = list_->selectionModel()->selectedRows();
    selection_ = rows.isEmpty() ? 0 : rows.first().row() + 1;
    UpdateConnectButton();
  });
  connect(list_, &QTableWidget::cellClicked, this, [this](int row, int) { OnChosen(row); });
  connect(list_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
    list_->selectRow(row);
    OnChosen(row);
    Connect();
  });

  map_ = new ChannelMapView(this);
  core::SetControlId(map_, kChannelMap);
  map_->SetOnMarked([this](int index) {
    if (index >= 0) OnChosen(index);
    UpdateConnectButton();
  });
  map_->SetOnActivated([this](int index) {
    OnChosen(index);
    Connect();
  });
}

QWidget* CVantrelSiteSurveyPage::BuildButtons() {
  auto* buttons = new QWidget(this);
  auto* row = new QHBoxLayout(buttons);
  row->setContentsMargins(0, 0, 0, 0);
  auto add = [&](int id, auto&& onClick) {
    auto* button = new controls::FlatButton(QString(), buttons);
    core::SetControlId(button, id);
    button->setMinimumWidth(104);
    connect(button, &QAbstractButton::clicked, this, onClick);
    return button;
  };
  // The view box: checked, the list; cleared, the channel map.
  auto* view = new controls::FlatButton(QString(), buttons);
  view->setCheckable(true);
  view->setChecked(true);
  core::SetControlId(view, kListViewBox);
  connect(view, &QAbstractButton::clicked, this, [this] { ApplyViewChoice(); });
  listViewBox_ = view;
  row->addWidget(view);
  row->addStretch(1);
  rescanButton_ = add(kRescanButton, [this] { Rescan(); });
  connectButton_ = add(kConnectButton, [this] { Connect(); });
  disconnectButton_ = add(kDisconnectButton, [this] { Disconnect(); });
  connectButton_->setEnabled(false);
  row->addWidget(rescanButton_);
  row->addWidget(connectButton_);
  row->addWidget(disconnectButton_);
  return buttons;
}

void CVantrelSiteSurveyPage::SetTexts() {
  core::LangSetText(this, false, kFilterGroup, kSection, "10010", "Wireless Site Survey Filter");
  for (const FilterBox& box : kFilterBoxes) {
    core::LangSetText(this, false, box.id, kSection, box.key, box.text);
  }
  core::LangSetText(this, false, kRescanButton, kSection, "100D0", "&ReScan");
  core::LangSetText(this, false, kConnectButton, kSection, "100E0", "&Connect");
  core::LangSetText(this, false, kDisconnectButton, kSection, "100F0", "&DisConnect");
  core::LangSetText(this, false, kListViewBox, kSection, "10100", "Search in detail");
  QStringList headers;
  for (const SurveyColumn& column : kSurveyColumns) {
    headers << core::ToQString(core::LangLookupPlain(kSection, column.key, column.header));
  }
  list_->setHorizontalHeaderLabels(headers);
  for (size_t i = 0; i < kSurveyColumns.size(); ++i) {
    list_->horizontalHeaderItem(static_cast<int>(i))->setTextAlignment(kSurveyColumns[i].alignment);
  }
}

void CVantrelSiteSurveyPage::AdjustPicturesForLanguage() {
  std::string language;
  const bool known = core::ReadSetting("Language", language) == 0;
  const PictureAdjustment adjust =
      PictureAdjustmentFor(known ? std::optional<std::string>(language) : std::nullopt);
  const int down = adjust.shiftDown;
  scanPictureFrame_->setFixedSize(kScanFrameSize.width() - adjust.scanFrameNarrower,
                                  kScanFrameSize.height() - down);
  scanPicture_->setFixedSize(kScanPictureSize.width() - adjust.scanPictureNarrower,
                             kScanPictureSize.height() - down);
  connectPictureFrame_->setFixedSize(kConnectFrameSize.width() - adjust.connectNarrower,
                                     kConnectFrameSize.height() - down);
  connectPicture_->setFixedSize(kConnectPictureSize.width() - adjust.connectNarrower,
                                kConnectPictureSize.height() - down);
  // The moves: the pictures' row is pushed down, the scan picture to the right.
  auto* row = static_cast<QHBoxLayout*>(scanPictureFrame_->parentWidget()->layout());
  QMargins margins = row->contentsMargins();
  margins.setTop(margins.top() + down);
  margins.setLeft(margins.left() + adjust.scanShiftRight);
  row->setContentsMargins(margins);
}

bool CVantrelSiteSurveyPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_->viewport() && event->type() == QEvent::Resize) ApplyColumnWidths();
  return core::SheetPage::eventFilter(watched, event);
}

void CVantrelSiteSurveyPage::ApplyColumnWidths() {
  const std::vector<int> widths = SurveyColumnWidths(list_->viewport()->width());
  for (size_t i = 0; i < widths.size(); ++i) list_->setColumnWidth(static_cast<int>(i), widths[i]);
}

bool CVantrelSiteSurveyPage::ListShown() const {
  return views_->currentWidget() == list_;
}

void CVantrelSiteSurveyPage::OnSetActive() {
  show();
  core::AppState& state = core::State();
  if (!(Sheet().ConnectPending() && connecting_)) {
    VtrLinkInfo link{};
    lib_.APLinkInformation(&link, 0);
    if (link.linkState != kLinkAssociated) {
      Sheet().UpdateTray(core::kTrayNoConnection, -1);
      connectFrame_ = kFrameIdle;
    } else {
      Sheet().UpdateTray(core::kTrayConnected, link.signal);
      state.defaultProfileRecord.With([&link](ProfileRecord& record) {
        std::memset(record.ssid, 0, sizeof record.ssid);
        std::memcpy(record.ssid, link.ssid, std::min(sizeof record.ssid, sizeof link.ssid) - 1);
      });
      connectFrame_ = kFrameConnected;
    }
    StepConnectAnimation();
  }
  if (Sheet().CardPresent() && state.surveyCount == 0 && Sheet().RadioOn()) {
    ShowAllFilters();
    StartScan();
  } else {
    RefreshList();
  }
}

void CVantrelSiteSurveyPage::ShowAllFilters() {
  for (QCheckBox* box : filters_) {
    box->setChecked(true);
    box->show();
  }
  surveyFilter_ = core::ScanParameters{0, kSortBySignal, 1, 1};
  ShowSort();
}

void CVantrelSiteSurveyPage::ToggleFilter(int controlId, bool checked) {
  for (const FilterBox& box : kFilterBoxes) {
    if (box.id != controlId) continue;
    surveyFilter_.filterMask =
        checked ? (surveyFilter_.filterMask & ~box.bit) : (surveyFilter_.filterMask | box.bit);
  }
  surveyFilter_.scanMode = 0;
  StartScan();
}

void CVantrelSiteSurveyPage::SortByColumn(int column) {
  surveyFilter_.sortDescending = surveyFilter_.sortDescending == 0 ? 1 : 0;
  surveyFilter_.sortKey = static_cast<uint32_t>(column);
  surveyFilter_.scanMode = 0;
  StartScan();
}

void CVantrelSiteSurveyPage::Rescan() {
  surveyFilter_.scanMode = 1;
  StartScan();
}

void CVantrelSiteSurveyPage::StartScan() {
  // The adapter is not asked to scan while it is being connected; a re-sort of the last scan
  // does not reach it and goes on.
  if (surveyFilter_.scanMode == 1 && !Sheet().Connector().IsIdle()) return;
  ShowSort();
  Sheet().StartScan(surveyFilter_);
}

void CVantrelSiteSurveyPage::ShowSort() {
  header_->ShowSortedColumn(
      static_cast<int>(surveyFilter_.sortKey),
      surveyFilter_.sortDescending != 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void CVantrelSiteSurveyPage::OnScanStarted(bool animated) {
  for (QCheckBox* box : filters_) box->setEnabled(false);
  connectButton_->setEnabled(false);
  if (!animated || scanAnimated_) return;
  scanAnimated_ = true;
  scanTimer_.Start(kScanPictureMs);
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CVantrelSiteSurveyPage::OnScanFinished(bool) {
  if (scanAnimated_) {
    scanAnimated_ = false;
    QApplication::restoreOverrideCursor();
    scanTimer_.Stop();
    StepScanPicture();
  }
  RefreshList();
  EnableFilters();
}

void CVantrelSiteSurveyPage::EnableFilters() {
  for (size_t i = 0; i < kFilterBoxes.size(); ++i) {
    filters_[i]->setEnabled(kFilterBoxes[i].id != kFilter11a || Has11a());
  }
}

void CVantrelSiteSurveyPage::RefreshList() {
  // The poll and every re-sort refresh the rows: the chosen network stays chosen wherever the
  // new order puts it. A scan empties the list while it runs; the choice waits for its result.
  const int chosen = ChosenIndex();
  std::optional<VtrSurveyEntry> before = awaitedChoice_;
  if (chosen >= 0 && chosen < static_cast<int>(shown_.size())) {
    before = shown_[static_cast<size_t>(chosen)];
  }
  list_->setRowCount(0);
  selection_ = 0;
  std::vector<VtrSurveyEntry> shown;
  VtrLinkInfo link{};
  const int32_t count = std::min(core::State().surveyCount.load(), core::kListCapacity);
  if (lib_.IsCardConnect() && count >= 1) {
    lib_.APLinkInformation(&link, 0);
    const auto survey = core::State().surveyList.Get();
    shown.assign(survey.begin(), survey.begin() + count);
  }
  list_->setRowCount(static_cast<int>(shown.size()));
  for (size_t row = 0; row < shown.size(); ++row) {
    const VtrSurveyEntry& entry = shown[row];
    const auto cells = SurveyCells(entry);
    for (size_t column = 0; column < cells.size(); ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      item->setTextAlignment(kSurveyColumns[column].alignment);
      if (column == 0) {
        const int image = SurveyRowImageFor(entry, link);
        item->setIcon(controls::SurveyRowIcon(image, entry.isHt == 1));
        item->setData(kRowImageRole, image);
      }
      list_->setItem(static_cast<int>(row), static_cast<int>(column), item);
    }
  }
  shown_ = shown;
  awaitedChoice_ = shown_.empty() ? before : std::nullopt;
  map_->SetSurvey(std::move(shown), link);
  ChooseAgain(before);
  UpdateConnectButton();
}

void CVantrelSiteSurveyPage::ChooseAgain(const std::optional<VtrSurveyEntry>& before) {
  if (!before) return;
  const auto same = std::find_if(shown_.begin(), shown_.end(), [&](const VtrSurveyEntry& entry) {
    return std::strncmp(entry.bssid, before->bssid, sizeof entry.bssid) == 0 &&
           core::SurveySsid(entry) == core::SurveySsid(*before);
  });
  if (same == shown_.end()) return;
  const int index = static_cast<int>(same - shown_.begin());
  if (ListShown()) {
    list_->selectRow(index);
  } else {
    map_->Mark(index);
  }
  OnChosen(index);
}

int CVantrelSiteSurveyPage::ChosenIndex() const {
  return ListShown() ? selection_ - 1 : map_->MarkedIndex();
}

void CVantrelSiteSurveyPage::OnChosen(int index) {
  core::State().selectedSurveyIndex = index;
}

void CVantrelSiteSurveyPage::UpdateConnectButton() {
  connectButton_->setEnabled(ChosenIndex() >= 0 && !connecting_ && !scanAnimated_);
}

void CVantrelSiteSurveyPage::Connect() {
  const int index = ChosenIndex();
  if (index < 0) return;
  core::AppState& state = core::State();
  state.selectedSurveyIndex = index;
  if (ListShown()) {
    list_->selectRow(index);
    list_->setFocus();
  }
  Sheet().SetConnectPending(false);
  if (state.surveyCount > 0 &&
      core::BlockedByEnterpriseOff(state.surveyList.Get()[static_cast<size_t>(index)])) {
    core::ShowMessage(
        this,
        core::ToQString(core::LangLookup(kSection, "10110", "Not support this connect mode !")),
        core::MessageIcon::Exclamation);
    UpdateConnectButton();
    return;
  }
  connectButton_->setEnabled(false);
  core::PostToGui(this, [this] { OnStartConnect(); });
}

void CVantrelSiteSurveyPage::OnStartConnect() {
  const core::AppState& state = core::State();
  const int32_t index = state.selectedSurveyIndex;
  const bool listed = index >= 0 && index < std::min(state.surveyCount.load(), core::kListCapacity);
  const bool started = listed && Sheet().Connector().StartFromSurvey(
                                     state.surveyList.Get()[static_cast<size_t>(index)]);
  // The buttons wait from now on, not from when the worker's first word arrives.
  ConnectWorkerRunning(started);
}

void CVantrelSiteSurveyPage::Disconnect() {
  connectTimer_.Stop();
  Sheet().UpdateTray(core::kTrayNoConnection, -1);
  connectFrame_ = kFrameIdle;
  StepConnectAnimation();
  lib_.DisConnectToAP();
  // Stopping the connect gives "&Connect" and "&Apply  Profile" back.
  Sheet().StopConnectWorker();
  Sheet().StopAutoConnection(kAutoConnectBoundMs);
  platform::Current().Clock().SleepMs(kDisconnectSettleMs);
  RefreshList();
}

void CVantrelSiteSurveyPage::ConnectWorkerRunning(bool running) {
  connecting_ = running;
  rescanButton_->setEnabled(!running);
  UpdateConnectButton();
}

void CVantrelSiteSurveyPage::ApplyViewChoice() {
  if (listViewBox_->isChecked()) {
    views_->setCurrentWidget(list_);
  } else {
    views_->setCurrentWidget(map_);
    surveyFilter_.sortKey = kSortBySignal;
    surveyFilter_.sortDescending = 1;
    surveyFilter_.scanMode = 0;
    StartScan();
    platform::Current().Clock().SleepMs(kViewSettleMs);
  }
  // Either way "&Connect" waits for a new choice.
  list_->clearSelection();
  selection_ = 0;
  awaitedChoice_.reset();
  map_->ClearMark();
  UpdateConnectButton();
}

void CVantrelSiteSurveyPage::ShowConnectPicture(int frame) {
  shownConnectPicture_ = frame <= kLastSearchFrame ? controls::kConnectPictureFirst + frame
                                                   : controls::kConnectPictureConnected;
  const QSize size = connectPicture_->size();
  connectPicture_->setPixmap(QPixmap::fromImage(
      controls::ConnectionPicture(shownConnectPicture_, size.width(), size.height())));
}

void CVantrelSiteSurveyPage::StopConnectAnimation(int frame) {
  connectTimer_.Stop();
  connectFrame_ = frame;
  ShowConnectPicture(frame);
}

void CVantrelSiteSurveyPage::StartConnectAnimation() {
  connectTimer_.Start(kConnectPictureMs);
}

void CVantrelSiteSurveyPage::StepConnectAnimation() {
  ShowConnectPicture(connectFrame_);
  connectFrame_ = connectFrame_ <= kLastSearchFrame ? connectFrame_ + 1 : 1;
}

void CVantrelSiteSurveyPage::StepScanPicture() {
  const bool stepping = scanFrame_ >= kFirstScanFrame && scanFrame_ <= kLastScanFrame;
  shownScanPicture_ =
      stepping ? controls::kScanPictureFirstStep + scanFrame_ - 1 : controls::kScanPictureRest;
  scanFrame_ = stepping ? scanFrame_ + 1 : kFirstScanFrame;
  const QSize size = scanPicture_->size();
  scanPicture_->setPixmap(
      QPixmap::fromImage(controls::ScanPicture(shownScanPicture_, size.width(), size.height())));
}

}  // namespace pages
