#include "sim/registry_file_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <utility>

#include "platform/win_errors.h"
#include "sim/machine_file.h"
#include "sim/regedit_format.h"

namespace sim {

namespace {

long ErrnoToWindows(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return platform::kErrorAccessDenied;
    case ENOSPC:
    case EDQUOT:
      return kErrorDiskFull;
    case ENOMEM:
      return platform::kErrorNotEnoughMemory;
    default:
      return platform::kErrorGenFailure;
  }
}

// A descriptor closed when it goes out of scope; closing the lock file also drops its lock.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      if (fd_ >= 0) ::close(fd_);
      fd_ = other.release();
    }
    return *this;
  }
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int LockRetrying(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation);
  } while (result < 0 && errno == EINTR);
  return result;
}

long WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrnoToWindows(errno);
    }
    done += static_cast<size_t>(n);
  }
  return platform::kErrorSuccess;
}

// Distinguishes the temporary files of writers in one process; the process id does the rest.
std::atomic<uint64_t> tempCounter{0};

}  // namespace

RegistryFileStore::RegistryFileStore(std::filesystem::path hiveFile, BeforeRename beforeRename)
    : hiveFile_(std::move(hiveFile)),
      lockFile_(hiveFile_.string() + ".lock"),
      beforeRename_(std::move(beforeRename)) {}

std::string RegistryFileStore::TempPrefix() const {
  return hiveFile_.filename().string() + ".tmp.";
}

long RegistryFileStore::Read(const std::function<long(const Hive&)>& read) {
  if (const auto kept = kept_.WhileCurrent(hiveFile_)) return read(*kept);
  // A machine directory we cannot create the lock file in (read-only, or not there yet) has no
  // writer we could race with through this lock; we then read without it.
  Fd lock(OpenMachineFileForWriting(lockFile_, O_RDWR | O_CREAT, 0600));
  if (lock.get() < 0) lock = Fd(OpenRetrying(lockFile_.c_str(), O_RDONLY));
  if (lock.get() >= 0 && LockRetrying(lock.get(), LOCK_SH) < 0) return ErrnoToWindows(errno);
  std::shared_ptr<const Hive> hive;
  if (long error = Load(hive)) return error;
  return read(*hive);
}

long RegistryFileStore::Modify(const std::function<long(Hive&, bool&)>& change) {
  Fd lock(OpenMachineFileForWriting(lockFile_, O_RDWR | O_CREAT, 0600));
  if (lock.get() < 0) return ErrnoToWindows(errno);
  if (LockRetrying(lock.get(), LOCK_EX) < 0) return ErrnoToWindows(errno);
  std::shared_ptr<const Hive> current;
  if (long error = Load(current)) return error;
  auto next = std::make_shared<Hive>(*current);
  bool changed = false;
  long result = change(*next, changed);
  if (result != platform::kErrorSuccess || !changed) return result;
  std::string text = FormatRegedit(*next);
  if (long error = WriteWhole(text)) return error;
  kept_.Keep(std::move(text), std::move(next));
  return platform::kErrorSuccess;
}

long RegistryFileStore::Load(std::shared_ptr<const Hive>& hive) {
  std::string text;
  platform::ContentStamp stamp;
  if (auto fault = ReadMachineFile(hiveFile_, text, &stamp)) {
    using Kind = MachineFileFault::Kind;
    if (fault->kind == Kind::kMissing) {
      hive = std::make_shared<const Hive>();
      return platform::kErrorSuccess;
    }
    if (fault->kind != Kind::kUnreadable) return kErrorBadDb;
    return ErrnoToWindows(fault->error);
  }
  hive = kept_.ForText(text, stamp);
  if (hive) return platform::kErrorSuccess;
  auto parsed = std::make_shared<Hive>();
  if (ParseRegedit(text.data(), text.size(), *parsed)) return kErrorBadDb;
  kept_.Keep(std::move(text), parsed, stamp);
  hive = std::move(parsed);
  return platform::kErrorSuccess;
}

long RegistryFileStore::WriteWhole(const std::string& text) {
  RemoveStaleTempFiles();
  std::filesystem::path directory = hiveFile_.parent_path();
  if (directory.empty()) directory = ".";
  std::filesystem::path temp;
  Fd file;
  for (int attempt = 0; file.get() < 0; ++attempt) {
    temp = directory / (TempPrefix() + std::to_string(::getpid()) + "." +
                        std::to_string(tempCounter.fetch_add(1)));
    file = Fd(OpenMachineFileForWriting(temp, O_WRONLY | O_CREAT | O_EXCL, 0600));
    if (file.get() < 0 && (errno != EEXIST || attempt > 100)) return ErrnoToWindows(errno);
  }
  auto fail = [&](long error) {
    ::unlink(temp.c_str());
    return error;
  };
  // The profile store can live in this file: only the owner reads it, whatever the umask.
  if (::fchmod(file.get(), 0600) < 0) return fail(ErrnoToWindows(errno));
  if (long error = WriteAll(file.get(), text)) return fail(error);
  if (::fsync(file.get()) < 0) return fail(ErrnoToWindows(errno));
  if (::close(file.release()) < 0) return fail(ErrnoToWindows(errno));
  if (beforeRename_ && !beforeRename_(temp)) return platform::kErrorGenFailure;
  if (::rename(temp.c_str(), hiveFile_.c_str()) < 0) return fail(ErrnoToWindows(errno));
  // The rename itself must reach the disk, or a crash could bring the old name back.
  Fd dir(OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY));
  if (dir.get() >= 0) ::fsync(dir.get());
  return platform::kErrorSuccess;
}

void RegistryFileStore::RemoveStaleTempFiles() const {
  // We hold the exclusive lock, so no writer is between creating its temporary file and renaming
  // it: whatever is left under the prefix belongs to a writer that died.
  std::filesystem::path directory = hiveFile_.parent_path();
  if (directory.empty()) directory = ".";
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return;
  std::string prefix = TempPrefix();
  int dirFd = ::dirfd(dir);
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name(entry->d_name);
    if (name.substr(0, prefix.size()) == prefix) ::unlinkat(dirFd, entry->d_name, 0);
  }
  ::closedir(dir);
}

}  // namespace sim
