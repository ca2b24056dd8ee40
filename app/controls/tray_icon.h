// CTrayIcon: the notification-area icon of the sheet. It keeps what Windows' notify-icon record
// keeps (icon, a tooltip of at most 127 characters, balloon text and title, the balloon time-out)
// and shows it through the desktop's tray; where the desktop has no tray it still keeps the
// record, so the program behaves the same and tests can read it.
#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;

namespace controls {

inline constexpr int kTrayTooltipMax = 127;
inline constexpr int kBalloonTimeoutMs = 5000;

class CTrayIcon : public QObject {
  Q_OBJECT

 public:
  explicit CTrayIcon(QObject* parent);

  // Adds the icon when none is shown yet, else modifies it. An empty tooltip leaves the shown
  // one as it is. Without an icon it removes the icon (the record's delete).
  void SetIcon(const QIcon& icon, int iconId, const QString& tooltip);
  // Changes only the tooltip.
  void SetTooltip(const QString& tooltip);
  void Remove();
  void SetMenu(QMenu* menu);

  bool IsShown() const { return shown_; }
  int IconId() const { return iconId_; }
  QString Tooltip() const { return tooltip_; }
  QString BalloonText() const { return balloonText_; }
  // Whether the desktop has a notification area at all.
  static bool DesktopHasTray();

 signals:
  void DoubleClicked();
  void RightClicked();
  void Hovered();

 private:
  QSystemTrayIcon* tray_;
  bool shown_ = false;
  int iconId_ = 0;
  QString tooltip_;
  QString balloonText_;
};

}  // namespace controls
