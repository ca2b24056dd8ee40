// The driver build's part in the zero-configuration hand-over.
#include "lib/common/zero_config_build.h"
#include "lib/driver/lib_state.h"

namespace vtr {

const ZeroConfigBuild& ThisBuildZeroConfig() {
  // No supplicant hooks yet: the 802.1X supplicant binding is not part of this build so far, so
  // there is no port to give up or bring back. It plugs in here when it arrives.
  static const ZeroConfigBuild build{
      .adapterName = AdapterName,
      .restartWhenTakingBack = false,
      .supplicantPortAttached = nullptr,
      .stopAndDetachSupplicant = nullptr,
      .bringUpSupplicant = nullptr,
      .showWirelessNetworksFolder = nullptr,
  };
  return build;
}

}  // namespace vtr
