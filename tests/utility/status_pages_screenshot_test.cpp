// Both pages on a connected machine as a user sees them, rendered offscreen at 100 % and 200 %
// (saved under RADIODESK_SCREENSHOT_DIR when it is set, for the documentation).
#include <QPainter>

#include "app/controls/ripple_image.h"
#include "app/core/app_state.h"
#include "app/pages/about_page.h"
#include "app/pages/network_status_page.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

// The window drawn at twice the scale; saved beside the others with "@2x".
QImage RenderTwice(QWidget& widget, const std::string& name) {
  QImage image(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(2);
  image.fill(Qt::white);
  widget.render(&image);
  if (const char* dir = std::getenv("RADIODESK_SCREENSHOT_DIR")) {
    image.save(QString::fromStdString(std::string(dir) + "/" + name + "@2x.png"));
  }
  return image;
}

// Pixels close to a colour, as text and lines in it are drawn.
int PixelsNear(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
              std::abs(c.blue() - colour.blue()) <
          40) {
        ++count;
      }
    }
  }
  return count;
}

class StatusPagesScreenshot : public UtilityTest {};

TEST_F(StatusPagesScreenshot, BothPagesOnAConnectedMachine) {
  AddProfile("Home", "HomeNet", 8, 4, "correct horse battery", true);
  StartAndSettle();
  ShowPage(core::kPageNetworkStatus);
  RunFor(45000);
  const std::string build = BuildUnderTest();
  for (const QImage& status : {Render(Sheet(), "network_status_" + build),
                               RenderTwice(Sheet(), "network_status_" + build)}) {
    SCOPED_TRACE(status.devicePixelRatio());
    EXPECT_GT(PixelsNear(status, QColor(255, 0, 0)), 20);         // the graph titles
    EXPECT_GT(PixelsNear(status, QColor(0, 127, 0)), 20);         // their axes
    EXPECT_GT(PixelsNear(status, QColor(0, 0, 255)), 20);         // the group titles
    EXPECT_GT(PixelsNear(status, QColor(0x1E, 0x9E, 0x62)), 20);  // the receive graph's line
  }

  ShowPage(core::kPageAbout);
  auto* about = dynamic_cast<pages::CVantrelAboutPage*>(Page(core::kPageAbout));
  about->Logo().Drop({150, 60}, {30, 300});
  about->Logo().Drop({330, 30}, {12, 120});
  RunFor(400);
  const QImage shown = Render(Sheet(), "about_" + build);
  RenderTwice(Sheet(), "about_" + build);
  EXPECT_GT(PixelsNear(shown, QColor(0, 0, 255)), 20);  // the group titles and the link
  const QRect logo(about->Logo().mapTo(&Sheet(), QPoint(0, 0)), about->Logo().size());
  EXPECT_NE(shown.copy(logo).pixelColor(200, 50), shown.pixelColor(5, shown.height() / 2));
}

}  // namespace
}  // namespace app_testing
