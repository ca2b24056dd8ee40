#include "sim/wlan_profile_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <nlohmann/json.hpp>
#include <utility>
#include <variant>

#include "platform/win_errors.h"
#include "sim/machine_file.h"

namespace sim {
namespace {

using nlohmann::json;

std::atomic<uint64_t> tempCounter{0};

// A descriptor closed when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

long ErrnoError(int error) {
  switch (error) {
    case ENOENT:
      return platform::kErrorFileNotFound;
    case EACCES:
    case EPERM:
      return platform::kErrorAccessDenied;
    default:
      return platform::kErrorGenFailure;
  }
}

// The stored list; an absent file is an empty one, a damaged one the fault.
std::variant<json, std::string> ReadList(const std::filesystem::path& file) {
  std::string text;
  if (auto fault = ReadMachineFile(file, text)) {
    if (fault->kind == MachineFileFault::Kind::kMissing) return json::array();
    return fault->Describe(file);
  }
  json list = json::parse(text, nullptr, false);
  if (!list.is_array()) return file.string() + ": not a list of stored profiles";
  for (size_t i = 0; i < list.size(); ++i) {
    const json& entry = list[i];
    if (!entry.is_object() || !entry.contains("name") || !entry["name"].is_string() ||
        !entry.contains("xml") || !entry["xml"].is_string()) {
      return file.string() + ": entry " + std::to_string(i) +
             " lacks a \"name\" or an \"xml\" text";
    }
  }
  return list;
}
long WriteWhole(const std::filesystem::path& file, const std::string& text) {
  const std::string temp = file.string() + ".tmp." + std::to_string(::getpid()) + "." +
                           std::to_string(tempCounter.fetch_add(1));
  Fd out(OpenMachineFileForWriting(temp, O_WRONLY | O_CREAT | O_EXCL, 0600));
  if (out.get() < 0) return ErrnoError(errno);
  auto fail = [&](int error) {
    ::unlink(temp.c_str());
    return ErrnoError(error);
  };
  // Network keys are inside: only the owner reads the file, whatever the umask.
  if (::fchmod(out.get(), 0600) < 0) return fail(errno);
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(out.get(), text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(out.get()) < 0) return fail(errno);
  if (::close(out.release()) < 0) return fail(errno);
  if (::rename(temp.c_str(), file.c_str()) < 0) return fail(errno);
  // The rename reaches the disk only with the folder.
  Fd folder(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) ::fsync(folder.get());
  return platform::kErrorSuccess;
}

// Holds the machine-wide lock on the store for as long as it lives.
class StoreLock {
 public:
  StoreLock(const std::filesystem::path& lockFile, int operation)
      : fd_(OpenMachineFileForWriting(lockFile, O_RDWR | O_CREAT, 0600)) {
    if (fd_.get() < 0) return;
    while (::flock(fd_.get(), operation) < 0) {
      if (errno != EINTR) return;
    }
    locked_ = true;
  }
  bool locked() const { return locked_; }

 private:
  Fd fd_;
  bool locked_ = false;
};

}  // namespace

WlanProfileStore::WlanProfileStore(std::filesystem::path file)
    : file_(std::move(file)), lockFile_(file_.string() + ".lock") {}

std::optional<std::string> WlanProfileStore::Find(const std::string& name) const {
  std::lock_guard guard(mutex_);
  StoreLock lock(lockFile_, LOCK_SH);
  if (!lock.locked()) return std::nullopt;
  const auto read = ReadList(file_);
  const json* list = std::get_if<json>(&read);
  if (list == nullptr) return std::nullopt;
  for (const auto& entry : *list) {
    if (entry["name"].get<std::string>() == name) return entry["xml"].get<std::string>();
  }
  return std::nullopt;
}

long WlanProfileStore::Put(const std::string& name, const std::string& text, bool overwrite) {
  std::lock_guard guard(mutex_);
  StoreLock lock(lockFile_, LOCK_EX);
  if (!lock.locked()) return ErrnoError(errno);
  auto read = ReadList(file_);
  json* list = std::get_if<json>(&read);
  // A damaged store is left for its owner to look at rather than replaced by one profile.
  if (list == nullptr) return platform::kErrorGenFailure;
  bool replaced = false;
  for (auto& entry : *list) {
    if (entry["name"].get<std::string>() != name) continue;
    if (!overwrite) return platform::kErrorAlreadyExists;
    entry["xml"] = text;
    replaced = true;
  }
  if (!replaced) list->push_back({{"name", name}, {"xml", text}});
  return WriteWhole(file_, list->dump(2) + "\n");
}

std::optional<std::string> CheckWlanProfileFile(const std::filesystem::path& file) {
  const auto read = ReadList(file);
  if (const auto* fault = std::get_if<std::string>(&read)) return *fault;
  return std::nullopt;
}

}  // namespace sim
