// A graph that scrolls: each step appends one value at the right edge and moves the older ones a
// place to the left, the oldest leaving once the graph is full. Values are drawn against a range
// from 0 to a settable top; a value beyond the range is drawn at its nearer edge. The grid moves
// with the values, so a steady line still shows time passing.
#pragma once

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <deque>

namespace controls {

class ScrollingGraph : public QWidget {
 public:
  static constexpr int kDefaultCapacity = 60;
  // A vertical grid line every this many steps.
  static constexpr int kGridSteps = 10;

  explicit ScrollingGraph(QWidget* parent = nullptr, int capacity = kDefaultCapacity);

  // The value drawn at the top; a top of 0 or less keeps the one before.
  void SetRange(double top);
  double Top() const { return top_; }
  void SetLineColor(const QColor& color);
  QColor LineColor() const { return lineColor_; }

  void Append(double value);
  void Clear();
  // Oldest first.
  const std::deque<double>& Values() const { return values_; }
  int Capacity() const { return capacity_; }
  // Values appended since the graph was made or cleared.
  uint64_t Steps() const { return steps_; }

  // Where the values are drawn, inside the frame.
  QRectF PlotRect() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double XOfIndex(const QRectF& plot, size_t index) const;
  double YOfValue(const QRectF& plot, double value) const;
  void PaintGrid(QPainter& painter, const QRectF& plot) const;
  void PaintValues(QPainter& painter, const QRectF& plot) const;

  const int capacity_;
  double top_ = 1000;
  QColor lineColor_;
  std::deque<double> values_;
  uint64_t steps_ = 0;
};

}  // namespace controls
