// Whether a connect joined the profile's network, and when it did not, why in words that fit
// the case: what the library answered, the link and the address it left, and what a scan then
// hears of the network tell a network out of range from one whose security does not fit the
// profile, a refused key or sign-in from a network without DHCP.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "vtrlib.h"

namespace vtrctl {

struct ConnectFacts {
  bool driverBuild = true;
  bool waited = true;          // for an address (flags 0)
  bool joined = false;         // VTR_ConnectToAP's answer
  bool interrupted = false;    // another program took the adapter before the join returned
  bool adapterPresent = true;  // VTR_IsCardConnect afterwards
  bool radioOn = true;         // VTR_GetRadioMode afterwards
  uint64_t elapsedMs = 0;
  VtrLinkInfo link{};   // afterwards
  std::string address;  // afterwards
  // What a scan afterwards hears of networks of the profile's name (signal in dBm): of its network
  // type, or else of the other type; none when no scan was needed or none was heard.
  std::optional<VtrSurveyEntry> heard;
  // The strongest hidden network (one that does not say its name) of the profile's type that the
  // scan heard, which may be the profile's network.
  std::optional<VtrSurveyEntry> hidden;
};

// The adapter is on the profile's network: associated, that name, that network type.
bool OnProfileNetwork(const VtrLinkInfo& link, const ProfileRecord& profile);
// Whether the verdict needs to know what a scan hears (the adapter is on no network).
bool NeedsScan(const ConnectFacts& facts);

// Nothing when the connect succeeded; otherwise the one line that says what went wrong.
std::optional<std::string> ConnectFailure(const ProfileRecord& profile, const ConnectFacts& facts);

}  // namespace vtrctl
