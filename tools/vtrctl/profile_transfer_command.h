// vtrctl profile import and export: the store to and from a file of the user's choice.
#pragma once

#include <span>
#include <string>

#include "tools/vtrctl/cli.h"

namespace vtrctl {

int RunProfileImport(Context& ctx, std::span<const std::string> args);
int RunProfileExport(Context& ctx, std::span<const std::string> args);

}  // namespace vtrctl
