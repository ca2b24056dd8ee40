// IPv4 addresses as people type them (a.b.c.d) and as the profile record keeps them (4 bytes).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vtrctl {

using Ipv4 = std::array<uint8_t, 4>;

// Four decimal numbers of 0 to 255, each of one to three digits, joined by dots; nothing else.
bool ParseIpv4(std::string_view text, Ipv4& address);
// The same, or a usage error naming what the text was meant to be ("address", "mask", ...).
Ipv4 RequireIpv4(std::string_view text, std::string_view what);
// A subnet mask: ones from the top, then zeros only.
bool IsSubnetMask(const Ipv4& mask);
std::string Ipv4Text(const Ipv4& address);
std::string Ipv4Text(const uint8_t (&address)[4]);
bool IsZero(const uint8_t (&address)[4]);

}  // namespace vtrctl
