// The driver build's binding to the outside 802.1X/WPA supplicant library: bring-up, the port
// of the adapter, handing it a profile's credentials, and taking it off the adapter again.
//
// The library works without the supplicant: when its bring-up fails, nothing is loaded, no port
// is attached, and a WPA profile handed over starts nothing (the association never completes).
#pragma once

#include "vtrlib/profile_record.h"

namespace vtr::supplicant {

// Whether the supplicant's whole initialisation sequence succeeded.
bool Loaded();

// The initialisation sequence: acInit with the library's callbacks, then every method's
// initialisation in order; the first failure ends it and leaves the supplicant unloaded.
// True when all of it succeeded.
bool BringUp();

// Finds the supplicant port of the adapter's current hardware address and attaches it.
// Nonzero on success.
int AttachPort();

// Whether a port is attached to the adapter.
bool PortAttached();

// Stops 802.1X: ends a running post-authentication run, then disassociates and stops the
// attached port. Nothing without one.
void StopPort();

// Stops the port, waits 100 ms, destroys the port's credential objects and detaches it.
void StopAndDetach();

// Builds the credentials of the profile (pre-shared key, or the 802.1X identity, password and
// certificate), hands them to the adapter's port and starts it. True when the port was started;
// false when there is no supplicant, no attached port, or the supplicant refused.
bool StartOnProfile(const ProfileRecord& profile);

}  // namespace vtr::supplicant
