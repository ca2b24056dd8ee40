// The store's files on disk. New contents never overwrite a file in place: they are written to a
// file of their own, flushed, and renamed over the old one, so a crash or a full disk at any
// moment leaves either the old contents or the new ones.
#include "lib/common/profile_file_io.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>

#include "lib/common/profile_store_format.h"
#include "lib/common/profile_write_gate.h"
#include "platform/services.h"

namespace vtr::profile {

namespace {

constexpr const char* kStoreName = "Profile.dll";
constexpr const char* kUserTempName = "~VTR_Profile.tmp";
constexpr size_t kCopyChunk = 64 * 1024;
constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;

struct Gate {
  std::mutex mutex;
  RadiodeskProfileWriteGate gate = nullptr;
  void* context = nullptr;
};

Gate& TheGate() {
  static Gate gate;
  return gate;
}

// Asks the gate about the next write, flush or rename: true to go on, false to fail the step as
// a full disk would; a crash leaves by exception.
bool MayWrite() {
  RadiodeskProfileWriteGate gate = nullptr;
  void* context = nullptr;
  {
    std::lock_guard lock(TheGate().mutex);
    gate = TheGate().gate;
    context = TheGate().context;
  }
  if (gate == nullptr) return true;
  const int verdict = gate(context);
  if (verdict == kRadiodeskWriteCrash) throw SimulatedCrash();
  if (verdict == kRadiodeskWriteFail) {
    errno = ENOSPC;
    return false;
  }
  return true;
}

// A crash tears the process down without tidying: files it was writing stay where they are.
bool TearingDown() {
  return std::uncaught_exceptions() > 0;
}

bool WriteAt(int fd, const uint8_t* data, size_t size, off_t offset) {
  while (size > 0) {
    if (!MayWrite()) return false;
    const ssize_t written = ::pwrite(fd, data, size, offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
    offset += written;
  }
  return true;
}

bool Flush(int fd) {
  return MayWrite() && ::fsync(fd) == 0;
}

// Opens a new file exclusively, readable and writable by the owner only. O_EXCL never follows a
// link, so a link placed under the name is never written through. A leftover of ours under the
// name (a crash's) is removed first; anything else there makes the creation fail.
int CreateExclusive(const std::filesystem::path& path) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kOwnerOnly);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;
    if (st.st_uid != ::geteuid() || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) return -1;
    if (::unlink(path.c_str()) != 0) return -1;
  }
  return -1;
}

// Removes path only while it is still the file open as fd: a file someone else has since put
// under the name stays.
void RemoveIfOurs(int fd, const std::filesystem::path& path) {
  struct stat ours {};
  struct stat named {};
  if (::fstat(fd, &ours) == 0 && ::lstat(path.c_str(), &named) == 0 &&
      ours.st_dev == named.st_dev && ours.st_ino == named.st_ino) {
    ::unlink(path.c_str());
  }
}

bool FlushDirectory(const std::filesystem::path& dir) {
  const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool flushed = Flush(fd);
  ::close(fd);
  return flushed;
}

bool PutInPlaceFrom(const std::filesystem::path& target, const std::filesystem::path& staging,
                    int fd, std::span<const uint8_t> bytes) {
  struct Cleanup {
    int fd;
    const std::filesystem::path& path;
    bool renamed = false;
    ~Cleanup() {
      if (!renamed && !TearingDown()) RemoveIfOurs(fd, path);
      ::close(fd);
    }
  } cleanup{fd, staging};
  for (size_t at = 0; at < bytes.size(); at += kCopyChunk) {
    const size_t chunk = std::min(kCopyChunk, bytes.size() - at);
    if (!WriteAt(fd, bytes.data() + at, chunk, static_cast<off_t>(at))) return false;
  }
  if (!Flush(fd)) return false;
  if (!MayWrite() || ::rename(staging.c_str(), target.c_str()) != 0) return false;
  cleanup.renamed = true;
  // The rename is durable only once the folder itself is flushed; the new contents are already
  // what every reader sees.
  FlushDirectory(target.parent_path());
  return true;
}

}  // namespace

