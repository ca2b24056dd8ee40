// vtrctl ipconfig: the wireless adapter's IPv4 configuration through the library's WMI exports.
#include <array>
#include <iostream>
#include <string>
#include <vector>

#include "app/core/vtr_library.h"
#include "tools/vtrctl/adapter_session.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/ipv4_text.h"
#include "tools/vtrctl/wmi_methods.h"

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
    "prints the library's progress lines. Addresses are a.b.c.d; a mask is ones, then zeros.\n"
    "A method that could not run, or that answered with an error (\"failed with return code =\n"
    "N\"), fails the command and stops it there; --json gives each method's return value.\n"
    "`vtrctl ip` shows the result.\n";

// The methods run so far, in order; the first that is not done ends the command.
class MethodRun {
 public:
  MethodRun(Context& ctx, const core::CVtrLibrary& lib)
      : ctx_(ctx), session_(lib), methods_(lib, ctx.json ? std::cerr : std::cout) {}

  WmiMethods& Methods() { return methods_; }
  int32_t Index() const { return session_.Index(); }

  // False once a method was not done: the ones after it are not run.
  bool Then(const WmiOutcome& outcome) {
    outcomes_.push_back(outcome);
    return outcome.Done();
  }

  int Finish() {
    const WmiOutcome& last = outcomes_.back();
    if (ctx_.json) {
      // Standard output carries every method's answer, a refused one's too.
      nlohmann::json methods = nlohmann::json::array();
      for (const WmiOutcome& outcome : outcomes_) methods.push_back(outcome.Json());
      PrintJson(ctx_.out, {{"ran", last.method}, {"done", last.Done()}, {"methods", methods}});
    }
    if (!last.Done()) throw Failure(last.FailureText());
    return 0;
  }

 private:
  Context& ctx_;
  AdapterSession session_;
  WmiMethods methods_;
  std::vector<WmiOutcome> outcomes_;
};

int RunDhcp(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "ipconfig dhcp", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl ipconfig dhcp\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl ipconfig dhcp");
  MethodRun run(ctx, RequireLibrary());
  run.Then(run.Methods().EnableDhcp(run.Index()));
  return run.Finish();
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
  const auto& positionals = parsed.positionals;
  RequireIpv4(positionals[0], "address");
  if (!IsSubnetMask(RequireIpv4(positionals[1], "mask"))) {
    throw UsageError("invalid mask '" + positionals[1] + "' (ones, then zeros: 255.255.255.0)");
  }
  if (positionals.size() == 3) RequireIpv4(positionals[2], "gateway");
  for (const std::string& server : dns) RequireIpv4(server, "DNS server");

  MethodRun run(ctx, RequireLibrary());
  WmiMethods& methods = run.Methods();
  bool done = run.Then(methods.EnableStatic(run.Index(), positionals[0], positionals[1]));
  if (done && positionals.size() == 3) {
    done = run.Then(methods.SetGateway(run.Index(), positionals[2]));
  }
  if (done && !dns.empty()) {
    run.Then(methods.SetDns(run.Index(), dns[0], dns.size() > 1 ? dns[1] : ""));
  }
  return run.Finish();
}

int RunGateway(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "ipconfig gateway", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl ipconfig gateway [GATEWAY]\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 1, "vtrctl ipconfig gateway [GATEWAY]");
  const std::string gateway = parsed.positionals.empty() ? "" : parsed.positionals[0];
  if (!gateway.empty()) RequireIpv4(gateway, "gateway");
  MethodRun run(ctx, RequireLibrary());
  run.Then(run.Methods().SetGateway(run.Index(), gateway));
  return run.Finish();
}

int RunDns(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "ipconfig dns", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl ipconfig dns [FIRST [SECOND]]\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 2, "vtrctl ipconfig dns [FIRST [SECOND]]");
  for (const std::string& server : parsed.positionals) RequireIpv4(server, "DNS server");
  const std::string first = parsed.positionals.size() > 0 ? parsed.positionals[0] : "";
  const std::string second = parsed.positionals.size() > 1 ? parsed.positionals[1] : "";
  MethodRun run(ctx, RequireLibrary());
  run.Then(run.Methods().SetDns(run.Index(), first, second));
  return run.Finish();
}

}  // namespace

int RunIpConfig(Context& ctx, std::span<const std::string> args) {
  static constexpr std::array<Subcommand, 4> subcommands = {
      {{"dhcp", RunDhcp}, {"static", RunStatic}, {"gateway", RunGateway}, {"dns", RunDns}}};
  return Dispatch(ctx, args, "ipconfig", kIpConfigHelp, subcommands);
}

}  // namespace vtrctl
