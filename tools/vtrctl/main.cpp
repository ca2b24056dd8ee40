// vtrctl: the command-line front end over the adapter library binding.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/link_holder_channel.h"

namespace vtrctl {
namespace {

constexpr CommandGroup kGroups[] = {
    {"status", "library, system class and adapter facts", RunStatus},
    {"machine", "create, check and locate simulated machines", RunMachine},
    {"reg", "read and write the registry through the adapter library", RunReg},
    {"sim", "change the simulated adapter and the networks around it", RunSim},
    {"survey", "scan and list the networks around the adapter", RunSurvey},
    {"profile", "list, change, import and export the stored profiles", RunProfile},
    {"zeroconf", "who manages the adapter: Windows' WZCSVC service or the utility", RunZeroConf},
    {"wzc", "the same as zeroconf", RunZeroConf},
    {"ipconfig", "set the adapter's address, gateway and DNS servers through WMI", RunIpConfig},
    {"connect", "join a network from a profile, or a one-off --ssid", RunConnectCommand},
    {"disconnect", "leave the network", RunDisconnect},
    {"link", "the current association: network, security, rates, signal", RunLink},
    {"ip", "the adapter's IP settings", RunIp},
    {"radio", "switch the radio on or off, or show it", RunRadio},
    {"region", "set the regulatory region", RunRegion},
    {"caps", "what the adapter and the library support", RunCaps},
    {"driver", "the adapter, its driver and firmware", RunDriver},
    {"wep-keys", "WEP keys from a passphrase", RunWepKeys},
    {"wps", "Wi-Fi Protected Setup by push button or PIN", RunWps},
    {"certs", "the certificates of the user's and the machine's stores", RunCerts},
};

void PrintTopHelp(std::ostream& out) {
  out << "usage: vtrctl [--machine DIR] [--json] <command> [args...]\n"
         "\n"
         "commands:\n";
  for (const CommandGroup& group : kGroups) {
    out << "  " << group.name << std::string(12 - group.name.size(), ' ') << group.summary << '\n';
  }
  out << "\n"
         "options:\n"
         "  --machine DIR  use the machine in DIR (sets RADIODESK_MACHINE)\n"
         "  --json         print JSON instead of a table\n"
         "  --help, -h     show help; also after any command\n"
         "\n"
         "Exit status 0 on success, 1 on failure, 2 on a wrong command line.\n";
}

int Run(const std::vector<std::string>& args) {
  Context ctx{std::cout};
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      PrintTopHelp(ctx.out);
      return 0;
    }
    if (arg == "--json") {
      ctx.json = true;
      continue;
    }
    std::string machine;
    if (arg == "--machine") {
      if (i + 1 == args.size()) throw UsageError("option --machine needs a value");
      machine = args[++i];
    } else if (arg.starts_with("--machine=")) {
      machine = arg.substr(10);
    } else if (arg.starts_with("-")) {
      throw UsageError("unknown option '" + arg + "' (see vtrctl --help)");
    } else {
      break;
    }
    if (machine.empty()) throw UsageError("option --machine needs a directory");
    // The machine is chosen on its first use; setting the variable now, before any command
    // runs, makes every later user in this process (the library included) see this one.
    ::setenv("RADIODESK_MACHINE", machine.c_str(), 1);
  }
  if (i == args.size()) throw UsageError("missing command (see vtrctl --help)");
  if (args[i] == kLinkHolderCommand) {
    return RunLinkHolder(ctx, std::span<const std::string>(args).subspan(i + 1));
  }
  for (const CommandGroup& group : kGroups) {
    if (group.name == args[i]) {
      return group.run(ctx, std::span<const std::string>(args).subspan(i + 1));
    }
  }
  throw UsageError("unknown command '" + args[i] + "' (see vtrctl --help)");
}

}  // namespace

}  // namespace vtrctl

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    return vtrctl::Run(args);
  } catch (const vtrctl::Failure& failure) {
    std::cout.flush();
    std::cerr << "vtrctl: " << failure.what() << '\n';
    return failure.ExitCode();
  } catch (const std::exception& error) {
    std::cout.flush();
    std::cerr << "vtrctl: " << error.what() << '\n';
    return vtrctl::kExitFailure;
  }
}
