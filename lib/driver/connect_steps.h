// The parts of VTR_ConnectToAP that live in files of their own.
#pragma once

#include <cstdint>

#include "lib/common/address_change_wait.h"
#include "vtrlib/profile_record.h"

namespace vtr::connect {

// Authentication, encryption and keys (WEP directly, WPA through the supplicant).
void ApplySecurity(const ProfileRecord& profile);

// Gives the adapter's DHCP address back before the new network's address is asked for.
void ReleaseAdapterAddress();

// The address-change notification, registered right after the SSID, before the new network's
// lease can arrive, and waited for afterwards.
using vtr::AddressChangeWait;

// The wait of a connect that asked to wait: true once the adapter has an address.
bool WaitForAddress(const ProfileRecord& profile, AddressChangeWait& change);

}  // namespace vtr::connect
