// The profile store's exports on a store of 128 profiles, on disk, every change flushed. Each
// change writes the complete new store once to a new file beside it, flushes that file, renames
// it over the store and flushes the folder; the plain write and flush of the same bytes is the
// floor each change is measured against. Everything here waits for the disk, so every benchmark
// is timed in real time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sim/machine.h"
#include "vtrlib.h"

namespace {

constexpr int kProfiles = 128;

ProfileRecord Named(const std::string& name, uint32_t isDefault = 0) {
  ProfileRecord record;
  std::memset(&record, 0, sizeof(record));
  VTR_InitialProfile(&record);
  std::snprintf(record.profileName, sizeof(record.profileName), "%s", name.c_str());
  std::snprintf(record.ssid, sizeof(record.ssid), "net-%s", name.c_str());
  std::snprintf(record.psk, sizeof(record.psk), "a passphrase of some length");
  record.isDefault = isDefault;
  return record;
}

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A machine and a store folder on disk, beside the benchmark's working folder, with a store of
// 128 profiles and an export file of 16 (8 of them new) to import.
class Bench {
 public:
  Bench() {
    std::string pattern = (std::filesystem::current_path() / "profile_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    root_ = pattern;
    ::setenv("RADIODESK_VIRTUAL_TIME", "1", 1);
    if (sim::InitMachineDirectory(root_ / "machine", "xp") || sim::UseMachine(root_ / "machine")) {
      std::abort();
    }
    std::filesystem::create_directory(root_ / "store");
    ::setenv("RADIODESK_PROFILE_DIR", (root_ / "store").c_str(), 1);
    for (int i = 0; i < kProfiles; ++i) list_.push_back(Named("p-" + std::to_string(i), i == 0));
    if (VTR_WriteProfileList(kProfiles, list_.data()) != kProfiles) std::abort();
    store_ = ReadBytes(root_ / "store" / "Profile.dll");
    std::vector<ProfileRecord> incoming;
    for (int i = 120; i < 136; ++i) incoming.push_back(Named("p-" + std::to_string(i)));
    if (VTR_WriteProfileList(16, incoming.data()) != 16) std::abort();
    if (!VTR_ExportProfile((root_ / "import.cfg").c_str())) std::abort();
    Restore();
  }
  ~Bench() { std::filesystem::remove_all(root_); }

  void Restore() const { WriteBytes(root_ / "store" / "Profile.dll", store_); }
  std::vector<ProfileRecord>& List() { return list_; }
  std::string ImportFile() const { return (root_ / "import.cfg").string(); }
  const std::string& StoreBytes() const { return store_; }
  std::filesystem::path StoreFolder() const { return root_ / "store"; }

 private:
  std::filesystem::path root_;
  std::string store_;
  std::vector<ProfileRecord> list_;
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

// The same bytes as the store, written in one call to a file in the store's folder and flushed.
void BM_PlainWriteAndFlush(benchmark::State& state) {
  auto& bench = TheBench();
  const std::string& bytes = bench.StoreBytes();
  const auto path = bench.StoreFolder() / "plain";
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::fsync(fd) != 0) {
      state.SkipWithError("plain write");
    }
    ::close(fd);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_PlainWriteAndFlush)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ReadList(benchmark::State& state) {
  auto& bench = TheBench();
  std::vector<ProfileRecord> list(kProfiles);
  for (auto _ : state) {
    if (VTR_ReadProfileList(kProfiles, list.data()) != kProfiles) state.SkipWithError("read");
  }
  (void)bench;
}
BENCHMARK(BM_ReadList)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ReadSingleLast(benchmark::State& state) {
  TheBench();
  ProfileRecord record;
  for (auto _ : state) {
    if (!VTR_ReadSingleProfile("p-127", &record)) state.SkipWithError("read one");
  }
}
BENCHMARK(BM_ReadSingleLast)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_WriteSingle(benchmark::State& state) {
  TheBench();
  ProfileRecord record = Named("p-64");
  for (auto _ : state) {
    ++record.surveyChannel;
    if (!VTR_WriteSingleProfile("p-64", &record)) state.SkipWithError("write one");
  }
}
BENCHMARK(BM_WriteSingle)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_SetDefault(benchmark::State& state) {
  auto& bench = TheBench();
  int i = 0;
  for (auto _ : state) {
    const std::string name = "p-" + std::to_string(i++ % kProfiles);
    if (!VTR_SetDefaultProfile(kProfiles, name.c_str(), bench.List().data())) {
      state.SkipWithError("set default");
    }
  }
}
BENCHMARK(BM_SetDefault)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Add(benchmark::State& state) {
  auto& bench = TheBench();
  const ProfileRecord extra = Named("extra");
  for (auto _ : state) {
    if (VTR_AddProfile(256, "extra", &extra) != 0) state.SkipWithError("add");
    state.PauseTiming();
    bench.Restore();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Add)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Delete(benchmark::State& state) {
  auto& bench = TheBench();
  for (auto _ : state) {
    if (!VTR_DeleteProfile("p-64")) state.SkipWithError("delete");
    state.PauseTiming();
    bench.Restore();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Delete)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_Import16(benchmark::State& state) {
  auto& bench = TheBench();
  const std::string file = bench.ImportFile();
  for (auto _ : state) {
    if (VTR_ImportProfile(file.c_str(), kProfiles) != 0) state.SkipWithError("import");
    state.PauseTiming();
    bench.Restore();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Import16)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
