// The link holder of a machine directory. "link_holder.pid" holds the holder's process id as
// text, and the holder keeps a write lock on the file (a POSIX record lock) while it runs: the
// lock, not the text, tells that a holder runs and which process it is, so a holder that was
// killed leaves nothing that looks alive. A holder is asked to end with SIGTERM, which it takes
// through a handler of its own; whoever ends it waits until its lock has gone. Pulling the
// adapter out (`vtrctl sim pull`) ends the holder, as the removal of the device ends the
// supplicant's port.
#pragma once

#include <filesystem>
#include <mutex>

#include "platform/link_holder.h"

namespace sim {

inline constexpr const char* kLinkHolderFile = "link_holder.pid";

// Ends the link holder of the machine in dir, if one runs, and returns once it has gone; false
// when it could not be ended.
bool EndLinkHolderIn(const std::filesystem::path& dir);

class SimLinkHolder : public platform::LinkHolderPort {
 public:
  explicit SimLinkHolder(const std::filesystem::path& directory);
  ~SimLinkHolder() override;
  SimLinkHolder(const SimLinkHolder&) = delete;
  SimLinkHolder& operator=(const SimLinkHolder&) = delete;

  bool EndLinkHolder() override;
  bool BecomeLinkHolder() override;
  void WaitUntilEnded() override;
  void StopHolding() override;

 private:
  const std::filesystem::path file_;
  std::mutex mutex_;
  // The pid file while this process is the holder: a record lock lasts only while the process
  // keeps every descriptor of the file open, so this is the only one it opens.
  int fd_ = -1;  // guarded by mutex_
};

}  // namespace sim
