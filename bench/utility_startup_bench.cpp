// The utility's start-up, from the application object to the shown sheet, on a machine in real
// time that has had its first run (so no wait for the adapter). The figure includes the two
// short settling waits the start-up makes on purpose (100 ms after the regional domain, 80 ms
// after showing the window).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <optional>

#include "app/core/app_state.h"
#include "app/core/clock_bridge.h"
#include "app/core/radiodesk_app.h"
#include "app/core/settings.h"
#include "app/pages/page_set.h"
#include "sim/machine.h"

namespace {

const core::CVtrLibrary& Library() {
  static const core::CVtrLibrary library(std::filesystem::path(RADIODESK_PROGRAM_DIR) /
                                         core::kVtrLibraryFileName);
  return library;
}

void PrepareMachine() {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("radiodesk-startup-bench-" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  if (auto failed = sim::InitMachineDirectory(dir, "xp")) throw std::runtime_error(*failed);
  if (auto failed = sim::UseMachine(dir)) throw std::runtime_error(*failed);
  std::filesystem::create_directories(dir / "profiles");
  ::setenv("RADIODESK_PROFILE_DIR", (dir / "profiles").c_str(), 1);
  core::WriteSetting(core::FormatSettingsKey("Vantrel", "Radiodesk"), "FirstRun", "255");
}

// Notes the moment the sheet's window is first shown.
class ShowWatch : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show &&
        dynamic_cast<core::CVantrelPropertySheet*>(watched) != nullptr && !shown) {
      shown = std::chrono::steady_clock::now();
    }
    return false;
  }
  std::optional<std::chrono::steady_clock::time_point> shown;
};

// Counters: "shown_ms", from the start to the window first shown (the start-up then still makes
// its 80 ms settling wait and the first tray update).
void BM_StartupToShownSheet(benchmark::State& state) {
  double shownMs = 0;
  for (auto _ : state) {
    core::ResetState();
    ShowWatch watch;
    QCoreApplication::instance()->installEventFilter(&watch);
    const auto begin = std::chrono::steady_clock::now();
    core::CRadiodeskApp app(
        Library(), {.programDir = RADIODESK_PROGRAM_DIR, .pages = pages::AllPages(Library())});
    const bool started = app.InitInstance();
    QCoreApplication::instance()->removeEventFilter(&watch);
    if (watch.shown) {
      shownMs += std::chrono::duration<double, std::milli>(*watch.shown - begin).count();
    }
    if (!started || app.Sheet() == nullptr || !app.Sheet()->isVisible()) {
      state.SkipWithError("the sheet was not shown");
      break;
    }
    state.PauseTiming();
    app.Sheet()->RunCommand(core::kCommandExit);
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["shown_ms"] =
      benchmark::Counter(shownMs / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_StartupToShownSheet)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  ::unsetenv("RADIODESK_VIRTUAL_TIME");
  QApplication application(argc, argv);
  PrepareMachine();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  core::ClockBridge::Instance().Shutdown();
  return 0;
}
