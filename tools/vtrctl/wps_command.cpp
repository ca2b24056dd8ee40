// vtrctl wps: Wi-Fi Protected Setup by push button or PIN through the library's WPS engine, with
// its progress live, an overall limit of 240 seconds on the machine clock and Ctrl-C stopping the
// engine; --save stores the received profile, makes it the default and connects with it, as the
// utility's WPS page does.
#include <unistd.h>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/adapter_session.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/connect_flow.h"
#include "tools/vtrctl/interrupt_guard.h"
#include "tools/vtrctl/link_text.h"
#include "tools/vtrctl/profile_command_fields.h"
#include "tools/vtrctl/profile_store_calls.h"

namespace vtrctl {
namespace {

constexpr std::string_view kWpsHelp =
    "usage: vtrctl wps <command> [options]\n"
    "\n"
    "commands:\n"
    "  pbc [--ssid S --bssid B --channel C] [--save]\n"
    "                     push button: press the access point's WPS button, then run this\n"
    "  pin [--ap-pin PIN | --pin PIN] [--ssid S --bssid B --channel C] [--save]\n"
    "                     PIN: without --ap-pin the station's PIN is shown to be typed into\n"
    "                     the access point; with --ap-pin the access point's own PIN is used\n"
    "  new-pin            a new station PIN\n"
    "\n"
    "A run shows its progress (scanning, associating, handshaking) and ends with the network's\n"
    "settings, or the reason it failed, within 240 seconds; Ctrl-C stops it.\n"
    "\n"
    "options:\n"
    "  --ssid S       the access point's network name\n"
    "  --bssid B      its address, like 00-1D-7E-55-06-C3\n"
    "  --channel C    its channel\n"
    "  --ap-pin PIN   the access point's eight-digit PIN\n"
    "  --pin PIN      the station PIN to use (one shown by new-pin and already typed into the\n"
    "                 access point) instead of a new one\n"
    "  --save         store the received profile under its name, make it the default and\n"
    "                 connect with it\n"
    "\n"
    "Without --ssid and --bssid push button takes the one access point in push-button mode,\n"
    "and PIN a registrar that is waiting for a PIN.\n";

constexpr uint32_t kMethodPushButton = 0;
constexpr uint32_t kMethodStationPin = 1;
constexpr uint32_t kMethodAccessPointPin = 2;
// The callback codes of the engine.
constexpr uint32_t kScanning = 1;
constexpr uint32_t kAssociating = 2;
constexpr uint32_t kHandshaking = 3;
constexpr uint32_t kSuccess = 6;
constexpr uint32_t kFailure = 7;
constexpr uint32_t kNoPushButtonAp = 9;
constexpr uint32_t kTooManyPushButtonAps = 10;

constexpr uint64_t kOverallLimitMs = 240'000;
// How often the waiting thread looks at the machine clock and at Ctrl-C between callbacks.
constexpr auto kLookInterval = std::chrono::milliseconds(20);

std::string CodeWords(uint32_t code) {
  switch (code) {
    case kScanning:
      return "scanning for the access point";
    case kAssociating:
      return "associating";
    case kHandshaking:
      return "handshaking";
    case kSuccess:
      return "success";
    case kFailure:
      return "failed";
    case kNoPushButtonAp:
      return "no access point in push-button mode";
    case kTooManyPushButtonAps:
      return "more than one access point in push-button mode";
    default:
      return "status " + std::to_string(code);
  }
}

// The progress bar's share for a code, as the utility's WPS page shows it.
int ProgressPercent(uint32_t code) {
  switch (code) {
    case kScanning:
      return 20;
    case kAssociating:
      return 50;
    case kHandshaking:
      return 80;
    case kSuccess:
      return 100;
    default:
      return 0;
  }
}

bool Final(uint32_t code) {
  return code == kSuccess || code == kFailure || code == kNoPushButtonAp ||
         code == kTooManyPushButtonAps;
}

// The callbacks of one run, handed from the engine's thread to the waiting one.
class RunEvents {
 public:
  static void Callback(uint32_t code, uintptr_t context) {
    reinterpret_cast<RunEvents*>(context)->Add(code);
  }

