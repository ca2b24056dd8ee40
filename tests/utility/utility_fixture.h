// The utility on a fresh simulated machine in virtual time, offscreen, in the test's process:
// the real start-up, sheet and pages, with the library of one program folder (bin: VTRLib on an
// xp machine; bin-vista: VantrelLib on a vista machine, chosen by RADIODESK_TEST_BUILD).
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "app/core/property_sheet.h"
#include "app/core/radiodesk_app.h"
#include "app/core/vtr_library.h"

namespace app_testing {

// "xp" or "vista".
std::string BuildUnderTest();
bool IsVista();
std::filesystem::path ProgramFolder();
// The library of the program folder, loaded once for the whole test run.
const core::CVtrLibrary& Library();

// Stops the machine's clock a millisecond from now until released: every sleeper (a worker, the
// clock bridge) waits there, so a test can look at a worker while it is sure to be running. The
// window must not sleep meanwhile; a hold not released within a real-time bound lets go and
// fails the test rather than hang it.
class MachineClockHold {
 public:
  MachineClockHold();
  ~MachineClockHold();
  MachineClockHold(const MachineClockHold&) = delete;
  MachineClockHold& operator=(const MachineClockHold&) = delete;
  void Release();

 private:
  struct Latch;
  std::shared_ptr<Latch> latch_;
};

class UtilityTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Before the start: a fresh machine from the build's preset as edit changes it, in place of the
  // one SetUp made.
  void UseDescription(const std::function<void(nlohmann::json&)>& edit);
  // The wireless adapter of a preset's description (both presets list it second).
  static nlohmann::json& WirelessAdapter(nlohmann::json& description);

  // A setting under the utility's key, before or after the start.
  void SetSetting(const std::string& name, const std::string& text);
  std::optional<std::string> Setting(const std::string& name);

  // The program folder the start-up is given (the build's own unless a test sets another).
  std::string programDir_;

  // Runs the start-up; false when it ended the program.
  bool Start();
  // Starts and runs until the first poll has handled the adapter (and any auto-connect ran).
  void StartAndSettle();
  core::CVantrelPropertySheet& Sheet() { return *app_->Sheet(); }
  core::CRadiodeskApp& App() { return *app_; }

  // Lets the event loop run while the machine's clock moves on by ms.
  void RunFor(uint32_t ms);
  // Runs the results handed to the window until none is left, those they hand on included: a
  // finished worker's last calls, which a wait in machine time may miss, since a running
  // worker's sleeps move the clock without the window.
  void DeliverHandedCalls();
  // Runs until done() holds or ms of machine time passed; whether it holds.
  bool RunUntil(const std::function<bool()>& done, uint32_t ms);
  uint64_t Now() const;

  // A profile through the library, made the default when asked.
  void AddProfile(const std::string& name, const std::string& ssid, uint32_t auth = 0,
                  uint32_t encryption = 0, const std::string& psk = {}, bool makeDefault = false,
                  const std::function<void(ProfileRecord&)>& edit = {});
  VtrLinkInfo Link() const;
  std::string LinkSsid() const;

  // The sheet's page that sets this ActivePage value, and making it the current tab.
  core::SheetPage* Page(int32_t activePage);
  void ShowPage(int32_t activePage);
  // The visible text of a page's control (field, label, box title).
  static QString ControlText(QWidget* page, int id);

  // Runs vtrctl of the build's program folder on this machine with --json; its one document.
  nlohmann::json RunVtrctlJson(const std::vector<std::string>& args);

  // Before the start: the machine's wireless adapter hears 2.4 GHz only (no 802.11a).
  void UseSingleBandAdapter();
  // Pulls or plugs the adapter, as `vtrctl sim pull` does.
  void SetAdapterPresent(bool present);

  // The sheet rendered to an image; saved under RADIODESK_SCREENSHOT_DIR when set.
  QImage Render(QWidget& widget, const std::string& name);

  std::filesystem::path machine_;
  std::filesystem::path profiles_;
  std::unique_ptr<core::CRadiodeskApp> app_;
};

}  // namespace app_testing
