#include "app/pages/advanced_settings_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>
#include <array>

#include "app/controls/flat_button.h"
#include "app/controls/palette.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/language.h"

namespace pages {

namespace {

constexpr std::string_view kSection = "PROFILE_MANAGER";
constexpr uint32_t kValueBlue = 0xFF0000;
constexpr uint32_t kPhy11b = 2;
constexpr uint32_t kPhy11a = 6;
constexpr uint32_t kAdapterKindHt = 4;
constexpr int32_t kHtAuto = -1;
constexpr int32_t kAntennaA = 1;
constexpr int32_t kAntennaB = 2;
constexpr int kMcsCount = 128;
constexpr int kOneStreamTop = 7;
constexpr int kTwoStreamTop = 15;
constexpr int kMcsDuplicate = 32;

struct ListEntry {
  std::string_view key;  // empty: the text has no key
  std::string_view text;
  int data;
};

constexpr std::array<ListEntry, 3> kPreambles{
    {{"110A0", "Auto", 0}, {"110B0", "Short", 1}, {"110C0", "Long", 2}}};
constexpr std::array<ListEntry, 3> kWidths{
    {{"110A0", "Auto", -1}, {"", "20 MHz", 0}, {"", "40 MHz", 1}}};
constexpr std::array<ListEntry, 3> kGuards{
    {{"110A0", "Auto", -1}, {"11130", "Standard", 0}, {"11140", "Short", 1}}};
constexpr std::array<ListEntry, 4> kExtensions{
    {{"110A0", "Auto", -1}, {"11150", "None", 2}, {"11160", "Lower", 0}, {"11170", "Upper", 1}}};
constexpr std::array<ListEntry, 7> kAntennas{{{"110A0", "Auto", -1},
                                              {"11180", "Antenna A", 1},
                                              {"11190", "Antenna B", 2},
                                              {"111C0", "A By 2", 4},
                                              {"111D0", "B By 2", 5},
                                              {"111A0", "2 By 2", 3},
                                              {"111B0", "2 By 3", 0}}};

constexpr std::array<uint32_t, 4> kRates11b{2, 4, 11, 22};
constexpr std::array<uint32_t, 8> kRates11a{12, 18, 24, 36, 48, 72, 96, 108};
constexpr std::array<uint32_t, 12> kRatesMixed{2, 4, 11, 12, 18, 22, 24, 36, 48, 72, 96, 108};

QString Plain(std::string_view key, std::string_view text) {
  if (key.empty()) return core::ToQString(text);
  return core::ToQString(core::LangLookupPlain(kSection, key, text));
}

template <size_t N>
void Fill(QComboBox* list, const std::array<ListEntry, N>& entries) {
  for (const ListEntry& entry : entries) list->addItem(Plain(entry.key, entry.text), entry.data);
}

void SelectData(QComboBox* list, int data) {
  const int index = list->findData(data);
  list->setCurrentIndex(index >= 0 ? index : 0);
}

QString RateText(uint32_t rate) {
  return rate % 2 == 0 ? QString::asprintf("%d Mbps", static_cast<int>(rate / 2))
                       : QString::asprintf("%d.5 Mbps", static_cast<int>(rate / 2));
}

template <size_t N>
void AddLegacy(std::vector<RateChoice>& choices, const std::array<uint32_t, N>& rates) {
  for (uint32_t rate : rates) choices.push_back({RateText(rate), rate});
}

// An MCS index the adapter names among the 16 bytes after optionFlag.
bool AdapterHasMcs(const VtrCapability& capability, int mcs) {
  return (capability.reserved157[mcs / 8] >> (mcs % 8) & 1) != 0;
}

bool AllowedMcs(int mcs, int32_t antenna) {
  const int top = antenna == kAntennaA || antenna == kAntennaB ? kOneStreamTop : kTwoStreamTop;
  return mcs <= top || mcs == kMcsDuplicate;
}

QLabel* NewLabel(QWidget* parent, int id, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  core::SetControlId(label, id);
  return label;
}

QComboBox* NewList(QWidget* parent, int id) {
  auto* list = new QComboBox(parent);
  core::SetControlId(list, id);
  return list;
}

}  // namespace

std::vector<RateChoice> RateChoices(const ProfileRecord& record, const VtrCapability& capability,
                                    bool htSupported) {
  std::vector<RateChoice> choices{{Plain("110A0", "Auto"), kAutomaticRate}};
  const bool htOnly = capability.adapterKind == kAdapterKindHt && record.htNetwork != 0;
  if (record.htEnabled == 0 && !htOnly) {
    if (record.phyMode == kPhy11b) {
      AddLegacy(choices, kRates11b);
    } else if (record.phyMode == kPhy11a) {
      AddLegacy(choices, kRates11a);
    } else {
      AddLegacy(choices, kRatesMixed);
    }
  }
  if (record.htEnabled != 0 && htSupported) {
    const QString format = Plain("111E0", "MCS %d");
    for (int mcs = 0; mcs < kMcsCount; ++mcs) {
      if (!AdapterHasMcs(capability, mcs) || !AllowedMcs(mcs, record.htAntennaSelection)) continue;
      choices.push_back({QString(format).replace(QStringLiteral("%d"), QString::number(mcs)),
                         static_cast<uint32_t>(mcs + kMcsItemBase)});
    }
  }
  return choices;
}

CAdvancedSettingsDialog::CAdvancedSettingsDialog(QWidget* parent)
    : QDialog(parent),
      record_(core::State().defaultProfileRecord.Get()),
      capability_(core::State().adapterCapability.Get()),
      // The utility reads optionFlag as the adapter's 802.11n flag.
      htSupported_(capability_.optionFlag == 1) {
  BuildLayout();
  SetTexts();
  FillLists();
  ApplyKeepState();
}

void CAdvancedSettingsDialog::BuildLayout() {
  setStyleSheet(QStringLiteral("QGroupBox::title { color: %1; }")
                    .arg(controls::WindowsColor(kValueBlue).name()));
  auto* protocol = new QGroupBox(this);
  core::SetControlId(protocol, kAdvancedProtocolGroup);
  keep_ = new QCheckBox(protocol);
  core::SetControlId(keep_, kAdvancedKeepSettings);
  preamble_ = NewList(protocol, kAdvancedPreamble);
  rate_ = NewList(protocol, kAdvancedRate);

  auto threshold = [&](int barId, int lowId, int valueId, int highId, QLabel*& value) {
    auto* bar = new QSlider(Qt::Horizontal, protocol);
    core::SetControlId(bar, barId);
    bar->setRange(kThresholdMin, kThresholdMax);
    bar->setTickInterval(kThresholdTick);
    bar->setTickPosition(QSlider::TicksBelow);
    value = NewLabel(protocol, valueId);
    QPalette blue = value->palette();
    blue.setColor(QPalette::WindowText, controls::WindowsColor(kValueBlue));
    value->setPalette(blue);
    value->setMinimumWidth(40);
    protocolControls_.insert(protocolControls_.end(),
                             {bar, NewLabel(protocol, lowId, QString::number(kThresholdMin)), value,
                              NewLabel(protocol, highId, QString::number(kThresholdMax))});
    return bar;
  };
  auto* preambleLabel = NewLabel(protocol, kAdvancedPreambleLabel);
  auto* rateLabel = NewLabel(protocol, kAdvancedRateLabel);
  auto* fragmentLabel = NewLabel(protocol, kAdvancedFragmentLabel);
  protocolControls_ = {preambleLabel, preamble_, rateLabel, rate_, fragmentLabel};
  fragment_ = threshold(kAdvancedFragment, kAdvancedFragmentLow, kAdvancedFragmentValue,
                        kAdvancedFragmentHigh, fragmentValue_);
  auto* rtsLabel = NewLabel(protocol, kAdvancedRtsLabel);
  protocolControls_.push_back(rtsLabel);
  rts_ = threshold(kAdvancedRts, kAdvancedRtsLow, kAdvancedRtsValue, kAdvancedRtsHigh, rtsValue_);

  auto* grid = new QGridLayout(protocol);
  grid->addWidget(keep_, 0, 0, 1, 5);
  grid->addWidget(preambleLabel, 1, 0);
  grid->addWidget(preamble_, 1, 1, 1, 4);
  grid->addWidget(rateLabel, 2, 0);
  grid->addWidget(rate_, 2, 1, 1, 4);
  auto placeBar = [&](int row, QWidget* label, QSlider* bar, int lowId, QLabel* value, int highId) {
    grid->addWidget(label, row, 0);
    grid->addWidget(core::FindControl(protocol, lowId), row, 1);
    grid->addWidget(bar, row, 2);
    grid->addWidget(core::FindControl(protocol, highId), row, 3);
    grid->addWidget(value, row, 4);
  };
  placeBar(3, fragmentLabel, fragment_, kAdvancedFragmentLow, fragmentValue_,
           kAdvancedFragmentHigh);
  placeBar(4, rtsLabel, rts_, kAdvancedRtsLow, rtsValue_, kAdvancedRtsHigh);
  grid->setColumnStretch(2, 1);

  auto* ht = new QGroupBox(this);
  core::SetControlId(ht, kAdvancedHtGroup);
  htEnable_ = new QCheckBox(ht);
  core::SetControlId(htEnable_, kAdvancedHtEnable);
  width_ = NewList(ht, kAdvancedWidth);
  guard_ = NewList(ht, kAdvancedGuard);
  extension_ = NewList(ht, kAdvancedExtension);
  antenna_ = NewList(ht, kAdvancedAntenna);
  auto* htGrid = new QGridLayout(ht);
  htGrid->addWidget(htEnable_, 0, 0, 1, 2);
  int row = 1;
  for (auto [labelId, list] : {std::pair{kAdvancedWidthLabel, width_},
                               {kAdvancedGuardLabel, guard_},
                               {kAdvancedExtensionLabel, extension_},
                               {kAdvancedAntennaLabel, antenna_}}) {
    QLabel* label = NewLabel(ht, labelId);
    htGrid->addWidget(label, row, 0);
    htGrid->addWidget(list, row, 1);
    htControls_.insert(htControls_.end(), {label, list});
    ++row;
  }
  htGrid->setColumnStretch(1, 1);
  ht->setVisible(htSupported_);

  reset_ = new controls::FlatButton(QString(), this);
  core::SetControlId(reset_, kAdvancedReset);
  auto* ok = new controls::FlatButton(QString(), this);
  core::SetControlId(ok, kAdvancedOk);
  auto* cancel = new controls::FlatButton(QString(), this);
  core::SetControlId(cancel, kAdvancedCancel);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(reset_);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(protocol);
  layout->addWidget(ht);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  setMinimumWidth(420);

  connect(keep_, &QCheckBox::toggled, this, [this](bool checked) {
    record_.keepDriverSettings = checked ? 1 : 0;
    ApplyKeepState();
  });
  connect(htEnable_, &QCheckBox::toggled, this, [this](bool checked) { OnHtToggled(checked); });
  connect(preamble_, &QComboBox::activated, this,
          [this](int index) { record_.preamble = static_cast<uint32_t>(index); });
  connect(rate_, &QComboBox::activated, this, [this](int index) { OnRateChosen(index); });
  connect(width_, &QComboBox::activated, this,
          [this] { record_.htChannelWidth = width_->currentData().toInt(); });
  connect(guard_, &QComboBox::activated, this,
          [this] { record_.htGuardInterval = guard_->currentData().toInt(); });
  connect(extension_, &QComboBox::activated, this,
          [this] { record_.htExtensionChannel = extension_->currentData().toInt(); });
  connect(antenna_, &QComboBox::activated, this, [this] {
    record_.htAntennaSelection = antenna_->currentData().toInt();
    RebuildRates();
  });
  connect(fragment_, &QSlider::valueChanged, this, [this](int position) {
    OnThresholdMoved(fragmentValue_, record_.fragmentThreshold, position);
  });
  connect(rts_, &QSlider::valueChanged, this,
          [this](int position) { OnThresholdMoved(rtsValue_, record_.rtsThreshold, position); });
  connect(reset_, &QAbstractButton::clicked, this, [this] { Reset(); });
  connect(ok, &QAbstractButton::clicked, this, [this] { accept(); });
  connect(cancel, &QAbstractButton::clicked, this, [this] { reject(); });
}

void CAdvancedSettingsDialog::SetTexts() {
  const auto set = [this](int id, std::string_view key, std::string_view fallback) {
    core::LangSetText(this, false, id, kSection, key, fallback);
  };
  core::LangSetText(this, true, 0, kSection, "11000", "Advance Settings");
  set(kAdvancedProtocolGroup, "11010", "Protocol");
  set(kAdvancedKeepSettings, "11020", "Do not change settings");
  set(kAdvancedPreambleLabel, "11030", "Preamble(2.4GHz) :");
  set(kAdvancedRateLabel, "11040", "Transmit Rate :");
  set(kAdvancedFragmentLabel, "11050", "Fragment Threshold :");
  set(kAdvancedRtsLabel, "11060", "RTS/CTS Threshold :");
  set(kAdvancedReset, "11070", "&Reset");
  set(kAdvancedOk, "11080", "&OK");
  set(kAdvancedCancel, "11090", "&Cancel");
  set(kAdvancedHtGroup, "110D0", "802.11n");
  set(kAdvancedHtEnable, "110E0", "Enable 802.11n Network");
  set(kAdvancedWidthLabel, "110F0", "Channel Width :");
  set(kAdvancedGuardLabel, "11100", "Guard Interval :");
  set(kAdvancedExtensionLabel, "11110", "Extension Channel :");
  set(kAdvancedAntennaLabel, "11120", "Antenna Selection :");
}

void CAdvancedSettingsDialog::FillLists() {
  Fill(preamble_, kPreambles);
  SelectData(preamble_, static_cast<int>(record_.preamble));
  RebuildRates();
  // The bars start where the record stands; their value labels and the record follow them.
  fragment_->setValue(static_cast<int>(record_.fragmentThreshold));
  rts_->setValue(static_cast<int>(record_.rtsThreshold));
  OnThresholdMoved(fragmentValue_, record_.fragmentThreshold, fragment_->value());
  OnThresholdMoved(rtsValue_, record_.rtsThreshold, rts_->value());
  keep_->setChecked(record_.keepDriverSettings != 0);
  if (!htSupported_) return;
  Fill(width_, kWidths);
  Fill(guard_, kGuards);
  Fill(extension_, kExtensions);
  Fill(antenna_, kAntennas);
  SelectHtLists();
  const QSignalBlocker quiet(htEnable_);
  htEnable_->setChecked(record_.htEnabled != 0);
}

void CAdvancedSettingsDialog::SelectHtLists() {
  SelectData(width_, record_.htChannelWidth);
  SelectData(guard_, record_.htGuardInterval);
  SelectData(extension_, record_.htExtensionChannel);
  SelectData(antenna_, record_.htAntennaSelection);
}

void CAdvancedSettingsDialog::RebuildRates() {
  rate_->clear();
  for (const RateChoice& choice : RateChoices(record_, capability_, htSupported_)) {
    rate_->addItem(choice.text, choice.data);
  }
  const int index = rate_->findData(record_.txRate);
  if (index < 0) record_.txRate = kAutomaticRate;
  rate_->setCurrentIndex(std::max(index, 0));
}

void CAdvancedSettingsDialog::ApplyKeepState() {
  const bool editable = record_.keepDriverSettings == 0;
  reset_->setEnabled(editable);
  for (QWidget* control : protocolControls_) control->setEnabled(editable);
  htEnable_->setEnabled(editable && record_.htNetwork != 0);
  for (QWidget* control : htControls_) control->setEnabled(editable && record_.htEnabled != 0);
}

void CAdvancedSettingsDialog::OnHtToggled(bool enabled) {
  record_.htEnabled = enabled ? 1 : 0;
  if (!enabled) {
    record_.htChannelWidth = kHtAuto;
    record_.htGuardInterval = kHtAuto;
    record_.htExtensionChannel = kHtAuto;
    record_.htAntennaSelection = kHtAuto;
    SelectHtLists();
  }
  ReadHtLists();
  RebuildRates();
  ApplyKeepState();
}

void CAdvancedSettingsDialog::ReadHtLists() {
  record_.htChannelWidth = width_->currentData().toInt();
  record_.htGuardInterval = guard_->currentData().toInt();
  record_.htExtensionChannel = extension_->currentData().toInt();
  record_.htAntennaSelection = antenna_->currentData().toInt();
}

// "Auto" leaves the preamble to the driver as well.
void CAdvancedSettingsDialog::OnRateChosen(int index) {
  record_.txRate = rate_->itemData(index).toUInt();
  if (record_.txRate != kAutomaticRate) return;
  record_.preamble = 0;
  preamble_->setCurrentIndex(0);
}

void CAdvancedSettingsDialog::OnThresholdMoved(QLabel* value, uint32_t& field, int position) {
  value->setText(QString::asprintf("%d", position));
  field = static_cast<uint32_t>(position);
}

void CAdvancedSettingsDialog::Reset() {
  if (record_.keepDriverSettings == 0) {
    record_.powerMode = 0;
    record_.preamble = 0;
    record_.txRate = kAutomaticRate;
    preamble_->setCurrentIndex(0);
    rate_->setCurrentIndex(0);
    fragment_->setValue(kThresholdMax);
    rts_->setValue(kThresholdMax);
  }
  if (record_.htEnabled != 0 && htSupported_) {
    record_.htChannelWidth = kHtAuto;
    record_.htGuardInterval = kHtAuto;
    record_.htExtensionChannel = kHtAuto;
    record_.htAntennaSelection = kHtAuto;
    SelectHtLists();
  }
}

void CAdvancedSettingsDialog::accept() {
  core::State().defaultProfileRecord.Set(record_);
  QDialog::accept();
}

}  // namespace pages
