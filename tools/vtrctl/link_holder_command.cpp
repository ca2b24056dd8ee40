// vtrctl link-holder: the process a connect leaves behind to keep its link. The driver build's
// supplicant holds a WPA or 802.1X link only while the process that initialised the library
// keeps it initialised, so the join itself runs here and this process stays until another
// program takes the adapter over (another connect, a disconnect, WPS, the utility starting) or
// the adapter is pulled out. Not a command for people: vtrctl connect starts it with the channel
// on descriptor 3.
#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "app/core/vtr_library.h"
#include "platform/services.h"
#include "tools/vtrctl/commands.h"
#include "tools/vtrctl/link_holder_channel.h"

namespace vtrctl {
namespace {

enum Phase : int { kJoining, kReported, kEnded };

void Report(JoinOutcome outcome, const ProfileRecord& profile) {
  JoinReport report;
  report.outcome = outcome;
  report.profile = profile;
  SendAll(kHolderChannelFd, &report, sizeof report);
}

// The command's terminal or pipe is let go once the join is decided, so that nothing reading
// the command's output waits for the holder to end.
void ReleaseOutput() {
  std::fflush(stdout);
  std::fflush(stderr);
  const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null < 0) return;
  ::dup2(null, STDOUT_FILENO);
  ::dup2(null, STDERR_FILENO);
  ::close(null);
}

}  // namespace

int RunLinkHolder(Context& /*ctx*/, std::span<const std::string> args) {
  struct stat channel {};
  if (!args.empty() || ::fstat(kHolderChannelFd, &channel) != 0 || !S_ISSOCK(channel.st_mode)) {
    throw UsageError("link-holder is started by vtrctl connect, not by hand");
  }
  // The command's output may be a pipe whose reader has gone: a line the library prints there
  // must not end the holder in the middle of a join.
  ::signal(SIGPIPE, SIG_IGN);
  const core::CVtrLibrary& lib = RequireLibrary();
  platform::LinkHolderPort& holder = platform::Current().LinkHolder();
  // First the place of holder, so that a later connect ends this one even before it joins.
  if (!holder.BecomeLinkHolder()) {
    Report(JoinOutcome::kCannotHold, ProfileRecord{});
    return kExitFailure;
  }
  HoldRequest request;
  std::atomic<int> phase{kJoining};
  std::thread waiter([&] {
    holder.WaitUntilEnded();
    if (phase.exchange(kEnded) == kJoining) {
      // Ended in the middle of the join, which cannot be left half-way through the library: the
      // process goes at once, and its supplicant port with it, as when Windows ends a program.
      Report(JoinOutcome::kInterrupted, ProfileRecord{});
      std::fflush(stdout);
      ::_exit(0);
    }
    // Wakes the main thread if it waits for the command's word.
    ::shutdown(kHolderChannelFd, SHUT_RDWR);
  });

  bool tried = false;
  JoinOutcome outcome = JoinOutcome::kInterrupted;
  ProfileRecord profile{};
  if (ReceiveAll(kHolderChannelFd, &request, sizeof request)) {
    profile = request.profile;
    if (lib.Initialize(0) < 0) {
      outcome = JoinOutcome::kNoAdapter;
    } else {
      tried = true;
      outcome = lib.ConnectToAP(&profile, request.flags) != 0 ? JoinOutcome::kJoined
                                                              : JoinOutcome::kNotJoined;
    }
  }
  std::fflush(stdout);
  int expected = kJoining;
  if (!phase.compare_exchange_strong(expected, kReported)) {
    waiter.join();  // the waiter ends the process
  }
  Report(outcome, profile);

  // The command decides: a link the library did not count as joined may still be the one to
  // keep (an ad hoc network, which never gets a leased address).
  char word = kLeaveLink;
  if (tried && ReceiveAll(kHolderChannelFd, &word, 1) && word == kKeepLink) {
    ReleaseOutput();
    if (SendAll(kHolderChannelFd, &kHolding, 1)) waiter.join();
  }
  // The library goes before the place of holder, so that whoever ended this holder finds the
  // adapter free of it once the place is.
  lib.UnInitialize();
  holder.StopHolding();
  if (waiter.joinable()) waiter.join();
  return 0;
}

}  // namespace vtrctl
