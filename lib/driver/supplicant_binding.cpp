// No supplicant library is loaded in this build: see supplicant_binding.h.
#include "lib/driver/supplicant_binding.h"

namespace vtr::supplicant {

bool Loaded() {
  return false;
}

void StopPort() {}

bool StartOnProfile(const ProfileRecord& /*profile*/) {
  return false;
}

}  // namespace vtr::supplicant
