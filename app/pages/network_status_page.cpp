#include "app/pages/network_status_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/controls/meter.h"
#include "app/controls/page_style.h"
#include "app/controls/palette.h"
#include "app/controls/scrolling_graph.h"
#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/language.h"
#include "app/core/property_sheet.h"
#include "app/core/record_text.h"
#include "app/pages/profile_security_rules.h"
#include "app/pages/rate_text.h"
#include "platform/services.h"

namespace pages {

namespace {

constexpr std::string_view kSection = "NETWORK_STATUS";
constexpr uint32_t kEthernetAddressLength = 6;
constexpr uint32_t kLinkAssociated = 1;
constexpr uint32_t kLinkNoAdapter = 3;
constexpr uint32_t kLinkScanning = 0;
constexpr int kCounterReadAttempts = 3;

// The graph titles are red and the axis labels dark green (Windows colour values).
constexpr uint32_t kTitleColor = 0x0000FF;
constexpr uint32_t kAxisColor = 0x007F00;
// The lines of the two graphs: sending in the accent blue, receiving in green.
const QColor kTransmitLine(0x1A, 0x73, 0xC8);
const QColor kReceiveLine(0x1E, 0x9E, 0x62);

struct FieldSpec {
  int labelId;
  int fieldId;
  std::string_view key;
  std::string_view text;
};

// The link group's rows, then the IP group's, in the order of the page's Field enum.
constexpr FieldSpec kFieldSpecs[] = {
    {kNsStatusLabel, kNsStatusField, "10020", "Current Status :"},
    {kNsSsidLabel, kNsSsidField, "10030", "Network SSID :"},
    {kNsBssidLabel, kNsBssidField, "10040", "Network BSSID :"},
    {kNsNetworkTypeLabel, kNsNetworkTypeField, "10050", "Network Type :"},
    {kNsAuthenticationLabel, kNsAuthenticationField, "10060", "Authentication Mode :"},
    {kNsEncryptionLabel, kNsEncryptionField, "10065", "Encryption Method :"},
    {kNsSpeedLabel, kNsSpeedField, "10070", "Tx / Rx Speed :"},
    {kNsDhcpLabel, kNsDhcpField, "10090", "DHCP Option :"},
    {kNsAddressLabel, kNsAddressField, "100A0", "IP Address :"},
    {kNsMaskLabel, kNsMaskField, "100B0", "Subnet Mask :"},
    {kNsGatewayLabel, kNsGatewayField, "100C0", "Default Gateway :"},
    {kNsDhcpServerLabel, kNsDhcpServerField, "100D0", "DHCP Server :"},
};
constexpr size_t kLinkRows = 7;

QString Lang(std::string_view section, std::string_view key, std::string_view fallback) {
  return core::ToQString(core::LangLookup(section, key, fallback));
}

QString NetworkTypeText(uint32_t networkType) {
  switch (networkType) {
    case 1:
      return Lang("PROFILE_MANAGER", "10060", "Infrastructure");
    case 0:
      return Lang("PROFILE_MANAGER", "10070", "Ad-Hoc");
    default:
      return {};
  }
}

QString AuthenticationText(uint32_t authMode) {
  const auto name = AuthenticationName(authMode);
  return name ? Lang("PROFILE_MANAGER", name->key, name->fallback) : QString();
}

QString CipherText(uint32_t cipher) {
  const auto name = EncryptionName(cipher);
  return name ? Lang("PROFILE_MANAGER", name->key, name->fallback) : QString();
}

QString DisableText() {
  return Lang(kSection, "10110", "Disable");
}

// The status text and tray state of a link reading; the texts are the tray's.
std::pair<QString, int32_t> Status(bool cardPresent, uint32_t linkState) {
  if (!cardPresent || linkState == kLinkNoAdapter) {
    return {Lang("PROPERTY_SHEET", "10060", "Card Unplugged"), core::kTrayCardUnplugged};
  }
  if (linkState == kLinkScanning) {
    return {Lang("PROPERTY_SHEET", "10030", "Auto Configuration : Scanning in progress ..."),
            core::kTrayScanning};
  }
  if (linkState == kLinkAssociated) {
    return {Lang("PROPERTY_SHEET", "10040", "Connected"), core::kTrayConnected};
  }
  return {Lang("PROPERTY_SHEET", "10050", "No Connection"), core::kTrayNoConnection};
}

// The interface's counters and the tick count of the same moment. A worker's wait can move the
// machine's clock while this thread reads, which would set bytes against the wrong span of
// time; the reading is then taken again.
bool ReadCounters(platform::MibIfRow& row, uint32_t& tick) {
  platform::Services& machine = platform::Current();
  for (int attempt = 0; attempt < kCounterReadAttempts; ++attempt) {
    tick = machine.Clock().TickCount();
    if (machine.IpHelper().GetIfEntry(&row) != 0) return false;
    if (machine.Clock().TickCount() == tick) return true;
  }
  return true;
}

QLabel* ColouredLabel(QWidget* parent, int id, uint32_t colorRef) {
  auto* label = new QLabel(parent);
  core::SetControlId(label, id);
  QPalette colours = label->palette();
  colours.setColor(QPalette::WindowText, controls::WindowsColor(colorRef));
  label->setPalette(colours);
  return label;
}

}  // namespace

CVantrelNetworkStatusPage::CVantrelNetworkStatusPage(core::CVantrelPropertySheet& sheet,
                                                     const core::CVtrLibrary& lib)
    : SheetPage(sheet, core::kPageNetworkStatus, core::LangCaption(kSection, "Network Status")),
      lib_(lib),
      refreshTimer_(this, [this] { Refresh(); }) {
  BuildLayout();
  SetTexts();
  meter_->SetRange(0, 100);
  meter_->SetTextFormat("%d%%");
  meter_->SetPos(0);
  ResetGraphs();
}

void CVantrelNetworkStatusPage::BuildLayout() {
  controls::ApplyPageStyle(this);
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(12, 12, 12, 12);
  page->setSpacing(10);
  auto* top = new QHBoxLayout;
  top->setSpacing(10);
  top->addWidget(BuildLinkGroup(), 1);
  top->addWidget(BuildSignalGroup());
  auto* bottom = new QHBoxLayout;
  bottom->setSpacing(10);
  // The graphs take the larger share: they are what moves.
  bottom->addWidget(BuildIpGroup(), 2);
  bottom->addWidget(BuildPerformanceGroup(), 3);
  page->addLayout(top);
  page->addLayout(bottom, 1);
}

QGroupBox* CVantrelNetworkStatusPage::BuildLinkGroup() {
  auto* group = new QGroupBox(this);
  core::SetControlId(group, kNsLinkGroup);
  auto* rows = new QGridLayout(group);
  rows->setColumnStretch(1, 1);
  for (size_t i = 0; i < kLinkRows; ++i) {
    auto* label = new QLabel(group);
    core::SetControlId(label, kFieldSpecs[i].labelId);
    auto* field = new QLineEdit(group);
    field->setReadOnly(true);
    core::SetControlId(field, kFieldSpecs[i].fieldId);
    fields_[i] = field;
    rows->addWidget(label, static_cast<int>(i), 0);
    rows->addWidget(field, static_cast<int>(i), 1);
  }
  return group;
}

QGroupBox* CVantrelNetworkStatusPage::BuildSignalGroup() {
  auto* group = new QGroupBox(this);
  core::SetControlId(group, kNsSignalGroup);
  auto* layout = new QVBoxLayout(group);
  meter_ = new controls::Meter(group);
  layout->addWidget(meter_, 1, Qt::AlignHCenter);
  return group;
}

QGroupBox* CVantrelNetworkStatusPage::BuildIpGroup() {
  auto* group = new QGroupBox(this);
  core::SetControlId(group, kNsIpGroup);
  auto* rows = new QGridLayout(group);
  rows->setColumnStretch(1, 1);
  for (size_t i = kLinkRows; i < kFieldCount; ++i) {
    auto* label = new QLabel(group);
    core::SetControlId(label, kFieldSpecs[i].labelId);
    auto* field = new QLineEdit(group);
    field->setReadOnly(true);
    core::SetControlId(field, kFieldSpecs[i].fieldId);
    fields_[i] = field;
    // An address never scrolls out of its field.
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance("255.255.255.255") + 20);
    const auto row = static_cast<int>(i - kLinkRows);
    rows->addWidget(label, row, 0);
    rows->addWidget(field, row, 1);
  }
  rows->setRowStretch(static_cast<int>(kFieldCount - kLinkRows), 1);
  return group;
}

