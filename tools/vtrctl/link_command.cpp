// vtrctl link and ip: the current association and the adapter's IP settings, as the Network
// Status page shows them, through VTR_APLinkInformation and VTR_APInternetInformation.
#include <string>

#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/adapter_session.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/link_text.h"

namespace vtrctl {
namespace {

constexpr std::string_view kLinkHelp =
    "usage: vtrctl link [--dbm] [--watch [--count N]] [--json]\n"
    "\n"
    "Shows the current association: state, network name, access point, security, network\n"
    "type, band, channel, transmit and receive rates and the signal.\n"
    "\n"
    "options:\n"
    "  --dbm          signal in dBm instead of percent\n"
    "  --watch        read the link again every second, as the Network Status page does; the\n"
    "                 percentage moves half way towards each new reading\n"
    "  --count N      with --watch: stop after N readings (default: until interrupted)\n"
    "  --json         the link record's fields as JSON (one object a line with --watch)\n";

constexpr uint32_t kRefreshMs = 1000;
constexpr uint32_t kSignalDbm = 1;

void ShowLink(Context& ctx, const VtrLinkInfo& link, bool dbm, bool oneLine) {
  if (ctx.json) {
    if (oneLine) {
      PrintJsonLine(ctx.out, LinkJson(link, dbm));
    } else {
      PrintJson(ctx.out, LinkJson(link, dbm));
    }
  } else {
    PrintRows(ctx.out, LinkRows(link, dbm));
  }
  ctx.out.flush();
}

int RunLinkCommand(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 3> specs = {
      {{"--dbm", false}, {"--watch", false}, {"--count", true}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "link", ctx);
  if (parsed.help) {
    ctx.out << kLinkHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl link [options]");
  const bool dbm = parsed.Has("--dbm");
  const bool watch = parsed.Has("--watch");
  if (parsed.Has("--count") && !watch) throw UsageError("--count goes with --watch");
  const uint32_t count =
      parsed.Has("--count") ? ParseNumber(parsed.Value("--count"), 1000000, "count") : 0;
  if (parsed.Has("--count") && count == 0) throw UsageError("--count is at least 1");

  const core::CVtrLibrary& lib = RequireLibrary();
  AdapterSession session(lib);
  auto& clock = platform::Current().Clock();
  for (uint32_t reading = 1;; ++reading) {
    VtrLinkInfo link{};
    lib.APLinkInformation(&link, dbm ? kSignalDbm : 0);
    if (watch && !ctx.json && reading > 1) ctx.out << '\n';
    ShowLink(ctx, link, dbm, watch);
    if (!watch || (count != 0 && reading >= count)) break;
    clock.SleepMs(kRefreshMs);
  }
  return 0;
}

int RunIpCommand(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "ip", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl ip [--json]\n\n"
               "Shows the wireless adapter's IP settings: whether DHCP is on, address, mask,\n"
               "gateway, DHCP server and up to five DNS servers.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl ip");
  const core::CVtrLibrary& lib = RequireLibrary();
  AdapterSession session(lib);
  VtrIpInfo ip{};
  lib.APInternetInformation(&ip);
  if (ctx.json) {
    PrintJson(ctx.out, IpJson(ip));
  } else {
    PrintRows(ctx.out, IpRows(ip));
  }
  return 0;
}

}  // namespace

int RunLink(Context& ctx, std::span<const std::string> args) {
  return RunLinkCommand(ctx, args);
}

int RunIp(Context& ctx, std::span<const std::string> args) {
  return RunIpCommand(ctx, args);
}

}  // namespace vtrctl
