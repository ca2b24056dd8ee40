#include "app/pages/about_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <span>

#include "app/controls/hyperlink_label.h"
#include "app/controls/page_style.h"
#include "app/controls/palette.h"
#include "app/controls/ripple_image.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/language.h"
#include "app/core/property_sheet.h"
#include "app/core/record_text.h"
#include "app/core/vtr_library.h"
#include "app/pages/file_facts.h"
#include "lib/common/private_profile.h"

namespace pages {

namespace {

constexpr std::string_view kSection = "ABOUT";
// The logo is drawn at this size whatever the file holds.
constexpr int kLogoWidth = 460;
constexpr int kLogoHeight = 100;
constexpr controls::RippleDrop kMoveDrop{5, 30};
constexpr controls::RippleDrop kPressDrop{30, 300};
constexpr uint32_t kLinkColor = 0xFF0000;
constexpr size_t kUrlCapacity = 512;

struct Row {
  int labelId;
  int fieldId;
  std::string_view key;
  std::string_view text;
};

constexpr Row kAdapterRows[] = {
    {kAboutRegionLabel, kAboutRegionField, "10030", "Regional Domain :"},
    {kAboutFirmwareLabel, kAboutFirmwareField, "10040", "Firmware Version :"},
    {kAboutDriverLabel, kAboutDriverField, "10050", "Driver Version :"},
    {kAboutMacLabel, kAboutMacField, "10060", "MAC Address :"},
};
constexpr Row kUtilityRows[] = {
    {kAboutLibraryLabel, kAboutLibraryField, "10080", "<%CORP_NAME%> DLL Version :"},
    {kAboutUtilityLabel, kAboutUtilityField, "10090", "<%CORP_NAME%> Utility Version :"},
};

QGroupBox* RowsGroup(QWidget* parent, int id, std::span<const Row> rows) {
  auto* group = new QGroupBox(parent);
  core::SetControlId(group, id);
  auto* grid = new QGridLayout(group);
  grid->setColumnStretch(1, 1);
  grid->setHorizontalSpacing(16);
  int line = 0;
  for (const Row& row : rows) {
    auto* label = new QLabel(group);
    core::SetControlId(label, row.labelId);
    auto* field = new QLabel(group);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    core::SetControlId(field, row.fieldId);
    grid->addWidget(label, line, 0);
    grid->addWidget(field, line, 1);
    ++line;
  }
  return group;
}

// The channels of the regional domain: the Americas' eleven, or thirteen elsewhere.
QString RegionText(int32_t regionCode) {
  const bool americas = regionCode == 1 || regionCode == 2;
  return core::ToQString(core::LangLookupPlain(kSection, americas ? "100A0" : "100B0",
                                               americas ? "Channel 1 - 11" : "Channel 1 - 13",
                                               core::kLangCaptionSize));
}

}  // namespace

QString AdapterDriverText(const VtrAdapterInfo& info) {
  const QString version = core::FieldQString(info.driverVersion);
  const VtrSystemTime& date = info.driverDate;
  if (date.month == 0 && date.day == 0) return version;
  return version +
         QString::asprintf("  (%d/%d/%d)", int{date.month}, int{date.day}, int{date.year});
}

CVantrelAboutPage::CVantrelAboutPage(core::CVantrelPropertySheet& sheet,
                                     const core::CVtrLibrary& lib)
    : SheetPage(sheet, core::kPageAbout,
                core::LangCaption(kSection, "About                         ")),
      lib_(lib),
      rippleTimer_(this, [this] { logo_->Step(); }) {
  BuildLayout();
  SetTexts();
  AlignLabels();
}

void CVantrelAboutPage::BuildLayout() {
  controls::ApplyPageStyle(this);
  logo_ = new controls::RippleImage(this);
  logo_->setFixedSize(kLogoWidth, kLogoHeight);
  logo_->SetDrops(kMoveDrop, kPressDrop);
  const QImage logo(core::ToQString(core::State().programDir + "res/Logo.bmp"));
  logo_->SetImage(logo.isNull() ? logo
                                : logo.scaled(kLogoWidth, kLogoHeight, Qt::IgnoreAspectRatio,
                                              Qt::SmoothTransformation));

  link_ = new controls::HyperlinkLabel(this);
  core::SetControlId(link_, kAboutLink);
  QPalette colours = link_->palette();
  colours.setColor(QPalette::WindowText, controls::WindowsColor(kLinkColor));
  link_->setPalette(colours);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 12, 16, 12);
  layout->setSpacing(10);
  // The logo stands centred in the space above the adapter's group.
  layout->addStretch(1);
  layout->addWidget(logo_, 0, Qt::AlignHCenter);
  layout->addStretch(1);
  layout->addWidget(RowsGroup(this, kAboutAdapterGroup, kAdapterRows));
  layout->addWidget(RowsGroup(this, kAboutUtilityGroup, kUtilityRows));
  layout->addWidget(link_, 0, Qt::AlignHCenter);

