#include "app/core/scan_worker.h"

#include "app/core/app_state.h"

namespace core {

namespace {

constexpr uint32_t kPercentSignal = 0;

}  // namespace

ScanWorker::ScanWorker(const CVtrLibrary& lib, QObject* window, std::function<bool()> radioOn)
    : lib_(lib), window_(window), radioOn_(std::move(radioOn)) {}

bool ScanWorker::Start(const ScanParameters& parameters, ScanListener listener) {
  State().surveyCount = 0;
  return worker_.Start(
      [this, parameters, listener = std::move(listener)](std::stop_token stop, uint64_t run) {
        Scan(stop, run, parameters, listener);
      });
}

void ScanWorker::Scan(std::stop_token stop, uint64_t run, ScanParameters parameters,
                      const ScanListener& listener) {
  AppState& state = State();
  state.ClearSurvey();
  // A result is handed over only while this run is still the current one.
  auto post = [this, run](std::function<void()> fn) {
    if (!fn) return;
    PostToGui(window_, [this, run, fn = std::move(fn)] {
      if (worker_.IsCurrent(run)) fn();
    });
  };
  const bool animated = parameters.scanMode == 1;
  if (!lib_.IsCardConnect() || !radioOn_()) {
    if (listener.skipped) post(listener.skipped);
    return;
  }
  if (listener.started) post([listener, animated] { listener.started(animated); });
  auto entries = std::make_unique<SurveyArray>();
  const int32_t count =
      lib_.SiteSurveyEx(parameters.filterMask, parameters.sortKey, parameters.sortDescending,
                        parameters.scanMode, entries->data(), kPercentSignal);
  if (stop.stop_requested()) return;
  state.surveyList.Set(*entries);
  state.surveyCount = std::max(count, 0);
  if (listener.finished) {
    post([listener, animated, count] { listener.finished(animated, std::max(count, 0)); });
  }
}

}  // namespace core
