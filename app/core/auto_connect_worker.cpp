#include "app/core/auto_connect_worker.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "app/core/keep_profile.h"
#include "app/core/link_wait.h"
#include "app/core/property_sheet.h"
#include "app/core/settings.h"
#include "app/core/survey_profile.h"
#include "platform/services.h"

namespace core {

namespace {

constexpr uint32_t kSurveyCheckMs = 1000;
constexpr uint32_t kSurveyGiveUpMs = 30000;
constexpr uint32_t kSettleMs = 1000;
constexpr int kScanFollowMs = 5;
constexpr uint32_t kRetryPauseMs = 1000;
constexpr int kLinkChecks = 20;
constexpr int kFrameConnected = 5;
constexpr int kFrameIdle = 0;
constexpr uint32_t kConnectWait = 0;
constexpr uint32_t kNetworkInfrastructure = 1;

std::string_view Text(const char* field, size_t size) {
  return std::string_view(field, strnlen(field, size));
}

}  // namespace

AutoConnectWorker::AutoConnectWorker(const CVtrLibrary& lib, CVantrelPropertySheet& sheet)
    : lib_(lib), sheet_(sheet) {}

bool AutoConnectWorker::Start() {
  return worker_.Start([this](std::stop_token stop, uint64_t run) { Run(stop, run); });
}

void AutoConnectWorker::Post(uint64_t run, std::function<void()> fn) {
  PostToGui(&sheet_, [this, run, fn = std::move(fn)] {
    if (worker_.IsCurrent(run)) fn();
  });
}

bool AutoConnectWorker::WaitForSurvey(std::stop_token stop) {
  auto& clock = platform::Current().Clock();
  const uint64_t giveUp = clock.NowMs() + kSurveyGiveUpMs;
  while (State().surveyCount < 1) {
    if (stop.stop_requested() || clock.NowMs() >= giveUp) return false;
    // While the scan runs, its result is what this waits for: the wait follows the scan rather
    // than the clock, so that in virtual time the clock is not run past a scan still on its way.
    if (!sheet_.Scanner().IsIdle()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kScanFollowMs));
      continue;
    }
    const auto left =
        static_cast<uint32_t>(std::min<uint64_t>(giveUp - clock.NowMs(), kSurveyCheckMs));
    if (!SleepFor(stop, left)) return false;
  }
  return true;
}

bool AutoConnectWorker::MayConnect() const {
  return sheet_.ConnectPending() && sheet_.CardPresent() && sheet_.RadioOn() &&
         !sheet_.WzcManaged();
}

void AutoConnectWorker::ResolveAnySsid(uint64_t run, ProfileRecord& record, ProfileArray& profiles,
                                       int32_t& count) {
  const auto survey = State().surveyList.Get();
  const int32_t found = std::min(State().surveyCount.load(), kListCapacity);
  for (int32_t index = 0; index < found; ++index) {
    const VtrSurveyEntry& entry = survey[static_cast<size_t>(index)];
    if (entry.networkType != kNetworkInfrastructure || entry.cipherMask != 0) continue;
    State().selectedSurveyIndex = index;
    std::memset(record.profileName, 0, sizeof record.profileName);
    std::strcpy(record.profileName, kDefaultProfileName);
    FillProfileFromSurvey(lib_, record, entry, State().adapterCapability.Get().adapterKind);
    KeepProfile(lib_, record, profiles, count);
    State().profileCount = count;
    Post(run, [this] {
      if (ProfileManagerHooks* manager = sheet_.ProfileManager()) manager->RefreshProfiles();
    });
    return;
  }
}

bool AutoConnectWorker::TryProfiles(std::stop_token stop, uint64_t run, ProfileArray& profiles,
                                    int32_t count) {
  const int32_t start = lib_.FindDefaultProfile(count, profiles.data());
  // Without a default there is nothing to start from: no attempt is made.
  if (start < 0) return false;
  const int32_t end = start + (sheet_.AutoConnect() ? count : 1);
  Post(run, [this] {
    if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->StartConnectAnimation();
  });
  for (int32_t index = start; index < end && !stop.stop_requested(); ++index) {
    ProfileRecord record = profiles[static_cast<size_t>(index % count)];
    if (Text(record.ssid, sizeof record.ssid) == kAnySsid) {
      ResolveAnySsid(run, record, profiles, count);
    }
    State().defaultProfileRecord.Set(record);
    Post(run, [this, record] {
      if (ProfileManagerHooks* manager = sheet_.ProfileManager()) manager->ShowRecord(record);
    });
    if (lib_.ConnectToAP(&record, kConnectWait) != 0) {
      lib_.SetDefaultProfile(count, record.profileName, profiles.data());
      State().profileList.Set(profiles);
      State().defaultProfileRecord.Set(record);
      WriteSettingBinary("Default Profile", &record, sizeof record);
      Post(run, [this] {
        if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) {
          survey->StopConnectAnimation(kFrameConnected);
        }
        sheet_.UpdateTray(kTrayConnected, -1);
      });
      return true;
    }
    Post(run, [this] {
      if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->StopConnectAnimation(kFrameIdle);
      sheet_.UpdateTray(kTrayNoConnection, -1);
    });
    if (!SleepFor(stop, kRetryPauseMs)) return false;
  }
  return false;
}

void AutoConnectWorker::Run(std::stop_token stop, uint64_t run) {
  AppState& state = State();
  state.autoConnectBusy = true;
  Post(run, [this] {
    if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->ShowAllFilters();
  });
  // Started from here, so that the count the wait below reads is this scan's.
  sheet_.StartScan(ScanParameters{0, 5, 1, 1});
  bool connected = false;
  if (WaitForSurvey(stop) && SleepFor(stop, kSettleMs) && MayConnect()) {
    auto profiles = std::make_unique<ProfileArray>();
    const int32_t count = lib_.ReadProfileList(kListCapacity, profiles->data());
    state.profileCount = std::max(count, 0);
    if (count > 0) {
      state.profileList.Set(*profiles);
      connected = TryProfiles(stop, run, *profiles, count);
    }
    Post(run, [this] {
      if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->StepConnectAnimation();
    });
    if (connected) {
      WaitForLink(lib_, stop, state.defaultProfileRecord.Get(), kLinkChecks);
      Post(run, [this] {
        if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->RefreshList();
      });
    }
  }
  SleepFor(stop, kSettleMs);
  if (!worker_.IsCurrent(run)) return;  // stopped: the sheet has cleared the flags itself
  sheet_.SetConnectPending(false);
  state.autoConnectBusy = false;
}

}  // namespace core
