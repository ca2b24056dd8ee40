// The system class from GetVersionExA.
#pragma once

#include <cstdint>

namespace vtr {

int32_t ClassifyOperatingSystem();

}  // namespace vtr
