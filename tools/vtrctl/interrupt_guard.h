// Ctrl-C during a long step (a WPS run, a connect) asks the step to stop instead of ending the
// process, so the adapter is left as the step promises.
#pragma once

#include <signal.h>

#include <csignal>

namespace vtrctl {

inline constexpr int kExitInterrupted = 130;

// Set by Ctrl-C while a guard is in place.
inline volatile std::sig_atomic_t interrupted = 0;

extern "C" inline void OnInterrupt(int) {
  interrupted = 1;
}

// Without SA_RESTART, so that a read waiting for another process returns at Ctrl-C.
class InterruptGuard {
 public:
  InterruptGuard() {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptGuard() { sigaction(SIGINT, &previous_, nullptr); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
};

}  // namespace vtrctl
