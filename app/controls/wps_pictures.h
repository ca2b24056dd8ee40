// The WPS dialog's stage pictures: idle (193), running (194, turning with each frame) and
// success (199). Drawn, not loaded, so they stay sharp at any size.
#pragma once

#include <QPixmap>

namespace controls {

inline constexpr int kWpsPictureIdle = 193;
inline constexpr int kWpsPictureRunning = 194;
inline constexpr int kWpsPictureSuccess = 199;

// The picture with that number; frame turns the running picture's arcs.
QPixmap WpsPicture(int picture, int frame, int size);

}  // namespace controls
