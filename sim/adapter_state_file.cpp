#include "sim/adapter_state_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/win_errors.h"
#include "sim/machine_file.h"

namespace sim {
namespace {

// A descriptor closed when it goes out of scope; closing the lock file drops its lock.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

bool LockRetrying(int fd, int operation) {
  int result;
  do {
    result = ::flock(fd, operation);
  } while (result < 0 && errno == EINTR);
  return result == 0;
}

long ErrnoError(int error) {
  if (error == EACCES || error == EPERM || error == EROFS) return platform::kErrorAccessDenied;
  return platform::kErrorGenFailure;
}

std::atomic<uint64_t> tempCounter{0};

}  // namespace

AdapterStateFile::AdapterStateFile(std::filesystem::path file, AdapterState initial)
    : file_(std::move(file)), lockFile_(file_.string() + ".lock"), initial_(std::move(initial)) {}

long AdapterStateFile::Read(const std::function<void(const AdapterState&)>& read) {
  if (const auto kept = kept_.WhileCurrent(file_)) {
    read(*kept);
    return platform::kErrorSuccess;
  }
  Fd lock(OpenMachineFileForWriting(lockFile_, O_RDWR | O_CREAT, 0600));
  if (lock.get() >= 0 && !LockRetrying(lock.get(), LOCK_SH)) return ErrnoError(errno);
  std::shared_ptr<const AdapterState> state;
  std::string text;
  if (long error = Load(state, text)) return error;
  read(*state);
  return platform::kErrorSuccess;
}

long AdapterStateFile::Modify(const std::function<void(AdapterState&)>& change) {
  Fd lock(OpenMachineFileForWriting(lockFile_, O_RDWR | O_CREAT, 0600));
  if (lock.get() < 0) return ErrnoError(errno);
  if (!LockRetrying(lock.get(), LOCK_EX)) return ErrnoError(errno);
  std::shared_ptr<const AdapterState> current;
  std::string currentText;
  if (long error = Load(current, currentText)) return error;
  auto next = std::make_shared<AdapterState>(*current);
  change(*next);
  if (*next == *current) return platform::kErrorSuccess;
  std::string text = FormatAdapterState(*next);
  if (long error = WriteWhole(text)) return error;
  kept_.Keep(std::move(text), std::move(next));
  return platform::kErrorSuccess;
}

long AdapterStateFile::Reset() {
  Fd lock(OpenMachineFileForWriting(lockFile_, O_RDWR | O_CREAT, 0600));
  if (lock.get() < 0) return ErrnoError(errno);
  if (!LockRetrying(lock.get(), LOCK_EX)) return ErrnoError(errno);
  if (::unlink(file_.c_str()) < 0 && errno != ENOENT) return ErrnoError(errno);
  return platform::kErrorSuccess;
}

long AdapterStateFile::Load(std::shared_ptr<const AdapterState>& state, std::string& text) {
  platform::ContentStamp stamp;
  if (auto fault = ReadMachineFile(file_, text, &stamp)) {
    if (fault->kind != MachineFileFault::Kind::kMissing) {
      ReportOnce(fault->Describe(file_));
      return fault->WindowsError();
    }
    state = std::make_shared<const AdapterState>(initial_);
    return platform::kErrorSuccess;
  }
  state = kept_.ForText(text, stamp);
  if (state) return platform::kErrorSuccess;
  auto parsed = std::make_shared<AdapterState>();
  if (auto fault = ParseAdapterState(text, *parsed)) {
    ReportOnce(file_.string() + ": " + *fault);
    return platform::kErrorGenFailure;
  }
  kept_.Keep(text, parsed, stamp);
  state = std::move(parsed);
  return platform::kErrorSuccess;
}

void AdapterStateFile::ReportOnce(const std::string& fault) {
  std::lock_guard guard(reportMutex_);
  if (fault == reportedFault_) return;
  reportedFault_ = fault;
  std::fprintf(stderr, "radiodesk: %s; `vtrctl sim reset` puts the adapter back as described\n",
               fault.c_str());
}

long AdapterStateFile::WriteWhole(const std::string& text) {
  const std::string temp = file_.string() + ".tmp." + std::to_string(::getpid()) + "." +
                           std::to_string(tempCounter.fetch_add(1));
  Fd file(OpenMachineFileForWriting(temp, O_WRONLY | O_CREAT | O_TRUNC, 0600));
  if (file.get() < 0) return ErrnoError(errno);
  auto fail = [&](int error) {
    ::unlink(temp.c_str());
    return ErrnoError(error);
  };
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(file.get(), text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(file.get()) < 0) return fail(errno);
  if (::close(file.release()) < 0) return fail(errno);
  if (::rename(temp.c_str(), file_.c_str()) < 0) return fail(errno);
  return platform::kErrorSuccess;
}

}  // namespace sim

namespace sim {

std::optional<std::string> CheckAdapterStateFile(const std::filesystem::path& file) {
  std::string text;
  if (auto fault = ReadMachineFile(file, text)) {
    if (fault->kind == MachineFileFault::Kind::kMissing) return std::nullopt;
    return fault->Describe(file);
  }
  AdapterState state;
  if (auto fault = ParseAdapterState(text, state)) return file.string() + ": " + *fault;
  return std::nullopt;
}

}  // namespace sim
