// What the Native Wi-Fi service hands out is given back to it when the holder goes, on every
// path out of a call.
#pragma once

#include <memory>

#include "platform/services.h"

namespace vtr {

struct WlanFree {
  void operator()(const void* memory) const {
    if (memory != nullptr) platform::Current().NativeWifi().WlanFreeMemory(memory);
  }
};

template <typename T>
using WlanMemory = std::unique_ptr<T, WlanFree>;

}  // namespace vtr
