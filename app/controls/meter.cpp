#include "app/controls/meter.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "app/controls/palette.h"

namespace controls {

namespace {

constexpr qreal kBarWidth = 22;
constexpr qreal kRadius = 5;
constexpr int kTextGap = 6;
const QColor kTrack(0xE4, 0xE9, 0xEF);
const QColor kStrong(0x2E, 0xA0, 0x5A);
const QColor kFair(0xE0, 0xA1, 0x1B);
const QColor kWeak(0xD6, 0x45, 0x3D);

// The bar's colour tells the level at a glance: green from 60 %, amber from 30 %, else red.
QColor LevelColor(double fraction) {
  if (fraction >= 0.6) return kStrong;
  if (fraction >= 0.3) return kFair;
  return kWeak;
}

}  // namespace

Meter::Meter(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
}

void Meter::SetRange(int low, int high) {
  low_ = low;
  high_ = high;
  SetPos(pos_);
}

void Meter::SetPos(int pos) {
  const int clamped = high_ > low_ ? std::clamp(pos, low_, high_) : low_;
  if (clamped == pos_) return;
  pos_ = clamped;
  update();
}

void Meter::SetTextFormat(const QString& format) {
  format_ = format;
  update();
}

double Meter::Fraction() const {
  if (high_ <= low_) return 0;
  return static_cast<double>(pos_ - low_) / (high_ - low_);
}

QString Meter::Text() const {
  const int percent = static_cast<int>(std::lround(Fraction() * 100));
  QString text = format_;
  text.replace("%d", QString::number(percent));
  text.replace("%%", "%");
  return text;
}

QSize Meter::sizeHint() const {
  const QFontMetrics metrics(font());
  return {std::max(metrics.horizontalAdvance("100%") + 12, 56), 150};
}

QSize Meter::minimumSizeHint() const {
  const QFontMetrics metrics(font());
  return {metrics.horizontalAdvance("100%") + 8, 60};
}

QRectF Meter::BarRect() const {
  const QFontMetrics metrics(font());
  const qreal bottom = height() - metrics.height() - kTextGap;
  return {(width() - kBarWidth) / 2.0, 1.0, kBarWidth, std::max<qreal>(bottom - 1.0, 0.0)};
}

void Meter::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF bar = BarRect();
  QPainterPath track;
  track.addRoundedRect(bar, kRadius, kRadius);
  painter.fillPath(track, kTrack);

  const double fraction = Fraction();
  if (fraction > 0) {
    // The fill is the track cut off at its level, so its lower corners follow the track's.
    QRectF level = bar;
    level.setTop(bar.bottom() - bar.height() * fraction);
    painter.save();
    painter.setClipRect(level);
    painter.fillPath(track, LevelColor(fraction));
    painter.restore();
  }
  // Quarter marks over the bar, for reading it at a glance.
  painter.setPen(QPen(QColor(255, 255, 255, 170), 1.0));
  for (int quarter = 1; quarter < 4; ++quarter) {
    const qreal y = bar.bottom() - bar.height() * quarter / 4.0;
    painter.drawLine(QPointF(bar.left() + 4, y), QPointF(bar.right() - 4, y));
  }

  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(isEnabled() ? kText : kDisabledText);
  const QRectF textArea(0, bar.bottom() + kTextGap, width(), height() - bar.bottom() - kTextGap);
  painter.drawText(textArea, Qt::AlignHCenter | Qt::AlignTop, Text());
}

}  // namespace controls
