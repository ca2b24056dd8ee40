// vtrctl sim service, sim wmi and sim wow64: put the machine's services into a state or a fault,
// so that a time-out, a refusal or a WMI failure can be seen from the library and the utility.
// Every change is kept in the machine, so the next call of any process meets it.
#include "tools/vtrctl/sim_command_services.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "sim/machine.h"
#include "sim/sim_machine.h"

namespace vtrctl {
namespace {

constexpr std::string_view kServiceHelp =
    "usage: vtrctl sim service [NAME] [--fault none|hang|refuse|missing] [--start-ms N]\n"
    "                          [--stop-ms N] [--state running|stopped]\n"
    "\n"
    "Shows the service (WZCSVC when NAME is left out) or changes it:\n"
    "  --fault hang     start and stop are accepted but never finish\n"
    "  --fault refuse   the service cannot be opened (access denied)\n"
    "  --fault missing  the service is not installed\n"
    "  --fault none     the service behaves again\n"
    "  --start-ms, --stop-ms   how long a start or a stop takes on the machine's clock\n"
    "  --state          puts the service straight into that state\n";

constexpr std::string_view kWmiHelp =
    "usage: vtrctl sim wmi [--connect-fails HRESULT|none] [--exec-fails HRESULT|none]\n"
    "                      [--return N|none]\n"
    "\n"
    "Shows or changes WMI's faults:\n"
    "  --connect-fails  ConnectServer answers this HRESULT (e.g. 0x80040154)\n"
    "  --exec-fails     ExecMethod answers this HRESULT (e.g. 0x80041003)\n"
    "  --return         every adapter configuration method reports this return value\n"
    "                   (e.g. 94) and changes nothing\n";

sim::SimMachine& Machine() {
  if (auto why = sim::PrepareSelectedMachine()) throw Failure(*why);
  return static_cast<sim::SimMachine&>(platform::Current());
}

void Check(long error, const std::string& what) {
  if (error != 0) throw Failure("cannot change " + what + " (error " + std::to_string(error) + ")");
}

const char* StateName(uint32_t state) {
  switch (state) {
    case 1:
      return "stopped";
    case 2:
      return "start pending";
    case 3:
      return "stop pending";
    case 4:
      return "running";
    default:
      return "?";
  }
}

std::string Hex(int32_t result) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(result));
  return text;
}

int32_t HResultArgument(const std::string& text, const char* option) {
  if (text == "none") return 0;
  const uint32_t value = ParseNumber(text, 0xFFFFFFFFu, option);
  if ((value & 0x80000000u) == 0 && value != 0) {
    throw UsageError(std::string(option) + " takes a failure HRESULT such as 0x80041003");
  }
  return static_cast<int32_t>(value);
}

}  // namespace

