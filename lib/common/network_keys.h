// Registry keys where Windows keeps its network adapters.
#pragma once

namespace vtr {

// One subkey per network adapter instance ("0007"), holding NetCfgInstanceId, ComponentId and
// the driver facts.
inline constexpr const char* kNetworkClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
// One subkey per adapter GUID, with "Connection\PnpInstanceID".
inline constexpr const char* kNetworkConnectionsKey =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";
inline constexpr const char* kTcpipInterfacesKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
inline constexpr const char* kServicesKey = "SYSTEM\\CurrentControlSet\\Services\\";

// Class-key subkey names are read with room for this many characters.
inline constexpr unsigned kClassSubkeyNameChars = 32;

}  // namespace vtr
