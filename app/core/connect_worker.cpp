#include "app/core/connect_worker.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "app/core/keep_profile.h"
#include "app/core/language.h"
#include "app/core/link_wait.h"
#include "app/core/message_box.h"
#include "app/core/property_sheet.h"
#include "app/core/settings.h"
#include "app/core/survey_profile.h"

namespace core {

namespace {

constexpr uint32_t kConnectReturnAtOnce = 2;
constexpr uint32_t kNetworkInfrastructure = 1;
constexpr uint32_t kNetworkAdHoc = 0;
constexpr uint32_t kAuthOpen = 0;
constexpr uint32_t kAuthAutoSwitch = 2;
constexpr int kFrameConnected = 5;
constexpr int kFrameIdle = 0;

template <size_t N>
void SetText(char (&field)[N], std::string_view text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

bool NamedDefault(const ProfileRecord& record) {
  return std::string_view(record.profileName,
                          strnlen(record.profileName, sizeof record.profileName)) ==
         kDefaultProfileName;
}

// The failure message of an add that did not take the profile; empty for none.
QString AddFailureText(int32_t result) {
  switch (result) {
    case kProfileOpenFailed:
    case kProfileAddFailed:
      return ToQString(LangLookup("PROFILE_MANAGER", "10490", "Open or Add Profile Fail !"));
    case kProfileStoreFull:
      return ToQString(LangLookup("PROFILE_MANAGER", "104A0", "Profile numbers is Full !"));
    default:
      return {};
  }
}

}  // namespace

bool JoinsDirectly(const VtrSurveyEntry& entry) {
  return (entry.authMask == kAuthOpen || entry.authMask == kAuthAutoSwitch) &&
         entry.cipherMask == 0 && entry.networkType == kNetworkInfrastructure &&
         !SurveySsid(entry).empty();
}

ConnectWorker::ConnectWorker(const CVtrLibrary& lib, CVantrelPropertySheet& sheet)
    : lib_(lib), sheet_(sheet) {}

bool ConnectWorker::StartFromSurvey(const VtrSurveyEntry& entry) {
  return Start(
      [this, entry](std::stop_token stop, uint64_t run) { RunSurveyPath(stop, run, entry); });
}

bool ConnectWorker::StartFromProfile() {
  return Start([this](std::stop_token stop, uint64_t run) { RunProfilePath(stop, run); });
}

bool ConnectWorker::Start(std::function<void(std::stop_token, uint64_t)> path) {
  if (!worker_.IsIdle()) return false;
  return worker_.Start([this, path = std::move(path)](std::stop_token stop, uint64_t run) {
    Begin(run);
    path(stop, run);
    End(run);
  });
}

bool ConnectWorker::Stop(uint32_t boundMs) {
  const bool ended = worker_.Stop(boundMs);
  State().connectWorkerBusy = false;
  return ended;
}

void ConnectWorker::Post(uint64_t run, std::function<void()> fn) {
  PostToGui(&sheet_, [this, run, fn = std::move(fn)] {
    if (worker_.IsCurrent(run)) fn();
  });
}

void ConnectWorker::Begin(uint64_t run) {
  State().connectWorkerBusy = true;
  Post(run, [this] {
    if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->ConnectWorkerRunning(true);
    if (ProfileManagerHooks* manager = sheet_.ProfileManager()) manager->ConnectWorkerRunning(true);
  });
}

void ConnectWorker::End(uint64_t run) {
  // A stopped run leaves the pages to whoever stopped it.
  if (!worker_.IsCurrent(run)) return;
  Post(run, [this] {
    if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) {
      survey->ConnectWorkerRunning(false);
      survey->RefreshList();
    }
    if (ProfileManagerHooks* manager = sheet_.ProfileManager())
      manager->ConnectWorkerRunning(false);
  });
  State().connectWorkerBusy = false;
}

bool ConnectWorker::StoreAsDefault(uint64_t run, const ProfileRecord& record) {
  AppState& state = State();
  auto profiles = std::make_unique<ProfileArray>();
  int32_t count = std::max(lib_.ReadProfileList(kListCapacity, profiles->data()), 0);
  const int32_t kept = KeepProfile(lib_, record, *profiles, count);
  if (kept != kProfileAdded) {
    const QString text = AddFailureText(kept);
    if (!text.isEmpty()) {
      Post(run, [this, text] { ShowMessage(&sheet_, text, MessageIcon::Exclamation); });
    }
    return false;
  }
  Post(run, [this, record] {
    if (ProfileManagerHooks* manager = sheet_.ProfileManager()) manager->ShowRecord(record);
  });
  lib_.SetDefaultProfile(count, record.profileName, profiles->data());
  state.profileList.Set(*profiles);
  state.profileCount = count;
  Post(run, [this] {
    if (ProfileManagerHooks* manager = sheet_.ProfileManager()) manager->RefreshProfiles();
  });
  return true;
}

void ConnectWorker::Connect(std::stop_token stop, uint64_t run, ProfileRecord& record,
                            int linkChecks) {
  const bool ok = lib_.ConnectToAP(&record, kConnectReturnAtOnce) != 0;
  if (ok) WriteSettingBinary("Default Profile", &record, sizeof record);
  Post(run, [this, ok] {
    if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) {
      survey->StopConnectAnimation(ok ? kFrameConnected : kFrameIdle);
    }
    sheet_.UpdateTray(ok ? kTrayConnected : kTrayNoConnection, -1);
  });
  if (ok) WaitForLink(lib_, stop, record, linkChecks);
}

