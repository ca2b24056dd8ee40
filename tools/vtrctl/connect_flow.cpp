#include "tools/vtrctl/connect_flow.h"

#include <unistd.h>

#include <chrono>
#include <iostream>
#include <string>
#include <thread>

#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/connect_verdict.h"
#include "tools/vtrctl/interrupt_guard.h"
#include "tools/vtrctl/ipv4_text.h"
#include "tools/vtrctl/library_build.h"

namespace vtrctl {
namespace {

constexpr uint32_t kNoWait = 2;
constexpr uint32_t kPollMs = 500;
// How often, in real time, the live line looks at the clock.
constexpr auto kWatchStep = std::chrono::milliseconds(20);
// The utility's connect worker looks 20 times, 500 ms apart, after a connect without the wait.
constexpr int kAssociationLooks = 20;
constexpr int32_t kSurveyCapacity = 128;
constexpr uint32_t kSortBySignal = 5;
constexpr uint32_t kSignalInDbm = 1;

// Shows what the link does while the holder joins: associating, then waiting for an address.
// The looks go through the machine's clock, so a simulated machine in virtual time watches a
// two-minute wait at once. A link that was up when the connect began is the old one until the
// adapter has been seen off it: the connect leaves it first.
class Progress {
 public:
  Progress(const core::CVtrLibrary& lib, const ProfileRecord& profile, bool show, bool linkBefore)
      : lib_(lib), profile_(profile), show_(show), leftOldLink_(!linkBefore) {}

