#include "sim/dhcp_client.h"

namespace sim {
namespace {

const IpBinding kNoAddress;

void Bind(AddressState& address, const IpBinding& binding) {
  if (binding.address != address.bound.address || binding.mask != address.bound.mask) {
    ++address.changes;
  }
  address.bound = binding;
}

}  // namespace

std::string AutonetAddress(const std::vector<uint8_t>& mac) {
  // 169.254.0.x and 169.254.255.x are reserved; the host part comes from the last two bytes.
  const uint8_t high = mac.size() >= 2 ? mac[mac.size() - 2] : 0;
  const uint8_t low = mac.empty() ? 1 : mac.back();
  const unsigned third = 1u + high % 254u;
  const unsigned fourth = low == 0 || low == 255 ? 1u : low;
  return "169.254." + std::to_string(third) + "." + std::to_string(fourth);
}

void StartAddressing(const AdapterDescription& adapter, LinkState& link,
                     const NetworkDescription* network) {
  auto& address = link.address;
  address.pending.reset();
  if (!link.association) return;
  const Association& association = *link.association;
  if (network != nullptr && network->dhcp && association.framesPass && !association.ownIbss) {
    const DhcpDescription& dhcp = *network->dhcp;
    IpBinding lease;
    lease.address = dhcp.address;
    lease.mask = dhcp.mask;
    lease.gateway = dhcp.gateway;
    lease.dhcpServer = dhcp.server;
    lease.dns = dhcp.dns;
    lease.leaseSeconds = dhcp.leaseSeconds;
    address.pendingAtMs = association.upAtMs + dhcp.leaseDelayMs;
    lease.obtainedMs = address.pendingAtMs;
    address.pending = lease;
    return;
  }
  if (!adapter.autonet) return;
  IpBinding autonet;
  autonet.address = AutonetAddress(adapter.mac);
  autonet.mask = "255.255.0.0";
  address.pendingAtMs = association.upAtMs + adapter.autonetDelayMs;
  autonet.obtainedMs = address.pendingAtMs;
  address.pending = autonet;
}

void SettleAddress(LinkState& link, uint64_t nowMs) {
  auto& address = link.address;
  if (!address.pending || nowMs < address.pendingAtMs) return;
  Bind(address, *address.pending);
  address.pending.reset();
}

const IpBinding& CurrentAddress(const LinkState& link, uint64_t nowMs) {
  const auto& address = link.address;
  if (address.pending && nowMs >= address.pendingAtMs) return *address.pending;
  return address.bound;
}

uint64_t AddressChanges(const LinkState& link, uint64_t nowMs) {
  const auto& address = link.address;
  if (address.pending && nowMs >= address.pendingAtMs &&
      (address.pending->address != address.bound.address ||
       address.pending->mask != address.bound.mask)) {
    return address.changes + 1;
  }
  return address.changes;
}

std::optional<uint64_t> NextAddressChangeMs(const LinkState& link, uint64_t nowMs) {
  const auto& address = link.address;
  if (address.pending && address.pendingAtMs > nowMs) return address.pendingAtMs;
  return std::nullopt;
}

bool ReleaseAddress(LinkState& link, uint64_t nowMs) {
  SettleAddress(link, nowMs);
  if (!link.address.bound.Bound()) return false;
  Bind(link.address, kNoAddress);
  return true;
}

void ClearAddress(LinkState& link, uint64_t nowMs) {
  SettleAddress(link, nowMs);
  link.address.pending.reset();
  Bind(link.address, kNoAddress);
}

}  // namespace sim
