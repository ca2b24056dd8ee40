// The work after a port authenticated: waiting for the interface's address, the single sign-on
// contact with the logon domain, and a pause. One run at a time, on a thread of its own.
#pragma once

#include <cstdint>

#include "platform/supplicant.h"

namespace vtr::supplicant {

inline constexpr int kPostAuthenticationBusy = 999;

// Starts the work for the port; kPostAuthenticationBusy (and nothing started) while a run is
// still going, else 0.
int StartPostAuthentication(platform::AcPort port);

// Ends a running run at its next wait and waits for its thread.
void StopPostAuthentication();

}  // namespace vtr::supplicant
