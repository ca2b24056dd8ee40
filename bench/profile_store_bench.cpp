// The profile store's exports on a store of 128 profiles, on disk, every change flushed. Each
// change writes the complete new store once to a new file beside it, flushes that file, renames
// it over the store and flushes the folder; the plain write and flush of the same bytes is the
// floor each change is measured against. Everything here waits for the disk, so every benchmark
// is timed in real time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
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
    original_ = list_;
    Restore();
    store_ = ReadBytes(root_ / "store" / "Profile.dll");
    std::vector<ProfileRecord> incoming;
    for (int i = 120; i < 136; ++i) incoming.push_back(Named("p-" + std::to_string(i)));
    if (VTR_WriteProfileList(16, incoming.data()) != 16) std::abort();
    if (!VTR_ExportProfile((root_ / "import.cfg").c_str())) std::abort();
    Restore();
  }
  ~Bench() { std::filesystem::remove_all(root_); }

  // Puts the first store back the way the library writes it, so the next change finds the store
  // as it would after any change of its own.
  void Restore() const {
    if (VTR_WriteProfileList(kProfiles, original_.data()) != kProfiles) std::abort();
  }
  std::vector<ProfileRecord>& List() { return list_; }
  std::string ImportFile() const { return (root_ / "import.cfg").string(); }
  const std::string& StoreBytes() const { return store_; }
  std::filesystem::path StoreFolder() const { return root_ / "store"; }

 private:
  std::filesystem::path root_;
  std::string store_;
  std::vector<ProfileRecord> list_;
  std::vector<ProfileRecord> original_;
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

// The same bytes as the store, written in one call to a file in the store's folder and flushed.
bool PlainWriteAndFlush(const std::filesystem::path& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  const bool done = fd >= 0 &&
                    ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
                    ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  return done;
}

void BM_PlainWriteAndFlush(benchmark::State& state) {
  auto& bench = TheBench();
  const auto path = bench.StoreFolder() / "plain";
  for (auto _ : state) {
    if (!PlainWriteAndFlush(path, bench.StoreBytes())) state.SkipWithError("plain write");
  }
  state.counters["bytes"] = static_cast<double>(bench.StoreBytes().size());
}
BENCHMARK(BM_PlainWriteAndFlush)->Unit(benchmark::kMicrosecond)->UseRealTime();

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times a change of the store. Each iteration first does the plain write and flush of the bytes
// the change writes (taken from one untimed change first), then the change, so the two share the
// disk's state of the moment; "x_plain" is the change's time over the plain write's, summed over
// the run. After a change that alters the store's size the store is put back, untimed.
template <typename Change>
void TimeAgainstPlainWrite(benchmark::State& state, bool restore, Change change) {
  auto& bench = TheBench();
  if (!change()) std::abort();
  const std::string written = ReadBytes(bench.StoreFolder() / "Profile.dll");
  bench.Restore();
  const auto plainPath = bench.StoreFolder() / "plain";
  double plainSeconds = 0;
  double changeSeconds = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (!PlainWriteAndFlush(plainPath, written)) state.SkipWithError("plain write");
    plainSeconds += SecondsSince(start);
    start = std::chrono::steady_clock::now();
    if (!change()) state.SkipWithError("the change failed");
    const double seconds = SecondsSince(start);
    changeSeconds += seconds;
    state.SetIterationTime(seconds);
    if (restore) bench.Restore();
  }
  if (plainSeconds > 0) state.counters["x_plain"] = changeSeconds / plainSeconds;
  state.counters["bytes"] = static_cast<double>(written.size());
}

// What any change must do at the least, without the library: a new file beside the store gets
// the bytes in one write and a flush, is renamed over a file of the same size, and the folder is
// flushed. The library's changes add reading the store and building the new contents to this.
bool BareReplace(const std::filesystem::path& folder, const std::string& bytes) {
  const auto staging = folder / "bare.tmp";
  const int fd = ::open(staging.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  bool done = fd >= 0 &&
              ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) &&
              ::fsync(fd) == 0;
  if (fd >= 0) ::close(fd);
  done = done && ::rename(staging.c_str(), (folder / "bare").c_str()) == 0;
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  done = done && dir >= 0 && ::fsync(dir) == 0;
  if (dir >= 0) ::close(dir);
  return done;
}

void BM_BareReplace(benchmark::State& state) {
  auto& bench = TheBench();
  TimeAgainstPlainWrite(state, false,
                        [&] { return BareReplace(bench.StoreFolder(), bench.StoreBytes()); });
}
BENCHMARK(BM_BareReplace)->Unit(benchmark::kMicrosecond)->UseManualTime();

void BM_ReadList(benchmark::State& state) {
  TheBench();
  std::vector<ProfileRecord> list(kProfiles);
  for (auto _ : state) {
    if (VTR_ReadProfileList(kProfiles, list.data()) != kProfiles) state.SkipWithError("read");
  }
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
  ProfileRecord record = Named("p-64");
  TimeAgainstPlainWrite(state, false, [&] {
    ++record.surveyChannel;
    return VTR_WriteSingleProfile("p-64", &record) != 0;
  });
}
BENCHMARK(BM_WriteSingle)->Unit(benchmark::kMicrosecond)->UseManualTime();

void BM_SetDefault(benchmark::State& state) {
  auto& list = TheBench().List();
  int i = 0;
  TimeAgainstPlainWrite(state, false, [&] {
    const std::string name = "p-" + std::to_string(i++ % kProfiles);
    return VTR_SetDefaultProfile(kProfiles, name.c_str(), list.data()) != 0;
  });
}
BENCHMARK(BM_SetDefault)->Unit(benchmark::kMicrosecond)->UseManualTime();

void BM_Add(benchmark::State& state) {
  const ProfileRecord extra = Named("extra");
  TimeAgainstPlainWrite(state, true, [&] { return VTR_AddProfile(256, "extra", &extra) == 0; });
}
BENCHMARK(BM_Add)->Unit(benchmark::kMicrosecond)->UseManualTime();

void BM_Delete(benchmark::State& state) {
  TimeAgainstPlainWrite(state, true, [] { return VTR_DeleteProfile("p-64") != 0; });
}
BENCHMARK(BM_Delete)->Unit(benchmark::kMicrosecond)->UseManualTime();

void BM_Import16(benchmark::State& state) {
  const std::string file = TheBench().ImportFile();
  TimeAgainstPlainWrite(state, true,
                        [&] { return VTR_ImportProfile(file.c_str(), kProfiles) == 0; });
}
BENCHMARK(BM_Import16)->Unit(benchmark::kMicrosecond)->UseManualTime();

}  // namespace
