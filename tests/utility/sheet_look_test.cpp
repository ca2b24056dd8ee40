// What the sheet, the wait window and the tray icons look like: rendered offscreen, checked where
// a picture shows a fault (clipped texts, overlapping controls, icons that cannot be told apart),
// and saved for the README when RADIODESK_SCREENSHOT_DIR is set.
#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <set>

#include "app/controls/tray_artwork.h"
#include "app/core/control_ids.h"
#include "app/core/first_run_wait.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

// The text a button shows fits inside it.
void ExpectTextFits(QWidget* control) {
  auto* button = qobject_cast<QAbstractButton*>(control);
  ASSERT_NE(button, nullptr);
  const int textWidth = QFontMetrics(button->font()).horizontalAdvance(button->text().remove('&'));
  EXPECT_LT(textWidth, button->width()) << button->text().toStdString();
}

class SheetLookTest : public UtilityTest {};

TEST_F(SheetLookTest, TheButtonsSitInsideTheWindowApartAndShowTheirWholeTexts) {
  ASSERT_TRUE(Start());
  RunFor(100);
  const QImage image = Render(Sheet(), std::string("sheet-") + BuildUnderTest());
  ASSERT_FALSE(image.isNull());
  QWidget* close = core::FindControl(&Sheet(), core::kCommandClose);
  QWidget* autoConnect = core::FindControl(&Sheet(), core::kCommandAutoConnect);
  ASSERT_NE(close, nullptr);
  ASSERT_NE(autoConnect, nullptr);
  EXPECT_TRUE(Sheet().rect().contains(close->geometry()));
  EXPECT_TRUE(Sheet().rect().contains(autoConnect->geometry()));
  EXPECT_FALSE(close->geometry().intersects(autoConnect->geometry()));
  EXPECT_GT(close->geometry().left(), autoConnect->geometry().right());
  ExpectTextFits(close);
  ExpectTextFits(autoConnect);
  // The page background is the sheet's 0xFCFCFC near a corner.
  EXPECT_EQ(image.pixelColor(2, image.height() - 2), QColor(0xFC, 0xFC, 0xFC));
}

TEST_F(SheetLookTest, TheWaitWindowShowsItsTextAndCancel) {
  core::FirstRunWait wait(Library(), "Vantrel Wireless Utility - Radiodesk");
  wait.show();
  QCoreApplication::processEvents();
  Render(wait, "first-run-wait");
  QWidget* cancel = core::FindControl(&wait, core::kWaitCancelId);
  ASSERT_NE(cancel, nullptr);
  ExpectTextFits(cancel);
  EXPECT_TRUE(wait.rect().contains(cancel->geometry()));
}

TEST(TrayArtwork, EveryStateHasItsOwnPictureAtEverySize) {
  const int icons[] = {controls::kIconCardUnplugged, controls::kIconNoConnection,
                       controls::kIconSignal90,      controls::kIconSignal70,
                       controls::kIconSignal50,      controls::kIconSignal30,
                       controls::kIconSignalBelow30};
  for (const int size : {16, 32}) {
    std::set<QByteArray> seen;
    for (const int icon : icons) {
      const QImage image = controls::TrayIconImage(icon, size);
      ASSERT_EQ(image.size(), QSize(size, size));
      const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()),
                             static_cast<qsizetype>(image.sizeInBytes()));
      EXPECT_TRUE(seen.insert(bytes).second) << "icon " << icon << " at " << size;
      // Something is drawn, and the corners stay clear for the tray's background.
      EXPECT_NE(bytes, QByteArray(bytes.size(), '\0'));
      EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    }
  }
}

}  // namespace
}  // namespace app_testing
