// The supplicant's events: the link coming up while a WPS run waits, an authenticated port, and
// a network that rejected the credentials.
#include <cstring>
#include <string>

#include "lib/common/private_profile.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/oid_channel.h"
#include "lib/driver/post_authentication.h"
#include "lib/driver/supplicant_state.h"
#include "platform/services.h"

namespace vtr::supplicant {
namespace {

using namespace platform;

// The name the adapter is parked on after a rejection: 32 bytes of 0x10, which no network has.
constexpr uint8_t kRejectedParkingByte = 0x10;

bool WpsWaitingForCredential() {
  const auto& state = LibState();
  return state.wpsBusy.load() && !state.wpsCredentialReceived.load();
}

// The utility's settings file: the program's own file name with the extension "ini".
std::string SettingsFile() {
  std::string path = platform::Current().Process().ProgramFileName();
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
  return path + ".ini";
}

bool RejectedCallbackEnabled() {
  return PrivateProfileStringFromFile(SettingsFile(), "Advance", "GenericRejectedCallback", "0") ==
         "1";
}

// Keeps the adapter from trying the network that refused us again and again.
void LeaveRejectingNetwork() {
  vtr::SetOid(kOid802_11Disassociate, nullptr, 0, nullptr);
  Ndis80211Ssid ssid{};
  ssid.ssidLength = sizeof(ssid.ssid);
  std::memset(ssid.ssid, kRejectedParkingByte, sizeof(ssid.ssid));
  vtr::SetOid(kOid802_11Ssid, &ssid, sizeof(ssid), nullptr);
}

void OnLinkState(AcPort port) {
  uint32_t link = 0;
  if (!Check("acPortGetLinkState",
             platform::Current().Supplicant().acPortGetLinkState(port, link))) {
    return;
  }
  if (link != kAcLinkUp || !WpsWaitingForCredential()) return;
  uint8_t bssid[6] = {};
  if (!vtr::QueryOid(kOid802_11Bssid, bssid, sizeof(bssid), nullptr)) return;
  auto& state = State();
  std::lock_guard lock(state.mutex);
  std::memcpy(state.wpsBssid.data(), bssid, sizeof(bssid));
}

void OnState(AcPort port) {
  auto& library = platform::Current().Supplicant();
  uint32_t portState = 0;
  if (!Check("acPortGetState", library.acPortGetState(port, portState))) return;
  if (portState == kAcStateAuthenticated) {
    StartPostAuthentication(port);
  } else if (portState == kAcStateHeld) {
    uint32_t status = 0;
    Check("acPortGetStatus", library.acPortGetStatus(port, status));
  }
}

void OnStatus(AcPort port) {
  uint32_t status = 0;
  if (!Check("acPortGetStatus", platform::Current().Supplicant().acPortGetStatus(port, status))) {
    return;
  }
  if (status != kAcStatusRejected || LibState().wpsBusy.load()) return;
  if (RejectedCallbackEnabled()) LeaveRejectingNetwork();
}

}  // namespace

void OnEvent(uint32_t event, AcPort port) {
  switch (event) {
    case kAcEventLinkState:
      OnLinkState(port);
      return;
    case kAcEventState:
      OnState(port);
      return;
    case kAcEventStatus:
      OnStatus(port);
      return;
    default:
      return;
  }
}

// The interface's address is the post-authentication work's business; nothing to do here.
void OnNetwork(uint32_t /*event*/, AcPort /*port*/) {}

}  // namespace vtr::supplicant
