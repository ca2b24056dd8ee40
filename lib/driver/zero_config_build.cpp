// The driver build's part in the zero-configuration hand-over.
#include "lib/common/zero_config_build.h"
#include "lib/driver/lib_state.h"
#include "lib/driver/supplicant_binding.h"

namespace vtr {

namespace {

// Taking the adapter back runs the supplicant's initialisation sequence again, and attaches the
// port too: without it WPA and 802.1X profiles would fail until the library is started again.
void BringUpSupplicant() {
  if (supplicant::BringUp()) supplicant::AttachPort();
}

}  // namespace

const ZeroConfigBuild& ThisBuildZeroConfig() {
  static const ZeroConfigBuild build{
      .adapterName = AdapterName,
      .restartWhenTakingBack = false,
      .supplicantPortAttached = supplicant::PortAttached,
      .stopAndDetachSupplicant = supplicant::StopAndDetach,
      .bringUpSupplicant = BringUpSupplicant,
      .showWirelessNetworksFolder = nullptr,
  };
  return build;
}

}  // namespace vtr
