// The channel between a connect and the link holder it starts: a socket that the holder finds as
// descriptor 3. The connect sends the profile; the holder joins, reports, and waits for the
// connect's word: keep the link (the holder answers that it holds) or leave it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vtrlib.h"

namespace vtrctl {

inline constexpr int kHolderChannelFd = 3;
inline constexpr const char* kLinkHolderCommand = "link-holder";

struct HoldRequest {
  uint32_t flags = 0;  // as VTR_ConnectToAP takes them
  ProfileRecord profile{};
};

enum class JoinOutcome : uint32_t {
  kJoined = 1,       // VTR_ConnectToAP returned true
  kNotJoined = 2,    // it returned false
  kNoAdapter = 3,    // VTR_Initialize found none
  kInterrupted = 4,  // another program ended the holder before the connect returned
  kCannotHold = 5,   // the machine could not record a holder
  kHolderLost = 6,   // the holder ended without a report (never sent by the holder itself)
};

struct JoinReport {
  JoinOutcome outcome = JoinOutcome::kNotJoined;
  ProfileRecord profile{};  // as the connect left it
};

// The connect's word after the report, and the holder's answer to "keep".
inline constexpr char kKeepLink = 'K';
inline constexpr char kLeaveLink = 'L';
inline constexpr char kHolding = 'H';

// Whole messages or nothing. Receiving is false at the end of the stream, on an error, or when
// Ctrl-C cut the wait short under an InterruptGuard.
bool SendAll(int fd, const void* data, std::size_t size);
bool ReceiveAll(int fd, void* data, std::size_t size);

}  // namespace vtrctl
