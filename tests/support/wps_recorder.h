// The WPS engine's callbacks as a test sees them, with the machine time of each, and the
// request a test starts the engine with.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <vector>

#include "platform/services.h"
#include "vtrlib.h"

namespace testing_support {

// The callbacks of a run with the machine time each came at.
class Recorder {
 public:
  struct Call {
    uint32_t code;
    uint64_t atMs;
  };

  static void Callback(uint32_t code, uintptr_t context) {
    auto* self = reinterpret_cast<Recorder*>(context);
    const uint64_t now = platform::Current().Clock().NowMs();
    if (self->onCall) self->onCall(code);
    std::lock_guard lock(self->mutex_);
    self->calls_.push_back({code, now});
    self->changed_.notify_all();
  }

  // Waits until a callback with one of the codes came `times` times in all; the run is in
  // virtual time, so that is at once unless the engine is broken, which the guard then reports.
  bool WaitFor(std::initializer_list<uint32_t> codes, size_t times = 1) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(60), [&] {
      size_t seen = 0;
      for (const Call& call : calls_) {
        for (uint32_t code : codes) seen += call.code == code ? 1 : 0;
      }
      return seen >= times;
    });
  }

  std::vector<Call> Calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  std::vector<uint32_t> Codes() {
    std::vector<uint32_t> codes;
    for (const Call& call : Calls()) codes.push_back(call.code);
    return codes;
  }

  std::function<void(uint32_t)> onCall;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Call> calls_;
};

inline WpsRequest Request(uint32_t method, const char* pin = "", const char* ssid = "",
                          const char* bssid = "", uint32_t channel = 0) {
  WpsRequest request;
  std::memset(&request, 0, sizeof request);
  request.method = method;
  std::strcpy(request.pin, pin);
  std::strcpy(request.ssid, ssid);
  std::strcpy(request.bssid, bssid);
  request.channel = channel;
  return request;
}

}  // namespace testing_support