  void Add(uint32_t code) {
    std::lock_guard lock(mutex_);
    codes_.push_back(code);
    changed_.notify_one();
  }

  // The codes that came since the last call, after waiting up to one look interval for one.
  std::vector<uint32_t> Take() {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kLookInterval, [&] { return !codes_.empty(); });
    return std::exchange(codes_, {});
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<uint32_t> codes_;  // guarded by mutex_
};

// Progress for people: a bar on a terminal, else one line per new state.
class Progress {
 public:
  explicit Progress(bool live) : live_(live) {}
  void Show(uint32_t code) {
    if (code == last_) return;
    last_ = code;
    if (!live_) {
      std::cerr << "wps: " << CodeWords(code) << '\n';
      return;
    }
    constexpr int kWidth = 20;
    const int percent = ProgressPercent(code);
    const int filled = percent * kWidth / 100;
    std::cerr << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, '.') << "] "
              << (percent < 100 ? " " : "") << (percent < 10 ? " " : "") << percent << "%  "
              << CodeWords(code) << "\033[K" << std::flush;
    shown_ = true;
  }
  void Done() {
    if (shown_) std::cerr << "\r\033[K" << std::flush;
  }

 private:
  const bool live_;
  uint32_t last_ = 0;
  bool shown_ = false;
};

void RequireDigits(const std::string& pin, std::string_view option) {
  const bool digits = pin.size() == 8 && pin.find_first_not_of("0123456789") == std::string::npos;
  if (!digits) throw UsageError(std::string(option) + " takes eight digits");
}

// "00-1D-7E-55-06-C3" (or with colons, any case) as the survey writes it.
std::string BssidText(const std::string& text) {
  unsigned parts[6];
  char separators[5];
  char tail = 0;
  if (text.size() != 17 ||
      std::sscanf(text.c_str(), "%2x%c%2x%c%2x%c%2x%c%2x%c%2x%c", &parts[0], &separators[0],
                  &parts[1], &separators[1], &parts[2], &separators[2], &parts[3], &separators[3],
                  &parts[4], &separators[4], &parts[5], &tail) != 11) {
    throw UsageError("'" + text + "' is not an address like 00-1D-7E-55-06-C3");
  }
  for (char separator : separators) {
    if (separator != '-' && separator != ':') {
      throw UsageError("'" + text + "' is not an address like 00-1D-7E-55-06-C3");
    }
  }
  char out[18];
  std::snprintf(out, sizeof out, "%02X-%02X-%02X-%02X-%02X-%02X", parts[0], parts[1], parts[2],
                parts[3], parts[4], parts[5]);
  return out;
}

WpsRequest RequestFor(uint32_t method, const std::string& pin, const ParsedArgs& parsed) {
  WpsRequest request;
  std::memset(&request, 0, sizeof request);
  request.method = method;
  std::memcpy(request.pin, pin.data(), std::min(pin.size(), sizeof request.pin - 1));
  if (parsed.Has("--ssid")) {
    const std::string& ssid = parsed.Value("--ssid");
    if (ssid.empty() || ssid.size() > 32) throw UsageError("--ssid takes 1 to 32 characters");
    std::memcpy(request.ssid, ssid.data(), ssid.size());
  }
  if (parsed.Has("--bssid")) {
    const std::string bssid = BssidText(parsed.Value("--bssid"));
    std::memcpy(request.bssid, bssid.data(), bssid.size());
  }
  if (parsed.Has("--channel"))
    request.channel = ParseNumber(parsed.Value("--channel"), 255, "--channel");
  return request;
}

// The access point's six address bytes the engine put into the profile.
std::string AccessPointText(const ProfileRecord& profile) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(profile.bssid);
  char text[18];
  std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", bytes[0], bytes[1], bytes[2],
                bytes[3], bytes[4], bytes[5]);
  return text;
}

