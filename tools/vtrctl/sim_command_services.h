// vtrctl sim service, sim wmi and sim wow64: faults and states of the machine's services.
#pragma once

#include <span>
#include <string>

#include "tools/vtrctl/cli.h"

namespace vtrctl {

int RunSimService(Context& ctx, std::span<const std::string> args);
int RunSimWmi(Context& ctx, std::span<const std::string> args);
int RunSimWow64(Context& ctx, std::span<const std::string> args);

}  // namespace vtrctl
