// The subcommand groups of vtrctl. Each takes the arguments after its own name.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "tools/vtrctl/cli.h"

namespace vtrctl {

struct CommandGroup {
  std::string_view name;
  std::string_view summary;
  int (*run)(Context& ctx, std::span<const std::string> args);
};

int RunStatus(Context& ctx, std::span<const std::string> args);
int RunMachine(Context& ctx, std::span<const std::string> args);
int RunReg(Context& ctx, std::span<const std::string> args);
int RunProfile(Context& ctx, std::span<const std::string> args);
int RunSim(Context& ctx, std::span<const std::string> args);
int RunSurvey(Context& ctx, std::span<const std::string> args);
int RunZeroConf(Context& ctx, std::span<const std::string> args);
int RunIpConfig(Context& ctx, std::span<const std::string> args);
int RunConnectCommand(Context& ctx, std::span<const std::string> args);
int RunDisconnect(Context& ctx, std::span<const std::string> args);
int RunLink(Context& ctx, std::span<const std::string> args);
int RunIp(Context& ctx, std::span<const std::string> args);
int RunRadio(Context& ctx, std::span<const std::string> args);
int RunRegion(Context& ctx, std::span<const std::string> args);
int RunCaps(Context& ctx, std::span<const std::string> args);
int RunDriver(Context& ctx, std::span<const std::string> args);
int RunWepKeys(Context& ctx, std::span<const std::string> args);
int RunWps(Context& ctx, std::span<const std::string> args);
int RunCerts(Context& ctx, std::span<const std::string> args);
// The process a connect leaves behind to keep its link; started by connect, not listed.
int RunLinkHolder(Context& ctx, std::span<const std::string> args);

}  // namespace vtrctl
