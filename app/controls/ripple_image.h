// A picture under water: a drop at a point sends out rings that spread, bounce off the edges and
// die away, bending the picture and catching the light as they pass. The mouse makes the drops
// (a small one where it moves, a large one where it presses); each Step moves the water on, so
// whoever owns the control sets the pace with a timer.
#pragma once

#include <QImage>
#include <QWidget>
#include <vector>

namespace controls {

struct RippleDrop {
  int radius;
  int strength;
};

class RippleImage : public QWidget {
 public:
  explicit RippleImage(QWidget* parent = nullptr);

  // The picture, shown at its own size; a null image leaves the area empty.
  void SetImage(const QImage& image);
  bool HasImage() const { return !image_.isNull(); }
  void SetDrops(RippleDrop onMove, RippleDrop onPress);

  // A drop centred on a point of the picture counted from its lower left corner, as the rows of
  // a bottom-up bitmap are.
  void Drop(QPoint fromLowerLeft, RippleDrop drop);
  // The point of the picture under a point of this widget, counted from the lower left.
  QPoint FromLowerLeft(QPoint widgetPoint) const;
  // Moves the water one step and repaints; false once it is calm.
  bool Step();
  bool Calm() const { return calm_; }
  // The picture as the water shows it now.
  QImage Frame() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  int Index(int x, int row) const { return row * image_.width() + x; }

  QImage image_;
  RippleDrop onMove_{5, 30};
  RippleDrop onPress_{30, 300};
  // Two generations of water heights, row by row from the top.
  std::vector<int> current_;
  std::vector<int> previous_;
  std::vector<int> next_;
  bool calm_ = true;
};

}  // namespace controls
