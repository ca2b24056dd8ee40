// ConnectWorker: joins a network on a thread of its own. One worker serves the Site Survey page
// ("&Connect" and a double click), the Profile Manager's "&Apply  Profile" and the WPS dialog's
// success; the sheet owns it, so whichever page asks, at most one connect runs.
//
// How a page starts it (GUI thread; false when one runs already, and then nothing starts):
//   - Site Survey: Sheet().Connector().StartFromSurvey(entry), with the survey entry chosen. An
//     open infrastructure network is stored as "<Default>", made the default and joined. Any other
//     network is stored as "<Default>" prepared from the entry, SurveyProfilePending (and, for a
//     network with WPS, WpsAutoStart) is set and the sheet switches to the Profile Manager page,
//     where the user completes the security settings and applies.
//   - Profile Manager (Apply) and WPS: put the record to join into State().defaultProfileRecord,
//     then Sheet().Connector().StartFromProfile(). The record is stored under its name (added when
//     the store has none), made the default and joined.
// The worker touches no widget. It tells the pages through their hooks, on the GUI thread:
// ConnectWorkerRunning(true) when it starts and (false) when it ends (the pages grey "&Connect"
// and "&Apply  Profile" meanwhile), the connection picture, RefreshProfiles and ShowRecord, the
// tray, and the "Validate Settings ..." notice before the connect. After a successful request the
// record is kept in the setting "Default Profile".
#pragma once

#include <cstdint>
#include <functional>
#include <stop_token>

#include "app/core/app_state.h"
#include "app/core/vtr_library.h"
#include "app/core/worker.h"

namespace core {

class CVantrelPropertySheet;

// How often the link is read after a successful request until it shows the network.
inline constexpr int kSurveyLinkChecks = 20;
inline constexpr int kProfileLinkChecks = 61;

// A survey entry the Site Survey page joins at once: an open infrastructure network with a name.
// Every other entry is prepared as a profile for the Profile Manager page.
bool JoinsDirectly(const VtrSurveyEntry& entry);

class ConnectWorker {
 public:
  ConnectWorker(const CVtrLibrary& lib, CVantrelPropertySheet& sheet);

  bool StartFromSurvey(const VtrSurveyEntry& entry);
  bool StartFromProfile();
  bool IsIdle() const { return worker_.IsIdle(); }
  // Ends a run within boundMs (its late results are dropped) and clears ConnectWorkerBusy.
  bool Stop(uint32_t boundMs);
  // How many runs have been started.
  uint64_t Runs() const { return worker_.Run(); }

 private:
  bool Start(std::function<void(std::stop_token, uint64_t)> path);
  void RunSurveyPath(std::stop_token stop, uint64_t run, const VtrSurveyEntry& entry);
  void RunProfilePath(std::stop_token stop, uint64_t run);
  // Unless the window is hidden, the "Validate Settings ..." notice, for as long as it shows: the
  // connect goes on once it has closed, as behind a modal notice. False when stopped meanwhile.
  bool ShowValidateNotice(std::stop_token stop, uint64_t run);
  void JoinDirectly(std::stop_token stop, uint64_t run, const VtrSurveyEntry& entry);
  void PrepareProfile(uint64_t run, const VtrSurveyEntry& entry);
  // Stores record under its name, makes it the default and has the Profile Manager re-read the
  // list; false (after the failure's message) when the store refused it.
  bool StoreAsDefault(uint64_t run, const ProfileRecord& record);
  // Gives the connect request; on success the tray and "Default Profile" follow and the link is
  // read up to linkChecks times until it shows the network.
  void Connect(std::stop_token stop, uint64_t run, ProfileRecord& record, int linkChecks);
  void Begin(uint64_t run);
  void End(uint64_t run);
  // Runs fn on the GUI thread while this run is current.
  void Post(uint64_t run, std::function<void()> fn);

  const CVtrLibrary& lib_;
  CVantrelPropertySheet& sheet_;
  Worker worker_;
};

}  // namespace core
