#include "app/controls/flat_button.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

#include "app/controls/palette.h"

namespace controls {

namespace {

constexpr qreal kRadius = 4.0;
constexpr int kCheckBoxSize = 14;
constexpr int kPadding = 12;

}  // namespace

FlatButton::FlatButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
  setAttribute(Qt::WA_Hover);
  setCursor(Qt::PointingHandCursor);
  setMinimumHeight(30);
}

QSize FlatButton::sizeHint() const {
  const QFontMetrics metrics(font());
  int width = metrics.horizontalAdvance(text().remove('&')) + 2 * kPadding;
  if (isCheckable()) width += kCheckBoxSize + kPadding / 2;
  return {std::max(width, 115), std::max(metrics.height() + 12, 30)};
}

void FlatButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QPushButton::enterEvent(event);
}

void FlatButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QPushButton::leaveEvent(event);
}

void FlatButton::PaintCheckBox(QPainter& painter, const QRectF& box) const {
  painter.setPen(QPen(isEnabled() ? kAccent : kDisabledText, 1.5));
  painter.setBrush(isChecked() ? kAccent : QColor(Qt::white));
  painter.drawRoundedRect(box, 2.5, 2.5);
  if (!isChecked()) return;
  QPainterPath tick;
  tick.moveTo(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
  tick.lineTo(box.left() + box.width() * 0.43, box.top() + box.height() * 0.72);
  tick.lineTo(box.left() + box.width() * 0.78, box.top() + box.height() * 0.30);
  painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(tick);
}

void FlatButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  QColor fill = isCheckable() ? kPageBackground : kButtonFace;
  if (!isEnabled()) {
    fill = kButtonFaceDisabled;
  } else if (isDown()) {
    fill = kButtonFacePressed;
  } else if (hovered_) {
    fill = kButtonFaceHover;
  }
  // A check box has no face of its own until the mouse is over it.
  const bool plainBox = isCheckable() && !hovered_ && !isDown();
  painter.setPen(plainBox      ? QPen(Qt::NoPen)
                 : isDefault() ? QPen(kAccent, 1.5)
                               : QPen(kButtonBorder, 1.0));
  painter.setBrush(plainBox ? QBrush(Qt::NoBrush) : QBrush(fill));
  painter.drawRoundedRect(face, kRadius, kRadius);

  QRectF textArea = face.adjusted(kPadding, 0, -kPadding, 0);
  if (isCheckable()) {
    const QRectF box(textArea.left(), face.center().y() - kCheckBoxSize / 2.0, kCheckBoxSize,
                     kCheckBoxSize);
    PaintCheckBox(painter, box);
    textArea.setLeft(box.right() + kPadding / 2.0);
  }
  painter.setPen(isEnabled() ? kText : kDisabledText);
  const int align =
      (isCheckable() ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter | Qt::TextShowMnemonic;
  painter.drawText(textArea, align, text());

  if (hasFocus()) {
    painter.setPen(QPen(kAccent, 1.0, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(face.adjusted(3, 3, -3, -3), kRadius - 1, kRadius - 1);
  }
}

}  // namespace controls
