// The utility's process-wide state: what start-up settles before the window exists, the lists the
// pages and workers share, and the flags that keep the workers apart. Workers run on threads of
// their own, so every member is either fixed before the sheet starts, atomic, or behind a lock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "vtrlib.h"

namespace core {

inline constexpr int32_t kListCapacity = 128;

// ActivePage values, one per page.
enum ActivePageNumber : int32_t {
  kPageSiteSurvey = 1,
  kPageProfileManager = 2,
  kPageNetworkStatus = 3,
  kPageAbout = 4,
};

// A value that more than one thread reads and writes whole.
template <typename T>
class Guarded {
 public:
  T Get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }
  void Set(const T& value) {
    std::lock_guard lock(mutex_);
    value_ = value;
  }
  // Runs fn on the value under the lock; fn must not call back into this object.
  template <typename Fn>
  auto With(Fn&& fn) {
    std::lock_guard lock(mutex_);
    return fn(value_);
  }

 private:
  mutable std::mutex mutex_;
  T value_{};
};

using ProfileArray = std::array<ProfileRecord, kListCapacity>;
using SurveyArray = std::array<VtrSurveyEntry, kListCapacity>;

struct AppState {
  // Settled by start-up, read-only afterwards.
  std::string programDir;  // with its trailing separator
  std::string productCorp;
  std::string productName;
  std::string settingsKey;
  std::string languageFilePath;
  std::string languageCode = "US";
  std::string corpInfoPath;
  std::string corpDisplayName;
  std::string windowTitle;
  int32_t osVersionCode = 0;

  Guarded<VtrCapability> adapterCapability;
  std::atomic<int32_t> libraryHandle{0};
  std::atomic<int32_t> regionalDomainCode{3};
  std::atomic<int32_t> activePage{0};

  Guarded<ProfileArray> profileList;
  std::atomic<int32_t> profileCount{0};
  Guarded<SurveyArray> surveyList;
  std::atomic<int32_t> surveyCount{0};
  Guarded<ProfileRecord> defaultProfileRecord;
  std::atomic<int32_t> selectedSurveyIndex{-1};

  // The flags the workers and the sheet coordinate by.
  std::atomic<bool> autoConnectBusy{false};
  std::atomic<bool> connectWorkerBusy{false};
  std::atomic<bool> cardPollHold{false};
  std::atomic<bool> resumePending{false};
  std::atomic<bool> appClosing{false};
  // A profile made from a survey entry waits on the Profile Manager page to be completed.
  std::atomic<bool> surveyProfilePending{false};
  std::atomic<bool> wpsAutoStart{false};

  // Empties the survey list and its count together.
  void ClearSurvey() {
    surveyList.Set(SurveyArray{});
    surveyCount = 0;
  }
};

// The one state of this process.
AppState& State();
// Starts the state afresh, for a new run of the utility in the same process (tests); no worker
// may be running.
void ResetState();

}  // namespace core
