// The "Validate Settings ..." notice: its fade on the machine's clock, its life on Vista and the
// wait cursor meanwhile.
#include <QApplication>
#include <QLabel>
#include <QPointer>

#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/os_version_code.h"
#include "app/pages/validate_notice.h"
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

}  // namespace
}  // namespace app_testing
