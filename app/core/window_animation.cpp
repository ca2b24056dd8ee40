#include "app/core/window_animation.h"

#include <algorithm>

namespace core {

void AnimateRect(const QRect& full, int stepX, int stepY, bool grow,
                 const std::function<void(const QRect&)>& step) {
  if (stepX <= 0 || stepY <= 0 || full.isEmpty()) return;
  const int width = full.width();
  const int height = full.height();
  const int cx = full.left() + width / 2;
  const int cy = full.top() + height / 2;
  int accumulatedWidth = 0;
  int accumulatedHeight = 0;
  if (grow) {
    int x = cx;
    int y = cy;
    while (x > full.left() || y > full.top()) {
      x = std::max(x - stepX, full.left());
      y = std::max(y - stepY, full.top());
      accumulatedWidth = std::min(accumulatedWidth + 2 * stepX, width);
      accumulatedHeight = std::min(accumulatedHeight + 2 * stepY, height);
      step(QRect(x, y, accumulatedWidth, accumulatedHeight));
    }
    return;
  }
  int left = full.left();
  int top = full.top();
  while (left < cx || top < cy) {
    left = std::min(left + stepX, cx);
    top = std::min(top + stepY, cy);
    accumulatedWidth = std::min(accumulatedWidth + 2 * stepX, width);
    accumulatedHeight = std::min(accumulatedHeight + 2 * stepY, height);
    step(QRect(left, top, width - accumulatedWidth, height - accumulatedHeight));
  }
}

}  // namespace core
