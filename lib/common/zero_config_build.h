// What the two library builds do differently around Windows' zero-configuration service. The
// exports in zero_config.cpp are shared; each build defines ThisBuildZeroConfig() in its own
// directory.
#pragma once

#include <string>

namespace vtr {

struct ZeroConfigBuild {
  // The adapter's interface name ("{GUID}") as the build's adapter search found it; empty
  // before one was found.
  std::string (*adapterName)();
  // Whether taking the adapter back from Windows starts the service again too. The driver build
  // leaves it stopped then; the Native Wi-Fi build needs it running either way.
  bool restartWhenTakingBack;
  // The build's own 802.1X supplicant, which must leave the adapter while Windows manages it and
  // come back afterwards. Null where the build has none.
  bool (*supplicantPortAttached)();
  void (*stopAndDetachSupplicant)();  // stop 802.1X on the port, then stop and detach it
  void (*bringUpSupplicant)();        // the supplicant's initialisation sequence
  // VTR_SetZeroConfigControlMode's work: showing Windows' own place for managing wireless
  // networks. Null where the build leaves that to the user.
  void (*showWirelessNetworksFolder)();
};

const ZeroConfigBuild& ThisBuildZeroConfig();

}  // namespace vtr
