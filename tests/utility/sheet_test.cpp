// The sheet on a simulated machine: the poll's branches (adapter appearing, pulled, plugged,
// taken by Windows and given back), the tray, the automatic connection, suspend and resume.
#include <QAction>
#include <QTabWidget>

#include "app/controls/tray_artwork.h"
#include "app/core/app_state.h"
#include "app/core/settings.h"
#include "app/core/window_animation.h"
#include "platform/services.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using core::State;

TEST(TrayTooltip, RatesShowWholeOrHalfMegabits) {
  EXPECT_EQ(core::TooltipRateText(545), "54.5");
  EXPECT_EQ(core::TooltipRateText(541), "54.5");
  EXPECT_EQ(core::TooltipRateText(540), "54");
  EXPECT_EQ(core::TooltipRateText(10), "1");
  EXPECT_EQ(core::TooltipRateText(55), "5.5");
  EXPECT_EQ(core::TooltipRateText(0), "0");
}

TEST(WindowAnimation, ShrinksToTheCentreAndGrowsBackToTheFullRectangle) {
  const QRect full(100, 50, 200, 120);
  std::vector<QRect> steps;
  core::AnimateRect(full, 20, 15, false, [&](const QRect& r) { steps.push_back(r); });
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.front(), QRect(120, 65, 160, 90));
  EXPECT_EQ(steps.back().topLeft(), QPoint(200, 110));
  EXPECT_EQ(steps.back().width(), 0);
  EXPECT_EQ(steps.back().height(), 0);
  steps.clear();
  core::AnimateRect(full, 20, 15, true, [&](const QRect& r) { steps.push_back(r); });
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.front(), QRect(180, 95, 40, 30));
  EXPECT_EQ(steps.back(), full);
  // A step larger than the rectangle still ends.
  steps.clear();
  core::AnimateRect(QRect(0, 0, 10, 10), 50, 50, false,
                    [&](const QRect& r) { steps.push_back(r); });
  EXPECT_EQ(steps.size(), 1u);
}

class SheetTest : public UtilityTest {};

// A failed attempt waits for an address for about two minutes of machine time.
constexpr uint32_t kConnectLimitMs = 600000;

TEST_F(SheetTest, AStartWithTheAdapterMakesOneAutomaticConnectionToTheDefault) {
  AddProfile("Home", "HomeNet", 8, 4, "correct horse battery", true);
  StartAndSettle();
  EXPECT_EQ(LinkSsid(), "HomeNet");
  EXPECT_EQ(Sheet().TrayState(), core::kTrayConnected);
  ASSERT_GE(Link().signal, 90);  // HomeNet at -42 dBm
  EXPECT_EQ(Sheet().Tray().IconId(), controls::kIconSignal90);
  ProfileRecord stored{};
  ASSERT_EQ(core::ReadSettingBinary("Default Profile", &stored, sizeof stored), 0);
  EXPECT_STREQ(stored.ssid, "HomeNet");
  // One run only: nothing else starts while the link stays.
  RunFor(10000);
  EXPECT_EQ(Sheet().AutoConnector().Runs(), 1u);
  EXPECT_EQ(LinkSsid(), "HomeNet");
}

TEST_F(SheetTest, PullingHidesTheWindowGraysTheMenuAndPluggingConnectsAgain) {
  AddProfile("Coffee", "CoffeeShop", 0, 0, {}, true);
  StartAndSettle();
  ASSERT_EQ(LinkSsid(), "CoffeeShop");
  ASSERT_TRUE(Sheet().isVisible());

  SetAdapterPresent(false);
  ASSERT_TRUE(RunUntil([this] { return !Sheet().CardPresent(); }, core::kPollPeriodMs));
  EXPECT_EQ(Sheet().Tray().IconId(), controls::kIconCardUnplugged);
  EXPECT_TRUE(Sheet().Tray().Tooltip().endsWith("Card Unplugged"));
  EXPECT_TRUE(Sheet().Hidden());
  EXPECT_FALSE(Sheet().MenuItem(core::kCommandRestore)->isEnabled());
  EXPECT_FALSE(Sheet().MenuItem(core::kCommandRadioOff)->isEnabled());
  // Restoring needs the adapter.
  Sheet().RunCommand(core::kCommandRestore);
  EXPECT_TRUE(Sheet().Hidden());

  SetAdapterPresent(true);
  ASSERT_TRUE(RunUntil([this] { return Sheet().CardPresent(); }, core::kPollPeriodMs));
  ASSERT_TRUE(RunUntil([this] { return LinkSsid() == "CoffeeShop"; }, kConnectLimitMs));
  EXPECT_TRUE(RunUntil([this] { return Sheet().TrayState() == core::kTrayConnected; }, 3000));
  EXPECT_TRUE(Sheet().MenuItem(core::kCommandRestore)->isEnabled());
}

