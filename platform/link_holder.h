// The machine's link holder: a program that keeps the adapter library initialised after the
// command that joined a network has ended. The driver build's supplicant, which holds a WPA or
// 802.1X link, lives in the process that initialised the library and leaves with it, so a
// command-line connect hands the joined link to a holder that stays. A machine has at most one.
#pragma once

namespace platform {

class LinkHolderPort {
 public:
  virtual ~LinkHolderPort() = default;

  // Ends the machine's link holder, if one runs, and returns once it has gone: it has
  // uninitialised the adapter library, which ends the links its supplicant held. A program that
  // takes the adapter over calls it first (the utility at start-up; vtrctl before it connects,
  // disconnects or starts WPS). False only when a running holder could not be ended.
  virtual bool EndLinkHolder() = 0;

  // The holder's side. Makes this process the machine's link holder, ending the one that runs;
  // false when the machine cannot record it.
  virtual bool BecomeLinkHolder() = 0;
  // Blocks until another program ends this holder or the adapter leaves the machine.
  virtual void WaitUntilEnded() = 0;
  // This process holds no longer; the machine forgets it, and a wait for the end returns.
  virtual void StopHolding() = 0;
};

}  // namespace platform
