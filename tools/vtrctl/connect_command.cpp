// vtrctl connect and disconnect: join a network from a stored profile (or a one-off profile
// stored as "<Default>", as the Site Survey page makes one), through VTR_ConnectToAP in a link
// holder that keeps the link after the command has ended.
#include <cstring>
#include <string>
#include <vector>

#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/adapter_session.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/connect_flow.h"
#include "tools/vtrctl/link_text.h"
#include "tools/vtrctl/profile_command_fields.h"
#include "tools/vtrctl/profile_store_calls.h"
#include "tools/vtrctl/text_bytes.h"

namespace vtrctl {
namespace {

constexpr std::string_view kConnectHelp =
    "usage: vtrctl connect PROFILE [--no-wait] [--json]\n"
    "       vtrctl connect --ssid NAME [security options] [--no-wait] [--json]\n"
    "\n"
    "Joins the network of a stored profile and waits for an address, showing the progress\n"
    "(associating, waiting for an address) and ending with the address or the reason it\n"
    "failed. A connect that gets no address gives up after about two minutes, as the\n"
    "utility does. An ad hoc network has no DHCP: its 169.254 address is what to expect.\n"
    "\n"
    "The link stays after vtrctl ends: a small process, the link holder (vtrctl link-holder),\n"
    "keeps the adapter library going until vtrctl disconnect, another connect, WPS, the\n"
    "utility or a pulled adapter ends it.\n"
    "\n"
    "With --ssid the profile is made from the options below and stored as \"<Default>\", the\n"
    "default profile, as the Site Survey page does for a network chosen from the list.\n"
    "\n"
    "options:\n"
    "  --no-wait      return once the adapter was given the network; then report whether it\n"
    "                 associated within 10 seconds (the utility's 20 looks, 500 ms apart)\n";

constexpr const char* kWorkingProfile = "<Default>";

// The working profile, as the utility fills it for a network typed in or chosen from the list.
ProfileRecord OneOffProfile(const core::CVtrLibrary& lib, const ParsedArgs& parsed) {
  if (parsed.Has("--name")) {
    throw UsageError("a one-off profile is always stored as \"<Default>\"; --name does not apply");
  }
  ProfileRecord record;
  std::memset(&record, 0, sizeof(record));
  lib.InitialProfile(&record);
  std::strcpy(record.profileName, kWorkingProfile);
  ApplyProfileFields(parsed, lib, record);
  if (FieldText(record.ssid).empty()) throw UsageError("--ssid needs a network name");
  CheckProfile(record);
  StoreAsDefault(lib, record);
  return record;
}

int RunConnect(Context& ctx, std::span<const std::string> args) {
  std::vector<OptionSpec> specs(ProfileFieldOptions().begin(), ProfileFieldOptions().end());
  specs.push_back({"--no-wait", false});
  const ParsedArgs parsed = ParseArgs(args, specs, "connect", ctx);
  if (parsed.help) {
    ctx.out << kConnectHelp << kProfileFieldHelp;
    return 0;
  }
  const bool oneOff = parsed.Has("--ssid");
  RequirePositionals(parsed, oneOff ? 0 : 1, oneOff ? 0 : 1,
                     "vtrctl connect PROFILE | --ssid NAME [options]");
  if (!oneOff && parsed.options.size() > (parsed.Has("--no-wait") ? 1u : 0u)) {
    throw UsageError("profile options go with --ssid; a stored profile is used as it is");
  }
  const bool wait = !parsed.Has("--no-wait");

  const core::CVtrLibrary& lib = RequireLibrary();
  ProfileRecord profile =
      oneOff ? OneOffProfile(lib, parsed) : ReadProfileNamed(lib, parsed.positionals[0]);
  // The holder takes its place (ending the one before) while this command prepares.
  HeldJoin held(ctx.json);
  AdapterSession session(lib);
  const JoinedLink joined = JoinAndHold(ctx, lib, session.Index(), held, profile, wait);

  const std::string name = FieldText(profile.profileName);
  if (ctx.json) {
    nlohmann::json out;
    PutText(out, "profile", name);
    PutSsid(out, FieldText(profile.ssid));
    out.update({{"waited", wait},
                {"seconds", joined.elapsedMs / 1000},
                {"link", LinkJson(joined.link, false)},
                {"ip", IpJson(joined.ip)}});
    if (!joined.fixedSettings.empty()) {
      nlohmann::json methods = nlohmann::json::array();
      for (const WmiOutcome& outcome : joined.fixedSettings) methods.push_back(outcome.Json());
      out["ipSettings"] = methods;
    }
    PrintJson(ctx.out, out);
    return 0;
  }
  std::vector<std::pair<std::string, std::string>> rows = {{"Profile", name}};
  for (auto& row : LinkRows(joined.link, false)) rows.push_back(std::move(row));
  if (wait) {
    for (auto& row : IpRows(joined.ip)) rows.push_back(std::move(row));
  }
  PrintRows(ctx.out, rows);
  return 0;
}

int RunDisconnectCommand(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "disconnect", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl disconnect [--json]\n\n"
               "Leaves the network and parks the adapter on a name no network carries, so that\n"
               "it does not join one on its own. The link holder a connect left ends first.\n"
               "Not being connected is no failure.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl disconnect");
  const core::CVtrLibrary& lib = RequireLibrary();
  // The holder goes first: the supplicant it keeps would otherwise hold on to the link.
  if (!platform::Current().LinkHolder().EndLinkHolder()) {
    throw Failure("the link holder of the machine did not end");
  }
  AdapterSession session(lib);
  if (!lib.DisConnectToAP()) {
    // The Vista build answers false when there is nothing to leave: no failure, as on the driver
    // build.
    VtrLinkInfo link{};
    lib.APLinkInformation(&link, 0);
    if (link.linkState == 1) throw Failure("the adapter refused to disassociate");
  }
  if (ctx.json) {
    PrintJson(ctx.out, {{"disconnected", true}});
  } else {
    ctx.out << "disconnected\n";
  }
  return 0;
}

}  // namespace

int RunConnectCommand(Context& ctx, std::span<const std::string> args) {
  return RunConnect(ctx, args);
}

int RunDisconnect(Context& ctx, std::span<const std::string> args) {
  return RunDisconnectCommand(ctx, args);
}

}  // namespace vtrctl
