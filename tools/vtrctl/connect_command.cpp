// vtrctl connect and disconnect: join a network from a stored profile (or a one-off profile
// stored as "<Default>", as the Site Survey page makes one), through VTR_ConnectToAP.
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/adapter_session.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/link_text.h"
#include "tools/vtrctl/profile_command_fields.h"
#include "tools/vtrctl/profile_store_calls.h"
#include "tools/vtrctl/progress_to_stderr.h"
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
    "utility does; a wrong WEP key fails that way.\n"
    "\n"
    "With --ssid the profile is made from the options below and stored as \"<Default>\", the\n"
    "default profile, as the Site Survey page does for a network chosen from the list.\n"
    "\n"
    "options:\n"
    "  --no-wait      return once the adapter was given the network; then report whether it\n"
    "                 associated within 10 seconds (the utility's 20 looks, 500 ms apart)\n";

constexpr const char* kWorkingProfile = "<Default>";
constexpr uint32_t kNoWait = 2;
constexpr uint32_t kPollMs = 500;
constexpr int kAssociationLooks = 20;
constexpr uint64_t kFirstLookMs = 5000;

bool AssociatedWith(const VtrLinkInfo& link, const ProfileRecord& profile) {
  return link.linkState == 1 && FieldText(link.ssid) == FieldText(profile.ssid);
}

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

// Shows what the link does while the connect runs on a worker: associating, then waiting for an
// address. The looks go through the machine's clock, so a simulated machine in virtual time
// watches a two-minute wait at once.
class Progress {
 public:
  Progress(const core::CVtrLibrary& lib, const ProfileRecord& profile, bool show)
      : lib_(lib), profile_(profile), show_(show) {}

  void Look() {
    VtrLinkInfo link{};
    lib_.APLinkInformation(&link, 0);
    if (AssociatedWith(link, profile_)) {
      if (!associated_) {
        associated_ = true;
        bssid_ = FieldText(link.bssid);
      }
      Say("Associated with " + bssid_ + ", waiting for an address...");
    } else {
      Say("Associating with '" + FieldText(profile_.ssid) + "'...");
    }
  }
  void Done() {
    if (shown_) std::cerr << "\r" << std::string(width_, ' ') << "\r" << std::flush;
  }
  bool Associated() const { return associated_; }
  const std::string& Bssid() const { return bssid_; }

 private:
  void Say(const std::string& text) {
    if (!show_) return;
    shown_ = true;
    if (text.size() > width_) width_ = text.size();
    std::cerr << "\r" << text << std::string(width_ - text.size(), ' ') << std::flush;
  }

  const core::CVtrLibrary& lib_;
  const ProfileRecord& profile_;
  const bool show_;
  bool shown_ = false;
  std::size_t width_ = 0;
  bool associated_ = false;
  std::string bssid_;
};

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
  AdapterSession session(lib);
  ProfileRecord profile =
      oneOff ? OneOffProfile(lib, parsed) : ReadProfileNamed(lib, parsed.positionals[0]);
  const std::string name = FieldText(profile.profileName);
  const std::string ssid = FieldText(profile.ssid);

  auto& clock = platform::Current().Clock();
  const uint64_t start = clock.NowMs();
  // The live line needs a terminal, and looks at the link while the connect runs on a worker.
  // Without one the connect runs alone: every look would move a virtual clock on as well.
  const bool live = !ctx.json && ::isatty(STDERR_FILENO) != 0;
  Progress progress(lib, profile, live);
  bool connected = false;
  {
    // The Vista build's connect sets the IP settings through the WMI exports, which print.
    ProgressToStderr quiet(ctx.json);
    if (!wait) {
      connected = lib.ConnectToAP(&profile, kNoWait) != 0;
      for (int look = 0; connected && look < kAssociationLooks && !progress.Associated(); ++look) {
        clock.SleepMs(kPollMs);
        progress.Look();
      }
    } else if (live) {
      std::atomic<bool> done{false};
      std::thread worker([&] {
        connected = lib.ConnectToAP(&profile, 0) != 0;
        done = true;
      });
      while (!done) {
        clock.SleepMs(kPollMs);
        if (!done) progress.Look();
      }
      worker.join();
    } else {
      if (!ctx.json) std::cerr << "Connecting to '" << ssid << "'...\n";
      connected = lib.ConnectToAP(&profile, 0) != 0;
    }
  }
  progress.Done();
  const uint64_t elapsedMs = clock.NowMs() - start;
  const std::string seconds = std::to_string(elapsedMs / 1000) + " s";

  VtrLinkInfo link{};
  lib.APLinkInformation(&link, 0);
  VtrIpInfo ip{};
  lib.APInternetInformation(&ip);
  const bool associated = AssociatedWith(link, profile) || progress.Associated();

  if (!connected) {
    // Every wait starts with 5 seconds for the association; a quicker failure is a refusal at
    // once: the adapter is gone, or (the Native Wi-Fi build) the service refused the profile.
    if (elapsedMs < kFirstLookMs && lib.IsCardConnect() == 0) {
      throw Failure("could not join '" + ssid + "': the adapter is gone (is it plugged in?)");
    }
    if (elapsedMs < kFirstLookMs) {
      throw Failure("could not join '" + ssid +
                    "': refused at once (the adapter did not take the network name, or the "
                    "profile's security does not fit the network)");
    }
    if (live && !associated) {
      throw Failure("could not join '" + ssid + "': the adapter did not associate in " + seconds +
                    " (no such network in range, or it refused the authentication)");
    }
    if (live) {
      throw Failure("joined '" + ssid + "' at " + progress.Bssid() + " but no address came in " +
                    seconds + " (a wrong WEP key lets the association through, but no traffic)");
    }
    throw Failure("could not join '" + ssid + "': no address in " + seconds +
                  " (the network is out of range or refused the authentication, or a wrong WEP "
                  "key let the association through without traffic)");
  }
  // Windows gives itself a 169.254 address when DHCP never answers; the library counts that
  // address change as a connect, but nothing reaches the network through it.
  const std::string address = FieldText(ip.ipAddress);
  if (wait && address.rfind("169.254.", 0) == 0) {
    throw Failure("joined '" + ssid + "' but DHCP never answered; the adapter gave itself " +
                  address + " (a wrong WEP key lets the association through, but no traffic)");
  }
  if (!wait && !associated) {
    throw Failure("gave '" + ssid + "' to the adapter, but it did not associate within 10 s");
  }

  if (ctx.json) {
    nlohmann::json out;
    PutText(out, "profile", name);
    PutSsid(out, ssid);
    out.update({{"waited", wait},
                {"seconds", elapsedMs / 1000},
                {"link", LinkJson(link, false)},
                {"ip", IpJson(ip)}});
    PrintJson(ctx.out, out);
    return 0;
  }
  std::vector<std::pair<std::string, std::string>> rows = {{"Profile", name}};
  for (auto& row : LinkRows(link, false)) rows.push_back(std::move(row));
  if (wait) {
    for (auto& row : IpRows(ip)) rows.push_back(std::move(row));
  }
  PrintRows(ctx.out, rows);
  return 0;
}

int RunDisconnectCommand(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "disconnect", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl disconnect [--json]\n\n"
               "Leaves the network and parks the adapter on a name no network carries, so that\n"
               "it does not join one on its own.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl disconnect");
  const core::CVtrLibrary& lib = RequireLibrary();
  AdapterSession session(lib);
  if (!lib.DisConnectToAP()) throw Failure("the adapter refused to disassociate");
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
