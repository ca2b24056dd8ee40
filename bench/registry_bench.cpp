// What one registry call costs on a hive the size of a configured machine (about 200 keys). The
// library makes dozens of calls per operation, each reading the hive file anew.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/registry.h"
#include "sim/regedit_format.h"
#include "sim/registry_hive.h"
#include "sim/sim_registry.h"

namespace {

using namespace platform;

// A hive of 20 adapters with 9 subkeys each, a few values in every key.
class BenchHive {
 public:
  BenchHive() {
    std::string pattern = (std::filesystem::temp_directory_path() / "registry_bench_XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    sim::SimRegistry reg(File());
    for (int adapter = 0; adapter < 20; ++adapter) {
      for (int sub = 0; sub < 9; ++sub) {
        RegKey key;
        std::string path = "SYSTEM\\CurrentControlSet\\Control\\Class\\Adapter" +
                           std::to_string(adapter) + "\\Sub" + std::to_string(sub);
        if (reg.CreateKey(kHkeyLocalMachine, path, kKeyAllAccess, key) != 0) std::abort();
        uint32_t number = static_cast<uint32_t>(adapter * 100 + sub);
        std::string text = "{4d36e972-e325-11ce-bfc1-08002be10318}";
        reg.SetValue(key, "Number", kRegDword, reinterpret_cast<uint8_t*>(&number), 4);
        reg.SetValue(key, "Text", kRegSz, reinterpret_cast<const uint8_t*>(text.data()),
                     static_cast<uint32_t>(text.size()));
        reg.SetValue(key, "Blob", kRegBinary, reinterpret_cast<const uint8_t*>(text.data()),
                     static_cast<uint32_t>(text.size()));
      }
    }
  }
  ~BenchHive() { std::filesystem::remove_all(dir_); }
  std::filesystem::path File() const { return dir_ / "registry.reg"; }

 private:
  std::filesystem::path dir_;
};

void BM_QueryValue(benchmark::State& state) {
  BenchHive hive;
  sim::SimRegistry reg(hive.File());
  RegKey key;
  if (reg.OpenKey(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Class\\Adapter10\\Sub4",
                  kKeyRead, key) != 0) {
    state.SkipWithError("no key");
    return;
  }
  for (auto _ : state) {
    uint32_t value = 0;
    uint32_t size = 4;
    long result = reg.QueryValue(key, "Number", nullptr, reinterpret_cast<uint8_t*>(&value), &size);
    benchmark::DoNotOptimize(result);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_QueryValue);

// The same call from a fresh port object each time: no parsed hive to reuse, the file is parsed.
void BM_QueryValueFreshInstance(benchmark::State& state) {
  BenchHive hive;
  RegKey key{kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Class\\Adapter10\\Sub4",
             kKeyRead};
  for (auto _ : state) {
    sim::SimRegistry reg(hive.File());
    uint32_t value = 0;
    uint32_t size = 4;
    long result = reg.QueryValue(key, "Number", nullptr, reinterpret_cast<uint8_t*>(&value), &size);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_QueryValueFreshInstance);

void BM_ParseHive(benchmark::State& state) {
  BenchHive hive;
  std::ifstream in(hive.File(), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (auto _ : state) {
    sim::Hive parsed;
    auto error = sim::ParseRegedit(text.data(), text.size(), parsed);
    benchmark::DoNotOptimize(error);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseHive);

// A change: copy, format, write, fsync, rename, fsync the directory.
void BM_SetValue(benchmark::State& state) {
  BenchHive hive;
  sim::SimRegistry reg(hive.File());
  RegKey key{kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Control\\Class\\Adapter10\\Sub4",
             kKeyAllAccess};
  uint32_t number = 0;
  for (auto _ : state) {
    ++number;
    long result = reg.SetValue(key, "Number", kRegDword, reinterpret_cast<uint8_t*>(&number), 4);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_SetValue)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
