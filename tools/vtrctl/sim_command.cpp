// vtrctl sim: change a live machine's wireless adapter and the networks around it. Every change
// is seen by the next driver request of any process on the machine.
#include <array>
#include <charconv>
#include <cstdio>
#include <optional>

#include "platform/services.h"
#include "sim/adapter_control.h"
#include "sim/machine.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/sim_command_services.h"
#include "tools/vtrctl/sim_command_wps.h"

namespace vtrctl {
namespace {

constexpr std::string_view kSimHelp =
    "usage: vtrctl sim <command> [options]\n"
    "\n"
    "commands:\n"
    "  list                              the networks in range and whether the adapter hears "
    "them\n"
    "  add JSON                          add a network, described as in machine.json\n"
    "  remove BSSID                      take a network off the air\n"
    "  move BSSID [--rssi DBM] [--channel N]\n"
    "                                    change a network's signal or channel\n"
    "  traffic BSSID --receive B --send B [--variation P]\n"
    "                                    a network's background traffic (bytes a second)\n"
    "  pull                              pull the wireless adapter out\n"
    "  plug                              plug it back in\n"
    "  reset                             put the adapter and the air back as described\n"
    "  suspend                           announce a system suspend to the running programs\n"
    "  resume                            announce the resume after it\n"
    "  service [NAME] [--fault ...]      show a service, or make it hang, refuse or vanish\n"
    "  wmi [--return N] [--exec-fails H] make WMI's methods fail or answer a return value\n"
    "  wow64 [native|wow64|absent]       what IsWow64Process tells the programs\n"
    "  wps-button BSSID                  press an access point's WPS button (2 minutes)\n"
    "  wps-pin BSSID PIN                 type a station's WPS PIN into an access point\n"
    "\n"
    "Example: vtrctl sim add '{\"ssid\":\"Guest\",\"bssid\":\"00-11-22-33-44-55\",\"channel\":6,"
    "\"rssi\":-60}'\n";

constexpr std::string_view kAddHelp =
    "usage: vtrctl sim add JSON\n"
    "\n"
    "Adds the network JSON describes, with the fields of a machine.json neighbourhood entry:\n"
    "ssid or ssidHex, bssid, channel or frequency (MHz), rssi (dBm), and optionally hidden,\n"
    "mode, rates, security, ciphers, ht, wps, privacy, beaconInterval, ies, extraIes and\n"
    "credentials.\n";

// scope: kOpening for a reset, which is the way out of a damaged state file.
sim::AdapterControl MachineControl(sim::MachineCheck scope = sim::MachineCheck::kEveryFile) {
  if (auto why = sim::PrepareSelectedMachine(scope)) throw Failure(*why);
  return sim::CurrentAdapterControl();
}

void Check(const std::optional<std::string>& failure) {
  if (failure) throw Failure(*failure);
}

std::array<uint8_t, 6> BssidArgument(const std::string& text) {
  std::array<uint8_t, 6> bssid{};
  if (!sim::ParseBssid(text, bssid)) {
    throw UsageError("'" + text + "' is not an address like 00-0C-43-12-34-56");
  }
  return bssid;
}

const char* SecurityName(sim::NetworkSecurity security) {
  switch (security) {
    case sim::NetworkSecurity::kOpen:
      return "open";
    case sim::NetworkSecurity::kWep:
      return "wep";
    case sim::NetworkSecurity::kWpaPsk:
      return "wpa-psk";
    case sim::NetworkSecurity::kWpa2Psk:
      return "wpa2-psk";
    case sim::NetworkSecurity::kWpaWpa2Psk:
      return "wpa-wpa2-psk";
    case sim::NetworkSecurity::kWpa:
      return "wpa";
    case sim::NetworkSecurity::kWpa2:
      return "wpa2";
    case sim::NetworkSecurity::kWpaWpa2:
      return "wpa-wpa2";
  }
  return "?";
}

void Done(Context& ctx, const std::string& what) {
  if (ctx.json) {
    PrintJson(ctx.out, {{"done", what}});
  } else {
    ctx.out << what << '\n';
  }
}

int RunList(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "sim list", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl sim list [--json]\n\nThe networks in range of the machine's "
               "wireless adapter, and the adapter's state.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl sim list");
  auto control = MachineControl();
  sim::AdapterState state;
  std::vector<sim::NetworkDescription> networks;
  Check(control.Read(state, networks));
  if (ctx.json) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& network : networks) {
      nlohmann::json entry = sim::NetworkJson(network);
      entry.erase("credentials");
      entry["name"] = sim::SsidText(network);
      entry["heard"] = control.Hears(state, network);
      list.push_back(entry);
    }
    PrintJson(ctx.out,
              {{"present", state.present}, {"radioOn", state.radioOn}, {"networks", list}});
    return 0;
  }
  ctx.out << "adapter: " << (state.present ? "plugged in" : "pulled out") << ", radio "
          << (state.radioOn ? "on" : "off") << '\n';
  ctx.out << "BSSID              CH   DBM  MODE   SECURITY      HEARD  SSID\n";
  for (const auto& network : networks) {
    char line[200];
    std::snprintf(line, sizeof line, "%-17s  %-4u %4d  %-5s  %-12s  %-5s  %s%s\n",
                  sim::BssidText(network.bssid).c_str(),
                  sim::FrequencyChannel(network.frequencyMHz), network.rssi,
                  network.adhoc ? "adhoc" : "infra", SecurityName(network.security),
                  control.Hears(state, network) ? "yes" : "no", sim::SsidText(network).c_str(),
                  network.hidden ? " (hidden)" : "");
    ctx.out << line;
  }
  return 0;
}

