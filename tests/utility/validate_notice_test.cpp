// The "Validate Settings ..." notice: its fade on the machine's clock, its life on Vista, the
// wait cursor meanwhile, and the connect paths showing it unless the window is hidden.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <cstring>

#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/os_version_code.h"
#include "app/pages/validate_notice.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using pages::CValidateNotice;

class ValidateNoticeTest : public UtilityTest {
 protected:
  // Every notice on screen now.
  static std::vector<CValidateNotice*> Notices() {
    std::vector<CValidateNotice*> notices;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* notice = dynamic_cast<CValidateNotice*>(widget); notice && notice->isVisible()) {
        notices.push_back(notice);
      }
    }
    return notices;
  }
};

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

TEST_F(ValidateNoticeTest, TheProfileConnectShowsTheNoticeUnlessTheWindowIsHidden) {
  StartAndSettle();
  ProfileRecord record{};
  Library().InitialProfile(&record);
  std::strcpy(record.profileName, "CoffeeShop");
  std::strcpy(record.ssid, "CoffeeShop");
  record.networkType = 1;
  core::State().defaultProfileRecord.Set(record);

  uint64_t runs = Sheet().Connector().Runs();
  ASSERT_TRUE(Sheet().Connector().StartFromProfile());
  size_t mostNotices = 0;
  ASSERT_TRUE(RunUntil(
      [&] {
        mostNotices = std::max(mostNotices, Notices().size());
        return Sheet().Connector().Runs() > runs && Sheet().Connector().IsIdle();
      },
      300000));
  RunFor(2500);
  EXPECT_EQ(mostNotices, 1u);
  EXPECT_TRUE(Notices().empty());
  EXPECT_EQ(LinkSsid(), "CoffeeShop");

  Sheet().HideToTray();
  ASSERT_TRUE(Sheet().Hidden());
  runs = Sheet().Connector().Runs();
  mostNotices = 0;
  ASSERT_TRUE(Sheet().Connector().StartFromProfile());
  ASSERT_TRUE(RunUntil(
      [&] {
        mostNotices = std::max(mostNotices, Notices().size());
        return Sheet().Connector().Runs() > runs && Sheet().Connector().IsIdle();
      },
      300000));
  EXPECT_EQ(mostNotices, 0u);
}

}  // namespace
}  // namespace app_testing
