#include "tools/vtrctl/held_join.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/services.h"
#include "tools/vtrctl/cli.h"
#include "tools/vtrctl/interrupt_guard.h"

namespace vtrctl {
namespace {

// Starts this very program as the holder, with holderEnd as its channel. The holder is started
// through a child that ends at once, so it is nobody's child here and never left a zombie; it
// leads a session of its own, so Ctrl-C at the terminal reaches only the command; and it keeps
// no descriptor but its channel and the output it is given, so no pipe waits for it and no lock
// of the command's lives on in it.
void StartHolder(int holderEnd, int out) {
  std::error_code error;
  const std::string program = std::filesystem::read_symlink("/proc/self/exe", error).string();
  if (error) throw Failure("cannot find the vtrctl program to start the link holder");
  const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null < 0) throw Failure("cannot start the link holder: /dev/null cannot be opened");
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t middle = ::fork();
  if (middle == 0) {
    if (::fork() != 0) ::_exit(0);
    ::setsid();
    ::dup2(null, STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    if (holderEnd == kHolderChannelFd) {
      ::fcntl(holderEnd, F_SETFD, 0);
    } else {
      ::dup2(holderEnd, kHolderChannelFd);
    }
    ::close_range(kHolderChannelFd + 1, ~0u, 0);
    char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(kLinkHolderCommand),
                          nullptr};
    ::execv(program.c_str(), argv);
    ::_exit(127);
  }
  ::close(null);
  if (middle < 0) throw Failure("cannot start the link holder (fork failed)");
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

HeldJoin::HeldJoin(bool json) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    throw Failure("cannot start the link holder (no socket)");
  }
  channel_ = ends[0];
  try {
    StartHolder(ends[1], json ? STDERR_FILENO : STDOUT_FILENO);
  } catch (...) {
    ::close(ends[0]);
    ::close(ends[1]);
    throw;
  }
  ::close(ends[1]);
}

HeldJoin::~HeldJoin() {
  if (!kept_) SendAll(channel_, &kLeaveLink, 1);
  ::close(channel_);
}

void HeldJoin::Start(const ProfileRecord& profile, uint32_t flags) {
  HoldRequest request;
  request.flags = flags;
  request.profile = profile;
  // A holder ended before it read this reports so, which Wait() then reads.
  SendAll(channel_, &request, sizeof request);
}

bool HeldJoin::Reported() const {
  pollfd ready{channel_, POLLIN, 0};
  return ::poll(&ready, 1, 0) > 0;
}

JoinReport HeldJoin::Wait() {
  JoinReport report;
  if (interrupted == 0 && ReceiveAll(channel_, &report, sizeof report)) return report;
  if (interrupted != 0) {
    platform::Current().LinkHolder().EndLinkHolder();
    throw Failure("interrupted; the connect was abandoned", kExitInterrupted);
  }
  report.outcome = JoinOutcome::kHolderLost;
  return report;
}

bool HeldJoin::Keep() {
  char answer = 0;
  kept_ =
      SendAll(channel_, &kKeepLink, 1) && ReceiveAll(channel_, &answer, 1) && answer == kHolding;
  return kept_;
}

}  // namespace vtrctl