  // The regional domain line exists, and its field is kept, but it is never shown.
  core::FindControl(this, kAboutRegionLabel)->hide();
  core::FindControl(this, kAboutRegionField)->hide();
}

void CVantrelAboutPage::SetTexts() {
  core::LangSetText(this, false, kAboutLink, kSection, "10010", "Visit <%CORP_NAME%> Website");
  core::LangSetText(this, false, kAboutAdapterGroup, kSection, "10020",
                    "Wireless Adapter Information");
  core::LangSetText(this, false, kAboutUtilityGroup, kSection, "10070", "Utility Information");
  for (const Row& row : kAdapterRows) {
    core::LangSetText(this, false, row.labelId, kSection, row.key, row.text);
  }
  for (const Row& row : kUtilityRows) {
    core::LangSetText(this, false, row.labelId, kSection, row.key, row.text);
  }
}

// One label column for both boxes, as wide as their widest text, so the fields line up.
void CVantrelAboutPage::AlignLabels() {
  int width = 0;
  for (const auto& rows :
       {std::span<const Row>(kAdapterRows), std::span<const Row>(kUtilityRows)}) {
    for (const Row& row : rows) {
      width = std::max(width, core::FindControl(this, row.labelId)->sizeHint().width());
    }
  }
  for (const int id : {kAboutAdapterGroup, kAboutUtilityGroup}) {
    static_cast<QGridLayout*>(core::FindControl(this, id)->layout())
        ->setColumnMinimumWidth(0, width);
  }
}

void CVantrelAboutPage::OnSetActive() {
  rippleTimer_.Start(kRippleStepMs);
  ShowLink();
  Refresh();
}

void CVantrelAboutPage::OnKillActive() {
  rippleTimer_.Stop();
}

void CVantrelAboutPage::ShowLink() {
  std::string url =
      vtr::PrivateProfileStringFromFile(core::State().corpInfoPath, "COMMON", "URL", "");
  if (url.size() > kUrlCapacity - 1) url.resize(kUrlCapacity - 1);
  link_->SetUrl(core::ToQString(url));
  link_->setVisible(!url.empty());
}

void CVantrelAboutPage::Refresh() {
  VtrAdapterInfo info{};
  lib_.DriverParameter(&info);
  auto show = [this](int id, const QString& text) {
    core::SetControlText(core::FindControl(this, id), text);
  };
  const bool present = Sheet().CardPresent();
  show(kAboutRegionField, present ? RegionText(core::State().regionalDomainCode) : QString());
  show(kAboutFirmwareField, present ? core::FieldQString(info.firmwareVersion) : QString());
  show(kAboutDriverField, present ? AdapterDriverText(info) : QString());
  show(kAboutMacField, present ? core::FieldQString(info.macAddress) : QString());
  const std::string& folder = core::State().programDir;
  show(kAboutLibraryField, FileFactsText(folder + core::kVtrLibraryFileName));
  show(kAboutUtilityField, FileFactsText(folder + kUtilityFileName));
}

}  // namespace pages
