// The utility's colours, shared by its controls. Where a page's colour is fixed by its dialog
// (a Windows colour value 0x00BBGGRR), that page converts it with WindowsColor.
#pragma once

#include <QColor>
#include <cstdint>

namespace controls {

inline const QColor kPageBackground(0xFC, 0xFC, 0xFC);
inline const QColor kText(0x20, 0x24, 0x2A);
inline const QColor kDisabledText(0x9A, 0xA0, 0xA6);
inline const QColor kAccent(0x1A, 0x73, 0xC8);
inline const QColor kButtonFace(0xEE, 0xF1, 0xF5);
inline const QColor kButtonFaceHover(0xE1, 0xE8, 0xF0);
inline const QColor kButtonFacePressed(0xCF, 0xDA, 0xE6);
inline const QColor kButtonFaceDisabled(0xF3, 0xF4, 0xF5);
inline const QColor kButtonBorder(0xC4, 0xCC, 0xD4);

// A Windows COLORREF (0x00BBGGRR) as a colour.
inline QColor WindowsColor(uint32_t colorRef) {
  return QColor(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                static_cast<int>((colorRef >> 16) & 0xFF));
}

}  // namespace controls
