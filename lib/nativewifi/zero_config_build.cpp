// The Vista build's part in the zero-configuration exports: Windows' own service keeps the
// adapter, and the control mode opens the network connections folder through the backend.
#include "lib/common/zero_config_build.h"
#include "lib/nativewifi/chipset_vista_lib.h"
#include "lib/nativewifi/vista_state.h"

namespace vtr {

const ZeroConfigBuild& ThisBuildZeroConfig() {
  static const ZeroConfigBuild build{
      .adapterName = [] { return VistaAdapter().name; },
      .restartWhenTakingBack = true,
      .supplicantPortAttached = nullptr,
      .stopAndDetachSupplicant = nullptr,
      .bringUpSupplicant = nullptr,
      .showWirelessNetworksFolder = [] { Backend().SetZeroConfigControlMode(0); },
  };
  return build;
}

}  // namespace vtr
