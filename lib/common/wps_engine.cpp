#include "lib/common/wps_engine.h"

#include <cstring>

#include "lib/common/wps_credentials.h"
#include "lib/common/wps_status.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace vtr::wps {
namespace {

using namespace platform;

// The access point's own PIN is given a moment before the start message.
constexpr uint32_t kAccessPointPinDelayMs = 1000;

}  // namespace

Engine::Engine(DriverRequests& driver) : driver_(driver) {}

Engine::~Engine() {
  std::thread toJoin;
  EndCurrent(toJoin);
  if (toJoin.joinable()) toJoin.join();
  JoinRetired();
}

bool Engine::EndCurrent(std::thread& toJoin) {
  std::lock_guard lock(mutex_);
  const bool wasRunning = current_ && current_->running.exchange(false);
  current_.reset();
  if (worker_.joinable()) {
    if (worker_.get_id() == std::this_thread::get_id()) {
      retired_.push_back(std::move(worker_));
    } else {
      toJoin = std::move(worker_);
    }
  }
  return wasRunning;
}

void Engine::JoinRetired() {
  std::vector<std::thread> joinable;
  {
    std::lock_guard lock(mutex_);
    for (auto it = retired_.begin(); it != retired_.end();) {
      if (it->get_id() != std::this_thread::get_id()) {
        joinable.push_back(std::move(*it));
        it = retired_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& thread : joinable) thread.join();
}

bool Engine::Start(const WpsRequest& request, VtrWpsCallback callback, uintptr_t context) {
  WpsStartMessage message;
  if (!BuildStartMessage(request, message)) return false;
  std::thread previous;
  EndCurrent(previous);
  if (previous.joinable()) previous.join();
  JoinRetired();

  auto run = std::make_shared<Run>();
  driver_.PrepareAdapter();
  std::lock_guard lock(mutex_);
  current_ = run;
  worker_ = std::thread(&Engine::Loop, this, run, request, callback, context);
  return true;
}

void Engine::Stop() {
  if (End()) driver_.AfterStop();
}

bool Engine::End() {
  std::thread toJoin;
  const bool wasRunning = EndCurrent(toJoin);
  if (toJoin.joinable()) toJoin.join();
  JoinRetired();
  return wasRunning;
}

ProfileRecord Engine::Profile() const {
  std::lock_guard lock(mutex_);
  return profile_;
}

void Engine::Loop(std::shared_ptr<Run> run, WpsRequest request, VtrWpsCallback callback,
                  uintptr_t context) {
  auto& clock = platform::Current().Clock();
  auto tell = [&](uint32_t code) {
    if (callback != nullptr) callback(code, context);
  };
  if (request.method == 2) clock.SleepMs(kAccessPointPinDelayMs);
  WpsStartMessage message;
  BuildStartMessage(request, message);
  driver_.Set(DriverStep::kStart, &message, sizeof message);
  uint8_t buffer[kWpsCredentialTableSize] = {};
  driver_.Set(DriverStep::kCredentialBuffer, buffer, sizeof buffer);
  uint32_t one = 1;
  driver_.Set(DriverStep::kFirstValue, &one, sizeof one);
  one = 1;
  driver_.Set(DriverStep::kSecondValue, &one, sizeof one);
  const uint64_t startMs = clock.NowMs();
  if (driver_.FirstPollDelayMs() != 0) clock.SleepMs(driver_.FirstPollDelayMs());

  while (run->running.load()) {
    uint32_t status = 0;
    const StatusEntry* entry =
        driver_.Query(DriverStep::kStatus, &status, sizeof status) ? FindStatus(status) : nullptr;
    if (entry != nullptr) {
      driver_.Trace(entry->name);
      switch (entry->reaction) {
        case Reaction::kNone:
          break;
        case Reaction::kProgress:
          if (run->running.load()) tell(entry->callback);
          break;
        case Reaction::kPushButtonLimit:
          if (clock.NowMs() - startMs < kPushButtonWalkMs) break;
          [[fallthrough]];
        case Reaction::kFail:
          // Whoever clears the flag first ends the run: a stop from the caller wins silently.
          if (run->running.exchange(false)) tell(entry->callback);
          break;
        case Reaction::kSucceed:
          if (run->running.exchange(false)) Succeed(request, callback, context);
          break;
      }
    }
    if (run->running.load()) clock.SleepMs(driver_.PollIntervalMs());
  }
}

void Engine::Succeed(const WpsRequest& request, VtrWpsCallback callback, uintptr_t context) {
  uint8_t table[kWpsCredentialTableSize] = {};
  const bool read = driver_.Query(DriverStep::kCredentialTable, table, sizeof table);
  const CredentialList list = ReadCredentialTable(table, sizeof table);
  // A success without a credential gives nothing to join: it is told as a failure, and the
  // profile of the last success stays.
  if (!read || list.count == 0) {
    if (callback != nullptr) callback(kCallbackFailure, context);
    return;
  }
  ProfileRecord profile;
  std::memset(&profile, 0, sizeof profile);
  VTR_InitialProfile(&profile);
  ApplyCredential(list.items[ChooseCredential(list, request)], profile, driver_.PskLengthRule());
  profile.surveyChannel = driver_.SurveyChannel();
  {
    std::lock_guard lock(mutex_);
    profile_ = profile;
  }
  driver_.AfterSuccess();
  if (callback != nullptr) callback(kCallbackSuccess, context);
}

}  // namespace vtr::wps
