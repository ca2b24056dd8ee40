#include "app/controls/wps_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cmath>

#include "app/controls/palette.h"

namespace controls {

namespace {

const QColor kIdleGrey(0x9A, 0xA0, 0xA6);
const QColor kSuccessGreen(0x1E, 0x9E, 0x5A);

// The WPS mark: two arrows chasing each other round a circle, turned by angle degrees.
void DrawArrows(QPainter& painter, const QRectF& box, const QColor& color, int angle) {
  QPen pen(color, box.width() / 10, Qt::SolidLine, Qt::RoundCap);
  painter.setPen(pen);
  const QRectF ring =
      box.adjusted(box.width() / 5, box.height() / 5, -box.width() / 5, -box.height() / 5);
  for (int half = 0; half < 2; ++half) {
    const int start = angle + half * 180;
    painter.drawArc(ring, start * 16, 130 * 16);
    // The arrow head at the arc's end.
    const double end = qDegreesToRadians(static_cast<double>(start + 130));
    const QPointF tip(ring.center().x() + ring.width() / 2 * std::cos(end),
                      ring.center().y() - ring.height() / 2 * std::sin(end));
    const QPointF along(-std::sin(end), -std::cos(end));
    const QPointF across(std::cos(end), -std::sin(end));
    const double head = box.width() / 9;
    QPainterPath arrow;
    arrow.moveTo(tip + along * head);
    arrow.lineTo(tip + across * head * 0.8);
    arrow.lineTo(tip - across * head * 0.8);
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(arrow);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
  }
}

void DrawCheck(QPainter& painter, const QRectF& box) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(kSuccessGreen);
  painter.drawEllipse(
      box.adjusted(box.width() / 10, box.height() / 10, -box.width() / 10, -box.height() / 10));
  QPen pen(Qt::white, box.width() / 11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  QPainterPath check;
  check.moveTo(box.left() + box.width() * 0.30, box.top() + box.height() * 0.52);
  check.lineTo(box.left() + box.width() * 0.45, box.top() + box.height() * 0.67);
  check.lineTo(box.left() + box.width() * 0.71, box.top() + box.height() * 0.37);
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(check);
}

}  // namespace

QPixmap WpsPicture(int picture, int frame, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box(0, 0, size, size);
  switch (picture) {
    case kWpsPictureSuccess:
      DrawCheck(painter, box);
      break;
    case kWpsPictureRunning:
      DrawArrows(painter, box, kAccent, -frame * 45);
      break;
    default:
      DrawArrows(painter, box, kIdleGrey, 0);
      break;
  }
  return pixmap;
}

}  // namespace controls
