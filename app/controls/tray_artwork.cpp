#include "app/controls/tray_artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "app/controls/palette.h"

namespace controls {

namespace {

const QColor kLit(0x1E, 0x9E, 0x4A);
const QColor kDim(0xB8, 0xC0, 0xC8);
const QColor kWarn(0xD9, 0x3A, 0x2E);
const QColor kAmber(0xE0, 0x8A, 0x12);

// How many of the three arcs a signal icon lights (the dot counts as the first step).
int LitArcs(int iconId) {
  switch (iconId) {
    case kIconSignal90:
      return 3;
    case kIconSignal70:
      return 3;
    case kIconSignal50:
      return 2;
    case kIconSignal30:
      return 1;
    default:
      return 0;
  }
}

QColor ArcColor(int iconId) {
  if (iconId == kIconSignal30 || iconId == kIconSignalBelow30) return kAmber;
  if (iconId == kIconSignal70) return kLit.lighter(115);
  return kLit;
}

// Three arcs over a dot, in a unit square scaled to size.
void PaintSignal(QPainter& p, qreal s, int lit, const QColor& on) {
  const QPointF base(s * 0.5, s * 0.82);
  p.setBrush(lit >= 0 && on != kDim ? on : kDim);
  p.setPen(Qt::NoPen);
  p.drawEllipse(base, s * 0.09, s * 0.09);
  p.setBrush(Qt::NoBrush);
  for (int arc = 1; arc <= 3; ++arc) {
    const qreal r = s * (0.16 + 0.17 * arc);
    p.setPen(QPen(arc <= lit ? on : kDim, s * 0.1, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(base.x() - r, base.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
  }
}

void PaintCross(QPainter& p, qreal s, const QPointF& centre, qreal half) {
  p.setPen(QPen(kWarn, s * 0.11, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(centre + QPointF(-half, -half), centre + QPointF(half, half));
  p.drawLine(centre + QPointF(-half, half), centre + QPointF(half, -half));
}

void PaintCard(QPainter& p, qreal s) {
  const QRectF card(s * 0.12, s * 0.3, s * 0.62, s * 0.42);
  p.setPen(QPen(kText, s * 0.06));
  p.setBrush(QColor(0xE6, 0xEA, 0xEF));
  p.drawRoundedRect(card, s * 0.05, s * 0.05);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xC9, 0xA2, 0x27));
  for (int pin = 0; pin < 3; ++pin) {
    p.drawRect(QRectF(card.right(), card.top() + s * (0.06 + 0.12 * pin), s * 0.1, s * 0.06));
  }
  PaintCross(p, s, QPointF(s * 0.72, s * 0.26), s * 0.14);
}

}  // namespace

QImage TrayIconImage(int iconId, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const auto s = static_cast<qreal>(size);
  switch (iconId) {
    case kIconCardUnplugged:
      PaintCard(p, s);
      break;
    case kIconNoConnection:
      PaintSignal(p, s, 0, kDim);
      PaintCross(p, s, QPointF(s * 0.76, s * 0.3), s * 0.14);
      break;
    case kIconSignalBelow30:
      PaintSignal(p, s, 0, kAmber);
      break;
    default:
      PaintSignal(p, s, LitArcs(iconId), ArcColor(iconId));
      break;
  }
  return image;
}

QIcon TrayIcon(int iconId) {
  QIcon icon;
  for (const int size : {16, 32, 64})
    icon.addPixmap(QPixmap::fromImage(TrayIconImage(iconId, size)));
  return icon;
}

QImage LogoMark(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const auto s = static_cast<qreal>(size);
  QLinearGradient face(0, 0, 0, s);
  face.setColorAt(0, kAccent.lighter(125));
  face.setColorAt(1, kAccent.darker(115));
  p.setPen(Qt::NoPen);
  p.setBrush(face);
  p.drawRoundedRect(QRectF(0, 0, s, s).adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04), s * 0.22,
                    s * 0.22);
  const QPointF base(s * 0.5, s * 0.74);
  p.setBrush(Qt::white);
  p.drawEllipse(base, s * 0.08, s * 0.08);
  p.setBrush(Qt::NoBrush);
  for (int arc = 1; arc <= 2; ++arc) {
    const qreal r = s * (0.14 + 0.16 * arc);
    p.setPen(QPen(Qt::white, s * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(base.x() - r, base.y() - r, 2 * r, 2 * r), 40 * 16, 100 * 16);
  }
  return image;
}

QImage LogoBanner(int width, int height, const QString& productName) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, width, height);
  sky.setColorAt(0, QColor(0xF4, 0xF8, 0xFC));
  sky.setColorAt(1, QColor(0xDC, 0xE9, 0xF6));
  p.fillRect(image.rect(), sky);
  // Faint waves across the banner, for the ripple to play on.
  p.setPen(QPen(QColor(0x1A, 0x73, 0xC8, 40), 2));
  for (int wave = 0; wave < 4; ++wave) {
    QPainterPath path;
    const qreal y = height * (0.55 + 0.1 * wave);
    path.moveTo(0, y);
    for (int x = 0; x <= width; x += 20) {
      path.lineTo(x, y + 6 * std::sin((x + wave * 37) / 40.0));
    }
    p.drawPath(path);
  }
  const int mark = height * 7 / 10;
  p.drawImage(QPoint(height * 15 / 100, (height - mark) / 2), LogoMark(mark));
  QFont font;
  font.setPixelSize(height * 36 / 100);
  font.setBold(true);
  p.setFont(font);
  p.setPen(kText);
  p.drawText(QRect(height * 15 / 100 + mark + height / 6, 0, width, height),
             Qt::AlignVCenter | Qt::AlignLeft, productName);
  return image;
}

}  // namespace controls
