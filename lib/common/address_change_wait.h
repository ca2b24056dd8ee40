// One IP address-change notification of IP Helper at a time, waited for on the machine's clock.
// Both builds' connects register before the new network's lease can arrive and wait afterwards.
#pragma once

#include <cstdint>

namespace vtr {

class AddressChangeWait {
 public:
  AddressChangeWait();
  ~AddressChangeWait();
  AddressChangeWait(const AddressChangeWait&) = delete;
  AddressChangeWait& operator=(const AddressChangeWait&) = delete;

  // Registers for the next change (again after a change came, with the same event); false when
  // IP Helper refused.
  bool Register();
  // Waits up to timeoutMs for the change, then asks for its result: true only when the change
  // came and completed successfully.
  bool Wait(uint32_t timeoutMs);

 private:
  struct State;
  State* state_;
};

}  // namespace vtr