TEST_F(SheetTest, AutoProfileConnectTriesEveryProfileFromTheDefaultAndWrapsRound) {
  AddProfile("Coffee", "CoffeeShop", 0, 0);
  AddProfile("Gone", "NotHere", 0, 0, {}, true);
  AddProfile("Nowhere", "AlsoNotHere", 0, 0);
  SetSetting("AutoConnect", "1");
  StartAndSettle();
  // Gone, Nowhere, then round to Coffee.
  EXPECT_EQ(LinkSsid(), "CoffeeShop");
  ProfileRecord stored{};
  ASSERT_EQ(core::ReadSettingBinary("Default Profile", &stored, sizeof stored), 0);
  EXPECT_STREQ(stored.profileName, "Coffee");
  auto list = std::make_unique<core::ProfileArray>();
  const int32_t count = Library().ReadProfileList(core::kListCapacity, list->data());
  EXPECT_STREQ(
      (*list)[static_cast<size_t>(Library().FindDefaultProfile(count, list->data()))].profileName,
      "Coffee");
}

TEST_F(SheetTest, WithoutAutoProfileConnectOnlyTheDefaultIsTried) {
  AddProfile("Coffee", "CoffeeShop", 0, 0);
  AddProfile("Gone", "NotHere", 0, 0, {}, true);
  SetSetting("AutoConnect", "0");
  StartAndSettle();
  EXPECT_EQ(Link().linkState, 2u);
  EXPECT_EQ(Sheet().TrayState(), core::kTrayNoConnection);
  EXPECT_EQ(Sheet().Tray().IconId(), controls::kIconNoConnection);
}

TEST_F(SheetTest, AnySsidJoinsTheFirstOpenInfrastructureNetworkAsDefault) {
  AddProfile("Anything", "<ANY SSID>", 0, 0, {}, true);
  StartAndSettle();
  const std::string joined = LinkSsid();
  ASSERT_FALSE(joined.empty());
  ProfileRecord made{};
  ASSERT_TRUE(Library().ReadSingleProfile("<Default>", &made));
  EXPECT_EQ(std::string(made.ssid), joined);
  EXPECT_EQ(made.encryption, 0u);
  EXPECT_EQ(made.networkType, 1u);
  // The survey is sorted by signal: the first open infrastructure entry is the strongest one.
  const auto survey = State().surveyList.Get();
  for (int32_t i = 0; i < State().surveyCount; ++i) {
    const auto& entry = survey[static_cast<size_t>(i)];
    if (entry.networkType == 1 && entry.cipherMask == 0) {
      EXPECT_EQ(std::string(entry.ssid, strnlen(entry.ssid, sizeof entry.ssid)), joined);
      break;
    }
  }
}

TEST_F(SheetTest, AnEmptyStoreJoinsAnOpenNetworkThroughTheProfileManagersDefault) {
  StartAndSettle();
  EXPECT_GT(State().surveyCount.load(), 0);
  // The Profile Manager page gives an empty store "<Default>" for any network.
  ASSERT_NE(Sheet().ProfileManager(), nullptr);
  ProfileRecord made{};
  ASSERT_TRUE(Library().ReadSingleProfile("<Default>", &made));
  EXPECT_EQ(made.encryption, 0u);
  EXPECT_EQ(Link().linkState, 1u);
  EXPECT_EQ(std::string(made.ssid), LinkSsid());
}

TEST_F(SheetTest, RadioOffDisconnectsAndRadioOnConnectsAgain) {
  AddProfile("Coffee", "CoffeeShop", 0, 0, {}, true);
  StartAndSettle();
  ASSERT_EQ(LinkSsid(), "CoffeeShop");
  Sheet().RunCommand(core::kCommandRadioOff);
  EXPECT_FALSE(Sheet().RadioOn());
  EXPECT_TRUE(Sheet().MenuItem(core::kCommandRadioOff)->isChecked());
  EXPECT_EQ(Link().linkState, 2u);
  RunFor(5000);
  EXPECT_EQ(Link().linkState, 2u);
  Sheet().RunCommand(core::kCommandRadioOff);
  EXPECT_TRUE(Sheet().RadioOn());
  EXPECT_TRUE(RunUntil([this] { return LinkSsid() == "CoffeeShop"; }, kConnectLimitMs));
}

