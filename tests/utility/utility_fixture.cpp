#include "utility/utility_fixture.h"

#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

#include "app/core/app_state.h"
#include "app/core/clock_bridge.h"
#include "app/core/control_ids.h"
#include "app/core/gui_hand_over.h"
#include "app/core/settings.h"
#include "app/pages/page_set.h"
#include "platform/services.h"
#include "sim/adapter_control.h"
#include "sim/machine.h"
#include "sim/sim_machine.h"
#include "support/machine_fixture.h"
#include "support/program_runner.h"
#include "utility/language_catalogue.h"

namespace app_testing {

namespace {

// A scenario that has not finished after this much real time is stuck, not slow.
constexpr qint64 kRealTimeLimitMs = 60000;

std::string SettingsKey() {
  return core::FormatSettingsKey("Vantrel", "Radiodesk");
}

template <size_t N>
void SetText(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

}  // namespace

std::string BuildUnderTest() {
  const char* build = std::getenv("RADIODESK_TEST_BUILD");
  return build != nullptr && std::string(build) == "vista" ? "vista" : "xp";
}

bool IsVista() {
  return BuildUnderTest() == "vista";
}

std::filesystem::path ProgramFolder() {
  return IsVista() ? RADIODESK_VISTA_PROGRAM_DIR : RADIODESK_PROGRAM_DIR;
}

const core::CVtrLibrary& Library() {
  static const core::CVtrLibrary library(ProgramFolder() / core::kVtrLibraryFileName);
  return library;
}

void UtilityTest::SetUp() {
  RecordLookups();
  ::setenv("RADIODESK_VIRTUAL_TIME", "1", 1);
  const auto root = testing_support::MakeTempDirectory();
  machine_ = root / "machine";
  profiles_ = root / "profiles";
  std::filesystem::create_directories(profiles_);
  ::setenv("RADIODESK_PROFILE_DIR", profiles_.c_str(), 1);
  const auto made = sim::InitMachineDirectory(machine_, BuildUnderTest());
  ASSERT_FALSE(made.has_value()) << *made;
  const auto used = sim::UseMachine(machine_);
  ASSERT_FALSE(used.has_value()) << *used;
  core::ResetState();
  // Most scenarios start after the first run; the first-run tests remove the value.
  SetSetting("FirstRun", "255");
}

void UtilityTest::UseDescription(const std::function<void(nlohmann::json&)>& edit) {
  auto description = nlohmann::json::parse(sim::PresetDescription(BuildUnderTest()));
  edit(description);
  machine_ = testing_support::MakeTempDirectory() / "machine";
  const auto made = sim::InitMachineFromDescription(machine_, description.dump(2));
  ASSERT_FALSE(made.has_value()) << *made;
  const auto used = sim::UseMachine(machine_);
  ASSERT_FALSE(used.has_value()) << *used;
  SetSetting("FirstRun", "255");
}

nlohmann::json& UtilityTest::WirelessAdapter(nlohmann::json& description) {
  return description["adapters"][1];
}

void UtilityTest::TearDown() {
  if (app_ && app_->Sheet() != nullptr) Sheet().RunCommand(core::kCommandExit);
  app_.reset();
  QCoreApplication::processEvents();
  // Every text the test's run read must be in every language file, the English one with the
  // program's own text.
  for (const std::string& fault : CheckRecordedLookups(ProgramFolder() / "Lang")) {
    ADD_FAILURE() << fault;
  }
}

void UtilityTest::SetSetting(const std::string& name, const std::string& text) {
  ASSERT_EQ(core::WriteSetting(SettingsKey(), name, text), 0);
}

std::optional<std::string> UtilityTest::Setting(const std::string& name) {
  std::string value;
  if (core::ReadSetting(SettingsKey(), name, value) != 0) return std::nullopt;
  return value;
}

bool UtilityTest::Start() {
  app_ = std::make_unique<core::CRadiodeskApp>(
      Library(), core::CRadiodeskApp::Options{
                     .programDir = programDir_.empty() ? ProgramFolder().string() : programDir_,
                     .pages = pages::AllPages(Library())});
  return app_->InitInstance();
}

void UtilityTest::StartAndSettle() {
  ASSERT_TRUE(Start());
  // The first poll sees the adapter; the automatic connection then runs to its end, and a scan
  // the start-up began (which empties the survey until it ends) has ended too.
  ASSERT_TRUE(RunUntil(
      [this] {
        return Sheet().AutoConnector().Runs() >= 1 && Sheet().AutoConnector().IsIdle() &&
               Sheet().Scanner().IsIdle();
      },
      1200000));
  // What the connection handed to the window on its way out (the record it shows) arrives
  // before the test goes on, so a test's own edits are not overwritten after it began.
  DeliverHandedCalls();
}

uint64_t UtilityTest::Now() const {
  return platform::Current().Clock().NowMs();
}

void UtilityTest::RunFor(uint32_t ms) {
  const uint64_t end = Now() + ms;
  RunUntil([this, end] { return Now() >= end; }, ms + 1);
}

void UtilityTest::DeliverHandedCalls() {
  QElapsedTimer real;
  real.start();
  while (core::GuiHandOver::Instance().Pending() > 0) {
    if (real.elapsed() > kRealTimeLimitMs) {
      ADD_FAILURE() << "calls handed to the window still wait after " << kRealTimeLimitMs
                    << " ms of real time";
      return;
    }
    QCoreApplication::processEvents();
  }
}

bool UtilityTest::RunUntil(const std::function<bool()>& done, uint32_t ms) {
  const uint64_t end = Now() + ms;
  QElapsedTimer real;
  real.start();
  // Something must be due for the clock to move: a timer of the test's own keeps it going.
  core::MachineTimer ticker(nullptr, [] {});
  ticker.Start(10);
  while (!done()) {
    if (Now() >= end) return false;
    if (real.elapsed() > kRealTimeLimitMs) {
      ADD_FAILURE() << "no end after " << kRealTimeLimitMs << " ms of real time";
      return false;
    }
    // One batch at a time: each timer the bridge fires is checked against done() at once.
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  return true;
}

void UtilityTest::AddProfile(const std::string& name, const std::string& ssid, uint32_t auth,
                             uint32_t encryption, const std::string& psk, bool makeDefault,
                             const std::function<void(ProfileRecord&)>& edit) {
  const core::CVtrLibrary& lib = Library();
  ProfileRecord record{};
  lib.InitialProfile(&record);
  SetText(record.profileName, name);
  SetText(record.ssid, ssid);
  record.networkType = 1;
  record.authMode = auth;
  record.encryption = encryption;
  if (!psk.empty()) {
    SetText(record.psk, psk);
    record.pskLength = static_cast<uint32_t>(psk.size());
  }
  if (edit) edit(record);
  ASSERT_EQ(lib.AddProfile(core::kListCapacity, record.profileName, &record), 0) << name;
  if (!makeDefault) return;
  auto list = std::make_unique<core::ProfileArray>();
  const int32_t count = lib.ReadProfileList(core::kListCapacity, list->data());
  ASSERT_TRUE(lib.SetDefaultProfile(count, record.profileName, list->data()));
}

VtrLinkInfo UtilityTest::Link() const {
  VtrLinkInfo link{};
  Library().APLinkInformation(&link, 0);
  return link;
}

std::string UtilityTest::LinkSsid() const {
  const VtrLinkInfo link = Link();
  return link.linkState == 1 ? std::string(link.ssid, strnlen(link.ssid, sizeof link.ssid)) : "";
}

core::SheetPage* UtilityTest::Page(int32_t activePage) {
  for (core::SheetPage* page : Sheet().Pages()) {
    if (page->ActivePageValue() == activePage) return page;
  }
  ADD_FAILURE() << "no page sets ActivePage " << activePage;
  return nullptr;
}

void UtilityTest::ShowPage(int32_t activePage) {
  const int index = Sheet().Tabs()->indexOf(Page(activePage));
  ASSERT_GE(index, 0) << "the page is not in the sheet";
  Sheet().ActivatePage(index);
}

QString UtilityTest::ControlText(QWidget* page, int id) {
  QWidget* control = core::FindControl(page, id);
  if (control == nullptr) {
    ADD_FAILURE() << "no control " << id;
    return {};
  }
  if (auto* edit = qobject_cast<QLineEdit*>(control)) return edit->text();
  if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
  if (auto* group = qobject_cast<QGroupBox*>(control)) return group->title();
  return control->windowTitle();
}

nlohmann::json UtilityTest::RunVtrctlJson(const std::vector<std::string>& args) {
  std::vector<std::string> withJson = {"--json"};
  withJson.insert(withJson.end(), args.begin(), args.end());
  const auto scratch = testing_support::MakeTempDirectory();
  const testing_support::RunResult result = testing_support::RunProgram(
      ProgramFolder() / "vtrctl", withJson,
      {"RADIODESK_MACHINE=" + machine_.string(), "RADIODESK_PROFILE_DIR=" + profiles_.string(),
       "RADIODESK_VIRTUAL_TIME=1", "XDG_STATE_HOME=" + (scratch / "state").string()},
      scratch);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  return nlohmann::json::parse(result.out, nullptr, false);
}

void UtilityTest::UseSingleBandAdapter() {
  const auto file = machine_ / "machine.json";
  nlohmann::json description = nlohmann::json::parse(std::ifstream(file));
  for (auto& adapter : description["adapters"]) {
    if (adapter.contains("radio")) adapter["radio"]["dualBand"] = false;
  }
  std::ofstream(file) << description.dump(2);
  const auto used = sim::UseMachine(machine_);
  ASSERT_FALSE(used.has_value()) << *used;
}

void UtilityTest::SetAdapterPresent(bool present) {
  const auto failed = sim::CurrentAdapterControl().SetPresent(present);
  ASSERT_FALSE(failed.has_value()) << *failed;
}

QImage UtilityTest::Render(QWidget& widget, const std::string& name) {
  const QImage image = widget.grab().toImage();
  if (const char* dir = std::getenv("RADIODESK_SCREENSHOT_DIR")) {
    image.save(QString::fromStdString(std::string(dir) + "/" + name + ".png"));
  }
  return image;
}

struct MachineClockHold::Latch {
  std::mutex mutex;
  std::condition_variable released;
  bool open = false;  // guarded by mutex
};

MachineClockHold::MachineClockHold() : latch_(std::make_shared<Latch>()) {
  auto& clock = dynamic_cast<sim::SimMachine&>(platform::Current()).timerClock();
  clock.Schedule(this, clock.NowMs() + 1, [latch = latch_] {
    std::unique_lock lock(latch->mutex);
    if (!latch->released.wait_for(lock, std::chrono::milliseconds(kRealTimeLimitMs),
                                  [&] { return latch->open; })) {
      ADD_FAILURE() << "the machine's clock was held for " << kRealTimeLimitMs
                    << " ms of real time";
    }
  });
}

MachineClockHold::~MachineClockHold() {
  Release();
}

void MachineClockHold::Release() {
  {
    std::lock_guard lock(latch_->mutex);
    latch_->open = true;
  }
  latch_->released.notify_all();
  dynamic_cast<sim::SimMachine&>(platform::Current()).timerClock().Cancel(this);
}

}  // namespace app_testing
