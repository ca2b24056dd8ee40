// The supplicant binding's process-wide state: the port table and what each port was given.
// The supplicant calls back on threads of its own, so everything here is behind the mutex or
// atomic. The mutex is never held across a supplicant call that may wait for those threads
// (associate, detach), because their callbacks take it too.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/supplicant.h"

namespace vtr::supplicant {

inline constexpr size_t kPortSlots = 20;

// What the profile says about 802.1X, kept for the credential questions that come later.
struct EapCredentials {
  uint32_t method = 0;  // 0 EAP-TLS, 1 PEAP, 2 LEAP
  std::string tlsIdentity;
  std::string eapIdentity;
  std::string eapDomain;
  std::string eapPassword;
};

struct SupplicantPort {
  platform::AcPort handle = 0;  // 0: the slot is free
  std::string name;
  platform::AcAssociation association;
  platform::AcObject psk = 0;
  platform::AcObject identity = 0;
  platform::AcObject password = 0;
  platform::AcObject certificate = 0;
  bool usesPsk = false;
  bool uses8021x = false;
  bool started = false;
  EapCredentials eap;
};

struct SupplicantState {
  std::atomic<bool> loaded{false};
  std::mutex mutex;
  std::array<SupplicantPort, kPortSlots> ports;  // guarded by mutex
  int adapterSlot = -1;                          // guarded by mutex; -1: none attached
  // The access point a link-state event found while a WPS run waited for its credential.
  std::array<uint8_t, 6> wpsBssid{};  // guarded by mutex
};

SupplicantState& State();

// The attached port's handle; 0 when none.
platform::AcPort AttachedHandle();

// Traces a failed supplicant call with the supplicant's text for the code; returns whether the
// call succeeded.
bool Check(const char* call, int32_t code);

// The event, network and credential-request callbacks handed to the supplicant.
void OnEvent(uint32_t event, platform::AcPort port);
void OnNetwork(uint32_t event, platform::AcPort port);
void OnCredentialRequest(platform::AcPort port, platform::AcRequest request, uint32_t type);

// Destroys a port's credential objects (mutex held).
void DestroyCredentials(SupplicantPort& port);

}  // namespace vtr::supplicant
