// The "Validate Settings ..." notice: its fade on the machine's clock, its life on Vista, the
// wait cursor meanwhile, and both connect paths showing it before they connect unless the window
// is hidden.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <algorithm>
#include <cstring>

#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/os_version_code.h"
#include "app/pages/validate_notice.h"
#include "utility/profile_page_fixture.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using pages::CValidateNotice;

class ValidateNoticeTest : public UtilityTest {};

TEST_F(ValidateNoticeTest, OnXpTheNoticeFadesInAndOutAndClosesItselfAfterAboutOnePointFourSeconds) {
  StartAndSettle();
  const uint64_t shown = Now();
  QPointer<CValidateNotice> notice = CValidateNotice::ShowNotice(&Sheet(), core::kOsWindowsXp);
  auto* text = qobject_cast<QLabel*>(core::FindControl(notice, pages::kValidateNoticeText));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(), "Validate Settings ...");
  EXPECT_TRUE(notice->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(notice->Alpha(), 31);

  std::vector<int> alphas;
  bool waitCursorSeen = false;
  ASSERT_TRUE(RunUntil(
      [&] {
        if (notice.isNull()) return true;
        if (alphas.empty() || alphas.back() != notice->Alpha()) alphas.push_back(notice->Alpha());
        waitCursorSeen =
            waitCursorSeen || (QApplication::overrideCursor() != nullptr &&
                               QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        return false;
      },
      5000));
  const uint64_t lived = Now() - shown;
  EXPECT_GE(lived, 1450u);
  EXPECT_LT(lived, 1600u);
  EXPECT_TRUE(waitCursorSeen);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  std::vector<int> expected{31};
  expected.insert(expected.end(), pages::NoticeFadeSteps().begin(), pages::NoticeFadeSteps().end());
  EXPECT_EQ(alphas, expected);
}

TEST_F(ValidateNoticeTest, OnVistaTheNoticeStaysOpaqueForTwoSeconds) {
  StartAndSettle();
  const uint64_t shown = Now();
  QPointer<CValidateNotice> notice = CValidateNotice::ShowNotice(&Sheet(), core::kOsWindowsVista);
  EXPECT_EQ(notice->Alpha(), 255);
  RunFor(1900);
  ASSERT_FALSE(notice.isNull());
  EXPECT_EQ(notice->Alpha(), 255);
  ASSERT_TRUE(RunUntil([&] { return notice.isNull(); }, 1000));
  EXPECT_GE(Now() - shown, 2050u);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

class NoticeOnConnectTest : public ProfilePageTest {
 protected:
  static std::vector<CValidateNotice*> Notices() {
    std::vector<CValidateNotice*> notices;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* notice = dynamic_cast<CValidateNotice*>(widget); notice && notice->isVisible()) {
        notices.push_back(notice);
      }
    }
    return notices;
  }

  struct Seen {
    size_t mostNotices = 0;
    bool joinedWhileShown = false;
  };
  // Runs the connect just started to its end, watching the notices and the link meanwhile.
  Seen RunConnect(uint64_t runs) {
    Seen seen;
    EXPECT_TRUE(RunUntil(
        [&] {
          const size_t shown = Notices().size();
          seen.mostNotices = std::max(seen.mostNotices, shown);
          if (shown > 0 && Link().linkState == 1) seen.joinedWhileShown = true;
          return Sheet().Connector().Runs() >= runs && Sheet().Connector().IsIdle();
        },
        300000));
    DeliverHandedCalls();
    return seen;
  }
};

TEST_F(NoticeOnConnectTest, BothPathsShowItBeforeTheyConnectAndNotWhileTheWindowIsHidden) {
  AddProfile("Gone", "NotHere", 0, 0, {}, true);
  SetSetting("AutoConnect", "0");
  StartAndSettle();
  ASSERT_NE(Link().linkState, 1u);

  // The Site Survey page's direct connection to an open network.
  ASSERT_TRUE(Sheet().Connector().StartFromSurvey(SurveyEntry("CoffeeShop")));
  Seen seen = RunConnect(1);
  EXPECT_EQ(seen.mostNotices, 1u);
  EXPECT_FALSE(seen.joinedWhileShown);
  EXPECT_TRUE(Notices().empty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(LinkSsid(), "CoffeeShop");

  // The Profile Manager's connect, from the tray: no notice.
  Sheet().HideToTray();
  ASSERT_TRUE(Sheet().Hidden());
  ProfileRecord record = core::State().defaultProfileRecord.Get();
  std::strcpy(record.profileName, "Home");
  std::strcpy(record.ssid, "HomeNet");
  core::State().defaultProfileRecord.Set(record);
  ASSERT_TRUE(Sheet().Connector().StartFromProfile());
  seen = RunConnect(2);
  EXPECT_EQ(seen.mostNotices, 0u);
}

}  // namespace
}  // namespace app_testing
