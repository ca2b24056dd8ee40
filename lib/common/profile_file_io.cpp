// The store's files on disk. New contents never overwrite a file in place: they are written whole
// to a file of their own in one write, flushed, and renamed over the old one, so a crash or a
// full disk at any moment leaves either the old contents or the new ones.
#include "lib/common/profile_file_io.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <exception>
#include <mutex>

#include "lib/common/profile_store_format.h"
#include "lib/common/profile_write_gate.h"

namespace vtr::profile {

namespace {

constexpr const char* kStoreName = "Profile.dll";
constexpr size_t kReadChunk = 64 * 1024;
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

// All the bytes in one write; only a write the kernel cut short takes another for the rest.
bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  const uint8_t* data = bytes.data();
  size_t size = bytes.size();
  do {
    if (!MayWrite()) return false;
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 || (written == 0 && size > 0)) return false;
    data += written;
    size -= static_cast<size_t>(written);
  } while (size > 0);
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

uint32_t PutInPlaceFrom(const std::filesystem::path& target, const std::filesystem::path& staging,
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
  if (!WriteAll(fd, bytes) || !Flush(fd)) return kWriteFailed;
  if (!MayWrite() || ::rename(staging.c_str(), target.c_str()) != 0) return kWriteFailed;
  cleanup.renamed = true;
  // The rename is durable only once the folder itself is flushed; the new contents are already
  // what every reader sees.
  FlushDirectory(target.parent_path());
  return kSuccess;
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
  // Sized by the file and one byte more, so a store is usually read in one call and its end
  // found by the next without growing the buffer; a file that grows meanwhile is still read to
  // its end.
  struct stat st {};
  bytes.resize(::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 0);
  size_t got = 0;
  uint32_t result = kSuccess;
  for (;;) {
    if (got == bytes.size()) bytes.resize(got + kReadChunk);
    const ssize_t read = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) result = kReadFailed;
    if (read <= 0) break;
    got += static_cast<size_t>(read);
  }
  bytes.resize(got);
  ::close(fd);
  return result;
}

bool FileExists(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

uint32_t PutInPlace(const std::filesystem::path& target, const std::filesystem::path& staging,
                    std::span<const uint8_t> bytes) {
  const int fd = CreateExclusive(staging);
  if (fd < 0) return kCreateFailed;
  return PutInPlaceFrom(target, staging, fd, bytes);
}

uint32_t PutInPlaceBeside(const std::filesystem::path& target, std::span<const uint8_t> bytes) {
  std::string pattern = target.string() + ".XXXXXX";
  // mkostemp creates the file exclusively with owner-only permissions.
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return kCreateFailed;
  return PutInPlaceFrom(target, pattern, fd, bytes);
}

}  // namespace vtr::profile

void RadiodeskSetProfileWriteGate(RadiodeskProfileWriteGate gate, void* context) {
  auto& state = vtr::profile::TheGate();
  std::lock_guard lock(state.mutex);
  state.gate = gate;
  state.context = context;
}
