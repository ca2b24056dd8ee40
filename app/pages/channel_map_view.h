// The Site Survey page's second view: the neighbourhood as a channel map (channel_map_layout.h),
// coloured by security, with the signal bands counted above it. A click marks a network, a
// double click joins it as the list's does, and the mouse over a network tells its name,
// address, security, channel and signal.
#pragma once

#include <QWidget>
#include <functional>
#include <vector>

#include "app/pages/channel_map_layout.h"

namespace pages {

QColor SecurityColor(SecurityKind kind);

class ChannelMapView : public QWidget {
 public:
  explicit ChannelMapView(QWidget* parent = nullptr);

  // Shows these networks (in survey order) with the adapter's link; the mark is cleared.
  void SetSurvey(std::vector<VtrSurveyEntry> entries, const VtrLinkInfo& link);
  // The survey index of the marked network, or -1.
  int MarkedIndex() const { return marked_; }
  void SetOnMarked(std::function<void(int)> onMarked) { onMarked_ = std::move(onMarked); }
  void SetOnActivated(std::function<void(int)> onActivated) {
    onActivated_ = std::move(onActivated);
  }

  const ChannelMapLayout& Layout() const { return layout_; }
  // The mouse-over text at a point of the view; empty away from every network.
  QString TipAt(const QPointF& point) const;
  void ClearMark();
  // Marks the network of this survey index (-1: none) without telling the page.
  void Mark(int index);
  // Marks the network at a point, as a click does.
  void MarkAt(const QPointF& point);

  QSize sizeHint() const override;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QString SignalBandsText() const;
  qreal SecurityLegendWidth() const;
  bool LegendInOneRow() const;
  QRectF MapArea() const;
  void Relayout();
  void PaintLegend(QPainter& p) const;
  void PaintPlots(QPainter& p) const;
  void PaintShapes(QPainter& p) const;
  void PaintLabels(QPainter& p) const;

  std::vector<VtrSurveyEntry> entries_;
  VtrLinkInfo link_{};
  ChannelMapLayout layout_;
  int marked_ = -1;
  std::function<void(int)> onMarked_;
  std::function<void(int)> onActivated_;
};

}  // namespace pages