QGroupBox* CVantrelNetworkStatusPage::BuildPerformanceGroup() {
  auto* group = new QGroupBox(this);
  core::SetControlId(group, kNsPerformanceGroup);
  new QVBoxLayout(group);
  BuildGraph(group, transmit_, kNsTransmitTitle, kNsTransmitAxisTop, kTransmitLine);
  BuildGraph(group, receive_, kNsReceiveTitle, kNsReceiveAxisTop, kReceiveLine);
  return group;
}

// The title over the graph; the axis labels top, middle and bottom to its left.
void CVantrelNetworkStatusPage::BuildGraph(QGroupBox* group, GraphView& view, int titleId,
                                           int axisId, const QColor& lineColor) {
  auto* layout = static_cast<QVBoxLayout*>(group->layout());
  view.title = ColouredLabel(group, titleId, kTitleColor);
  layout->addWidget(view.title);
  auto* row = new QHBoxLayout;
  auto* axis = new QVBoxLayout;
  axis->setSpacing(0);
  view.top = ColouredLabel(group, axisId, kAxisColor);
  view.middle = ColouredLabel(group, axisId + 1, kAxisColor);
  QLabel* bottom = ColouredLabel(group, axisId + 2, kAxisColor);
  bottom->setText("0 bps");
  for (QLabel* label : {view.top, view.middle, bottom}) {
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    controls::UseSmallFont(label);
    // Room for the widest label, so both graphs start at one edge whatever their scales.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance("999.9 Kbps"));
  }
  axis->addWidget(view.top);
  axis->addStretch(1);
  axis->addWidget(view.middle);
  axis->addStretch(1);
  axis->addWidget(bottom);
  view.graph = new controls::ScrollingGraph(group, static_cast<int>(ThroughputHistory::kCapacity));
  view.graph->SetLineColor(lineColor);
  row->addLayout(axis);
  row->addWidget(view.graph, 1);
  layout->addLayout(row, 1);
}

