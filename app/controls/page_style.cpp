#include "app/controls/page_style.h"

#include <QWidget>

#include "app/controls/palette.h"

namespace controls {

namespace {

constexpr uint32_t kGroupTitleColor = 0xFF0000;

}  // namespace

void ApplyPageStyle(QWidget* page) {
  page->setAutoFillBackground(true);
  QPalette colours = page->palette();
  colours.setColor(QPalette::Window, kPageBackground);
  colours.setColor(QPalette::WindowText, Qt::black);
  page->setPalette(colours);
  page->setStyleSheet(
      QStringLiteral("QGroupBox { border: 1px solid #D5DBE1; border-radius: 6px;"
                     " margin-top: 14px; padding: 10px 8px 8px 8px; }"
                     "QGroupBox::title { subcontrol-origin: margin; left: 10px;"
                     " padding: 0 4px; color: %1; }"
                     "QLineEdit[readOnly=\"true\"] { border: 1px solid #DDE2E8; border-radius: 4px;"
                     " padding: 2px 6px; background: #FFFFFF; color: #000000; }")
          .arg(WindowsColor(kGroupTitleColor).name()));
}

void UseSmallFont(QWidget* widget) {
  QFont font = widget->font();
  if (font.pointSizeF() > 0) {
    font.setPointSizeF(font.pointSizeF() - 1);
  } else {
    font.setPixelSize(font.pixelSize() - 1);
  }
  widget->setFont(font);
}

}  // namespace controls
