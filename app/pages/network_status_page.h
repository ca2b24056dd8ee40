// CVantrelNetworkStatusPage: the link, the IP settings, the signal and the throughput, refreshed
// every second while the page is the sheet's active page. Each refresh also keeps the tray icon
// and the sheet's tray state current.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "app/core/clock_bridge.h"
#include "app/core/sheet_page.h"
#include "app/core/vtr_library.h"
#include "app/pages/signal_history.h"
#include "app/pages/throughput_history.h"

class QLineEdit;
class QLabel;
class QGroupBox;

namespace controls {
class Meter;
class ScrollingGraph;
}  // namespace controls

namespace pages {

// The page's control numbers.
enum NetworkStatusControl : int {
  kNsLinkGroup = 4000,
  kNsStatusLabel = 4001,
  kNsSsidLabel = 4002,
  kNsBssidLabel = 4003,
  kNsNetworkTypeLabel = 4004,
  kNsAuthenticationLabel = 4005,
  kNsSpeedLabel = 4006,
  kNsStatusField = 4007,
  kNsSsidField = 4008,
  kNsBssidField = 4009,
  kNsNetworkTypeField = 4010,
  kNsEncryptionLabel = 4011,
  kNsAuthenticationField = 4012,
  kNsSpeedField = 4013,
  kNsIpGroup = 4014,
  kNsDhcpLabel = 4015,
  kNsAddressLabel = 4016,
  kNsMaskLabel = 4017,
  kNsGatewayLabel = 4018,
  kNsDhcpServerLabel = 4019,
  kNsDhcpField = 4020,
  kNsAddressField = 4021,
  kNsMaskField = 4022,
  kNsGatewayField = 4023,
  kNsDhcpServerField = 4024,
  kNsPerformanceGroup = 4025,
  kNsTransmitTitle = 4026,
  kNsTransmitAxisTop = 4027,
  kNsTransmitAxisMiddle = 4028,
  kNsTransmitAxisBottom = 4029,
  kNsReceiveTitle = 4030,
  kNsReceiveAxisTop = 4031,
  kNsReceiveAxisMiddle = 4032,
  kNsReceiveAxisBottom = 4033,
  kNsEncryptionField = 4039,
  kNsSignalGroup = 4040,
};

class CVantrelNetworkStatusPage : public core::SheetPage {
 public:
  static constexpr uint32_t kRefreshPeriodMs = 1000;

  CVantrelNetworkStatusPage(core::CVantrelPropertySheet& sheet, const core::CVtrLibrary& lib);

  void OnSetActive() override;
  void OnKillActive() override;
  // What the page's timer does every second while the page is active.
  void Refresh();
  bool Refreshing() const { return refreshTimer_.IsActive(); }

  const controls::Meter& SignalMeter() const { return *meter_; }
  // How many readings the meter's mean is over now (at most ten).
  size_t SignalSampleCount() const { return signalHistory_.Count(); }
  const controls::ScrollingGraph& TransmitGraph() const { return *transmit_.graph; }
  const controls::ScrollingGraph& ReceiveGraph() const { return *receive_.graph; }

 private:
  // The texts of the display fields, in the order of kFieldIds.
  enum Field : size_t {
    kStatus,
    kSsid,
    kBssid,
    kNetworkType,
    kAuthentication,
    kEncryption,
    kSpeed,
    kDhcp,
    kAddress,
    kMask,
    kGateway,
    kDhcpServer,
    kFieldCount
  };
  using FieldTexts = std::array<QString, kFieldCount>;

  // One graph of the throughput with its title and its three axis labels.
  struct GraphView {
    controls::ScrollingGraph* graph = nullptr;
    QLabel* title = nullptr;
    QLabel* top = nullptr;
    QLabel* middle = nullptr;
    QString titleText;
  };

  void BuildLayout();
  QGroupBox* BuildLinkGroup();
  QGroupBox* BuildSignalGroup();
  QGroupBox* BuildIpGroup();
  QGroupBox* BuildPerformanceGroup();
  void BuildGraph(QGroupBox* group, GraphView& view, int titleId, int axisId,
                  const QColor& lineColor);
  void SetTexts();
  void FillLink(const VtrLinkInfo& link, const VtrIpInfo& ip, FieldTexts& texts);
  void ClearLink();
  void ResetGraphs();
  void ShowRate(GraphView& view, int32_t rate);
  void ScaleAxis(GraphView& view, int32_t top);
  void StepThroughput();

  const core::CVtrLibrary& lib_;
  std::array<QLineEdit*, kFieldCount> fields_{};
  controls::Meter* meter_ = nullptr;
  GraphView transmit_;
  GraphView receive_;
  SignalHistory signalHistory_;
  ThroughputHistory throughput_;
  core::MachineTimer refreshTimer_;
};

}  // namespace pages
