// What one request to the simulated adapter costs. Every request reads the adapter's state file
// under its lock, so that other processes' changes are seen; the library makes up to ten of them
// per link poll and several per scan. Every request waits for that lock and a change is flushed,
// so they are timed in real time.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/ndis_802_11.h"
#include "platform/services.h"
#include "sim/bssid_list.h"
#include "sim/machine.h"
#include "sim/sim_machine.h"

namespace {

constexpr const char* kDevice = "\\\\.\\{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}";

// The xp machine in a fresh directory, made the machine of this process, in virtual time.
class BenchMachine {
 public:
  BenchMachine() {
    ::setenv("RADIODESK_VIRTUAL_TIME", "1", 1);
    std::string pattern = (std::filesystem::temp_directory_path() / "miniport_bench_XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = std::filesystem::path(pattern) / "machine";
    if (sim::InitMachineDirectory(dir_, "xp") || sim::UseMachine(dir_)) std::abort();
  }
  ~BenchMachine() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_.parent_path(), ignored);
  }

 private:
  std::filesystem::path dir_;
};

bool Request(uint32_t code, void* data, uint32_t length) {
  auto& devices = platform::Current().Devices();
  platform::DeviceHandle handle = 0;
  if (devices.OpenDevice(kDevice, handle) != 0) return false;
  uint32_t returned = 0;
  const bool ok = devices.DeviceIoControl(handle, platform::kIoctlNdisQueryGlobalStats, &code, 4,
                                          data, length, &returned);
  devices.CloseHandle(handle);
  return ok;
}

void BM_QueryFirmwareVersion(benchmark::State& state) {
  BenchMachine machine;
  uint32_t value = 0;
  for (auto _ : state) {
    if (!Request(0x0D710129, &value, 4)) state.SkipWithError("query failed");
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_QueryFirmwareVersion)->UseRealTime();

// The library sets the wireless mode before every scan; the value rarely changes, and an
// unchanged state is not written.
void BM_SetUnchangedWirelessMode(benchmark::State& state) {
  BenchMachine machine;
  uint32_t mode = 9;
  for (auto _ : state) {
    if (!Request(0x0D71010C | platform::kOidSetBit, &mode, 4)) state.SkipWithError("set failed");
  }
}
BENCHMARK(BM_SetUnchangedWirelessMode)->UseRealTime();

// A change writes the whole state file, syncs it and renames it into place.
void BM_SetChangedRegion(benchmark::State& state) {
  BenchMachine machine;
  uint32_t region = 0;
  for (auto _ : state) {
    region ^= 1;
    if (!Request(0x0D710107 | platform::kOidSetBit, &region, 4)) state.SkipWithError("set failed");
  }
}
BENCHMARK(BM_SetChangedRegion)->UseRealTime();

// The xp neighbourhood's list (14 networks heard) into the library's 24,584-byte buffer.
void BM_QueryBssidList(benchmark::State& state) {
  BenchMachine machine;
  uint32_t none = 0;
  Request(platform::kOid802_11BssidListScan | platform::kOidSetBit, &none, 0);
  platform::Current().Clock().SleepMs(3000);
  std::vector<uint8_t> buffer(24584);
  for (auto _ : state) {
    if (!Request(platform::kOid802_11BssidList, buffer.data(), 24584)) {
      state.SkipWithError("list query failed");
    }
    benchmark::DoNotOptimize(buffer.data());
  }
}
BENCHMARK(BM_QueryBssidList)->UseRealTime();

void BM_BuildXpBssidList(benchmark::State& state) {
  const auto machine =
      std::get<sim::MachineDescription>(sim::ParseMachineDescription(sim::PresetDescription("xp")));
  for (auto _ : state) {
    auto list = sim::BuildBssidList(machine.neighbourhood, 1000);
    benchmark::DoNotOptimize(list.data());
  }
}
BENCHMARK(BM_BuildXpBssidList);

}  // namespace
