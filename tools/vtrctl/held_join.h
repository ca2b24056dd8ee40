// A connect whose link outlives the command: the join runs in a link holder, a vtrctl process of
// its own that keeps the adapter library initialised until another program takes the adapter
// over, while the command watches, judges the outcome and tells the holder to keep or leave it.
#pragma once

#include <cstdint>

#include "tools/vtrctl/link_holder_channel.h"

namespace vtrctl {

class HeldJoin {
 public:
  // Starts the holder, which at once takes the machine's place of link holder (ending the one
  // that held a link before). The library's progress lines of the join go to standard output,
  // or with json to standard error.
  explicit HeldJoin(bool json);
  // A join not kept is left: the holder uninitialises the library and ends.
  ~HeldJoin();
  HeldJoin(const HeldJoin&) = delete;
  HeldJoin& operator=(const HeldJoin&) = delete;

  // The holder joins with profile, flags as VTR_ConnectToAP takes them.
  void Start(const ProfileRecord& profile, uint32_t flags);
  // Whether the holder has reported (does not wait).
  bool Reported() const;
  // Waits for the report; a holder that ended without one reads as kHolderLost. Ctrl-C ends the
  // holder and fails with exit status 130.
  JoinReport Wait();
  // Asks the holder to keep the link; false when another program ended it meanwhile.
  bool Keep();

 private:
  int channel_ = -1;
  bool kept_ = false;
};

}  // namespace vtrctl
