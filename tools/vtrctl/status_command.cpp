// vtrctl status: is the library there, what system is this, and which adapter does it drive.
#include <array>
#include <cstdio>

#include "app/core/os_version_code.h"
#include "app/core/vtr_library.h"
#include "tools/vtrctl/adapter_session.h"
#include "tools/vtrctl/commands.h"

namespace vtrctl {
namespace {

constexpr std::string_view kStatusHelp =
    "usage: vtrctl status [--json]\n"
    "\n"
    "Loads the adapter library, initialises it, and shows the system class, the adapter's\n"
    "interface index and its driver facts. Fails when the library is missing, the system is\n"
    "not supported, or no supported adapter is present.\n";

// A SYSTEMTIME date as YYYY-MM-DD; empty while the driver date is unknown.
std::string DateText(const VtrSystemTime& date) {
  if (date.year == 0) return {};
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "%04u-%02u-%02u", unsigned{date.year},
                unsigned{date.month}, unsigned{date.day});
  return text.data();
}

}  // namespace

int RunStatus(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "status", ctx);
  if (parsed.help) {
    ctx.out << kStatusHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl status");

  const core::CVtrLibrary& lib = RequireLibrary();
  const int32_t osCode = core::OsVersionCode();
  const std::string osName(core::OsVersionName(osCode));
  const AdapterSession session(lib);
  VtrAdapterInfo info{};
  lib.DriverParameter(&info);
  const bool cardConnected = lib.IsCardConnect() != 0;

  const std::string description = FieldText(info.description);
  const std::string macAddress = FieldText(info.macAddress);
  const std::string driverVersion = FieldText(info.driverVersion);
  const std::string firmwareVersion = FieldText(info.firmwareVersion);
  const std::string driverDate = DateText(info.driverDate);

  if (ctx.json) {
    PrintJson(ctx.out, {{"libraryLoaded", true},
                        {"osVersionCode", osCode},
                        {"osName", osName},
                        {"adapterIndex", session.Index()},
                        {"cardConnected", cardConnected},
                        {"description", description},
                        {"macAddress", macAddress},
                        {"driverVersion", driverVersion},
                        {"driverDate", driverDate},
                        {"firmwareVersion", firmwareVersion},
                        {"regionCode", info.regionCode}});
  } else {
    PrintRows(ctx.out, {{"Library", "loaded"},
                        {"System", osName + " (" + std::to_string(osCode) + ")"},
                        {"Adapter index", std::to_string(session.Index())},
                        {"Card present", cardConnected ? "yes" : "no"},
                        {"Description", description},
                        {"MAC address", macAddress},
                        {"Driver version", driverVersion},
                        {"Driver date", driverDate},
                        {"Firmware version", firmwareVersion},
                        {"Region code", std::to_string(info.regionCode)}});
  }
  return 0;
}

}  // namespace vtrctl
