// vtrctl survey: the networks around the adapter, as the Site Survey page lists them, through
// the library's VTR_SiteSurveyEx.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "app/core/os_version_code.h"
#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/adapter_session.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/survey_command_table.h"

namespace vtrctl {
namespace {

constexpr std::string_view kSurveyHelp =
    "usage: vtrctl survey [--no-scan] [--sort KEY] [--ascending] [--hide LIST] [--dbm] [--json]\n"
    "\n"
    "Scans for networks and lists them with the columns of the Site Survey page: network\n"
    "name, MAC address, security, WPS (\"---\", \"Y\", or \"Y+\" while a push-button session\n"
    "is open), channel, signal, network type, frequency, band and 802.11n. At most 128\n"
    "networks are shown, as in the utility.\n"
    "\n"
    "options:\n"
    "  --no-scan      do not scan; re-filter and re-sort the last list this process read (a\n"
    "                 new vtrctl process has read none, so it lists nothing)\n"
    "  --sort KEY     name, bssid, security, wps, channel, signal (the default), type or\n"
    "                 frequency\n"
    "  --ascending    smallest first (default: largest first)\n"
    "  --hide LIST    leave out networks: any of adhoc, a, b, g, separated by commas; a, b and\n"
    "                 g hide infrastructure networks of that band only\n"
    "  --dbm          signal in dBm instead of percent\n"
    "  --json         the survey entries' fields as a JSON list\n";

constexpr std::array<std::string_view, 8> kSortKeys = {
    "name", "bssid", "security", "wps", "channel", "signal", "type", "frequency"};
constexpr uint32_t kSortBySignal = 5;
constexpr uint32_t kSurveyCapacity = 128;
constexpr uint32_t kProgressStepMs = 250;

uint32_t SortKey(const std::string& name) {
  for (std::size_t i = 0; i < kSortKeys.size(); ++i) {
    if (kSortKeys[i] == name) return static_cast<uint32_t>(i);
  }
  throw UsageError("unknown sort key '" + name +
                   "' (name, bssid, security, wps, channel, signal, type or frequency)");
}

// The filter mask of VTR_SiteSurveyEx: a set bit leaves those networks out.
uint32_t HideMask(const std::vector<std::string>& lists) {
  uint32_t mask = 0;
  for (const std::string& list : lists) {
    std::size_t start = 0;
    while (start <= list.size()) {
      const std::size_t comma = std::min(list.find(',', start), list.size());
      const std::string item = list.substr(start, comma - start);
      if (item == "adhoc") {
        mask |= 1;
      } else if (item == "a") {
        mask |= 2;
      } else if (item == "b") {
        mask |= 4;
      } else if (item == "g") {
        mask |= 8;
      } else {
        throw UsageError("unknown kind '" + item + "' to hide (adhoc, a, b or g)");
      }
      start = comma + 1;
    }
  }
  return mask;
}

// Runs the survey on a worker, as the utility does, so that a terminal can watch the scan's
// seconds go by; the wait goes through the machine's clock.
int32_t SurveyWithProgress(const std::function<int32_t()>& survey) {
  if (::isatty(STDERR_FILENO) == 0) return survey();
  std::atomic<bool> done{false};
  int32_t result = -1;
  std::thread worker([&] {
    result = survey();
    done = true;
  });
  auto& clock = platform::Current().Clock();
  const uint64_t start = clock.NowMs();
  while (!done) {
    std::cerr << "\rScanning for networks... " << (clock.NowMs() - start) / 1000 << " s"
              << std::flush;
    clock.SleepMs(kProgressStepMs);
  }
  worker.join();
  std::cerr << "\r" << std::string(40, ' ') << "\r" << std::flush;
  return result;
}

}  // namespace

int RunSurvey(Context& ctx, std::span<const std::string> args) {
  constexpr std::array<OptionSpec, 5> specs = {{{"--no-scan", false},
                                                {"--sort", true},
                                                {"--ascending", false},
                                                {"--hide", true},
                                                {"--dbm", false}}};
  const ParsedArgs parsed = ParseArgs(args, specs, "survey", ctx);
  if (parsed.help) {
    ctx.out << kSurveyHelp;
    return 0;
  }
  RequirePositionals(parsed, 0, 0, "vtrctl survey [options]");
  const uint32_t sortKey = parsed.Has("--sort") ? SortKey(parsed.Value("--sort")) : kSortBySignal;
  const uint32_t descending = parsed.Has("--ascending") ? 0 : 1;
  const uint32_t filterMask = parsed.Has("--hide") ? HideMask(parsed.options.at("--hide")) : 0;
  const bool scan = !parsed.Has("--no-scan");
  const bool dbm = parsed.Has("--dbm");

  const core::CVtrLibrary& lib = RequireLibrary();
  const AdapterSession session(lib);
  // The utility's array: 128 entries, zeroed before every survey.
  std::vector<VtrSurveyEntry> entries(kSurveyCapacity);
  auto survey = [&] {
    return lib.SiteSurveyEx(filterMask, sortKey, descending, scan ? 1 : 0, entries.data(),
                            dbm ? 1 : 0);
  };
  const int32_t count = scan ? SurveyWithProgress(survey) : survey();
  if (count < 0) {
    throw Failure("the wireless adapter could not scan: it does not answer (was it pulled out?)");
  }
  const std::span<const VtrSurveyEntry> found(entries.data(), static_cast<std::size_t>(count));
  if (ctx.json) {
    PrintJson(ctx.out, SurveyJson(found, dbm));
  } else if (count == 0) {
    ctx.out << (scan ? "No networks found.\n"
                     : "No networks: this process has not scanned yet (leave out --no-scan).\n");
  } else {
    PrintSurveyTable(ctx.out, found, dbm);
  }
  if (count == static_cast<int32_t>(kSurveyCapacity)) {
    std::cerr << "vtrctl: the list is full at " << kSurveyCapacity
              << " networks, as the utility's is: more may be in range\n";
  }
  return 0;
}

}  // namespace vtrctl
