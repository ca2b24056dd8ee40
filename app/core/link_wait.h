// After a connect request is given, the link takes a moment to show the network: the workers
// read it every half second, a bounded number of times, until it names the record's network.
#pragma once

#include <cstdint>
#include <stop_token>

#include "app/core/vtr_library.h"

namespace core {

inline constexpr uint32_t kLinkCheckMs = 500;

// Whether the link names the record's network: its SSID and access point address both.
bool LinkShowsRecord(const VtrLinkInfo& link, const ProfileRecord& record);

// Reads the link up to checks times, kLinkCheckMs apart, until it shows the record; false when
// it never did or a stop was asked.
bool WaitForLink(const CVtrLibrary& lib, std::stop_token stop, const ProfileRecord& record,
                 int checks);

}  // namespace core