int RunAdd(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "sim add", ctx);
  if (parsed.help) {
    ctx.out << kAddHelp;
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl sim add JSON");
  sim::NetworkDescription network;
  if (auto fault = sim::ParseNetworkText(parsed.positionals[0], network)) throw UsageError(*fault);
  Check(MachineControl().AddNetwork(network));
  Done(ctx, "added " + sim::BssidText(network.bssid));
  return 0;
}

int RunRemove(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "sim remove", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl sim remove BSSID\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl sim remove BSSID");
  const auto bssid = BssidArgument(parsed.positionals[0]);
  Check(MachineControl().RemoveNetwork(bssid));
  Done(ctx, "removed " + sim::BssidText(bssid));
  return 0;
}

int RunMove(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 2> specs = {{{"--rssi", true}, {"--channel", true}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "sim move", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl sim move BSSID [--rssi DBM] [--channel N]\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl sim move BSSID [--rssi DBM] [--channel N]");
  const auto bssid = BssidArgument(parsed.positionals[0]);
  std::optional<int32_t> rssi;
  std::optional<uint32_t> channel;
  if (parsed.Has("--rssi")) {
    const std::string& text = parsed.Value("--rssi");
    int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
      throw UsageError("--rssi takes dBm like -70");
    }
    rssi = value;
  }
  if (parsed.Has("--channel")) channel = ParseNumber(parsed.Value("--channel"), 255, "--channel");
  if (!rssi && !channel) throw UsageError("give --rssi, --channel or both");
  Check(MachineControl().MoveNetwork(bssid, rssi, channel));
  Done(ctx, "moved " + sim::BssidText(bssid));
  return 0;
}

int RunTraffic(Context& ctx, std::span<const std::string> args) {
  constexpr std::string_view kUsage =
      "vtrctl sim traffic BSSID --receive BYTES --send BYTES [--variation PERCENT]";
  constexpr std::array<OptionSpec, 3> specs = {
      {{"--receive", true}, {"--send", true}, {"--variation", true}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "sim traffic", ctx);
  if (parsed.help) {
    ctx.out << "usage: " << kUsage
            << "\n\nThe background traffic of a network's link, in bytes a second each way; "
               "with a\nvariation the rates swing around these means by up to that many "
               "percent. A link\nto the network carries it from now on.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, kUsage);
  if (!parsed.Has("--receive") || !parsed.Has("--send")) {
    throw UsageError("give --receive and --send");
  }
  const auto bssid = BssidArgument(parsed.positionals[0]);
  sim::TrafficDescription traffic;
  traffic.receiveBytesPerSecond = ParseNumber(parsed.Value("--receive"), UINT32_MAX, "--receive");
  traffic.sendBytesPerSecond = ParseNumber(parsed.Value("--send"), UINT32_MAX, "--send");
  if (parsed.Has("--variation")) {
    traffic.variationPercent = ParseNumber(parsed.Value("--variation"), 100, "--variation");
  }
  Check(MachineControl().SetTraffic(bssid, traffic));
  Done(ctx, "traffic of " + sim::BssidText(bssid) + " set");
  return 0;
}

int RunPresence(Context& ctx, std::span<const std::string> args, bool present) {
  const ParsedArgs parsed = ParseArgs(args, {}, present ? "sim plug" : "sim pull", ctx);
  if (parsed.help) {
    ctx.out << (present ? "usage: vtrctl sim plug\n" : "usage: vtrctl sim pull\n");
    return 0;
  }
  RequirePositionals(parsed, 0, 0, present ? "vtrctl sim plug" : "vtrctl sim pull");
  Check(MachineControl().SetPresent(present));
  Done(ctx, present ? "adapter plugged in" : "adapter pulled out");
  return 0;
}

int RunPull(Context& ctx, std::span<const std::string> args) {
  return RunPresence(ctx, args, false);
}

int RunPlug(Context& ctx, std::span<const std::string> args) {
  return RunPresence(ctx, args, true);
}

int RunReset(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "sim reset", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl sim reset\n\nForgets every change to the adapter and the air.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl sim reset");
  Check(MachineControl(sim::MachineCheck::kOpening).Reset());
  Done(ctx, "adapter and air as described");
  return 0;
}

// The programs running on the machine hear it at their next look at the power broadcasts.
int RunPowerEvent(Context& ctx, std::span<const std::string> args, bool suspend) {
  const char* name = suspend ? "sim suspend" : "sim resume";
  const ParsedArgs parsed = ParseArgs(args, {}, name, ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl " << name << "\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, std::string("vtrctl ") + name);
  if (auto why = sim::PrepareSelectedMachine()) throw Failure(*why);
  const auto kind =
      suspend ? platform::PowerEventKind::QuerySuspend : platform::PowerEventKind::ResumeSuspend;
  if (!platform::Current().PowerEvents().Announce(kind)) {
    throw Failure("cannot write the machine's power events");
  }
  Done(ctx, suspend ? "suspend announced" : "resume announced");
  return 0;
}

int RunSuspend(Context& ctx, std::span<const std::string> args) {
  return RunPowerEvent(ctx, args, true);
}

int RunResume(Context& ctx, std::span<const std::string> args) {
  return RunPowerEvent(ctx, args, false);
}

}  // namespace

int RunSim(Context& ctx, std::span<const std::string> args) {
  static constexpr std::array<Subcommand, 15> subcommands = {{{"list", RunList},
                                                              {"add", RunAdd},
                                                              {"remove", RunRemove},
                                                              {"move", RunMove},
                                                              {"traffic", RunTraffic},
                                                              {"pull", RunPull},
                                                              {"plug", RunPlug},
                                                              {"reset", RunReset},
                                                              {"suspend", RunSuspend},
                                                              {"resume", RunResume},
                                                              {"service", RunSimService},
                                                              {"wmi", RunSimWmi},
                                                              {"wow64", RunSimWow64},
                                                              {"wps-button", RunSimWpsButton},
                                                              {"wps-pin", RunSimWpsPin}}};
  return Dispatch(ctx, args, "sim", kSimHelp, subcommands);
}

}  // namespace vtrctl
