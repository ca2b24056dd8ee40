// vtrctl zeroconf (also wzc): who manages the wireless adapter, Windows' zero-configuration
// service or the utility, and the service itself.
#include <array>
#include <string>

#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/commands.h"

namespace vtrctl {
namespace {

constexpr std::string_view kZeroConfigHelp =
    "usage: vtrctl zeroconf <command>\n"
    "\n"
    "commands:\n"
    "  status                 whether the WZCSVC service runs and who manages the adapter\n"
    "  on                     hand the adapter to Windows: stop the service, set bit 15 of the\n"
    "                         adapter's ControlFlags, start the service again\n"
    "  off                    take the adapter back: stop the service, clear bit 15; the\n"
    "                         service stays stopped, as the XP library leaves it\n"
    "  service start|stop     start or stop the WZCSVC service\n"
    "\n"
    "A service that does not get where it is asked gives up after 30 seconds.\n"
    "`vtrctl wzc` is the same command.\n";

// Pairs VTR_Initialize with VTR_UnInitialize: the hand-over needs the adapter's name.
class Session {
 public:
  explicit Session(const core::CVtrLibrary& lib) : lib_(lib) { lib_.Initialize(0); }
  ~Session() { lib_.UnInitialize(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

 private:
  const core::CVtrLibrary& lib_;
};

// The service's state as the service controller reports it, which tells a service still on its
// way from one that got there; 0 when it cannot be asked.
uint32_t ServiceState() {
  auto& scm = platform::Current().ServiceControl();
  const platform::ScHandle manager = scm.OpenScManager(platform::kScManagerConnect);
  if (manager == 0) return 0;
  const platform::ScHandle service =
      scm.OpenService(manager, "WZCSVC", platform::kServiceQueryStatus);
  platform::ServiceStatus status;
  const bool queried = service != 0 && scm.QueryServiceStatus(service, &status);
  if (service != 0) scm.CloseServiceHandle(service);
  scm.CloseServiceHandle(manager);
  return queried ? status.currentState : 0;
}

const char* StateName(uint32_t state) {
  switch (state) {
    case platform::kServiceStopped:
      return "stopped";
    case platform::kServiceStartPending:
      return "start pending";
    case platform::kServiceStopPending:
      return "stop pending";
    case platform::kServiceRunning:
      return "running";
    default:
      return "cannot be asked";
  }
}

void PrintState(Context& ctx, const core::CVtrLibrary& lib, const std::string& done = {}) {
  const bool running = lib.IsZeroConfigServiceON() != 0;
  const bool managed = lib.IsZeroConfigON() != 0;
  if (ctx.json) {
    nlohmann::json out = {{"serviceRunning", running},
                          {"serviceState", StateName(ServiceState())},
                          {"managedByWindows", managed}};
    if (!done.empty()) out["done"] = done;
    PrintJson(ctx.out, out);
    return;
  }
  if (!done.empty()) ctx.out << done << '\n';
  PrintRows(ctx.out, {{"service WZCSVC", running ? "running" : StateName(ServiceState())},
                      {"adapter managed by", managed ? "Windows" : "the utility"}});
}

ParsedArgs NoArguments(Context& ctx, std::span<const std::string> args, const char* command) {
  const ParsedArgs parsed = ParseArgs(args, {}, command, ctx);
  if (!parsed.help) RequirePositionals(parsed, 0, 0, std::string("vtrctl ") + command);
  return parsed;
}

int RunStatusCommand(Context& ctx, std::span<const std::string> args) {
  if (NoArguments(ctx, args, "zeroconf status").help) {
    ctx.out << "usage: vtrctl zeroconf status [--json]\n";
    return 0;
  }
  const core::CVtrLibrary& lib = RequireLibrary();
  Session session(lib);
  PrintState(ctx, lib);
  return 0;
}

int RunHandOver(Context& ctx, std::span<const std::string> args, bool toWindows) {
  if (NoArguments(ctx, args, toWindows ? "zeroconf on" : "zeroconf off").help) {
    ctx.out << (toWindows ? "usage: vtrctl zeroconf on\n" : "usage: vtrctl zeroconf off\n");
    return 0;
  }
  const core::CVtrLibrary& lib = RequireLibrary();
  Session session(lib);
  // As the tray menu's item does it: the hand-over, then the control mode.
  const bool written = lib.EnableZeroConfig(toWindows ? 1 : 0) != 0;
  lib.SetZeroConfigControlMode(toWindows ? 1 : 0);
  if (!written) {
    throw Failure(
        "the adapter's ControlFlags could not be read or written, or the WZCSVC service "
        "could not be opened");
  }
  // The library gives up on a service that does not get where it is sent after 30 seconds and
  // still answers true: the hand-over to Windows is done only once the service runs, and a
  // service stuck half-way is no state to leave the adapter in.
  const uint32_t state = ServiceState();
  if (toWindows && state != platform::kServiceRunning) {
    throw Failure(
        "ControlFlags hand the adapter to Windows, but WZCSVC is not running after 30 "
        "seconds (it is " +
        std::string(StateName(state)) + "), so nothing manages the adapter");
  }
  if (!toWindows && state != platform::kServiceRunning && state != platform::kServiceStopped) {
    throw Failure("the adapter was taken back from Windows, but WZCSVC is stuck (" +
                  std::string(StateName(state)) + ")");
  }
  PrintState(ctx, lib, toWindows ? "adapter handed to Windows" : "adapter taken back from Windows");
  return 0;
}

int RunOn(Context& ctx, std::span<const std::string> args) {
  return RunHandOver(ctx, args, true);
}
int RunOff(Context& ctx, std::span<const std::string> args) {
  return RunHandOver(ctx, args, false);
}

int RunService(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "zeroconf service", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl zeroconf service start|stop\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl zeroconf service start|stop");
  const std::string& verb = parsed.positionals[0];
  if (verb != "start" && verb != "stop") {
    throw UsageError("zeroconf service takes start or stop, not '" + verb + "'");
  }
  const bool start = verb == "start";
  const core::CVtrLibrary& lib = RequireLibrary();
  const uint32_t wanted = start ? platform::kServiceRunning : platform::kServiceStopped;
  const bool issued = lib.EnableZeroConfigService(start ? 1 : 0) != 0;
  const uint32_t state = ServiceState();
  const bool running = state == platform::kServiceRunning;
  std::string done;
  if (!issued && state == wanted) {
    done = start ? "WZCSVC was already running" : "WZCSVC was already stopped";
  } else if (!issued) {
    throw Failure("the WZCSVC service could not be opened");
  } else if (state != wanted) {
    throw Failure(start ? "WZCSVC did not start within 30 seconds"
                        : "WZCSVC did not stop within 30 seconds");
  } else {
    done = start ? "WZCSVC started" : "WZCSVC stopped";
  }
  if (ctx.json) {
    PrintJson(ctx.out, {{"done", done}, {"serviceRunning", running}});
  } else {
    ctx.out << done << '\n';
  }
  return 0;
}

}  // namespace

int RunZeroConf(Context& ctx, std::span<const std::string> args) {
  static constexpr std::array<Subcommand, 4> subcommands = {
      {{"status", RunStatusCommand}, {"on", RunOn}, {"off", RunOff}, {"service", RunService}}};
  return Dispatch(ctx, args, "zeroconf", kZeroConfigHelp, subcommands);
}

}  // namespace vtrctl
