#include "tools/vtrctl/ipv4_text.h"

#include "tools/vtrctl/cli.h"

namespace vtrctl {

bool ParseIpv4(std::string_view text, Ipv4& address) {
  std::size_t at = 0;
  for (std::size_t part = 0; part < 4; ++part) {
    if (part > 0) {
      if (at >= text.size() || text[at] != '.') return false;
      ++at;
    }
    unsigned value = 0;
    std::size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 4) {
      value = value * 10 + static_cast<unsigned>(text[at] - '0');
      ++at;
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255) return false;
    address[part] = static_cast<uint8_t>(value);
  }
  return at == text.size();
}

Ipv4 RequireIpv4(std::string_view text, std::string_view what) {
  Ipv4 address{};
  if (!ParseIpv4(text, address)) {
    throw UsageError("invalid " + std::string(what) + " '" + std::string(text) + "' (a.b.c.d)");
  }
  return address;
}

bool IsSubnetMask(const Ipv4& mask) {
  const uint32_t bits = (uint32_t{mask[0]} << 24) | (uint32_t{mask[1]} << 16) |
                        (uint32_t{mask[2]} << 8) | uint32_t{mask[3]};
  // Ones from the top: the complement plus one is a power of two (or zero for all ones).
  const uint32_t hostBits = ~bits;
  return (hostBits & (hostBits + 1)) == 0;
}

std::string Ipv4Text(const Ipv4& address) {
  return std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
         std::to_string(address[2]) + "." + std::to_string(address[3]);
}

std::string Ipv4Text(const uint8_t (&address)[4]) {
  return Ipv4Text(Ipv4{address[0], address[1], address[2], address[3]});
}

bool IsZero(const uint8_t (&address)[4]) {
  return (address[0] | address[1] | address[2] | address[3]) == 0;
}

}  // namespace vtrctl
