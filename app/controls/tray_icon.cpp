#include "app/controls/tray_icon.h"

#include <QSystemTrayIcon>

namespace controls {

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent), tray_(new QSystemTrayIcon(this)) {
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::DoubleClick) emit DoubleClicked();
    if (why == QSystemTrayIcon::Context) emit RightClicked();
  });
}

bool CTrayIcon::DesktopHasTray() {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::SetIcon(const QIcon& icon, int iconId, const QString& tooltip) {
  if (icon.isNull()) {
    Remove();
    return;
  }
  iconId_ = iconId;
  tray_->setIcon(icon);
  balloonText_.clear();
  if (!tooltip.isEmpty()) SetTooltip(tooltip);
  if (!shown_) {
    shown_ = true;
    tray_->show();
  }
}

void CTrayIcon::SetTooltip(const QString& tooltip) {
  tooltip_ = tooltip.left(kTrayTooltipMax);
  tray_->setToolTip(tooltip_);
}

void CTrayIcon::Remove() {
  shown_ = false;
  tray_->hide();
}

void CTrayIcon::SetMenu(QMenu* menu) {
  tray_->setContextMenu(menu);
}

}  // namespace controls
