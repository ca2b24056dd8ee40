#include "tools/vtrctl/profile_store_reading.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "lib/common/profile_store_format.h"
#include "platform/services.h"
#include "sim/machine_file.h"

namespace vtrctl {
namespace {

namespace format = vtr::profile;

constexpr uint32_t kBusyStepMs = 50;
constexpr uint64_t kBusyLimitMs = 2000;
constexpr const char* kStoreName = "Profile.dll";
constexpr const char* kUserTempName = "~VTR_Profile.tmp";

std::filesystem::path BesideStore(const char* suffix) {
  return ProfileStoreFolder() / (std::string(kStoreName) + suffix);
}

// The store's lock for one look at the store or one change of it; it never waits, as the
// library's operations never do.
class StoreHold {
 public:
  // create: make the lock file when it is missing, as the library does for its first operation.
  explicit StoreHold(bool create) {
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    fd_ = ::open(BesideStore(".lock").c_str(), flags, S_IRUSR | S_IWUSR);
    // Without a lock file no operation has begun: nobody holds the store.
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) busy_ = true;
  }
  ~StoreHold() {
    if (fd_ >= 0) ::close(fd_);
  }
  StoreHold(const StoreHold&) = delete;
  StoreHold& operator=(const StoreHold&) = delete;

  bool Busy() const { return busy_; }
  bool Held() const { return fd_ >= 0 && !busy_; }

 private:
  int fd_ = -1;
  bool busy_ = false;
};

ProfileFileReading Damaged(ProfileFileReading reading, std::size_t entry, std::string detail) {
  reading.state = ProfileFileReading::State::kDamaged;
  reading.damagedEntry = entry;
  reading.detail = std::move(detail);
  return reading;
}

// Checks a file's bytes with the store's own reader.
ProfileFileReading Classify(ProfileFileReading reading, std::vector<uint8_t> bytes) {
  switch (format::CheckHeader(bytes.data(), bytes.size())) {
    case format::kSuccess:
      break;
    case format::kHeaderless:
      // An older list without a header, which the library upgrades when it first reads it.
      bytes = format::UpgradeHeaderless(bytes.data(), bytes.size());
      break;
    case format::kStoreEmpty:
      return Damaged(std::move(reading), 0, "it is an empty file");
    case format::kReadFailed:
      return Damaged(std::move(reading), 0, "it is shorter than a profile store's header");
    default:
      return Damaged(std::move(reading), 0, "its header is not a profile store's");
  }
  const format::EntryScan scan = format::ReadEntries(bytes.data(), bytes.size());
  for (const auto& entry : scan.entries) reading.profiles.push_back(entry.record);
  const std::size_t read = scan.entries.size();
  if (scan.stop != format::kNoMoreEntries) {
    return Damaged(std::move(reading), read + 1, "the profiles from there on cannot be read");
  }
  const std::size_t counted = format::HeaderCount(bytes.data());
  if (counted > read) {
    return Damaged(std::move(reading), read + 1,
                   "its header counts " + std::to_string(counted) +
                       " profiles, but the file ends after " + std::to_string(read));
  }
  reading.state = ProfileFileReading::State::kReadable;
  return reading;
}

bool WriteAll(int fd, const uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

}  // namespace

std::filesystem::path ProfileStoreFolder() {
  const char* overridden = std::getenv("RADIODESK_PROFILE_DIR");
  if (overridden != nullptr && overridden[0] != '\0') return overridden;
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

std::filesystem::path ProfileStoreFile() {
  return ProfileStoreFolder() / kStoreName;
}

std::vector<std::filesystem::path> ProfileStoreOwnFiles() {
  std::vector<std::filesystem::path> files = {ProfileStoreFile(), BesideStore(".lock"),
                                              BesideStore(".tmp")};
  auto& machine = platform::Current();
  if (auto temp = machine.Files().HostPath(machine.SystemInfo().TempPath() + kUserTempName)) {
    files.push_back(*temp);
  }
  return files;
}

ProfileFileReading ReadProfileFile(const std::filesystem::path& file) {
  ProfileFileReading reading;
  reading.file = file;
  // The machine's own reader: a regular file only, so that a FIFO or a device in the file's
  // place cannot hold the command, and of a bounded size.
  std::string text;
  if (const auto fault = sim::ReadMachineFile(file, text)) {
    if (fault->kind == sim::MachineFileFault::Kind::kMissing) return reading;
    reading.state = ProfileFileReading::State::kUnreadable;
    reading.detail = fault->Describe(file);
    return reading;
  }
  return Classify(std::move(reading), std::vector<uint8_t>(text.begin(), text.end()));
}

ProfileFileReading ReadProfileStore() {
  return ReadProfileStore(platform::Current().Clock());
}

ProfileFileReading ReadProfileStore(platform::ClockPort& clock) {
  const uint64_t until = clock.NowMs() + kBusyLimitMs;
  for (;;) {
    {
      const StoreHold hold(false);
      if (!hold.Busy()) return ReadProfileFile(ProfileStoreFile());
    }
    if (clock.NowMs() >= until) {
      ProfileFileReading busy;
      busy.state = ProfileFileReading::State::kBusy;
      busy.file = ProfileStoreFile();
      return busy;
    }
    clock.SleepMs(kBusyStepMs);
  }
}

std::string Problem(const ProfileFileReading& reading) {
  const bool store = reading.file == ProfileStoreFile();
  const std::string what = (store ? "the profile store " : "") + reading.file.string();
  switch (reading.state) {
    case ProfileFileReading::State::kBusy:
      return "the store is in use by another program";
    case ProfileFileReading::State::kUnreadable:
      return (store ? "the profile store " : "") + reading.detail;
    case ProfileFileReading::State::kDamaged: {
      const std::string at =
          reading.damagedEntry == 0 ? "" : " at entry " + std::to_string(reading.damagedEntry);
      return what + " is damaged" + at + ": " + reading.detail +
             (store ? " (move it away to start a new store)" : "");
    }
    default:
      return what + " can be read";
  }
}

bool RetryWhileBusy(const std::function<bool()>& operation) {
  return RetryWhileBusy(operation, platform::Current().Clock());
}

bool RetryWhileBusy(const std::function<bool()>& operation, platform::ClockPort& clock) {
  const uint64_t until = clock.NowMs() + kBusyLimitMs;
  bool triedWhileFree = false;
  for (;;) {
    if (operation()) return true;
    if (!StoreHold(false).Busy()) {
      // The holder may have let go between the failure and this look: one more try tells.
      if (triedWhileFree) return false;
      triedWhileFree = true;
      continue;
    }
    if (clock.NowMs() >= until) return false;
    clock.SleepMs(kBusyStepMs);
  }
}

bool CreateEmptyStore() {
  const StoreHold hold(true);
  if (!hold.Held()) return false;
  const std::filesystem::path store = ProfileStoreFile();
  struct stat st {};
  if (::lstat(store.c_str(), &st) == 0) return S_ISREG(st.st_mode);
  const auto header = format::MakeHeader(0);
  std::string staging = store.string() + ".XXXXXX";
  // mkostemp creates the file exclusively and readable by its owner only.
  const int fd = ::mkostemp(staging.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, header.data(), header.size()) && ::fsync(fd) == 0;
  ::close(fd);
  if (!written || ::rename(staging.c_str(), store.c_str()) != 0) {
    ::unlink(staging.c_str());
    return false;
  }
  return SyncFolder(store.parent_path());
}

}  // namespace vtrctl
