#include "sim/machine_file.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/win_errors.h"

namespace sim {
namespace {

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::open(path, flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

std::string_view FileKind(mode_t mode) {
  switch (mode & S_IFMT) {
    case S_IFDIR:
      return "a directory";
    case S_IFIFO:
      return "a FIFO";
    case S_IFCHR:
      return "a character device";
    case S_IFBLK:
      return "a block device";
    case S_IFSOCK:
      return "a socket";
    default:
      return "not a file";
  }
}

std::string UserName(uid_t uid) {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
    return std::string(found->pw_name) + " (uid " + std::to_string(uid) + ")";
  }
  return "uid " + std::to_string(uid);
}

bool ForeignMachineAllowed() {
  const char* value = std::getenv(kForeignMachineVariable);
  return value != nullptr && std::string_view(value) == "1";
}

std::optional<MachineFileFault> ReadPieces(const std::filesystem::path& file,
                                           const std::function<bool(std::string_view)>& take,
                                           size_t limit, platform::ContentStamp* stamp) {
  using Kind = MachineFileFault::Kind;
  const timespec lookStart = platform::ContentStamp::LookStart();
  // Without O_NONBLOCK, opening a FIFO waits for a writer that never comes.
  const int fd = OpenRetrying(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT) return MachineFileFault{Kind::kMissing};
    return MachineFileFault{Kind::kUnreadable, errno};
  }
  std::optional<MachineFileFault> fault;
  struct stat info {};
  if (::fstat(fd, &info) < 0) {
    fault = MachineFileFault{Kind::kUnreadable, errno};
  } else if (!S_ISREG(info.st_mode)) {
    fault = MachineFileFault{Kind::kNotRegular, static_cast<int>(info.st_mode)};
  } else if (static_cast<uintmax_t>(info.st_size) > limit) {
    fault = MachineFileFault{Kind::kTooLarge};
  } else if (stamp != nullptr) {
    *stamp = platform::ContentStamp::Of(info, lookStart);
  }
  std::vector<char> buffer(kMachineFilePiece);
  size_t read = 0;
  while (!fault) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      fault = MachineFileFault{Kind::kUnreadable, errno};
    } else if (n == 0) {
      break;
    } else if (read + static_cast<size_t>(n) > limit) {
      // It grew while it was read.
      fault = MachineFileFault{Kind::kTooLarge};
    } else {
      read += static_cast<size_t>(n);
      if (!take(std::string_view(buffer.data(), static_cast<size_t>(n)))) break;
    }
  }
  ::close(fd);
  if (fault && stamp != nullptr) *stamp = platform::ContentStamp{};
  return fault;
}

}  // namespace

std::string MachineFileFault::Describe(const std::filesystem::path& file) const {
  switch (kind) {
    case Kind::kMissing:
      return file.string() + " does not exist";
    case Kind::kNotRegular:
      return file.string() + " is " + std::string(FileKind(static_cast<mode_t>(error))) +
             ", not a regular file";
    case Kind::kTooLarge:
      return file.string() + " is larger than " + std::to_string(kMachineFileLimit >> 20) +
             " MiB, more than a machine file can be";
    case Kind::kUnreadable:
      break;
  }
  return file.string() + " cannot be read (" + std::strerror(error) + ")";
}

long MachineFileFault::WindowsError() const {
  if (kind == Kind::kMissing) return platform::kErrorFileNotFound;
  if (kind != Kind::kUnreadable) return platform::kErrorGenFailure;
  if (error == EACCES || error == EPERM) return platform::kErrorAccessDenied;
  if (error == ENOMEM) return platform::kErrorNotEnoughMemory;
  return platform::kErrorGenFailure;
}

std::optional<MachineFileFault> ReadMachineFileInPieces(
    const std::filesystem::path& file, const std::function<bool(std::string_view)>& take,
    size_t limit) {
  return ReadPieces(file, take, limit, nullptr);
}

std::optional<MachineFileFault> ReadMachineFile(const std::filesystem::path& file,
                                                std::string& text, platform::ContentStamp* stamp) {
  text.clear();
  const auto fault = ReadPieces(
      file,
      [&text](std::string_view piece) {
        text.append(piece);
        return true;
      },
      kMachineFileLimit, stamp);
  if (fault) text.clear();
  return fault;
}

int OpenMachineFileForWriting(const std::filesystem::path& file, int flags, mode_t mode) {
  // A link in a state file's place is never followed: a process allowed on another user's
  // machine would otherwise write, and hand over, whatever file the link names.
  const int fd = OpenRetrying(file.c_str(), flags | O_NOFOLLOW | O_NOCTTY, mode);
  if (fd < 0) return fd;
  std::filesystem::path dir = file.parent_path();
  if (dir.empty()) dir = ".";
  struct stat folder {};
  struct stat created {};
  if (::stat(dir.c_str(), &folder) == 0 && folder.st_uid != ::geteuid() &&
      ::fstat(fd, &created) == 0 && S_ISREG(created.st_mode) && created.st_uid == ::geteuid()) {
    // Only root can give a file away; anyone else keeps it, as the system allows no other way.
    [[maybe_unused]] const int given = ::fchown(fd, folder.st_uid, folder.st_gid);
  }
  return fd;
}

std::optional<std::string> CheckMachineOwner(const std::filesystem::path& dir) {
  struct stat info {};
  // stat follows a link: the machine is the directory it leads to, whoever owns the link.
  if (::stat(dir.c_str(), &info) < 0 || info.st_uid == ::geteuid() || ForeignMachineAllowed()) {
    return std::nullopt;
  }
  return "machine directory " + dir.string() + " belongs to " + UserName(info.st_uid) +
         ", not to " + UserName(::geteuid()) + "; set " + kForeignMachineVariable +
         "=1 to use it all the same";
}

}  // namespace sim
