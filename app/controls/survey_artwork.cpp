#include "app/controls/survey_artwork.h"

#include <QConicalGradient>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "app/controls/palette.h"

namespace controls {

namespace {

const QColor kLinked(0x1E, 0x9E, 0x4A);
const QColor kIdle(0xB8, 0xC0, 0xC8);
const QColor kRadar(0x0F, 0x5E, 0x9C);
constexpr int kScanSteps = kScanPictureLastStep - kScanPictureFirstStep + 1;
constexpr int kSearchSteps = kConnectPictureConnected - kConnectPictureFirst;

QImage Blank(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

QString BandLetter(int image) {
  switch (image & ~1) {
    case kRow11b:
      return QStringLiteral("b");
    case kRow11g:
      return QStringLiteral("g");
    case kRow11a:
      return QStringLiteral("a");
    default:
      return QStringLiteral("?");
  }
}

// Two stations joined to each other: an ad hoc network.
void PaintPeers(QPainter& p, const QRectF& face, qreal s) {
  p.setPen(QPen(Qt::white, s * 0.09, Qt::SolidLine, Qt::RoundCap));
  const QPointF left(face.left() + face.width() * 0.3, face.center().y());
  const QPointF right(face.right() - face.width() * 0.3, face.center().y());
  p.drawLine(left, right);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(left, s * 0.12, s * 0.12);
  p.drawEllipse(right, s * 0.12, s * 0.12);
}

// A small computer and an access point, the picture's two ends.
void PaintEnds(QPainter& p, qreal w, qreal h, const QColor& colour) {
  p.setPen(QPen(colour, h * 0.05));
  p.setBrush(Qt::NoBrush);
  const QRectF screen(w * 0.04, h * 0.3, w * 0.22, h * 0.3);
  p.drawRoundedRect(screen, h * 0.03, h * 0.03);
  p.drawLine(QPointF(w * 0.02, h * 0.7), QPointF(w * 0.28, h * 0.7));
  const QPointF mast(w * 0.86, h * 0.72);
  p.drawRoundedRect(QRectF(w * 0.76, h * 0.58, w * 0.2, h * 0.16), h * 0.03, h * 0.03);
  p.drawLine(mast + QPointF(0, -h * 0.14), QPointF(mast.x(), h * 0.28));
  for (int arc = 1; arc <= 2; ++arc) {
    const qreal r = h * 0.1 * arc;
    p.drawArc(QRectF(mast.x() - r, h * 0.28 - r, 2 * r, 2 * r), 30 * 16, 120 * 16);
  }
}

}  // namespace

QColor BandColor(int image) {
  switch (image & ~1) {
    case kRowAdHoc:
      return QColor(0x00, 0x89, 0x7B);
    case kRow11b:
      return QColor(0x8D, 0x6E, 0x63);
    case kRow11g:
      return kAccent;
    case kRow11a:
      return QColor(0x6A, 0x4C, 0xC2);
    default:
      return QColor(0x70, 0x78, 0x80);
  }
}

QImage SurveyRowImageAt(int image, bool ht, int size) {
  QImage result = Blank(size, size);
  QPainter p(&result);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  const auto s = static_cast<qreal>(size);
  const QRectF face(s * 0.06, s * 0.06, s * 0.88, s * 0.88);
  p.setPen(Qt::NoPen);
  p.setBrush(BandColor(image));
  p.drawRoundedRect(face, s * 0.2, s * 0.2);
  if ((image & ~1) == kRowAdHoc) {
    PaintPeers(p, face, s);
  } else {
    QFont font;
    font.setPixelSize(static_cast<int>(s * 0.72));
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(face.translated(0, -s * 0.04), Qt::AlignCenter, BandLetter(image));
  }
  if (ht) {
    // The 802.11n mark: a small tile in the top right corner.
    const QRectF tile(s * 0.56, 0, s * 0.44, s * 0.44);
    p.setPen(QPen(Qt::white, s * 0.05));
    p.setBrush(QColor(0xE0, 0x8A, 0x12));
    p.drawRoundedRect(tile, s * 0.1, s * 0.1);
    QFont font;
    font.setPixelSize(static_cast<int>(s * 0.38));
    font.setBold(true);
    p.setFont(font);
    p.drawText(tile.translated(0, -s * 0.03), Qt::AlignCenter, QStringLiteral("n"));
  }
  if ((image & 1) != 0) {
    // Connected: a green dot with a white edge in the bottom left corner.
    p.setPen(QPen(Qt::white, s * 0.07));
    p.setBrush(kLinked);
    p.drawEllipse(QPointF(s * 0.24, s * 0.76), s * 0.22, s * 0.22);
  }
  return result;
}

QIcon SurveyRowIcon(int image, bool ht) {
  QIcon icon;
  for (const int size : {16, 32}) {
    icon.addPixmap(QPixmap::fromImage(SurveyRowImageAt(image, ht, size)));
  }
  return icon;
}

QImage ScanPicture(int picture, int width, int height) {
  QImage result = Blank(width, height);
  QPainter p(&result);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal radius = std::min(width, height) * 0.44;
  const QPointF centre(width / 2.0, height / 2.0);
  const int step = picture - kScanPictureFirstStep;
  const bool turning = step >= 0 && step < kScanSteps;
  if (turning) {
    // The beam and its fading trail, one seventh of a turn further at each step.
    const qreal angle = 90.0 - 360.0 * step / kScanSteps;
    QConicalGradient trail(centre, angle);
    QColor head = kRadar;
    head.setAlpha(150);
    QColor tail = kRadar;
    tail.setAlpha(0);
    trail.setColorAt(0, head);
    trail.setColorAt(0.22, tail);
    trail.setColorAt(1, tail);
    p.setPen(Qt::NoPen);
    p.setBrush(trail);
    p.drawEllipse(centre, radius, radius);
    p.setPen(QPen(kRadar, 2, Qt::SolidLine, Qt::RoundCap));
    const qreal radians = angle * M_PI / 180.0;
    p.drawLine(centre, centre + QPointF(std::cos(radians), -std::sin(radians)) * radius);
  }
  p.setBrush(Qt::NoBrush);
  for (int ring = 1; ring <= 3; ++ring) {
    p.setPen(QPen(turning ? kRadar : kIdle, 1.2));
    const qreal r = radius * ring / 3.0;
    p.drawEllipse(centre, r, r);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(turning ? kRadar : kIdle);
  p.drawEllipse(centre, radius * 0.1, radius * 0.1);
  return result;
}

QImage ConnectionPicture(int picture, int width, int height) {
  QImage result = Blank(width, height);
  QPainter p(&result);
  p.setRenderHint(QPainter::Antialiasing);
  const auto w = static_cast<qreal>(width);
  const auto h = static_cast<qreal>(height);
  const bool connected = picture == kConnectPictureConnected;
  PaintEnds(p, w, h, connected ? kLinked : kText);
  const qreal y = h * 0.5;
  if (connected) {
    p.setPen(QPen(kLinked, h * 0.07, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(w * 0.32, y), QPointF(w * 0.72, y));
    p.setBrush(kLinked);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(w * 0.52, y), h * 0.14, h * 0.14);
    p.setPen(QPen(Qt::white, h * 0.05, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(w * 0.52 - h * 0.07, y);
    tick.lineTo(w * 0.52 - h * 0.015, y + h * 0.055);
    tick.lineTo(w * 0.52 + h * 0.075, y - h * 0.06);
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
    return result;
  }
  // The search: the dots light one more at each step, up to all of them.
  const int lit = std::clamp(picture - kConnectPictureFirst, 0, kSearchSteps - 1) + 1;
  p.setPen(Qt::NoPen);
  for (int dot = 0; dot < kSearchSteps; ++dot) {
    p.setBrush(dot < lit ? kAccent : kIdle);
    p.drawEllipse(QPointF(w * (0.34 + 0.09 * dot), y), h * 0.05, h * 0.05);
  }
  return result;
}

}  // namespace controls
