// The driver's WPS statuses as the engine meets them: the name each has in the trace log and
// what the engine does on it; and the codes the engine hands the caller's callback.
#pragma once

#include <cstdint>

#include "platform/wps_driver_records.h"

namespace vtr::wps {

enum CallbackCode : uint32_t {
  kCallbackScanning = 1,
  kCallbackAssociating = 2,
  kCallbackHandshaking = 3,
  kCallbackSuccess = 6,
  kCallbackFailure = 7,
  kCallbackNoPushButtonAp = 9,
  kCallbackTooManyPushButtonAps = 10,
};

enum class Reaction {
  kNone,
  kProgress,         // tell the caller the callback code and go on
  kSucceed,          // read the credential and make the WPS profile
  kFail,             // stop the engine, then tell the caller the callback code
  kPushButtonLimit,  // like kFail once the push-button walk time has passed since the start
};

// A push-button registration ends when no single access point could be found in this time.
inline constexpr uint64_t kPushButtonWalkMs = 120'000;

struct StatusEntry {
  uint32_t code;
  const char* name;
  Reaction reaction;
  uint32_t callback;  // for kProgress, kFail and kPushButtonLimit
};

// The entry of a status (its top four bits are ignored); nothing for a status the engine
// ignores.
const StatusEntry* FindStatus(uint32_t status);

}  // namespace vtr::wps