  void Look() {
    VtrLinkInfo link{};
    lib_.APLinkInformation(&link, 0);
    if (link.linkState != 1) leftOldLink_ = true;
    if (leftOldLink_ && OnProfileNetwork(link, profile_)) {
      Say("Associated with " + FieldText(link.bssid) + ", waiting for an address...");
    } else {
      Say("Associating with '" + FieldText(profile_.ssid) + "'...");
    }
  }
  // The line goes however the wait ends, so a failure's line starts on a clean one.
  ~Progress() { Done(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  void Done() {
    if (shown_) std::cerr << "\r" << std::string(width_, ' ') << "\r" << std::flush;
    shown_ = false;
  }

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
  bool leftOldLink_;
  bool shown_ = false;
  std::size_t width_ = 0;
};

// What a scan hears of the profile's network: the strongest network of its name, of its network
// type if there is one, and the strongest hidden network of that type.
void Listen(const core::CVtrLibrary& lib, const ProfileRecord& profile, ConnectFacts& facts) {
  std::vector<VtrSurveyEntry> entries(kSurveyCapacity);
  const int32_t count = lib.SiteSurveyEx(0, kSortBySignal, 1, 1, entries.data(), kSignalInDbm);
  for (int32_t i = 0; i < count; ++i) {
    const VtrSurveyEntry& entry = entries[static_cast<std::size_t>(i)];
    const std::string name = FieldText(entry.ssid);
    if (name.empty() && entry.networkType == profile.networkType && !facts.hidden) {
      facts.hidden = entry;
    }
    if (name != FieldText(profile.ssid)) continue;
    if (!facts.heard || (entry.networkType == profile.networkType &&
                         facts.heard->networkType != profile.networkType)) {
      facts.heard = entry;
    }
  }
}

// What the Vista build's connect does with the profile's IP settings after joining, for the
// driver build, whose connect does not: a fixed address (and gateway), or DHCP again when an
// earlier profile left a fixed one, and the DNS servers. Stops at the first method not done.
std::vector<WmiOutcome> SetIpSettings(Context& ctx, const core::CVtrLibrary& lib, int32_t index,
                                      const ProfileRecord& profile, bool dhcpEnabled) {
  const bool fixed = profile.useStaticIp != 0;
  if (!fixed && dhcpEnabled && profile.useStaticDns == 0) return {};
  if (!ctx.json) {
    std::cerr << (fixed ? "Setting the profile's fixed address " + Ipv4Text(profile.ipAddress) +
                              " through WMI (the driver build's connect leaves it to vtrctl)\n"
                        : std::string("Setting the adapter's IP settings through WMI\n"));
  }
  WmiMethods methods(lib, ctx.json ? std::cerr : std::cout);
  std::vector<WmiOutcome> done;
  const auto then = [&](const WmiOutcome& outcome) {
    done.push_back(outcome);
    return outcome.Done();
  };
  if (fixed) {
    if (!then(methods.EnableStatic(index, Ipv4Text(profile.ipAddress),
                                   Ipv4Text(profile.subnetMask)))) {
      return done;
    }
    if (!IsZero(profile.defaultGateway) &&
        !then(methods.SetGateway(index, Ipv4Text(profile.defaultGateway)))) {
      return done;
    }
  } else if (!dhcpEnabled && !then(methods.EnableDhcp(index))) {
    return done;
  }
  const bool fixedDns = profile.useStaticDns != 0;
  const auto server = [&](const uint8_t(&address)[4]) {
    return fixedDns && !IsZero(address) ? Ipv4Text(address) : std::string();
  };
  then(methods.SetDns(index, server(profile.preferredDns), server(profile.alternateDns)));
  return done;
}

}  // namespace

JoinedLink JoinAndHold(Context& ctx, const core::CVtrLibrary& lib, int32_t adapterIndex,
                       HeldJoin& held, ProfileRecord& profile, bool wait) {
  auto& clock = platform::Current().Clock();
  const uint64_t start = clock.NowMs();
  const std::string ssid = FieldText(profile.ssid);
  // The live line needs a terminal. Without one the command only waits for the holder: every
  // look would move a virtual clock on as well.
  const bool live = !ctx.json && ::isatty(STDERR_FILENO) != 0;
  VtrLinkInfo before{};
  lib.APLinkInformation(&before, 0);
  Progress progress(lib, profile, live, before.linkState == 1);
  if (!live && !ctx.json) std::cerr << "Connecting to '" << ssid << "'...\n";

  JoinReport report;
  {
    InterruptGuard guard;
    held.Start(profile, wait ? 0 : kNoWait);
    // The live line only watches: it waits in real time and looks again once the machine's clock
    // has moved on by kPollMs, so that on a machine in virtual time it never moves the clock the
    // holder's own waits are measured by.
    uint64_t lookedAt = clock.NowMs();
    if (live) progress.Look();
    while (live && !held.Reported() && interrupted == 0) {
      std::this_thread::sleep_for(kWatchStep);
      if (clock.NowMs() - lookedAt < kPollMs || held.Reported()) continue;
      lookedAt = clock.NowMs();
      progress.Look();
    }
    report = held.Wait();
  }
  progress.Done();
  if (report.outcome == JoinOutcome::kCannotHold) {
    throw Failure("the machine directory cannot record the link holder (is it writable?)");
  }
  if (report.outcome == JoinOutcome::kHolderLost) {
    throw Failure("the link holder ended before it reported (it could not start, or was killed)");
  }
  ConnectFacts facts;
  facts.driverBuild = IsDriverBuild(lib);
  facts.waited = wait;
  facts.joined = report.outcome == JoinOutcome::kJoined;
  facts.interrupted = report.outcome == JoinOutcome::kInterrupted;
  if (facts.joined || report.outcome == JoinOutcome::kNotJoined) profile = report.profile;

  lib.APLinkInformation(&facts.link, 0);
  for (int look = 0;
       !wait && facts.joined && look < kAssociationLooks && !OnProfileNetwork(facts.link, profile);
       ++look) {
    clock.SleepMs(kPollMs);
    lib.APLinkInformation(&facts.link, 0);
  }
  facts.elapsedMs = clock.NowMs() - start;
  facts.adapterPresent = report.outcome != JoinOutcome::kNoAdapter && lib.IsCardConnect() != 0;
  uint32_t radio = 1;
  facts.radioOn = !lib.GetRadioMode(&radio) || radio == 1;

  JoinedLink joined;
  lib.APInternetInformation(&joined.ip);
  if (wait && facts.driverBuild && facts.joined && OnProfileNetwork(facts.link, profile)) {
    joined.fixedSettings =
        SetIpSettings(ctx, lib, adapterIndex, profile, joined.ip.dhcpEnabled != 0);
    if (!joined.fixedSettings.empty() && !joined.fixedSettings.back().Done()) {
      throw Failure("joined '" + ssid + "', but the profile's IP settings were not set: " +
                    joined.fixedSettings.back().FailureText());
    }
    if (!joined.fixedSettings.empty()) lib.APInternetInformation(&joined.ip);
  }
  facts.address = FieldText(joined.ip.ipAddress);
  if (NeedsScan(facts)) Listen(lib, profile, facts);
  if (auto failure = ConnectFailure(profile, facts)) throw Failure(*failure);
  if (!held.Keep()) {
    throw Failure("joined '" + ssid +
                  "', but another program took the adapter over at once (another connect or "
                  "disconnect, WPS, or the utility)");
  }
  joined.link = facts.link;
  joined.elapsedMs = facts.elapsedMs;
  return joined;
}

}  // namespace vtrctl
