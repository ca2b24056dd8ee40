// The utility's flat button: a rounded, borderless face that darkens under the mouse and when
// pressed, with a focus ring for the keyboard. Checkable, it draws a check box in front of its
// text and keeps the same face, so the sheet's buttons and boxes look alike.
#pragma once

#include <QPushButton>

namespace controls {

class FlatButton : public QPushButton {
 public:
  explicit FlatButton(const QString& text, QWidget* parent = nullptr);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void PaintCheckBox(QPainter& painter, const QRectF& box) const;
  bool hovered_ = false;
};

}  // namespace controls