void CVantrelNetworkStatusPage::SetTexts() {
  core::LangSetText(this, false, kNsLinkGroup, kSection, "10010", "Link Information");
  core::LangSetText(this, false, kNsIpGroup, kSection, "10080", "Internet Protocol(TCP / IP)");
  core::LangSetText(this, false, kNsPerformanceGroup, kSection, "100E0", "Channel Performance");
  core::LangSetText(this, false, kNsSignalGroup, kSection, "100F0", "Signal");
  for (const FieldSpec& spec : kFieldSpecs) {
    core::LangSetText(this, false, spec.labelId, kSection, spec.key, spec.text);
  }
}

void CVantrelNetworkStatusPage::OnSetActive() {
  signalHistory_.Clear();
  refreshTimer_.Start(kRefreshPeriodMs);
}

void CVantrelNetworkStatusPage::OnKillActive() {
  refreshTimer_.Stop();
}

void CVantrelNetworkStatusPage::Refresh() {
  VtrLinkInfo link{};
  lib_.APLinkInformation(&link, 0);
  VtrIpInfo ip{};
  lib_.APInternetInformation(&ip);
  const bool cardPresent = Sheet().CardPresent();

  FieldTexts texts;
  int32_t traySignal = link.signal;
  if (!cardPresent || link.linkState != kLinkAssociated) {
    ClearLink();
  } else {
    FillLink(link, ip, texts);
    traySignal = signalHistory_.Add(link.signal);
    meter_->SetPos(traySignal);
  }
  const auto [statusText, state] = Status(cardPresent, link.linkState);
  texts[kStatus] = statusText;
  Sheet().UpdateTray(state, traySignal);
  texts[kDhcp] = ip.dhcpEnabled != 0 ? Lang(kSection, "10100", "Enable") : DisableText();
  StepThroughput();
  for (size_t i = 0; i < kFieldCount; ++i) {
    if (fields_[i]->text() != texts[i]) fields_[i]->setText(texts[i]);
  }
}