std::string FailureText(uint32_t code) {
  switch (code) {
    case kNoPushButtonAp:
      return "WPS failed: no access point in push-button mode was found within 2 minutes "
             "(press the button on the access point first)";
    case kTooManyPushButtonAps:
      return "WPS failed: more than one access point is in push-button mode (overlapping "
             "requests); wait until only one is, or name one with --bssid";
    default:
      return "WPS failed: the access point did not hand out its settings (a wrong PIN, or it "
             "refused the registration)";
  }
}

// Runs the engine until a final callback, the overall limit or Ctrl-C; the final code, or 0
// when the run was stopped.
uint32_t RunEngine(const core::CVtrLibrary& lib, const WpsRequest& request, bool live,
                   bool& timedOut) {
  auto& clock = platform::Current().Clock();
  RunEvents events;
  Progress progress(live);
  InterruptGuard guard;
  const uint64_t start = clock.NowMs();
  if (!lib.WPSStartEngine(request, &RunEvents::Callback, reinterpret_cast<uintptr_t>(&events))) {
    throw Failure("the WPS engine did not start");
  }
  uint32_t final = 0;
  timedOut = false;
  while (final == 0) {
    for (uint32_t code : events.Take()) {
      progress.Show(code);
      if (Final(code)) final = code;
    }
    if (final != 0) break;
    if (interrupted) break;
    if (clock.NowMs() - start >= kOverallLimitMs) {
      timedOut = true;
      break;
    }
  }
  if (final == 0) lib.WPSStopEngine();
  progress.Done();
  return final;
}

