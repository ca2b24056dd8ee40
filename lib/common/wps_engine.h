// The WPS enrollee engine both library builds share: it sends the driver the start message,
// polls the driver's WPS status on a thread of its own, reports progress to the caller's
// callback and turns the credential the driver hands out into the WPS profile.
//
// What differs between the builds (how a request reaches the driver, the poll interval, the
// trace, what a stop and a success also do) comes in through DriverRequests.
//
// Each run has its own running flag, so a run that was stopped never mistakes the flag of a
// later run for its own. Stopping joins the engine thread; a stop or a start from inside the
// callback (on the engine thread itself) leaves the thread to be joined by the next stop, start
// or the engine's end, since it returns as soon as the callback does.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "lib/common/wps_credentials.h"
#include "platform/wps_driver_records.h"
#include "vtrlib/profile_record.h"
#include "vtrlib/wps_request.h"

namespace vtr::wps {

enum class DriverStep {
  kStart,             // set: the 56-byte start message
  kCredentialBuffer,  // set: the 996-byte credential buffer
  kFirstValue,        // set: 1
  kSecondValue,       // set: 1
  kStatus,            // query: the 4-byte status
  kCredentialTable,   // query: the 996-byte credential table
};

class DriverRequests {
 public:
  virtual ~DriverRequests() = default;
  virtual bool Set(DriverStep step, void* data, uint32_t length) = 0;
  virtual bool Query(DriverStep step, void* data, uint32_t length) = 0;

  // On the caller's thread before the engine thread starts: take the adapter off any network.
  virtual void PrepareAdapter() = 0;
  // Each status the engine knows, as it is polled.
  virtual void Trace(const char* statusName) = 0;
  // The survey channel the WPS profile gets.
  virtual uint32_t SurveyChannel() = 0;
  // What the profile's pskLength counts.
  virtual PskLength PskLengthRule() const = 0;
  // After the profile is made, before the success callback.
  virtual void AfterSuccess() = 0;
  // After the caller stopped a running engine.
  virtual void AfterStop() = 0;

  virtual uint32_t PollIntervalMs() const = 0;
  // The wait between the requests of the start and the first poll.
  virtual uint32_t FirstPollDelayMs() const = 0;
};

class Engine {
 public:
  explicit Engine(DriverRequests& driver);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Starts a run (stopping one that runs); false for a request the engine cannot send.
  bool Start(const WpsRequest& request, VtrWpsCallback callback, uintptr_t context);
  // Stops a running engine without a callback; no callback comes after it returns, unless it
  // was called from the callback itself. A run that was going gets the build's after-stop steps.
  void Stop();
  // Ends a running engine as Stop does, but without the after-stop steps; true when one was
  // running.
  bool End();

  // The profile of the last success; all zero before the first.
  ProfileRecord Profile() const;

 private:
  struct Run {
    std::atomic<bool> running{true};
  };

  // Clears the current run's flag and takes its thread; true when it was running.
  bool EndCurrent(std::thread& toJoin);
  void JoinRetired();
  void Loop(std::shared_ptr<Run> run, WpsRequest request, VtrWpsCallback callback,
            uintptr_t context);
  void Succeed(const WpsRequest& request, VtrWpsCallback callback, uintptr_t context);

  DriverRequests& driver_;

  mutable std::mutex mutex_;
  std::shared_ptr<Run> current_;      // guarded by mutex_
  std::thread worker_;                // guarded by mutex_
  std::vector<std::thread> retired_;  // guarded by mutex_
  ProfileRecord profile_{};           // guarded by mutex_
};

}  // namespace vtr::wps
