// AutoConnectWorker: the automatic connection to the stored profiles. It scans, waits for a
// result (30 s at most), then tries the default profile, and with "Auto Profile Connect" every
// other profile after it in turn, wrapping round, until one joins. A default profile whose SSID
// is "<ANY SSID>" joins the first open infrastructure network found, kept as "<Default>".
#pragma once

#include <cstdint>
#include <stop_token>

#include "app/core/app_state.h"
#include "app/core/vtr_library.h"
#include "app/core/worker.h"

namespace core {

class CVantrelPropertySheet;

class AutoConnectWorker {
 public:
  AutoConnectWorker(const CVtrLibrary& lib, CVantrelPropertySheet& sheet);

  bool Start();
  bool IsIdle() const { return worker_.IsIdle(); }
  bool Stop(uint32_t boundMs) { return worker_.Stop(boundMs); }
  // How many runs have been started.
  uint64_t Runs() const { return worker_.Run(); }

 private:
  void Run(std::stop_token stop, uint64_t run);
  // Waits for the scan's first result, checking every second; false after 30 s or a stop.
  bool WaitForSurvey(std::stop_token stop);
  bool MayConnect() const;
  // Tries the profiles of the run in turn; the record that joined, if any, is left in
  // DefaultProfileRecord.
  bool TryProfiles(std::stop_token stop, uint64_t run, ProfileArray& profiles, int32_t count);
  // Makes an "<ANY SSID>" record the first open infrastructure network of the survey, stored
  // as "<Default>" (profiles and count follow the store).
  void ResolveAnySsid(uint64_t run, ProfileRecord& record, ProfileArray& profiles, int32_t& count);
  // Runs fn on the GUI thread while this run is current.
  void Post(uint64_t run, std::function<void()> fn);

  const CVtrLibrary& lib_;
  CVantrelPropertySheet& sheet_;
  Worker worker_;
};

}  // namespace core