int RunWpsRun(Context& ctx, std::span<const std::string> args, bool pinMethod) {
  std::vector<OptionSpec> specs = {
      {"--ssid", true}, {"--bssid", true}, {"--channel", true}, {"--save", false}};
  if (pinMethod) {
    specs.push_back({"--ap-pin", true});
    specs.push_back({"--pin", true});
  }
  const ParsedArgs parsed = ParseArgs(args, specs, pinMethod ? "wps pin" : "wps pbc", ctx);
  if (parsed.help) {
    ctx.out << kWpsHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 0,
                     pinMethod ? "vtrctl wps pin [options]" : "vtrctl wps pbc [options]");
  if (parsed.Has("--ap-pin") && parsed.Has("--pin")) {
    throw UsageError("--ap-pin and --pin are two different methods; give one");
  }

  const core::CVtrLibrary& lib = RequireLibrary();
  // The run takes the adapter over: a link holder's supplicant would hold on to its network.
  platform::Current().LinkHolder().EndLinkHolder();
  AdapterSession session(lib);
  lib.WPSInitialize();
  uint32_t method = kMethodPushButton;
  std::string pin;
  if (parsed.Has("--ap-pin")) {
    method = kMethodAccessPointPin;
    pin = parsed.Value("--ap-pin");
    RequireDigits(pin, "--ap-pin");
  } else if (pinMethod) {
    method = kMethodStationPin;
    if (parsed.Has("--pin")) {
      pin = parsed.Value("--pin");
      RequireDigits(pin, "--pin");
    } else {
      char text[9] = {};
      lib.WPSGeneratePin(text);
      pin = FieldText(text);
    }
  }
  const WpsRequest request = RequestFor(method, pin, parsed);
  if (method == kMethodStationPin) {
    std::cerr << "Enter the PIN " << pin << " into your access point.\n";
    // A PIN made here is one the user has yet to see, and needs while the run waits for it, not
    // with the result: a program reading the JSON gets it as the stream's first document.
    if (ctx.json && !parsed.Has("--pin")) {
      PrintJsonLine(ctx.out, {{"event", "pin"}, {"pin", pin}});
    }
  }

  const bool live = !ctx.json && ::isatty(STDERR_FILENO) != 0;
  bool timedOut = false;
  const uint32_t final = RunEngine(lib, request, live, timedOut);
  if (final != kSuccess) {
    // An unsuccessful run leaves no half-made association behind.
    lib.DisConnectToAP();
    lib.WPSUninitialize();
    if (timedOut) throw Failure("WPS timed out after 240 s; the engine was stopped");
    if (final == 0) throw Failure("interrupted; the WPS engine was stopped", kExitInterrupted);
    throw Failure(FailureText(final));
  }

  ProfileRecord profile;
  std::memset(&profile, 0, sizeof profile);
  lib.WPSGetProfile(&profile);
  lib.WPSUninitialize();
  const bool save = parsed.Has("--save");
  JoinedLink joined;
  std::string joinFailure;
  if (save) {
    StoreAsDefault(lib, profile);
    profile.isDefault = 1;
    try {
      HeldJoin held(ctx.json);
      joined = JoinAndHold(ctx, lib, session.Index(), held, profile, true);
    } catch (const Failure& failure) {
      if (failure.ExitCode() == kExitInterrupted) throw;
      joinFailure = failure.what();
    }
  }
  const bool connected = save && joinFailure.empty();
  const VtrLinkInfo& link = joined.link;
  const VtrIpInfo& ip = joined.ip;

  if (ctx.json) {
    nlohmann::json out = {{"result", "success"},
                          {"accessPoint", AccessPointText(profile)},
                          {"profile", ProfileJson(profile, false)}};
    if (method == kMethodStationPin) out["pin"] = pin;
    if (save) {
      out["saved"] = true;
      out["connected"] = connected;
      out["link"] = LinkJson(link, false);
      out["ip"] = IpJson(ip);
    }
    PrintJson(ctx.out, out);
  } else {
    std::vector<std::pair<std::string, std::string>> rows = {
        {"WPS", "success"}, {"Access point", AccessPointText(profile)}};
    for (auto& row : ProfileRows(profile, false)) rows.push_back(std::move(row));
    if (save) {
      rows.emplace_back("Saved", "as '" + FieldText(profile.profileName) + "', the default");
      for (auto& row : LinkRows(link, false)) rows.push_back(std::move(row));
      for (auto& row : IpRows(ip)) rows.push_back(std::move(row));
    }
    PrintRows(ctx.out, rows);
  }
  if (save && !connected) {
    throw Failure("saved the profile '" + FieldText(profile.profileName) +
                  "' but could not connect with it: " + joinFailure);
  }
  return 0;
}

int RunPbc(Context& ctx, std::span<const std::string> args) {
  return RunWpsRun(ctx, args, false);
}

int RunPin(Context& ctx, std::span<const std::string> args) {
  return RunWpsRun(ctx, args, true);
}

int RunNewPin(Context& ctx, std::span<const std::string> args) {
  const ParsedArgs parsed = ParseArgs(args, {}, "wps new-pin", ctx);
  if (parsed.help) {
    ctx.out << "usage: vtrctl wps new-pin [--json]\n\nA new eight-digit station PIN; type it "
               "into the access point, then run vtrctl wps pin --pin PIN.\n";
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl wps new-pin");
  const core::CVtrLibrary& lib = RequireLibrary();
  char text[9] = {};
  if (!lib.WPSGeneratePin(text)) throw Failure("the library made no PIN");
  if (ctx.json) {
    PrintJson(ctx.out, {{"pin", FieldText(text)}});
  } else {
    ctx.out << FieldText(text) << '\n';
  }
  return 0;
}

}  // namespace

int RunWps(Context& ctx, std::span<const std::string> args) {
  static constexpr std::array<Subcommand, 3> subcommands = {
      {{"pbc", RunPbc}, {"pin", RunPin}, {"new-pin", RunNewPin}}};
  return Dispatch(ctx, args, "wps", kWpsHelp, subcommands);
}

}  // namespace vtrctl