int RunSimService(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 4> specs = {
      {{"--fault", true}, {"--start-ms", true}, {"--stop-ms", true}, {"--state", true}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "sim service", ctx);
  if (parsed.help) {
    ctx.out << kServiceHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 1, "vtrctl sim service [NAME] [options]");
  const std::string name =
      parsed.positionals.empty() ? sim::kZeroConfigService : parsed.positionals[0];
  if (name != sim::kZeroConfigService && name != "wzcsvc") {
    throw Failure("the machine has no service " + name + " (it has WZCSVC)");
  }
  std::optional<sim::ServiceFault> fault;
  if (parsed.Has("--fault")) {
    fault = sim::ParseServiceFault(parsed.Value("--fault"));
    if (!fault) throw UsageError("--fault takes none, hang, refuse or missing");
  }
  std::optional<uint32_t> state;
  if (parsed.Has("--state")) {
    const std::string& text = parsed.Value("--state");
    if (text != "running" && text != "stopped") {
      throw UsageError("--state takes running or stopped");
    }
    state = text == "running" ? 4u : 1u;
  }
  std::optional<uint32_t> startMs;
  std::optional<uint32_t> stopMs;
  if (parsed.Has("--start-ms"))
    startMs = ParseNumber(parsed.Value("--start-ms"), 3600000, "--start-ms");
  if (parsed.Has("--stop-ms"))
    stopMs = ParseNumber(parsed.Value("--stop-ms"), 3600000, "--stop-ms");

  auto& control = Machine().serviceControl();
  if (fault || state || startMs || stopMs) {
    Check(control.Change(sim::kZeroConfigService,
                         [&](sim::ServiceRecord& record) {
                           if (fault) record.fault = *fault;
                           if (startMs) record.startMs = *startMs;
                           if (stopMs) record.stopMs = *stopMs;
                           if (state) {
                             record.state = *state;
                             record.target = 0;
                             record.dueMs = 0;
                           }
                         }),
          "the service");
  }
  sim::ServiceRecord record;
  if (!control.Read(sim::kZeroConfigService, record)) throw Failure("cannot read the service");
  const std::string faultName(sim::ServiceFaultName(record.fault));
  if (ctx.json) {
    PrintJson(ctx.out, {{"service", sim::kZeroConfigService},
                        {"state", StateName(record.state)},
                        {"fault", faultName},
                        {"startMs", record.startMs},
                        {"stopMs", record.stopMs}});
    return 0;
  }
  PrintRows(ctx.out, {{"service", sim::kZeroConfigService},
                      {"state", StateName(record.state)},
                      {"fault", faultName},
                      {"start takes", std::to_string(record.startMs) + " ms"},
                      {"stop takes", std::to_string(record.stopMs) + " ms"}});
  return 0;
}

int RunSimWmi(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 3> specs = {
      {{"--connect-fails", true}, {"--exec-fails", true}, {"--return", true}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "sim wmi", ctx);
  if (parsed.help) {
    ctx.out << kWmiHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl sim wmi [options]");
  std::optional<int32_t> connect;
  std::optional<int32_t> exec;
  std::optional<std::optional<uint32_t>> returned;
  if (parsed.Has("--connect-fails")) {
    connect = HResultArgument(parsed.Value("--connect-fails"), "--connect-fails");
  }
  if (parsed.Has("--exec-fails"))
    exec = HResultArgument(parsed.Value("--exec-fails"), "--exec-fails");
  if (parsed.Has("--return")) {
    const std::string& text = parsed.Value("--return");
    returned = text == "none" ? std::optional<uint32_t>()
                              : std::optional<uint32_t>(ParseNumber(text, 0xFFFFFFFFu, "--return"));
  }
  auto& wmi = Machine().wmi();
  if (connect || exec || returned) {
    Check(wmi.ChangeFaults([&](sim::WmiFaults& faults) {
      if (connect) faults.connectResult = *connect;
      if (exec) faults.execMethodResult = *exec;
      if (returned) faults.returnValue = *returned;
    }),
          "WMI's faults");
  }
  sim::WmiFaults faults;
  Check(wmi.ReadFaults(faults), "WMI's faults");
  const std::string connectText = faults.connectResult ? Hex(faults.connectResult) : "none";
  const std::string execText = faults.execMethodResult ? Hex(faults.execMethodResult) : "none";
  const std::string returnText =
      faults.returnValue ? std::to_string(*faults.returnValue) : "the method's own";
  if (ctx.json) {
    PrintJson(ctx.out, {{"connectFails", connectText},
                        {"execFails", execText},
                        {"returnValue", faults.returnValue ? nlohmann::json(*faults.returnValue)
                                                           : nlohmann::json(nullptr)}});
    return 0;
  }
  PrintRows(ctx.out, {{"ConnectServer fails with", connectText},
                      {"ExecMethod fails with", execText},
                      {"methods return", returnText}});
  return 0;
}

int RunSimWow64(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "sim wow64", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl sim wow64 [native|wow64|absent]\n\n"
               "What IsWow64Process tells the programs: a native process, a 32-bit process on\n"
               "64-bit Windows, or no such function in kernel32 (before XP SP2).\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 1, "vtrctl sim wow64 [native|wow64|absent]");
  auto& store = Machine().serviceState();
  if (!parsed.positionals.empty()) {
    const std::string& text = parsed.positionals[0];
    if (text != "native" && text != "wow64" && text != "absent") {
      throw UsageError("sim wow64 takes native, wow64 or absent");
    }
    Check(store.SetWow64(text == "wow64"    ? sim::Wow64Answer::kWow64
                         : text == "absent" ? sim::Wow64Answer::kAbsent
                                            : sim::Wow64Answer::kNative),
          "IsWow64Process");
  }
  sim::Wow64Answer answer = sim::Wow64Answer::kNative;
  Check(store.ReadWow64(answer), "IsWow64Process");
  const char* text = answer == sim::Wow64Answer::kWow64    ? "wow64"
                     : answer == sim::Wow64Answer::kAbsent ? "absent"
                                                           : "native";
  if (ctx.json) {
    PrintJson(ctx.out, {{"isWow64Process", text}});
  } else {
    ctx.out << "IsWow64Process: " << text << '\n';
  }
  return 0;
}

}  // namespace vtrctl