std::optional<StoreLocation> LocateStore() {
  std::filesystem::path dir;
  const char* overridden = std::getenv("RADIODESK_PROFILE_DIR");
  if (overridden != nullptr && overridden[0] != '\0') {
    dir = overridden;
  } else {
    // The program folder is the folder this library was loaded from.
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&LocateStore), &info) == 0 || info.dli_fname == nullptr) {
      return std::nullopt;
    }
    std::error_code error;
    dir = std::filesystem::absolute(info.dli_fname, error).parent_path();
    if (error) return std::nullopt;
  }
  StoreLocation location;
  location.store = dir / kStoreName;
  location.staging = dir / (std::string(kStoreName) + ".tmp");
  location.lock = dir / (std::string(kStoreName) + ".lock");
  return location;
}

std::optional<StoreLock> StoreLock::Acquire(const StoreLocation& location) {
  const int fd =
      ::open(location.lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, kOwnerOnly);
  if (fd < 0) return std::nullopt;
  // flock belongs to the open file, so two threads of one process exclude each other as two
  // processes do; and nobody waits.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return std::nullopt;
  }
  return StoreLock(fd);
}

StoreLock::~StoreLock() {
  if (fd_ >= 0) ::close(fd_);
}

uint32_t ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return kOpenFailed;
  bytes.clear();
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) bytes.reserve(static_cast<size_t>(st.st_size));
  uint8_t buffer[kCopyChunk];
  uint32_t result = kSuccess;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) result = kReadFailed;
    if (got <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  ::close(fd);
  return result;
}

bool FileExists(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PutInPlace(const std::filesystem::path& target, const std::filesystem::path& staging,
                std::span<const uint8_t> bytes) {
  const int fd = CreateExclusive(staging);
  if (fd < 0) return false;
  return PutInPlaceFrom(target, staging, fd, bytes);
}

bool PutInPlaceBeside(const std::filesystem::path& target, std::span<const uint8_t> bytes) {
  std::string pattern = target.string() + ".XXXXXX";
  // mkostemp creates the file exclusively with owner-only permissions.
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return false;
  return PutInPlaceFrom(target, pattern, fd, bytes);
}

std::optional<UserTempFile> UserTempFile::Create() {
  auto& services = platform::Current();
  const std::string windowsPath = services.SystemInfo().TempPath() + kUserTempName;
  const auto path = services.Files().HostPath(windowsPath);
  if (!path) return std::nullopt;
  const int fd = CreateExclusive(*path);
  if (fd < 0) return std::nullopt;
  return UserTempFile(fd, *path);
}

UserTempFile::UserTempFile(UserTempFile&& other) noexcept
    : fd_(other.fd_), path_(std::move(other.path_)) {
  other.fd_ = -1;
}

UserTempFile::~UserTempFile() {
  if (fd_ < 0) return;
  if (!TearingDown()) RemoveIfOurs(fd_, path_);
  ::close(fd_);
}

bool UserTempFile::WriteStore(std::span<const uint8_t> store) {
  if (store.size() < kHeaderSize) return WriteAt(fd_, store.data(), store.size(), 0);
  // The header goes first with no count, the count last: a file cut short anywhere before the
  // end never claims entries it lacks.
  uint8_t header[kHeaderSize];
  std::memcpy(header, store.data(), kHeaderSize);
  SetHeaderCount(header, 0);
  if (!WriteAt(fd_, header, kHeaderSize, 0)) return false;
  for (size_t at = kHeaderSize; at < store.size(); at += kEntrySize) {
    const size_t chunk = std::min(kEntrySize, store.size() - at);
    if (!WriteAt(fd_, store.data() + at, chunk, static_cast<off_t>(at))) return false;
  }
  return WriteAt(fd_, store.data() + kCountOffset, 4, static_cast<off_t>(kCountOffset));
}

bool UserTempFile::ReadBack(std::vector<uint8_t>& bytes) const {
  bytes.clear();
  uint8_t buffer[kCopyChunk];
  off_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(fd_, buffer, sizeof(buffer), offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.insert(bytes.end(), buffer, buffer + got);
    offset += got;
  }
}

}  // namespace vtr::profile

void RadiodeskSetProfileWriteGate(RadiodeskProfileWriteGate gate, void* context) {
  auto& state = vtr::profile::TheGate();
  std::lock_guard lock(state.mutex);
  state.gate = gate;
  state.context = context;
}
