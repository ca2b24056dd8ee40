// Filling a new machine directory from its description: the registry entries Windows keeps for
// each network adapter, the Windows folder, and the driver files with their version resources.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "sim/machine_description.h"

namespace sim {

inline constexpr const char* kNetworkClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
inline constexpr const char* kNetworkConnectionsKey =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}";

// Returns why seeding failed, or nothing.
std::optional<std::string> SeedMachine(const std::filesystem::path& directory,
                                       const MachineDescription& machine);

}  // namespace sim
