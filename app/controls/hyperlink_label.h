// A text that opens a web address: the hand cursor over it, underlined while the mouse is on it,
// and a click (or Enter or Space when it has the focus) hands the address to the desktop, which
// opens it with the user's browser.
#pragma once

#include <QLabel>
#include <QString>

namespace controls {

class HyperlinkLabel : public QLabel {
 public:
  explicit HyperlinkLabel(QWidget* parent = nullptr);

  void SetUrl(const QString& url);
  QString Url() const { return url_; }
  // Hands the address to the desktop; false when there is none or nothing took it.
  bool Open() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void SetUnderlined(bool underlined);

  QString url_;
  bool pressed_ = false;
};

}  // namespace controls
