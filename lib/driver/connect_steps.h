// The parts of VTR_ConnectToAP that live in files of their own.
#pragma once

#include <cstdint>

#include "vtrlib/profile_record.h"

namespace vtr::connect {

// Authentication, encryption and keys (WEP directly, WPA through the supplicant).
void ApplySecurity(const ProfileRecord& profile);

// Gives the adapter's DHCP address back before the new network's address is asked for.
void ReleaseAdapterAddress();

// One IP address-change notification, registered right after the SSID, before the new network's
// lease can arrive, and waited for afterwards.
class AddressChangeWait {
 public:
  AddressChangeWait();
  ~AddressChangeWait();
  AddressChangeWait(const AddressChangeWait&) = delete;
  AddressChangeWait& operator=(const AddressChangeWait&) = delete;

  // Registers for the next change; false when IP Helper refused.
  bool Register();
  // Waits up to timeoutMs for the change, then asks for its result: true only when the change
  // came and completed successfully.
  bool Wait(uint32_t timeoutMs);

 private:
  struct State;
  State* state_;
};

// The wait of a connect that asked to wait: true once the adapter has an address.
bool WaitForAddress(const ProfileRecord& profile, AddressChangeWait& change);

}  // namespace vtr::connect
