// The join that vtrctl connect and wps --save share: the holder joins, the command shows the
// progress, judges the outcome, sets the profile's fixed address where the library's connect
// does not, and leaves the link with the holder.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/vtrctl/cli.h"
#include "tools/vtrctl/held_join.h"
#include "tools/vtrctl/wmi_methods.h"
#include "vtrlib.h"

namespace core {
class CVtrLibrary;
}

namespace vtrctl {

struct JoinedLink {
  VtrLinkInfo link{};
  VtrIpInfo ip{};
  uint64_t elapsedMs = 0;
  // The IP settings vtrctl made through WMI after the join (the driver build's connect leaves
  // the profile's fixed address alone; the Vista build's sets it itself).
  std::vector<WmiOutcome> fixedSettings;
};

// Joins the profile's network through held, whose holder was started before this command
// initialised the library (adapterIndex), waiting for an address when wait is set; returns once
// the holder keeps the link. The connect may write into profile, as the library's does. Fails
// with the reason in words.
JoinedLink JoinAndHold(Context& ctx, const core::CVtrLibrary& lib, int32_t adapterIndex,
                       HeldJoin& held, ProfileRecord& profile, bool wait);

}  // namespace vtrctl
