// The library prints progress lines on standard output (the WMI exports, which the Vista build's
// connect also runs); with --json they go to standard error instead, so that standard output
// stays one JSON document.
#pragma once

#include <unistd.h>

#include <cstdio>

namespace vtrctl {

class ProgressToStderr {
 public:
  explicit ProgressToStderr(bool active) : active_(active) {
    if (!active_) return;
    std::fflush(stdout);
    saved_ = dup(1);
    dup2(2, 1);
  }
  ~ProgressToStderr() {
    if (!active_) return;
    std::fflush(stdout);
    dup2(saved_, 1);
    close(saved_);
  }
  ProgressToStderr(const ProgressToStderr&) = delete;
  ProgressToStderr& operator=(const ProgressToStderr&) = delete;

 private:
  bool active_;
  int saved_ = -1;
};

}  // namespace vtrctl
