// What the Profile Manager page and its 802.1X dialogs look like: rendered offscreen, checked
// where a picture shows a fault (a text cut off, a control outside its window, two controls on
// top of each other), and saved for the README when RADIODESK_SCREENSHOT_DIR is set.
#include <QAbstractButton>
#include <QFontMetrics>

#include "app/core/record_text.h"
#include "app/pages/eap_tls_dialog.h"
#include "app/pages/leap_dialog.h"
#include "app/pages/peap_dialog.h"
#include "app/pages/profile_security_group.h"
#include "app/pages/radius_dialog.h"
#include "app/pages/working_profile.h"
#include "utility/profile_page_fixture.h"

namespace app_testing {
namespace {

using namespace pages;

// Every button of window shows its whole text, inside the window.
void ExpectButtonsWhole(QWidget& window) {
  for (auto* button : window.findChildren<QAbstractButton*>()) {
    if (!button->isVisibleTo(&window)) continue;
    const QFontMetrics metrics(button->font());
    const int textWidth = metrics.horizontalAdvance(button->text().remove('&'));
    EXPECT_LT(textWidth, button->width()) << button->text().toStdString();
    const QRect inWindow(button->mapTo(&window, QPoint(0, 0)), button->size());
    EXPECT_TRUE(window.rect().contains(inWindow)) << button->text().toStdString();
  }
}

class ProfileLookTest : public ProfilePageTest {};

TEST_F(ProfileLookTest, ThePageShowsEveryAreaWholeAndApart) {
  AddProfile("Home", "HomeNet", 8, 4, "correct horse battery", true);
  StartAndSettle();
  ShowPage();
  RunFor(100);
  Render(Sheet(), "profile_manager-psk-" + BuildUnderTest());
  ExpectButtonsWhole(Sheet());
  // The editor and the security group side by side, the actions under both.
  const QRect editor = Control(kProfileSettingGroup)->geometry();
  const QRect security = Control(kSecurityGroup)->geometry();
  const QRect save = Control(kSaveProfile)->geometry();
  EXPECT_FALSE(editor.intersects(security));
  EXPECT_LT(editor.right(), security.left());
  EXPECT_GT(Control(kSaveProfile)->mapTo(&Page(), QPoint(0, 0)).y(), editor.bottom());
  EXPECT_GT(save.width(), 0);

  // The WEP area takes the place of the key frame, and the page keeps its size.
  const QSize size = Page().size();
  Choose(List(kAuthList), 0);
  Choose(List(kEncryptionList), 1);
  Type(Edit(kPassphraseEdit), "radiodesk");
  RunFor(10);
  EXPECT_EQ(Page().size(), size);
  EXPECT_EQ(Control(kWepGroup)->geometry().topLeft(), Control(kKeyFrame)->geometry().topLeft());
  Render(Sheet(), "profile_manager-wep-" + BuildUnderTest());
  ExpectButtonsWhole(Sheet());
}

TEST_F(ProfileLookTest, TheDialogsShowTheirFieldsAndButtons) {
  StartAndSettle();
  ShowPage();
  Choose(List(kAuthList), 32);
  Choose(List(kEapList), 0);
  WithDialog<CEapTlsDialog>(Button(kConfigureRadius), [&](CEapTlsDialog& dialog) {
    DialogControl<QLineEdit>(dialog, kTlsLogin)->setText("bob");
    Render(dialog, "eap_tls_dialog-" + BuildUnderTest());
    ExpectButtonsWhole(dialog);
    dialog.reject();
  });
  ProfileRecord record = WorkingProfile();
  record.authMode = 32;
  core::SetFieldText(record.eapIdentity, std::string_view("alice"));
  core::SetFieldText(record.eapPassword, std::string_view("Winter2008!"));
  core::SetFieldText(record.eapDomain, std::string_view("HALVORN"));
  // Vista offers neither dialog on the page; they look the same everywhere.
  CPeapDialog peap(&Sheet(), record);
  peap.show();
  Render(peap, "peap_dialog-" + BuildUnderTest());
  ExpectButtonsWhole(peap);
  record.authMode = 16;
  CLeapDialog leap(&Sheet(), record);
  leap.show();
  Render(leap, "leap_dialog-" + BuildUnderTest());
  ExpectButtonsWhole(leap);
  EXPECT_EQ(leap.windowTitle(), "WPA - LEAP Radius Configuration");
}

}  // namespace
}  // namespace app_testing
