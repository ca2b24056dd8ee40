#include "sim/sim_ip_helper.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <utility>
#include <vector>

#include "platform/win_errors.h"
#include "sim/association.h"
#include "sim/dhcp_client.h"
#include "sim/interface_counters.h"
#include "sim/link_rates.h"

namespace sim {
namespace {

constexpr long kErrorInvalidDataCode = 13;
constexpr uint32_t kEthernetMtu = 1500;
constexpr uint32_t kWiredSpeed = 100'000'000;
// A wired adapter's background traffic while its cable is in, in bytes a second.
constexpr uint64_t kWiredReceiveBytesPerSecond = 1200;
constexpr uint64_t kWiredSendBytesPerSecond = 400;
// Average frame sizes, for the packet counts that go with the octets.
constexpr uint64_t kUnicastFrameBytes = 512;
constexpr uint32_t kBroadcastEvery = 8;
// What Windows shows as the DHCP server while the adapter holds a private address.
constexpr const char* kNoDhcpServer = "255.255.255.255";

// One adapter's IP interface as it is at the time of a call.
struct AdapterView {
  bool present = true;
  bool dhcpEnabled = true;
  IpBinding binding;
  bool linkUp = false;
  bool connecting = false;
  uint64_t speed = 0;
  uint64_t lastChangeMs = 0;
  OctetCounts octets;
};

template <size_t N>
void CopyText(char (&field)[N], const std::string& text) {
  const size_t length = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

template <size_t N>
void CopyWide(char16_t (&field)[N], const std::string& text) {
  const size_t length = std::min(text.size(), N - 1);
  for (size_t i = 0; i < length; ++i) field[i] = static_cast<unsigned char>(text[i]);
  field[length] = u'\0';
}

std::string InterfaceName(const AdapterDescription& adapter) {
  return "\\DEVICE\\TCPIP_" + adapter.name;
}

void FillAddress(platform::IpAddrString& entry, const std::string& address,
                 const std::string& mask) {
  CopyText(entry.ipAddress, address);
  CopyText(entry.ipMask, mask);
}

// Seconds since 1970 (UTC) of a moment on the machine clock.
int64_t UtcSeconds(platform::ClockPort& clock, int32_t utcOffsetMinutes, uint64_t atMs) {
  const VtrSystemTime local = clock.LocalTime();
  std::tm parts{};
  parts.tm_year = local.year - 1900;
  parts.tm_mon = local.month - 1;
  parts.tm_mday = local.day;
  parts.tm_hour = local.hour;
  parts.tm_min = local.minute;
  parts.tm_sec = local.second;
  const int64_t nowUtc = static_cast<int64_t>(timegm(&parts)) - int64_t{utcOffsetMinutes} * 60;
  const uint64_t nowMs = clock.NowMs();
  return nowUtc - static_cast<int64_t>(nowMs >= atMs ? (nowMs - atMs) / 1000 : 0);
}

AdapterView WiredView(const AdapterDescription& adapter, uint64_t nowMs) {
  AdapterView view;
  view.binding.address = adapter.ipAddress;
  view.binding.mask = adapter.subnetMask;
  view.binding.gateway = adapter.gateway;
  view.binding.dhcpServer = adapter.dhcpServer;
  view.binding.dns = adapter.dnsServers;
  view.linkUp = adapter.ipAddress != "0.0.0.0";
  if (view.linkUp) {
    view.speed = kWiredSpeed;
    view.octets.in = kWiredReceiveBytesPerSecond * nowMs / 1000;
    view.octets.out = kWiredSendBytesPerSecond * nowMs / 1000;
  }
  return view;
}

// Fixed settings take the place of what DHCP gave. Windows binds a fixed address only while the
// link is up.
void ApplySettings(AdapterView& view, const TcpipSettings& settings) {
  view.dhcpEnabled = settings.dhcpEnabled;
  if (settings.dhcpEnabled) {
    if (!settings.nameServers.empty()) view.binding.dns = settings.nameServers;
    return;
  }
  IpBinding fixed;
  if (view.linkUp) {
    fixed.address = settings.address;
    fixed.mask = settings.mask;
    fixed.gateway = settings.gateway;
    fixed.dns = settings.nameServers;
  }
  view.binding = fixed;
}

}  // namespace

SimIpHelper::SimIpHelper(const std::filesystem::path& hiveFile, const MachineDescription& machine,
                         SimDevices& devices, platform::ClockPort& clock, SimEvents& events)
    : hive_(hiveFile), machine_(machine), devices_(devices), clock_(clock), events_(events) {}

TcpipSettings SimIpHelper::Settings(const AdapterDescription& adapter) {
  TcpipSettings settings = ReadTcpipSettings(nullptr, adapter);
  hive_.Read([&](const Hive& hive) {
    settings = ReadTcpipSettings(FindTcpipInterface(hive, adapter.name), adapter);
    return platform::kErrorSuccess;
  });
  return settings;
}

const AdapterDescription* SimIpHelper::FindAdapter(uint32_t index) const {
  for (const auto& adapter : machine_.adapters) {
    if (adapter.index == index) return &adapter;
  }
  return nullptr;
}

namespace {

// The wireless adapter's view from its state; a state that cannot be read shows no link.
AdapterView WirelessView(AdapterStateFile& file, const MachineDescription& machine,
                         uint64_t nowMs) {
  AdapterView view;
  file.Read([&](const AdapterState& state) {
    view.present = state.present;
    view.binding = CurrentAddress(state.link, nowMs);
    view.linkUp = LinkUp(state, nowMs);
    view.connecting = state.link.association.has_value() && !view.linkUp;
    view.lastChangeMs = view.linkUp ? state.link.association->upAtMs : state.link.changedMs;
    view.octets = Octets(state.link, nowMs);
    if (view.linkUp) {
      const NetworkDescription* network = AssociatedNetwork(state, machine);
      const int32_t rssi = network != nullptr ? network->rssi : -200;
      view.speed = uint64_t{RatesOnLink(state, network, rssi).transmit.halfMbps} * 500'000;
    }
  });
  return view;
}

// The adapter's interface as it is at nowMs, under its settings.
AdapterView ViewOf(const AdapterDescription& adapter, const TcpipSettings& settings,
                   SimDevices& devices, const MachineDescription& machine, uint64_t nowMs) {
  AdapterView view = &adapter == devices.WirelessAdapter()
                         ? WirelessView(*devices.WirelessState(), machine, nowMs)
                         : WiredView(adapter, nowMs);
  ApplySettings(view, settings);
  return view;
}

}  // namespace

long SimIpHelper::GetAdaptersInfo(platform::IpAdapterInfo* buffer, uint32_t* size) {
  if (size == nullptr) return platform::kErrorInvalidParameter;
  const uint64_t now = clock_.NowMs();
  // A pulled adapter leaves the list, as a removed device leaves Windows' list.
  std::vector<std::pair<const AdapterDescription*, AdapterView>> listed;
  for (const AdapterDescription& adapter : machine_.adapters) {
    AdapterView view = ViewOf(adapter, Settings(adapter), devices_, machine_, now);
    if (view.present) listed.emplace_back(&adapter, std::move(view));
  }
  if (listed.empty()) return platform::kErrorNoData;
  const auto needed = static_cast<uint32_t>(listed.size() * sizeof(platform::IpAdapterInfo));
  if (buffer == nullptr || *size < needed) {
    *size = needed;
    return platform::kErrorBufferOverflow;
  }
  for (size_t i = 0; i < listed.size(); ++i) {
    const AdapterDescription& adapter = *listed[i].first;
    const AdapterView& view = listed[i].second;
    platform::IpAdapterInfo& info = buffer[i];
    std::memset(&info, 0, sizeof(info));
    info.comboIndex = adapter.index;
    CopyText(info.adapterName, adapter.name);
    CopyText(info.description, adapter.description);
    info.addressLength = static_cast<uint32_t>(adapter.mac.size());
    std::copy(adapter.mac.begin(), adapter.mac.end(), info.address);
    info.index = adapter.index;
    info.type = adapter.type;
    const IpBinding& binding = view.binding;
    info.dhcpEnabled = view.dhcpEnabled ? 1 : 0;
    FillAddress(info.ipAddressList, binding.address, binding.mask);
    FillAddress(info.gatewayList, binding.gateway.empty() ? "0.0.0.0" : binding.gateway, "");
    if (!view.dhcpEnabled) {
      // A fixed configuration has no DHCP server and no lease.
    } else if (&adapter != devices_.WirelessAdapter()) {
      FillAddress(info.dhcpServer, binding.dhcpServer, "");
    } else if (binding.leaseSeconds != 0) {
      FillAddress(info.dhcpServer, binding.dhcpServer, "");
      info.leaseObtained = UtcSeconds(clock_, machine_.utcOffsetMinutes, binding.obtainedMs);
      info.leaseExpires = info.leaseObtained + binding.leaseSeconds;
    } else if (binding.Bound()) {
      FillAddress(info.dhcpServer, kNoDhcpServer, "");
    }
    info.next = i + 1 < listed.size() ? &buffer[i + 1] : nullptr;
  }
  return platform::kErrorSuccess;
}

long SimIpHelper::GetIfEntry(platform::MibIfRow* row) {
  if (row == nullptr) return platform::kErrorInvalidParameter;
  const AdapterDescription* adapter = FindAdapter(row->index);
  if (adapter == nullptr) return kErrorInvalidDataCode;
  const AdapterView view = ViewOf(*adapter, Settings(*adapter), devices_, machine_, clock_.NowMs());
  const uint32_t index = row->index;
  std::memset(row, 0, sizeof(*row));
  CopyWide(row->name, InterfaceName(*adapter));
  row->index = index;
  row->type = adapter->type;
  row->mtu = kEthernetMtu;
  row->speed = static_cast<uint32_t>(std::min<uint64_t>(view.speed, UINT32_MAX));
  row->physAddrLength = static_cast<uint32_t>(std::min<size_t>(adapter->mac.size(), 8));
  std::copy_n(adapter->mac.begin(), row->physAddrLength, row->physAddr);
  row->adminStatus = adapter->adminUp ? platform::kIfAdminUp : platform::kIfAdminDown;
  if (!adapter->adminUp || !view.present) {
    row->operStatus = platform::kIfOperNonOperational;
  } else if (view.linkUp) {
    row->operStatus = platform::kIfOperOperational;
  } else {
    row->operStatus = view.connecting ? platform::kIfOperConnecting : platform::kIfOperDisconnected;
  }
  row->lastChange = static_cast<uint32_t>(view.lastChangeMs / 10);
  row->inOctets = static_cast<uint32_t>(view.octets.in);
  row->outOctets = static_cast<uint32_t>(view.octets.out);
  row->inUcastPkts = static_cast<uint32_t>(view.octets.in / kUnicastFrameBytes);
  row->outUcastPkts = static_cast<uint32_t>(view.octets.out / kUnicastFrameBytes);
  row->inNUcastPkts = row->inUcastPkts / kBroadcastEvery;
  row->outNUcastPkts = row->outUcastPkts / kBroadcastEvery;
  const size_t descrLength = std::min<size_t>(adapter->description.size(), 255);
  std::memcpy(row->descr, adapter->description.data(), descrLength);
  row->descrLength = static_cast<uint32_t>(descrLength + 1);
  return platform::kErrorSuccess;
}

long SimIpHelper::GetPerAdapterInfo(uint32_t ifIndex, platform::IpPerAdapterInfo* info,
                                    uint32_t* size) {
  if (size == nullptr) return platform::kErrorInvalidParameter;
  const AdapterDescription* adapter = FindAdapter(ifIndex);
  if (adapter == nullptr) return platform::kErrorInvalidParameter;
  const AdapterView view = ViewOf(*adapter, Settings(*adapter), devices_, machine_, clock_.NowMs());
  const auto& dns = view.binding.dns;
  const size_t extra = dns.size() > 1 ? dns.size() - 1 : 0;
  const auto needed = static_cast<uint32_t>(sizeof(platform::IpPerAdapterInfo) +
                                            extra * sizeof(platform::IpAddrString));
  if (info == nullptr || *size < needed) {
    *size = needed;
    return platform::kErrorBufferOverflow;
  }
  std::memset(info, 0, needed);
  info->autoconfigEnabled = adapter->autonet ? 1 : 0;
  info->autoconfigActive = view.binding.address.rfind("169.254.", 0) == 0 ? 1 : 0;
  // Further servers follow the record in the caller's buffer, linked in list order.
  auto* more = reinterpret_cast<platform::IpAddrString*>(info + 1);
  platform::IpAddrString* last = &info->dnsServerList;
  for (size_t i = 0; i < dns.size(); ++i) {
    platform::IpAddrString* entry = i == 0 ? &info->dnsServerList : &more[i - 1];
    FillAddress(*entry, dns[i], "");
    if (i > 0) last->next = entry;
    last = entry;
  }
  return platform::kErrorSuccess;
}

long SimIpHelper::GetInterfaceInfo(platform::IpInterfaceInfo* info, uint32_t* size) {
  if (size == nullptr) return platform::kErrorInvalidParameter;
  if (machine_.adapters.empty()) return platform::kErrorNoData;
  const auto needed =
      static_cast<uint32_t>(offsetof(platform::IpInterfaceInfo, adapter) +
                            machine_.adapters.size() * sizeof(platform::IpAdapterIndexMap));
  if (info == nullptr || *size < needed) {
    *size = needed;
    return platform::kErrorInsufficientBuffer;
  }
  std::memset(info, 0, needed);
  info->numAdapters = static_cast<int32_t>(machine_.adapters.size());
  for (size_t i = 0; i < machine_.adapters.size(); ++i) {
    platform::IpAdapterIndexMap& map = info->adapter[i];
    map.index = machine_.adapters[i].index;
    CopyWide(map.name, InterfaceName(machine_.adapters[i]));
  }
  return platform::kErrorSuccess;
}

long SimIpHelper::IpReleaseAddress(const platform::IpAdapterIndexMap* map) {
  if (map == nullptr) return platform::kErrorInvalidParameter;
  const AdapterDescription* adapter = FindAdapter(map->index);
  if (adapter == nullptr || !Settings(*adapter).dhcpEnabled)
    return platform::kErrorInvalidParameter;
  // Only the wireless adapter's address lives in the machine's state; the others are as
  // described.
  if (adapter != devices_.WirelessAdapter()) return platform::kErrorNotSupported;
  const uint64_t now = clock_.NowMs();
  return devices_.WirelessState()->Modify(
      [&](AdapterState& state) { ReleaseAddress(state.link, now); });
}

uint64_t SimIpHelper::AddressChanges(std::optional<uint64_t>* nextDueMs) {
  AdapterStateFile* file = devices_.WirelessState();
  if (file == nullptr) return 0;
  const uint64_t now = clock_.NowMs();
  uint64_t changes = 0;
  file->Read([&](const AdapterState& state) {
    changes = sim::AddressChanges(state.link, now);
    if (nextDueMs != nullptr) *nextDueMs = NextAddressChangeMs(state.link, now);
  });
  return changes;
}

namespace {

// One pending address-change notification: done once the machine's change count moves on from
// what it was when the caller asked.
class AddressChangeWatch : public EventSource {
 public:
  AddressChangeWatch(SimIpHelper& ipHelper, platform::Overlapped& overlapped, uint64_t baseline)
      : ipHelper_(ipHelper), overlapped_(overlapped), baseline_(baseline) {}

