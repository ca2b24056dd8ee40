#include "lib/common/address_change_wait.h"

#include "platform/services.h"

namespace vtr {
namespace {

constexpr long kErrorIoPending = 997;

}  // namespace

struct AddressChangeWait::State {
  platform::Overlapped overlapped{};
  uint64_t handle = 0;
  bool registered = false;
};

AddressChangeWait::AddressChangeWait() : state_(new State) {}

// A registration the wait never collected is cancelled, so that IP Helper does not complete it
// into an overlapped that is gone.
AddressChangeWait::~AddressChangeWait() {
  auto& services = platform::Current();
  if (state_->registered) {
    services.IpHelper().CancelIPChangeNotify(&state_->overlapped);
    uint32_t ignored = 0;
    services.Events().GetOverlappedResult(&state_->overlapped, &ignored, true);
  }
  if (state_->overlapped.event != 0) services.Events().CloseEvent(state_->overlapped.event);
  delete state_;
}

bool AddressChangeWait::Register() {
  auto& services = platform::Current();
  if (state_->registered) return true;
  // One event serves every registration of the wait.
  platform::EventHandle event = state_->overlapped.event;
  if (event == 0) event = services.Events().CreateEvent(true, false);
  if (event == 0) return false;
  state_->overlapped = {};
  state_->overlapped.event = event;
  const long result = services.IpHelper().NotifyAddrChange(&state_->handle, &state_->overlapped);
  state_->registered = result == kErrorIoPending;
  return state_->registered;
}

bool AddressChangeWait::Wait(uint32_t timeoutMs) {
  if (!state_->registered) return false;
  auto& events = platform::Current().Events();
  if (events.WaitForSingleObject(state_->overlapped.event, timeoutMs) != platform::kWaitObject0) {
    return false;
  }
  uint32_t transferred = 0;
  const bool completed = events.GetOverlappedResult(&state_->overlapped, &transferred, true);
  state_->registered = false;
  return completed;
}

}  // namespace vtr
