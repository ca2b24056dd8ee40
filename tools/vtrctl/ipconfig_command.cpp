// vtrctl ipconfig: the wireless adapter's IPv4 configuration through the library's WMI exports.
// The utility never calls those exports, so the binding has no wrappers for them; they are
// looked up by name in the very library the binding loaded.
#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/core/vtr_library.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/progress_to_stderr.h"
#include "vtrlib.h"

namespace vtrctl {
namespace {

constexpr std::string_view kIpConfigHelp =
    "usage: vtrctl ipconfig <command>\n"
    "\n"
    "commands:\n"
    "  dhcp                        take the address from DHCP\n"
    "  static ADDRESS MASK [GW] [--dns A [--dns B]]\n"
    "                              a fixed address and subnet mask, a default gateway and\n"
    "                              DNS servers\n"
    "  gateway [GW]                set the default gateway; without GW, remove it\n"
    "  dns [FIRST [SECOND]]        set the DNS servers; without any, leave them to DHCP\n"
    "\n"
    "Each runs a method of the adapter's Win32_NetworkAdapterConfiguration through WMI and\n"
    "prints the library's progress lines. A method that ran but refused the settings says so\n"
    "(\"failed with return code = N\") and is not reported as a failure of vtrctl.\n"
    "`vtrctl ip` shows the result.\n";

template <typename Function>
Function Export(const core::CVtrLibrary& lib, const char* name) {
  Dl_info info{};
  if (dladdr(lib.EntryAddress(core::VtrEntry::Initialize), &info) == 0 ||
      info.dli_fname == nullptr) {
    throw Failure("the adapter library's file cannot be found");
  }
  void* module = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  void* address = module != nullptr ? dlsym(module, name) : nullptr;
  if (address == nullptr) throw Failure(std::string("the adapter library lacks ") + name);
  return reinterpret_cast<Function>(address);
}

// The adapter's interface index, which the WMI exports take; the library stays initialised
// while the command runs.
class Session {
 public:
  explicit Session(const core::CVtrLibrary& lib) : lib_(lib), index_(lib.Initialize(0)) {
    if (index_ < 0) {
      lib_.UnInitialize();
      throw Failure("no supported wireless adapter");
    }
  }
  ~Session() { lib_.UnInitialize(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  int32_t Index() const { return index_; }

 private:
  const core::CVtrLibrary& lib_;
  int32_t index_;
};

void RequireRan(const char* method, int32_t result) {
  if (result != 0) {
    throw Failure(std::string(method) +
                  " did not run: WMI, the adapter's configuration or "
                  "the method could not be reached");
  }
}

// The last method of a command: with --json, standard output names it.
void Check(Context& ctx, const char* method, int32_t result) {
  RequireRan(method, result);
  if (ctx.json) {
    PrintJson(ctx.out, {{"ran", method}});
  } else {
    ctx.out.flush();
  }
}

int RunDhcp(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "ipconfig dhcp", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl ipconfig dhcp\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl ipconfig dhcp");
  const core::CVtrLibrary& lib = RequireLibrary();
  const auto enableDhcp = Export<decltype(&VTR_WMIEnableDHCP)>(lib, "VTR_WMIEnableDHCP");
  Session session(lib);
  int32_t result = 0;
  {
    ProgressToStderr quiet(ctx.json);
    result = enableDhcp(session.Index());
  }
  Check(ctx, "EnableDHCP", result);
  return 0;
}

// The methods of `static` run in order and stop at the first that could not run.
int32_t RunMethod(Context& ctx, const std::function<int32_t()>& method) {
  ProgressToStderr quiet(ctx.json);
  return method();
}

int RunStatic(Context& ctx, std::span<const std::string> args) {
  static constexpr std::array<OptionSpec, 1> options = {{{"--dns", true}}};
  const ParsedArgs parsed = ParseArgs(args, options, "ipconfig static", ctx);
  constexpr std::string_view kUsage =
      "vtrctl ipconfig static ADDRESS MASK [GATEWAY] [--dns FIRST [--dns SECOND]]";
  if (parsed.help) {
    ctx.out << "usage: " << kUsage << "\n";
    return 0;
  }
  RequirePositionals(parsed, 2, 3, kUsage);
  const std::vector<std::string> dns =
      parsed.Has("--dns") ? parsed.options.find("--dns")->second : std::vector<std::string>{};
  if (dns.size() > 2)
    throw UsageError("at most two --dns servers (see vtrctl ipconfig static --help)");
  const core::CVtrLibrary& lib = RequireLibrary();
  const auto enableStatic = Export<decltype(&VTR_WMIEnableStatic)>(lib, "VTR_WMIEnableStatic");
  const auto setGateway =
      Export<decltype(&VTR_WMISetDefaultGateway)>(lib, "VTR_WMISetDefaultGateway");
  const auto setDns =
      Export<decltype(&VTR_WMISetDNSServerSearchOrder)>(lib, "VTR_WMISetDNSServerSearchOrder");
  Session session(lib);
  const auto& positionals = parsed.positionals;
  int32_t result = RunMethod(ctx, [&] {
    return enableStatic(session.Index(), positionals[0].c_str(), positionals[1].c_str());
  });
  const char* last = "EnableStatic";
  if (positionals.size() == 3) {
    RequireRan(last, result);
    result = RunMethod(ctx, [&] { return setGateway(session.Index(), positionals[2].c_str()); });
    last = "SetGateways";
  }
  if (!dns.empty()) {
    RequireRan(last, result);
    const std::string second = dns.size() > 1 ? dns[1] : "";
    result =
        RunMethod(ctx, [&] { return setDns(session.Index(), dns[0].c_str(), second.c_str()); });
    last = "SetDNSServerSearchOrder";
  }
  Check(ctx, last, result);
  return 0;
}

int RunGateway(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "ipconfig gateway", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl ipconfig gateway [GATEWAY]\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 1, "vtrctl ipconfig gateway [GATEWAY]");
  const core::CVtrLibrary& lib = RequireLibrary();
  const auto setGateway =
      Export<decltype(&VTR_WMISetDefaultGateway)>(lib, "VTR_WMISetDefaultGateway");
  Session session(lib);
  int32_t result = 0;
  {
    ProgressToStderr quiet(ctx.json);
    result = setGateway(session.Index(),
                        parsed.positionals.empty() ? "" : parsed.positionals[0].c_str());
  }
  Check(ctx, "SetGateways", result);
  return 0;
}

int RunDns(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "ipconfig dns", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl ipconfig dns [FIRST [SECOND]]\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 2, "vtrctl ipconfig dns [FIRST [SECOND]]");
  const core::CVtrLibrary& lib = RequireLibrary();
  const auto setDns =
      Export<decltype(&VTR_WMISetDNSServerSearchOrder)>(lib, "VTR_WMISetDNSServerSearchOrder");
  Session session(lib);
  const std::string first = parsed.positionals.size() > 0 ? parsed.positionals[0] : "";
  const std::string second = parsed.positionals.size() > 1 ? parsed.positionals[1] : "";
  int32_t result = 0;
  {
    ProgressToStderr quiet(ctx.json);
    result = setDns(session.Index(), first.c_str(), second.c_str());
  }
  Check(ctx, "SetDNSServerSearchOrder", result);
  return 0;
}

}  // namespace

int RunIpConfig(Context& ctx, std::span<const std::string> args) {
  static constexpr std::array<Subcommand, 4> subcommands = {
      {{"dhcp", RunDhcp}, {"static", RunStatic}, {"gateway", RunGateway}, {"dns", RunDns}}};
  return Dispatch(ctx, args, "ipconfig", kIpConfigHelp, subcommands);
}

}  // namespace vtrctl
