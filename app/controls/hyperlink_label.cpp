#include "app/controls/hyperlink_label.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QUrl>

#include "app/controls/palette.h"

namespace controls {

HyperlinkLabel::HyperlinkLabel(QWidget* parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  setTextFormat(Qt::PlainText);
  setAttribute(Qt::WA_Hover);
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, kAccent);
  setPalette(colours);
}

void HyperlinkLabel::SetUrl(const QString& url) {
  url_ = url;
  setToolTip(url);
}

bool HyperlinkLabel::Open() const {
  if (url_.isEmpty()) return false;
  return QDesktopServices::openUrl(QUrl::fromUserInput(url_));
}

void HyperlinkLabel::SetUnderlined(bool underlined) {
  QFont changed = font();
  changed.setUnderline(underlined);
  setFont(changed);
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

// A press that slides off the text before the release is no click.
void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) Open();
}

void HyperlinkLabel::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
      event->key() == Qt::Key_Space) {
    Open();
    event->accept();
    return;
  }
  QLabel::keyPressEvent(event);
}

void HyperlinkLabel::enterEvent(QEnterEvent* event) {
  SetUnderlined(true);
  QLabel::enterEvent(event);
}

void HyperlinkLabel::leaveEvent(QEvent* event) {
  SetUnderlined(false);
  QLabel::leaveEvent(event);
}

}  // namespace controls
