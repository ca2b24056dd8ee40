// The utility's polls through the real library and the simulated machine on disk:
// VTR_IsCardConnect (every 1.5 s) and VTR_APLinkInformation (every second on the Network Status
// page), once with no link and once joined to an open network. Each call reads the machine's
// state as any process of the machine would, so the figures include the files and the locks.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "sim/machine.h"
#include "vtrlib.h"

namespace {

// A fresh xp machine beside the benchmark's working folder, in virtual time, with the library
// initialised on it.
class Machine {
 public:
  Machine() {
    std::string pattern = (std::filesystem::current_path() / "poll_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    ::setenv("RADIODESK_VIRTUAL_TIME", "1", 1);
    if (sim::InitMachineDirectory(root_ / "machine", "xp") || sim::UseMachine(root_ / "machine")) {
      std::abort();
    }
    if (VTR_Initialize(0) < 0) std::abort();
  }
  ~Machine() {
    VTR_UnInitialize();
    std::filesystem::remove_all(root_);
  }

  // Each benchmark puts the link it measures in place, so that they may run in any order.
  void Join(const char* ssid) {
    if (joined_) return;
    ProfileRecord profile;
    std::memset(&profile, 0, sizeof(profile));
    VTR_InitialProfile(&profile);
    std::snprintf(profile.profileName, sizeof(profile.profileName), "%s", ssid);
    std::snprintf(profile.ssid, sizeof(profile.ssid), "%s", ssid);
    if (!VTR_ConnectToAP(&profile, 0)) std::abort();
    joined_ = true;
  }
  void Leave() {
    if (!joined_) return;
    if (!VTR_DisConnectToAP()) std::abort();
    joined_ = false;
  }

 private:
  std::filesystem::path root_;
  bool joined_ = false;
};

Machine& TheMachine() {
  static Machine machine;
  return machine;
}

void IsCardConnect(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(VTR_IsCardConnect());
  if (!VTR_IsCardConnect()) state.SkipWithError("the adapter was not found");
}

void BM_IsCardConnect(benchmark::State& state) {
  TheMachine().Leave();
  IsCardConnect(state);
}

void LinkInformation(benchmark::State& state, uint32_t expectedLinkState) {
  VtrLinkInfo link{};
  for (auto _ : state) {
    VTR_APLinkInformation(&link, 0);
    benchmark::DoNotOptimize(link);
  }
  if (link.linkState != expectedLinkState) state.SkipWithError("unexpected link state");
}

void BM_LinkInformationWithoutLink(benchmark::State& state) {
  TheMachine().Leave();
  LinkInformation(state, 2);
}

void BM_LinkInformationJoined(benchmark::State& state) {
  TheMachine().Join("CoffeeShop");
  LinkInformation(state, 1);
}

void BM_IsCardConnectJoined(benchmark::State& state) {
  TheMachine().Join("CoffeeShop");
  IsCardConnect(state);
}

BENCHMARK(BM_IsCardConnect)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LinkInformationWithoutLink)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IsCardConnectJoined)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LinkInformationJoined)->Unit(benchmark::kMicrosecond);

}  // namespace