TEST_F(SheetTest, ClosingHidesAndAutoConnectBoxWritesItsSetting) {
  StartAndSettle();
  Sheet().close();
  EXPECT_TRUE(Sheet().Hidden());
  Sheet().RunCommand(core::kCommandAutoConnect);
  EXPECT_TRUE(Sheet().AutoConnect());
  EXPECT_EQ(Setting("AutoConnect"), "1");
  Sheet().RunCommand(core::kCommandAutoConnect);
  EXPECT_EQ(Setting("AutoConnect"), "0");
}

TEST_F(SheetTest, CountryDomainCanadaInLowerCaseGivesCodeOne) {
  SetSetting("CountryDomain", "canada");
  ASSERT_TRUE(Start());
  EXPECT_EQ(State().regionalDomainCode.load(), 1);
  Sheet().RunCommand(core::kCommandExit);
  app_.reset();
  core::ResetState();
  SetSetting("CountryDomain", "Germany");
  ASSERT_TRUE(Start());
  EXPECT_EQ(State().regionalDomainCode.load(), 3);
}

TEST_F(SheetTest, TheWzcItemExistsOnXpOnly) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(Sheet().MenuItem(core::kCommandWzcOn) != nullptr, !IsVista());
  EXPECT_EQ(Sheet().MenuItem(core::kCommandExit)->text(), "E&xit");
  EXPECT_EQ(Sheet().MenuItem(core::kCommandRestore), Sheet().TrayMenu().defaultAction());
}

TEST_F(SheetTest, WindowsTakingOverLeavesTwoPagesWithinOnePollAndGivingBackRestoresAll) {
  if (IsVista()) GTEST_SKIP() << "the zero-configuration hand-over is XP's";
  AddProfile("Coffee", "CoffeeShop", 0, 0, {}, true);
  StartAndSettle();
  const int allPages = Sheet().Tabs()->count();
  Sheet().RunCommand(core::kCommandWzcOn);
  ASSERT_TRUE(RunUntil([this] { return Sheet().WzcManaged(); }, core::kPollPeriodMs));
  RunFor(100);
  EXPECT_FALSE(Sheet().MenuItem(core::kCommandRadioOff)->isEnabled());
  EXPECT_TRUE(Sheet().MenuItem(core::kCommandWzcOn)->isChecked());
  EXPECT_TRUE(Sheet().Hidden());
  for (int i = 0; i < Sheet().Tabs()->count(); ++i) {
    auto* page = dynamic_cast<core::SheetPage*>(Sheet().Tabs()->widget(i));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->ActivePageValue() == core::kPageNetworkStatus ||
                page->ActivePageValue() == core::kPageAbout);
  }
  Sheet().RunCommand(core::kCommandWzcOn);
  ASSERT_TRUE(RunUntil([this] { return !Sheet().WzcManaged(); }, core::kPollPeriodMs));
  EXPECT_EQ(Sheet().Tabs()->count(), allPages);
  EXPECT_TRUE(Sheet().MenuItem(core::kCommandRadioOff)->isEnabled());
  EXPECT_FALSE(Sheet().Hidden());
  EXPECT_TRUE(RunUntil([this] { return LinkSsid() == "CoffeeShop"; }, kConnectLimitMs));
}

TEST_F(SheetTest, SuspendDisconnectsAndResumeConnectsAgain) {
  AddProfile("Coffee", "CoffeeShop", 0, 0, {}, true);
  StartAndSettle();
  ASSERT_EQ(LinkSsid(), "CoffeeShop");
  ASSERT_TRUE(platform::Current().PowerEvents().Announce(platform::PowerEventKind::QuerySuspend));
  ASSERT_TRUE(RunUntil([this] { return Link().linkState == 2; }, 1000));
  EXPECT_EQ(State().surveyCount.load(), 0);
  ASSERT_TRUE(platform::Current().PowerEvents().Announce(platform::PowerEventKind::ResumeSuspend));
  ASSERT_TRUE(RunUntil([] { return State().resumePending.load(); }, 1000));
  EXPECT_TRUE(RunUntil([this] { return LinkSsid() == "CoffeeShop"; }, kConnectLimitMs));
  EXPECT_FALSE(State().resumePending.load());
}

TEST_F(SheetTest, ExitEndsTheLibraryAndRemovesTheTrayIcon) {
  StartAndSettle();
  ASSERT_TRUE(Sheet().Tray().IsShown());
  Sheet().RunCommand(core::kCommandExit);
  EXPECT_FALSE(Sheet().Tray().IsShown());
  EXPECT_TRUE(State().appClosing.load());
}

}  // namespace
}  // namespace app_testing
