// vtrctl sim wps-button and sim wps-pin: what a user does at an access point for WPS.
#pragma once

#include <span>
#include <string>

#include "tools/vtrctl/cli.h"

namespace vtrctl {

int RunSimWpsButton(Context& ctx, std::span<const std::string> args);
int RunSimWpsPin(Context& ctx, std::span<const std::string> args);

}  // namespace vtrctl
