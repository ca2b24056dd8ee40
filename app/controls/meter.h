// A vertical meter: a bar that fills from the bottom in proportion to its position within its
// range, with the reading under it written by a format such as "%d%%".
#pragma once

#include <QString>
#include <QWidget>

namespace controls {

class Meter : public QWidget {
 public:
  explicit Meter(QWidget* parent = nullptr);

  // An empty range (high not above low) shows an empty bar.
  void SetRange(int low, int high);
  // Positions outside the range stand at its nearer end.
  void SetPos(int pos);
  int Pos() const { return pos_; }
  int Low() const { return low_; }
  int High() const { return high_; }
  // "%d" takes the position as a percentage of the range; "%%" is a percent sign.
  void SetTextFormat(const QString& format);
  QString Text() const;
  // The filled share of the bar, 0 to 1.
  double Fraction() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRectF BarRect() const;

  int low_ = 0;
  int high_ = 100;
  int pos_ = 0;
  QString format_ = "%d%%";
};

}  // namespace controls
