// The tray icons and the program's logo, drawn rather than loaded, so they stay crisp at any
// scale: signal arcs over a base dot, lit by signal band; an empty set with a cross when there is
// no connection; an adapter card with a red bar when it is unplugged.
#pragma once

#include <QIcon>
#include <QImage>

namespace controls {

// Icon resource numbers of the tray states.
enum TrayIconId : int {
  kIconCardUnplugged = 186,
  kIconSignalBelow30 = 188,
  kIconNoConnection = 189,
  kIconSignal30 = 190,
  kIconSignal50 = 187,
  kIconSignal70 = 191,
  kIconSignal90 = 192,
};

// The icon of a tray state, drawn at 16, 32 and 64 pixels.
QIcon TrayIcon(int iconId);
// One size of it, for tests and the artwork tool.
QImage TrayIconImage(int iconId, int size);

// The program's logo mark (window icon, Logo.ico) at one size.
QImage LogoMark(int size);
// The About page's banner (Logo.bmp): the mark and the product name on a soft gradient.
QImage LogoBanner(int width, int height, const QString& productName);

}  // namespace controls
