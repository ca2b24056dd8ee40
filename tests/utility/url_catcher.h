// Takes the web addresses the desktop would open, for as long as it lives, so that no test
// starts a browser.
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace app_testing {

class UrlCatcher : public QObject {
  Q_OBJECT

 public:
  UrlCatcher();
  ~UrlCatcher() override;

  const QList<QUrl>& Opened() const { return opened_; }

 public slots:
  void Open(const QUrl& url);

 private:
  QList<QUrl> opened_;
};

}  // namespace app_testing
