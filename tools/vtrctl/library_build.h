// Which build of the adapter library the binding loaded. Both export the same names; they tell
// themselves apart by the constants of their capability record, which need no adapter: the
// driver build (Windows 2000, XP, Server 2003) reports the feature mask 0x1800000B, the Native
// Wi-Fi build (Windows Vista) 55.
#pragma once

#include "app/core/vtr_library.h"

namespace vtrctl {

inline bool IsDriverBuild(const core::CVtrLibrary& lib) {
  constexpr uint32_t kDriverBuildFeatures = 0x1800000B;
  VtrCapability capability{};
  return lib.GetAdapterCapability(&capability) != 0 &&
         capability.featureMask == kDriverBuildFeatures;
}

}  // namespace vtrctl