void CVantrelNetworkStatusPage::FillLink(const VtrLinkInfo& link, const VtrIpInfo& ip,
                                         FieldTexts& texts) {
  texts[kSsid] = core::FieldQString(link.ssid);
  texts[kBssid] = core::FieldQString(link.bssid);
  texts[kNetworkType] = NetworkTypeText(link.networkType);
  texts[kAuthentication] = AuthenticationText(link.authMode);
  texts[kEncryption] = CipherText(link.cipher);
  texts[kSpeed] = LinkSpeedText(link.txRate, link.rxRate);
  texts[kAddress] = core::FieldQString(ip.ipAddress);
  texts[kMask] = core::FieldQString(ip.subnetMask);
  texts[kGateway] = core::FieldQString(ip.gateway);
  // A fixed address has no DHCP server to name.
  texts[kDhcpServer] = ip.dhcpEnabled != 0 ? core::FieldQString(ip.dhcpServer) : DisableText();
}

void CVantrelNetworkStatusPage::ClearLink() {
  signalHistory_.Clear();
  meter_->SetPos(0);
  throughput_.Reset();
  ResetGraphs();
}

void CVantrelNetworkStatusPage::ResetGraphs() {
  transmit_.titleText = Lang(kSection, "10120", "Current Tx Rate :");
  receive_.titleText = Lang(kSection, "10130", "Current Rx Rate :");
  for (GraphView* view : {&transmit_, &receive_}) {
    ShowRate(*view, 0);
    view->graph->Clear();
    view->graph->SetRange(ThroughputHistory::kInitialLargest);
    view->top->setText(AxisResetTopText(ThroughputHistory::kInitialLargest));
    view->middle->setText(AxisMiddleText(ThroughputHistory::kInitialLargest));
  }
}

void CVantrelNetworkStatusPage::ShowRate(GraphView& view, int32_t rate) {
  view.title->setText(view.titleText + "  " + BitRateText(rate));
}

void CVantrelNetworkStatusPage::ScaleAxis(GraphView& view, int32_t top) {
  view.graph->SetRange(top);
  view.top->setText(BitRateText(top));
  view.middle->setText(AxisMiddleText(top));
}

// A failed reading, or an interface that is not an Ethernet-like adapter, leaves the display as
// it was.
void CVantrelNetworkStatusPage::StepThroughput() {
  platform::MibIfRow row{};
  row.index = static_cast<uint32_t>(core::State().libraryHandle.load());
  uint32_t tick = 0;
  if (!ReadCounters(row, tick) || row.physAddrLength != kEthernetAddressLength) return;
  transmit_.titleText = Lang(kSection, "10120", "Current Tx Rate :");
  receive_.titleText = Lang(kSection, "10130", "Current Rx Rate :");
  const auto step = throughput_.Read(tick, row.outOctets, row.inOctets);
  if (!step) return;
  if (step->transmitTop) ScaleAxis(transmit_, *step->transmitTop);
  if (step->receiveTop) ScaleAxis(receive_, *step->receiveTop);
  ShowRate(transmit_, step->transmit);
  ShowRate(receive_, step->receive);
  // A quiet step still draws a line along the bottom.
  transmit_.graph->Append(step->transmit != 0 ? step->transmit : 1);
  receive_.graph->Append(step->receive != 0 ? step->receive : 1);
}

}  // namespace pages