  bool Poll(uint64_t, std::optional<uint64_t>& dueMs) override {
    if (ipHelper_.AddressChanges(&dueMs) == baseline_) return false;
    overlapped_.internalHigh = 0;
    overlapped_.internal = 0;
    return true;
  }
  void Cancel() override { overlapped_.internal = platform::kErrorOperationAborted; }
  const platform::Overlapped* Operation() const override { return &overlapped_; }

 private:
  SimIpHelper& ipHelper_;
  platform::Overlapped& overlapped_;
  const uint64_t baseline_;
};

}  // namespace

long SimIpHelper::NotifyAddrChange(uint64_t* handle, platform::Overlapped* overlapped) {
  if (handle == nullptr && overlapped == nullptr) {
    // The blocking form: wait on an event of our own.
    platform::Overlapped own;
    own.event = events_.CreateEvent(true, false);
    events_.Start(own, std::make_shared<AddressChangeWatch>(*this, own, AddressChanges()));
    events_.WaitForSingleObject(own.event, platform::kInfinite);
    events_.CloseEvent(own.event);
    return platform::kErrorSuccess;
  }
  if (handle == nullptr || overlapped == nullptr) return platform::kErrorInvalidParameter;
  const uint64_t baseline = AddressChanges();
  if (!events_.Start(*overlapped,
                     std::make_shared<AddressChangeWatch>(*this, *overlapped, baseline))) {
    return platform::kErrorInvalidParameter;
  }
  *handle = nextRegistration_++;
  return platform::kErrorIoPending;
}

bool SimIpHelper::CancelIPChangeNotify(platform::Overlapped* overlapped) {
  return events_.Cancel(overlapped);
}

}  // namespace sim
