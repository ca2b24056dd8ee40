// The look the information pages share: the 0xFCFCFC page, group boxes with a thin rounded frame
// and a blue title (the Windows colour value 0xFF0000 their dialogs give), and read-only fields
// as light, flat boxes.
#pragma once

class QWidget;

namespace controls {

void ApplyPageStyle(QWidget* page);
// A font a step smaller than the page's, for axis labels and notes.
void UseSmallFont(QWidget* widget);

}  // namespace controls
