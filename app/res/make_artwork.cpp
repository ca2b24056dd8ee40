// Draws the program's images into a folder: res/Logo.ico (the window icon), res/Logo.bmp (the
// About page's 460 x 100 banner) and radiodesk-SIZE.png, the desktop's application icon in the
// sizes the freedesktop icon theme asks for. The build runs it, so the pictures come from the
// same drawing code as the tray icons.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "app/controls/tray_artwork.h"

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  if (argc != 3) {
    std::fputs("usage: make_artwork FOLDER PRODUCT-NAME\n", stderr);
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[1]);
  const QString product = QString::fromUtf8(argv[2]);
  const bool icon = controls::LogoMark(32).save(folder + "/Logo.ico", "ICO");
  const bool banner = controls::LogoBanner(460, 100, product)
                          .convertToFormat(QImage::Format_RGB888)
                          .save(folder + "/Logo.bmp", "BMP");
  bool desktopIcons = true;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    desktopIcons = controls::LogoMark(size).save(
                       folder + QStringLiteral("/radiodesk-%1.png").arg(size), "PNG") &&
                   desktopIcons;
  }
  if (!icon || !banner || !desktopIcons) {
    std::fputs("make_artwork: cannot write the images\n", stderr);
    return 1;
  }
  return 0;
}
