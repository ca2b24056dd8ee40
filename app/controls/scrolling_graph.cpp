#include "app/controls/scrolling_graph.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/controls/palette.h"

namespace controls {

namespace {

constexpr qreal kFrameRadius = 5;
// The line is drawn this far inside the frame, so a value at the top or the bottom stays whole.
constexpr qreal kInset = 3;
constexpr qreal kLineWidth = 1.6;
const QColor kPlotBackground(0xFF, 0xFF, 0xFF);
const QColor kGridLine(0xE6, 0xEA, 0xEF);
const QColor kGridMiddle(0xD2, 0xD8, 0xDF);

}  // namespace

ScrollingGraph::ScrollingGraph(QWidget* parent, int capacity)
    : QWidget(parent), capacity_(std::max(capacity, 2)), lineColor_(kAccent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ScrollingGraph::SetRange(double top) {
  if (top <= 0 || top == top_) return;
  top_ = top;
  update();
}

void ScrollingGraph::SetLineColor(const QColor& color) {
  lineColor_ = color;
  update();
}

void ScrollingGraph::Append(double value) {
  values_.push_back(value);
  while (values_.size() > static_cast<size_t>(capacity_)) values_.pop_front();
  ++steps_;
  update();
}

void ScrollingGraph::Clear() {
  values_.clear();
  steps_ = 0;
  update();
}

QSize ScrollingGraph::sizeHint() const {
  return {240, 80};
}

QSize ScrollingGraph::minimumSizeHint() const {
  return {120, 48};
}

QRectF ScrollingGraph::PlotRect() const {
  return QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset);
}

double ScrollingGraph::XOfIndex(const QRectF& plot, size_t index) const {
  // The newest value sits at the right edge; each older one a step further left.
  const double step = plot.width() / (capacity_ - 1);
  const auto fromNewest = static_cast<double>(values_.size() - 1 - index);
  return plot.right() - fromNewest * step;
}

double ScrollingGraph::YOfValue(const QRectF& plot, double value) const {
  const double share = std::clamp(value / top_, 0.0, 1.0);
  return plot.bottom() - share * plot.height();
}

void ScrollingGraph::PaintGrid(QPainter& painter, const QRectF& plot) const {
  painter.setPen(QPen(kGridLine, 1.0));
  for (int quarter = 1; quarter < 4; ++quarter) {
    if (quarter == 2) continue;
    const qreal y = plot.bottom() - plot.height() * quarter / 4.0;
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  // The vertical lines belong to steps, so they move left as values arrive.
  const double step = plot.width() / (capacity_ - 1);
  const auto phase = static_cast<int>(steps_ % kGridSteps);
  for (int back = phase; back < capacity_; back += kGridSteps) {
    const qreal x = plot.right() - back * step;
    painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
  }
  painter.setPen(QPen(kGridMiddle, 1.0, Qt::DashLine));
  const qreal middle = plot.center().y();
  painter.drawLine(QPointF(plot.left(), middle), QPointF(plot.right(), middle));
}

void ScrollingGraph::PaintValues(QPainter& painter, const QRectF& plot) const {
  if (values_.empty()) return;
  QPainterPath line;
  line.moveTo(XOfIndex(plot, 0), YOfValue(plot, values_.front()));
  for (size_t i = 1; i < values_.size(); ++i) {
    line.lineTo(XOfIndex(plot, i), YOfValue(plot, values_[i]));
  }
  QPainterPath area = line;
  area.lineTo(plot.right(), plot.bottom());
  area.lineTo(XOfIndex(plot, 0), plot.bottom());
  area.closeSubpath();
  QColor fill = lineColor_;
  fill.setAlpha(48);
  painter.fillPath(area, fill);
  painter.setPen(QPen(lineColor_, kLineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(line);
}

void ScrollingGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  painter.setPen(QPen(kButtonBorder, 1.0));
  painter.setBrush(kPlotBackground);
  painter.drawRoundedRect(frame, kFrameRadius, kFrameRadius);
  const QRectF plot = PlotRect();
  painter.save();
  painter.setClipRect(plot.adjusted(-1, -1, 1, 1));
  PaintGrid(painter, plot);
  PaintValues(painter, plot);
  painter.restore();
}

}  // namespace controls