void ConnectWorker::RunSurveyPath(std::stop_token stop, uint64_t run, const VtrSurveyEntry& entry) {
  if (!sheet_.CardPresent()) return;
  if (JoinsDirectly(entry)) {
    JoinDirectly(stop, run, entry);
  } else {
    PrepareProfile(run, entry);
  }
}

bool ConnectWorker::ShowValidateNotice(std::stop_token stop, uint64_t run) {
  return WaitForWindow(
      stop, [this, run](std::function<void()> fn) { Post(run, std::move(fn)); },
      [this]() -> QObject* { return sheet_.ShowValidateNotice(); });
}

void ConnectWorker::JoinDirectly(std::stop_token stop, uint64_t run, const VtrSurveyEntry& entry) {
  AppState& state = State();
  if (!ShowValidateNotice(stop, run)) return;
  Post(run, [this] {
    if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->StartConnectAnimation();
  });
  state.surveyProfilePending = false;
  ProfileRecord record = state.defaultProfileRecord.Get();
  SetText(record.profileName, kDefaultProfileName);
  FillProfileFromSurvey(lib_, record, entry, state.adapterCapability.Get().adapterKind);
  state.defaultProfileRecord.Set(record);
  if (!StoreAsDefault(run, record) || stop.stop_requested()) return;
  Connect(stop, run, record, kSurveyLinkChecks);
}

void ConnectWorker::PrepareProfile(uint64_t run, const VtrSurveyEntry& entry) {
  AppState& state = State();
  state.surveyProfilePending = true;
  ProfileRecord record{};
  SetText(record.profileName, kDefaultProfileName);
  FillProfileFromSurvey(lib_, record, entry, state.adapterCapability.Get().adapterKind);
  if (entry.networkType == kNetworkAdHoc) PrepareAdHocFromSurvey(record, entry);
  state.defaultProfileRecord.Set(record);
  if (!StoreAsDefault(run, record)) return;
  if (entry.hasWps != 0) state.wpsAutoStart = true;
  Post(run, [this] {
    if (!sheet_.ShowProfileManager()) {
      ShowMessage(&sheet_,
                  ToQString(LangLookup("SITE_SURVEY", "10120",
                                       "This network needs its security settings, which this "
                                       "program has no Profile Manager page to take.")),
                  MessageIcon::Exclamation);
    }
  });
}

void ConnectWorker::RunProfilePath(std::stop_token stop, uint64_t run) {
  AppState& state = State();
  if (!sheet_.CardPresent()) return;
  if (!ShowValidateNotice(stop, run)) return;
  Post(run, [this] {
    if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->StartConnectAnimation();
  });
  ProfileRecord record = state.defaultProfileRecord.Get();
  if (state.surveyProfilePending && !NamedDefault(record)) {
    // The network picked on the Site Survey page keeps its "<Default>" under the settings given.
    ProfileRecord asDefault = record;
    SetText(asDefault.profileName, kDefaultProfileName);
    lib_.WriteSingleProfile(asDefault.profileName, &asDefault);
  }
  state.surveyProfilePending = false;
  if (!StoreAsDefault(run, record) || stop.stop_requested()) {
    Post(run, [this] {
      if (SiteSurveyHooks* survey = sheet_.SiteSurvey()) survey->StopConnectAnimation(kFrameIdle);
    });
    return;
  }
  Connect(stop, run, record, kProfileLinkChecks);
}

}  // namespace core
