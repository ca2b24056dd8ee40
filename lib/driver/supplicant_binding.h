// The driver build's way to the outside 802.1X/WPA supplicant: what the connect asks of it.
//
// The supplicant library is not part of this build yet. Until its binding is written, these
// calls behave as a build whose supplicant library failed to load: nothing is loaded, no port
// is attached, and a profile handed over starts nothing. A WPA-PSK or 802.1X profile then
// reaches the driver without its keys, and the association never completes; the connect sees
// that as any other network that gives no address.
#pragma once

#include "vtrlib/profile_record.h"

namespace vtr::supplicant {

// Whether the supplicant library was loaded and initialised.
bool Loaded();

// Stops the adapter's supplicant port before the driver is given another network. Nothing
// happens without a loaded supplicant or an attached port.
void StopPort();

// Builds the credentials of the profile (pre-shared key, or the 802.1X identity, password and
// certificate), hands them to the adapter's port and starts it. True when the port was started;
// false when there is no supplicant, no attached port, or the supplicant refused.
bool StartOnProfile(const ProfileRecord& profile);

}  // namespace vtr::supplicant
