#include "tools/vtrctl/sim_command_wps.h"

#include <array>

#include "platform/services.h"
#include "sim/adapter_control.h"
#include "sim/machine.h"
#include "sim/network_description.h"
#include "sim/sim_machine.h"
#include "sim/wps_registrar.h"
#include "sim/wps_registrar_control.h"

namespace vtrctl {
namespace {

sim::SimMachine& Machine() {
  if (auto why = sim::PrepareSelectedMachine()) throw Failure(*why);
  return static_cast<sim::SimMachine&>(platform::Current());
}

std::array<uint8_t, 6> AccessPoint(const std::string& text) {
  std::array<uint8_t, 6> bssid{};
  if (!sim::ParseBssid(text, bssid)) {
    throw UsageError("'" + text + "' is not an address like 00-0C-43-12-34-56");
  }
  return bssid;
}

void Done(Context& ctx, const std::string& what) {
  if (ctx.json) {
    PrintJson(ctx.out, {{"done", what}});
  } else {
    ctx.out << what << '\n';
  }
}

}  // namespace

int RunSimWpsButton(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "sim wps-button", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl sim wps-button BSSID\n\nPresses the WPS button of the access "
               "point: it takes a push-button registration for the next 2 minutes.\n";
    return 0;
  }
  RequirePositionals(parsed, 1, 1, "vtrctl sim wps-button BSSID");
  const auto bssid = AccessPoint(parsed.positionals[0]);
  if (auto failure = sim::PressWpsButton(Machine(), bssid)) throw Failure(*failure);
  Done(ctx, "pressed the WPS button of " + sim::BssidText(bssid) + " (" +
                std::to_string(sim::kWpsWalkTimeMs / 1000) + " s)");
  return 0;
}

int RunSimWpsPin(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "sim wps-pin", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl sim wps-pin BSSID PIN\n\nTypes a station's eight-digit PIN into "
               "the access point's registrar, which then takes that station's registration.\n";
    return 0;
  }
  RequirePositionals(parsed, 2, 2, "vtrctl sim wps-pin BSSID PIN");
  const auto bssid = AccessPoint(parsed.positionals[0]);
  if (auto failure = sim::EnterWpsPin(Machine(), bssid, parsed.positionals[1])) {
    throw Failure(*failure);
  }
  Done(ctx, "entered the PIN at " + sim::BssidText(bssid));
  return 0;
}

}  // namespace vtrctl
