// Start-up on a simulated machine: branding, language, the settings it writes, the first-run wait,
// a second copy, the zero-configuration step, a stray link and a link vtrctl left held.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QTabWidget>
#include <cstring>

#include "app/core/app_state.h"
#include "app/core/control_ids.h"
#include "app/core/first_run_wait.h"
#include "app/core/language.h"
#include "app/core/settings.h"
#include "platform/services.h"
#include "sim/link_holder.h"
#include "support/process_waits.h"
#include "support/program_runner.h"
#include "utility/utility_fixture.h"

namespace app_testing {
namespace {

using core::State;

TEST(LanguageChoice, NamesCompareWithoutCaseAndUnknownNamesGiveEnglish) {
  EXPECT_STREQ(core::ChooseLanguage("german").code, "DE");
  EXPECT_STREQ(core::ChooseLanguage("german").file, "Lang/German.lng");
  EXPECT_STREQ(core::ChooseLanguage("CHINESE (SIMPLIFIED)").code, "CN");
  EXPECT_STREQ(core::ChooseLanguage("Chinese (Traditional)").file, "Lang/Chinese_Traditional.lng");
  EXPECT_STREQ(core::ChooseLanguage("Korean").code, "US");
  EXPECT_STREQ(core::ChooseLanguage("Korean").file, "Lang/United_States.lng");
  EXPECT_STREQ(core::ChooseLanguage(std::nullopt).code, "US");
  EXPECT_STREQ(core::ChooseLanguage("German ").code, "US");
}

TEST(SettingsKey, IsFormattedAndNeverLongerThan63Characters) {
  EXPECT_EQ(core::FormatSettingsKey("Vantrel", "Radiodesk"),
            "Software\\Vantrel\\WLAN\\Radiodesk\\");
  EXPECT_EQ(core::FormatSettingsKey("", ""), "Software\\\\WLAN\\\\");
  const std::string key = core::FormatSettingsKey(std::string(40, 'C'), std::string(40, 'N'));
  EXPECT_EQ(key.size(), core::kSettingsKeyMaxLength);
  // A cut never splits a character: "é" is two bytes, and the 63rd byte is its first.
  const std::string accented = core::FormatSettingsKey(std::string(47, 'C'), "é");
  EXPECT_EQ(accented, "Software\\" + std::string(47, 'C') + "\\WLAN\\");
}

TEST(CorpName, EveryMarkIsReplacedAndAnEmptyNameLeavesTheBlanks) {
  EXPECT_EQ(core::SubstituteCorpName("Visit <%CORP_NAME%> Website", ""), "Visit  Website");
  EXPECT_EQ(core::SubstituteCorpName("<%CORP_NAME%>/<%CORP_NAME%>", "Vantrel"), "Vantrel/Vantrel");
  EXPECT_EQ(core::SubstituteCorpName("<%CORP_NAME%>", "<%CORP_NAME%>"), "<%CORP_NAME%>");
}

class StartupTest : public UtilityTest {};

TEST_F(StartupTest, TitleSettingsAndLanguageComeFromTheProgramFolderAndTheRegistry) {
  SetSetting("Language", "german");
  ASSERT_TRUE(Start());
  EXPECT_EQ(State().settingsKey, "Software\\Vantrel\\WLAN\\Radiodesk\\");
  EXPECT_EQ(State().languageCode, "DE");
  EXPECT_EQ(State().languageFilePath, ProgramFolder().string() + "/Lang/German.lng");
  EXPECT_EQ(State().corpDisplayName, "Vantrel");
  EXPECT_EQ(Sheet().windowTitle(), "Vantrel WLAN-Dienstprogramm - Radiodesk");
  EXPECT_EQ(Setting("Encryption"), "1");
  EXPECT_EQ(State().osVersionCode, IsVista() ? 8 : 6);
  // The 802.11a bit is cleared whatever the adapter says.
  EXPECT_EQ(State().adapterCapability.Get().phyModeMask & 2u, 0u);
}

TEST_F(StartupTest, AnEncryptionValueAlreadyThereIsKept) {
  SetSetting("Encryption", "0");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Setting("Encryption"), "0");
}

TEST_F(StartupTest, FirstRunWaitsForTheAdapterThenWritesTheMark) {
  SetSetting("FirstRun", "255 ");  // not "255": the wait runs again
  SetAdapterPresent(false);
  const uint64_t started = Now();
  bool plugged = false;
  // The adapter comes back while the wait window is up.
  core::MachineTimer plug(nullptr, [&] {
    SetAdapterPresent(true);
    plugged = true;
  });
  plug.StartOnce(12000);
  ASSERT_TRUE(Start());
  EXPECT_TRUE(plugged);
  EXPECT_GE(Now() - started, 12000u);
  EXPECT_EQ(Setting("FirstRun"), "255");
}

TEST_F(StartupTest, GivingUpTheFirstRunWaitEndsWithoutTheMark) {
  ASSERT_EQ(core::WriteSetting(core::FormatSettingsKey("Vantrel", "Radiodesk"), "FirstRun", "0"),
            0);
  SetAdapterPresent(false);
  core::MachineTimer cancel(nullptr, [] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (auto* wait = dynamic_cast<core::FirstRunWait*>(window); wait && wait->isVisible()) {
        auto* button = qobject_cast<QAbstractButton*>(core::FindControl(wait, core::kWaitCancelId));
        ASSERT_NE(button, nullptr);
        button->click();
      }
    }
  });
  cancel.StartOnce(7000);
  EXPECT_FALSE(Start());
  EXPECT_EQ(Setting("FirstRun"), "0");
  EXPECT_EQ(App().Sheet(), nullptr);
}

