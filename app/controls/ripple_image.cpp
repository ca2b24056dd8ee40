#include "app/controls/ripple_image.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace controls {

namespace {

// Each step takes a thirty-second of a wave's height, and at least one, so every ripple dies out.
constexpr int kDamping = 32;
// How far a slope bends the picture and how much light it catches.
constexpr int kRefractionShift = 3;
constexpr int kShadingDivisor = 2;

int Damped(int height) {
  if (height == 0) return 0;
  const int loss = std::max(std::abs(height) / kDamping, 1);
  return height > 0 ? height - loss : height + loss;
}

int Channel(int value) {
  return std::clamp(value, 0, 255);
}

}  // namespace

RippleImage::RippleImage(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void RippleImage::SetImage(const QImage& image) {
  image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_RGB32);
  const auto cells = static_cast<size_t>(image_.width()) * static_cast<size_t>(image_.height());
  current_.assign(cells, 0);
  previous_.assign(cells, 0);
  next_.assign(cells, 0);
  calm_ = true;
  updateGeometry();
  update();
}

void RippleImage::SetDrops(RippleDrop onMove, RippleDrop onPress) {
  onMove_ = onMove;
  onPress_ = onPress;
}

QSize RippleImage::sizeHint() const {
  return image_.isNull() ? QSize(0, 0) : image_.size();
}

QPoint RippleImage::FromLowerLeft(QPoint widgetPoint) const {
  return {widgetPoint.x(), image_.height() - widgetPoint.y()};
}

void RippleImage::Drop(QPoint fromLowerLeft, RippleDrop drop) {
  if (image_.isNull() || drop.radius <= 0) return;
  const int cx = fromLowerLeft.x();
  const int cy = image_.height() - fromLowerLeft.y();
  // A smooth bump rather than a flat disc, so the first ring is round and clean.
  for (int dy = -drop.radius; dy <= drop.radius; ++dy) {
    for (int dx = -drop.radius; dx <= drop.radius; ++dx) {
      const int x = cx + dx;
      const int row = cy + dy;
      if (x < 1 || row < 1 || x >= image_.width() - 1 || row >= image_.height() - 1) continue;
      const double distance = std::hypot(dx, dy);
      if (distance > drop.radius) continue;
      const double shape = (1 + std::cos(std::numbers::pi * distance / drop.radius)) / 2;
      current_[static_cast<size_t>(Index(x, row))] +=
          static_cast<int>(std::lround(drop.strength * shape));
    }
  }
  calm_ = false;
}

bool RippleImage::Step() {
  if (calm_) return false;
  const int columns = image_.width();
  const int rows = image_.height();
  const auto stride = static_cast<size_t>(columns);
  bool moving = false;
  for (int row = 1; row < rows - 1; ++row) {
    for (int x = 1; x < columns - 1; ++x) {
      const auto i = static_cast<size_t>(Index(x, row));
      // Each cell rises by its neighbours' push and falls back from where it came from.
      const int push =
          current_[i - 1] + current_[i + 1] + current_[i - stride] + current_[i + stride];
      const int wave = Damped(push / 2 - previous_[i]);
      next_[i] = wave;
      moving = moving || wave != 0;
    }
  }
  std::swap(previous_, current_);
  std::swap(current_, next_);
  calm_ = !moving && std::all_of(previous_.begin(), previous_.end(), [](int h) { return h == 0; });
  update();
  return !calm_;
}

QImage RippleImage::Frame() const {
  if (image_.isNull() || calm_) return image_;
  QImage frame(image_.size(), QImage::Format_RGB32);
  const int columns = image_.width();
  const int rows = image_.height();
  const auto stride = static_cast<size_t>(columns);
  for (int row = 0; row < rows; ++row) {
    auto* out = reinterpret_cast<QRgb*>(frame.scanLine(row));
    for (int x = 0; x < columns; ++x) {
      int slopeX = 0;
      int slopeY = 0;
      if (x > 0 && x < columns - 1 && row > 0 && row < rows - 1) {
        const auto i = static_cast<size_t>(Index(x, row));
        slopeX = current_[i - 1] - current_[i + 1];
        slopeY = current_[i - stride] - current_[i + stride];
      }
      const int sourceX = std::clamp(x + (slopeX >> kRefractionShift), 0, columns - 1);
      const int sourceRow = std::clamp(row + (slopeY >> kRefractionShift), 0, rows - 1);
      const QRgb source = reinterpret_cast<const QRgb*>(image_.constScanLine(sourceRow))[sourceX];
      const int light = slopeX / kShadingDivisor;
      out[x] = qRgb(Channel(qRed(source) + light), Channel(qGreen(source) + light),
                    Channel(qBlue(source) + light));
    }
  }
  return frame;
}

void RippleImage::paintEvent(QPaintEvent*) {
  if (image_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(QPoint(0, 0), image_.size()), Frame());
}

void RippleImage::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (rect().contains(at)) Drop(FromLowerLeft(at), onMove_);
  QWidget::mouseMoveEvent(event);
}

void RippleImage::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() == Qt::LeftButton && rect().contains(at)) Drop(FromLowerLeft(at), onPress_);
  QWidget::mousePressEvent(event);
}

}  // namespace controls
