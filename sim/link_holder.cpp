#include "sim/link_holder.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "sim/machine_file.h"

namespace sim {
namespace {

// How long a holder gets to uninitialise the library before it is killed, and how long a
// killed one gets to go. Real time: the holder is a process of the host.
constexpr std::chrono::seconds kEndGrace{10};
constexpr std::chrono::milliseconds kLookEvery{1};

// The write end of the holder's wake-up pipe, for the signal handler.
std::atomic<int> wakeFd{-1};
int wakeReadFd = -1;

void OnEnd(int /*signal*/) {
  const int saved = errno;
  const char byte = 1;
  const int fd = wakeFd.load();
  if (fd >= 0) (void)!::write(fd, &byte, 1);
  errno = saved;
}

// Made as every state file of the machine is: owned as its directory is, never through a link.
int OpenHolderFile(const std::filesystem::path& file) {
  return OpenMachineFileForWriting(file, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
}

struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;
}

// The process that holds the file's lock, 0 when none does, -1 when it cannot be told.
pid_t LockOwner(int fd) {
  struct flock query = WholeFile(F_WRLCK);
  if (::fcntl(fd, F_GETLK, &query) != 0) return -1;
  return query.l_type == F_UNLCK ? 0 : query.l_pid;
}

// Whether the process has ended: gone, or a zombie that nobody has collected yet.
bool ProcessEnded(pid_t pid) {
  if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return true;
  const auto name = line.rfind(')');
  return name != std::string::npos && name + 2 < line.size() &&
         (line[name + 2] == 'Z' || line[name + 2] == 'X');
}

// The holder lets go of its place once its library is uninitialised, and then ends; whoever ended
// it goes on only once it has, so nothing of it runs beside the next user of the adapter.
bool GoneWithin(int fd, pid_t owner, std::chrono::steady_clock::duration limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (LockOwner(fd) == owner || !ProcessEnded(owner)) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(kLookEvery);
  }
  return true;
}

// Ends whichever holder locks the file until none does.
bool EndHolderOf(int fd) {
  for (;;) {
    const pid_t owner = LockOwner(fd);
    if (owner < 0) return false;
    if (owner == 0) return true;
    ::kill(owner, SIGTERM);
    if (GoneWithin(fd, owner, kEndGrace)) continue;
    ::kill(owner, SIGKILL);
    if (!GoneWithin(fd, owner, kEndGrace)) return false;
  }
}

bool TryLock(int fd) {
  struct flock lock = WholeFile(F_WRLCK);
  return ::fcntl(fd, F_SETLK, &lock) == 0;
}

void WritePid(int fd) {
  const std::string text = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, text.data(), text.size(), 0);
}

bool InstallEndHandler() {
  if (wakeFd.load() >= 0) return true;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  wakeReadFd = fds[0];
  wakeFd = fds[1];
  struct sigaction action {};
  action.sa_handler = OnEnd;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  return ::sigaction(SIGTERM, &action, nullptr) == 0;
}

}  // namespace

bool EndLinkHolderIn(const std::filesystem::path& dir) {
  // Only a holder makes the file: without it there is none to end.
  const int fd = ::open((dir / kLinkHolderFile).c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  // Only holders ever lock the file: a holder that is starting must not take this process for
  // one, so the text a killed holder left behind stays until the next holder replaces it.
  const bool ended = EndHolderOf(fd);
  ::close(fd);
  return ended;
}

SimLinkHolder::SimLinkHolder(const std::filesystem::path& directory)
    : file_(directory / kLinkHolderFile) {}

SimLinkHolder::~SimLinkHolder() {
  StopHolding();
}

bool SimLinkHolder::EndLinkHolder() {
  {
    std::lock_guard lock(mutex_);
    // The holder does not end itself this way, and must not close its file.
    if (fd_ >= 0) return true;
  }
  return EndLinkHolderIn(file_.parent_path());
}

bool SimLinkHolder::BecomeLinkHolder() {
  std::lock_guard lock(mutex_);
  if (fd_ >= 0) return true;
  if (!InstallEndHandler()) return false;
  const int fd = OpenHolderFile(file_);
  if (fd < 0) return false;
  while (!TryLock(fd)) {
    if (!EndHolderOf(fd)) {
      ::close(fd);
      return false;
    }
  }
  WritePid(fd);
  fd_ = fd;
  return true;
}

void SimLinkHolder::WaitUntilEnded() {
  char byte = 0;
  while (::read(wakeReadFd, &byte, 1) < 0 && errno == EINTR) {
  }
}

void SimLinkHolder::StopHolding() {
  std::lock_guard lock(mutex_);
  if (fd_ < 0) return;
  (void)!::ftruncate(fd_, 0);
  ::close(fd_);
  fd_ = -1;
  OnEnd(0);  // a wait for the end is over too
}

}  // namespace sim