TEST_F(StartupTest, ASecondCopyRestoresTheFirstAndShowsNoWindow) {
  StartAndSettle();
  Sheet().HideToTray();
  ASSERT_TRUE(Sheet().Hidden());
  core::CRadiodeskApp second(Library(), {.programDir = ProgramFolder().string(), .pages = {}});
  EXPECT_FALSE(second.InitInstance());
  EXPECT_EQ(second.Sheet(), nullptr);
  EXPECT_TRUE(RunUntil([this] { return !Sheet().Hidden(); }, 2000));
  EXPECT_TRUE(Sheet().isVisible());
}

TEST_F(StartupTest, ACopyOnAnotherMachineRuns) {
  ASSERT_TRUE(Start());
  const std::string other = platform::Current().SystemInfo().MachineGuid();
  const auto firstName = core::InstanceGuard::ServerName(Sheet().windowTitle(), other);
  const auto otherName = core::InstanceGuard::ServerName(Sheet().windowTitle(), other + "x");
  EXPECT_NE(firstName, otherName);
  core::InstanceGuard elsewhere(otherName);
  EXPECT_TRUE(elsewhere.TryBecomeInstance([] {}));
}

TEST_F(StartupTest, OnXpAStoppedServiceIsStartedAndAnAdapterWindowsManagedIsTakenBack) {
  Library().Initialize(0);
  if (IsVista()) {
    // Vista skips the step: the service is left as it is.
    const bool before = Library().IsZeroConfigServiceON();
    ASSERT_TRUE(Start());
    EXPECT_EQ(Library().IsZeroConfigServiceON(), before);
    return;
  }
  ASSERT_TRUE(Library().EnableZeroConfig(0));  // stops the service, as the XP library leaves it
  ASSERT_FALSE(Library().IsZeroConfigServiceON());
  ASSERT_TRUE(Start());
  EXPECT_TRUE(Library().IsZeroConfigServiceON());
  Sheet().RunCommand(core::kCommandExit);
  app_.reset();
  core::ResetState();

  ASSERT_TRUE(Library().EnableZeroConfig(1));
  ASSERT_TRUE(Library().SetZeroConfigControlMode(1));
  ASSERT_TRUE(Library().IsZeroConfigON());
  ASSERT_TRUE(Start());
  EXPECT_FALSE(Library().IsZeroConfigON());
  EXPECT_FALSE(Sheet().WzcManaged());
}

TEST_F(StartupTest, ALinkWithTheDefaultsNameButAnotherEncryptionIsDropped) {
  AddProfile("Coffee", "CoffeeShop", 0, 1, {}, true);  // the default asks for WEP
  AddProfile("Now", "CoffeeShop", 0, 0);
  ASSERT_GE(Library().Initialize(0), 0);
  ProfileRecord open{};
  ASSERT_TRUE(Library().ReadSingleProfile("Now", &open));
  ASSERT_TRUE(Library().ConnectToAP(&open, 0));
  ASSERT_EQ(LinkSsid(), "CoffeeShop");
  SetSetting("AutoConnect", "0");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Link().linkState, 2u);
}

TEST_F(StartupTest, ALinkMatchingTheDefaultIsKept) {
  AddProfile("Coffee", "coffeeshop", 0, 0, {}, true);  // the name compares without case
  ASSERT_GE(Library().Initialize(0), 0);
  ProfileRecord record{};
  ASSERT_TRUE(Library().ReadSingleProfile("Coffee", &record));
  std::strcpy(record.ssid, "CoffeeShop");
  ASSERT_TRUE(Library().ConnectToAP(&record, 0));
  ASSERT_TRUE(Start());
  EXPECT_EQ(LinkSsid(), "CoffeeShop");
}

TEST_F(StartupTest, TheLinkHolderVtrctlLeftIsEndedBeforeTheUtilityTakesTheAdapter) {
  const auto scratch = machine_.parent_path();
  const testing_support::RunResult connect = testing_support::RunProgram(
      ProgramFolder() / "vtrctl",
      {"connect", "--ssid", "HomeNet", "--auth", "wpa2-psk", "--encryption", "aes", "--psk",
       "correct horse battery"},
      {"RADIODESK_MACHINE=" + machine_.string(), "RADIODESK_PROFILE_DIR=" + profiles_.string(),
       "RADIODESK_VIRTUAL_TIME=1", "XDG_STATE_HOME=" + (scratch / "state").string()},
      scratch);
  ASSERT_EQ(connect.exitCode, 0) << connect.err;
  const std::string named = testing_support::FileText(machine_ / sim::kLinkHolderFile);
  ASSERT_FALSE(named.empty());
  const int holder = std::stoi(named);
  ASSERT_TRUE(testing_support::LinkHolderRuns(holder)) << "no holder kept the link";

  const bool started = Start();
  const bool holderRuns = testing_support::LinkHolderRuns(holder);
  // Whatever the outcome, no holder outlives the test.
  EXPECT_TRUE(sim::EndLinkHolderIn(machine_));
  ASSERT_TRUE(started);
  EXPECT_FALSE(holderRuns) << "the holder still runs beside the utility";
  // It ended as asked (it let go of its place), not killed after the grace.
  EXPECT_EQ(testing_support::FileText(machine_ / sim::kLinkHolderFile), "");
}

}  // namespace
}  // namespace app_testing
