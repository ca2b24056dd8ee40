// The window's shrink into the tray and its growth back: a rectangle closing on its centre, or
// growing out of it, in steps.
#pragma once

#include <QRect>
#include <functional>

namespace core {

inline constexpr uint32_t kAnimationStepMs = 10;

// Calls step with each rectangle on the way: shrinking, the left and top edges move stepX and
// stepY toward the centre and the size loses twice as much; growing, the rectangle grows from
// the centre back to full. Ends when the moving edges reach the centre (or the full rectangle).
void AnimateRect(const QRect& full, int stepX, int stepY, bool grow,
                 const std::function<void(const QRect&)>& step);

}  // namespace core
