#include "utility/url_catcher.h"

#include <QDesktopServices>

namespace app_testing {

UrlCatcher::UrlCatcher() {
  QDesktopServices::setUrlHandler("https", this, "Open");
  QDesktopServices::setUrlHandler("http", this, "Open");
}

UrlCatcher::~UrlCatcher() {
  QDesktopServices::unsetUrlHandler("https");
  QDesktopServices::unsetUrlHandler("http");
}

void UrlCatcher::Open(const QUrl& url) {
  opened_.push_back(url);
}

}  // namespace app_testing
