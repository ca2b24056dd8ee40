// IP Helper on the simulated machine: the DHCP lease and its private-address fallback in machine
// time, the release, the address-change notification with its overlapped result, the interface
// entry with its counters, per-adapter DNS servers, the interface list, and fixed settings in
// the registry taking the place of the lease.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/services.h"
#include "sim/sim_machine.h"
#include "support/machine_fixture.h"
#include "tests/sim/link_support.h"

namespace {

using namespace link_support;
using testing_support::MachineTest;

constexpr uint32_t kWirelessIndex = 3;
constexpr uint32_t kWiredIndex = 2;

platform::IpHelperPort& IpHelper() {
  return platform::Current().IpHelper();
}
platform::EventsPort& Events() {
  return platform::Current().Events();
}

struct Address {
  std::string ip, mask, gateway, dhcpServer;
  int64_t leaseObtained = 0, leaseExpires = 0;
  uint32_t dhcpEnabled = 0;
};

Address AdapterAddress(uint32_t index) {
  uint32_t size = 0;
  EXPECT_EQ(IpHelper().GetAdaptersInfo(nullptr, &size), platform::kErrorBufferOverflow);
  auto list = std::make_unique<platform::IpAdapterInfo[]>(size / sizeof(platform::IpAdapterInfo));
  EXPECT_EQ(IpHelper().GetAdaptersInfo(list.get(), &size), 0);
  for (auto* info = list.get(); info != nullptr; info = info->next) {
    if (info->index != index) continue;
    return {info->ipAddressList.ipAddress,
            info->ipAddressList.ipMask,
            info->gatewayList.ipAddress,
            info->dhcpServer.ipAddress,
            info->leaseObtained,
            info->leaseExpires,
            info->dhcpEnabled};
  }
  ADD_FAILURE() << "adapter " << index << " not listed";
  return {};
}

Address WirelessAddress() {
  return AdapterAddress(kWirelessIndex);
}

std::vector<std::string> DnsServers(uint32_t index = kWirelessIndex) {
  uint32_t size = 0;
  EXPECT_EQ(IpHelper().GetPerAdapterInfo(index, nullptr, &size), platform::kErrorBufferOverflow);
  std::vector<uint8_t> buffer(size);
  auto* info = reinterpret_cast<platform::IpPerAdapterInfo*>(buffer.data());
  EXPECT_EQ(IpHelper().GetPerAdapterInfo(index, info, &size), 0);
  std::vector<std::string> servers;
  for (const platform::IpAddrString* s = &info->dnsServerList; s != nullptr; s = s->next) {
    if (s->ipAddress[0] != '\0') servers.push_back(s->ipAddress);
  }
  return servers;
}

// Writes one of the wireless interface's TCP/IP values as WMI would.
void SetTcpipValue(const char* name, uint32_t type, const std::string& data) {
  platform::RegKey key;
  auto& registry = platform::Current().Registry();
  ASSERT_EQ(registry.OpenKey(platform::kHkeyLocalMachine,
                             "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\"
                             "{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}",
                             platform::kKeyAllAccess, key),
            0);
  ASSERT_EQ(registry.SetValue(key, name, type, reinterpret_cast<const uint8_t*>(data.data()),
                              static_cast<uint32_t>(data.size())),
            0);
}
void SetDhcp(bool on) {
  SetTcpipValue("EnableDHCP", platform::kRegDword,
                std::string(1, on ? '\x01' : '\0') + std::string(3, '\0'));
}
void SetMultiText(const char* name, const std::string& first) {
  SetTcpipValue(name, platform::kRegMultiSz, first + std::string(2, '\0'));
}

platform::MibIfRow IfRow(uint32_t index = kWirelessIndex) {
  platform::MibIfRow row{};
  row.index = index;
  EXPECT_EQ(IpHelper().GetIfEntry(&row), 0);
  return row;
}

// One armed address-change notification.
struct Notification {
  Notification() {
    overlapped.event = Events().CreateEvent(true, false);
    result = IpHelper().NotifyAddrChange(&handle, &overlapped);
  }
  ~Notification() { Events().CloseEvent(overlapped.event); }
  uint32_t Wait(uint32_t ms) { return Events().WaitForSingleObject(overlapped.event, ms); }

  platform::Overlapped overlapped;
  uint64_t handle = 0;
  long result = 0;
};

class IpHelperTest : public MachineTest {};

TEST_F(IpHelperTest, LeaseArrivesAfterTheServersDelayAndIsShownWithItsTimes) {
  UseXpMachine();
  EXPECT_EQ(WirelessAddress().ip, "0.0.0.0");
  Associate(Join("CoffeeShop"));
  Wait(kAssociationMs + 1499);
  EXPECT_EQ(WirelessAddress().ip, "0.0.0.0");
  Wait(1);
  const Address lease = WirelessAddress();
  EXPECT_EQ(lease.ip, "10.20.0.57");
  EXPECT_EQ(lease.mask, "255.255.252.0");
  EXPECT_EQ(lease.gateway, "10.20.0.1");
  EXPECT_EQ(lease.dhcpServer, "10.20.0.1");
  EXPECT_EQ(lease.leaseExpires - lease.leaseObtained, 86400);
  // Obtained on the machine's calendar (virtual time starts on 2026-01-01).
  EXPECT_GE(lease.leaseObtained, 1'767'225'600);

  // A lost link takes the address with it.
  ASSERT_TRUE(Set(platform::kOid802_11Disassociate, {}).ok);
  EXPECT_EQ(WirelessAddress().ip, "0.0.0.0");
}

TEST_F(IpHelperTest, WithoutAnAnswerTheClientFallsBackToAPrivateAddress) {
  UseXpMachine();
  const struct {
    const char* what;
    Join join;
  } cases[] = {
      {"no DHCP server", Join("Printers")},
      {"open system with a wrong WEP key", Join("OldRouter").Wep({1, 2, 3, 4, 5})},
      {"an IBSS of its own", Join("Alone").Ibss()},
  };
  for (const auto& c : cases) {
    Associate(c.join);
    Wait(kAssociationMs + 59'999);
    EXPECT_EQ(WirelessAddress().ip, "0.0.0.0") << c.what;
    Wait(1);
    const Address fallback = WirelessAddress();
    // The last two bytes of 00-0C-43-28-60-17 give the host part.
    EXPECT_EQ(fallback.ip, "169.254.97.23") << c.what;
    EXPECT_EQ(fallback.mask, "255.255.0.0") << c.what;
    EXPECT_EQ(fallback.dhcpServer, "255.255.255.255") << c.what;
    ASSERT_TRUE(Set(platform::kOid802_11Disassociate, {}).ok);
  }
  // The right key gets the lease.
  Associate(Join("OldRouter").Wep(kOldRouterKey));
  Wait(kAssociationMs + 3000);
  EXPECT_EQ(WirelessAddress().ip, "192.168.0.102");
}

TEST_F(IpHelperTest, AutonetCanBeSwitchedOffOrSlowed) {
  auto description = testing_support::XpDescription();
  WirelessAdapter(description)["autonet"] = false;
  UseMachine(description);
  Associate(Join("Printers"));
  Wait(3'600'000);
  EXPECT_EQ(WirelessAddress().ip, "0.0.0.0");

  WirelessAdapter(description)["autonet"] = true;
  WirelessAdapter(description)["autonetDelayMs"] = 150'000;
  UseMachine(description);
  Associate(Join("Printers"));
  Wait(kAssociationMs + 149'999);
  EXPECT_EQ(WirelessAddress().ip, "0.0.0.0");
  Wait(1);
  EXPECT_EQ(WirelessAddress().ip, "169.254.97.23");
}

TEST_F(IpHelperTest, NotificationWaitsInMachineTimeUntilTheLease) {
  UseXpMachine();
  Associate(Join("CoffeeShop"));
  const uint64_t start = Now();
  Notification change;
  ASSERT_EQ(change.result, platform::kErrorIoPending);
  EXPECT_NE(change.handle, 0u);
  uint32_t transferred = 7;
  EXPECT_FALSE(Events().GetOverlappedResult(&change.overlapped, &transferred, false));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorIoIncomplete);
  // The wait ends the moment the lease arrives, not at its time-out.
  EXPECT_EQ(change.Wait(120'000), platform::kWaitObject0);
  EXPECT_EQ(Now() - start, kAssociationMs + 1500);
  EXPECT_TRUE(Events().GetOverlappedResult(&change.overlapped, &transferred, true));
  EXPECT_EQ(transferred, 0u);
  EXPECT_EQ(WirelessAddress().ip, "10.20.0.57");

  // Once there, the lease is no change: the next notification times out after its full wait.
  Notification none;
  const uint64_t before = Now();
  EXPECT_EQ(none.Wait(120'000), platform::kWaitTimeout);
  EXPECT_EQ(Now() - before, 120'000u);
  // ... and a release completes it.
  platform::IpAdapterIndexMap map{};
  map.index = kWirelessIndex;
  EXPECT_EQ(IpHelper().IpReleaseAddress(&map), 0);
  EXPECT_EQ(none.Wait(0), platform::kWaitObject0);
  EXPECT_EQ(WirelessAddress().ip, "0.0.0.0");
}

TEST_F(IpHelperTest, AFailedAuthenticationNeverChangesTheAddress) {
  UseXpMachine();
  Associate(Join("Workshop").Shared().Wep(kOldRouterKey));
  Notification change;
  const uint64_t start = Now();
  EXPECT_EQ(change.Wait(120'000), platform::kWaitTimeout);
  EXPECT_EQ(Now() - start, 120'000u);
  EXPECT_EQ(WirelessAddress().ip, "0.0.0.0");
  EXPECT_TRUE(IpHelper().CancelIPChangeNotify(&change.overlapped));
  EXPECT_FALSE(Events().GetOverlappedResult(&change.overlapped, nullptr, true));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorOperationAborted);
  EXPECT_FALSE(IpHelper().CancelIPChangeNotify(&change.overlapped));
}

TEST_F(IpHelperTest, ChangesMadeByAnotherProcessCompleteTheNotification) {
  const auto dir = UseXpMachine();
  Associate(Join("CoffeeShop"));
  Wait(kAssociationMs + 1500);
  Notification change;
  // Another process pulls the network away: the link and its address are gone.
  auto parsed = sim::ParseMachineDescription(testing_support::XpDescription().dump());
  sim::SimMachine other(dir, std::get<sim::MachineDescription>(parsed), true);
  ASSERT_FALSE(sim::AdapterControl(other).RemoveNetwork(Bssid(kCoffeeShop)).has_value());
  EXPECT_EQ(change.Wait(10'000), platform::kWaitObject0);
  EXPECT_EQ(WirelessAddress().ip, "0.0.0.0");
}

TEST_F(IpHelperTest, NotificationArgumentsAndTheBlockingForm) {
  UseXpMachine();
  uint64_t handle = 0;
  platform::Overlapped noEvent;
  EXPECT_EQ(IpHelper().NotifyAddrChange(&handle, nullptr), platform::kErrorInvalidParameter);
  EXPECT_EQ(IpHelper().NotifyAddrChange(&handle, &noEvent), platform::kErrorInvalidParameter);
  // The blocking form returns when the lease comes.
  Associate(Join("CoffeeShop"));
  const uint64_t start = Now();
  EXPECT_EQ(IpHelper().NotifyAddrChange(nullptr, nullptr), 0);
  EXPECT_EQ(Now() - start, kAssociationMs + 1500);
}

TEST_F(IpHelperTest, InterfaceEntryCountsTrafficOnTheMachineClock) {
  UseXpMachine();
  platform::MibIfRow row = IfRow();
  EXPECT_EQ(std::u16string(row.name), u"\\DEVICE\\TCPIP_{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}");
  EXPECT_EQ(row.physAddrLength, 6u);
  EXPECT_EQ(row.physAddr[5], 0x17);
  EXPECT_EQ(row.adminStatus, platform::kIfAdminUp);
  EXPECT_EQ(row.operStatus, platform::kIfOperDisconnected);
  EXPECT_EQ(row.inOctets, 0u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(row.descr), row.descrLength - 1),
            "Vantrel 802.11n Wireless PCI Adapter - Packet Scheduler Miniport");

  Associate(Join("CoffeeShop"));
  EXPECT_EQ(IfRow().operStatus, platform::kIfOperConnecting);
  Wait(kAssociationMs);
  Wait(10'000);
  row = IfRow();
  EXPECT_EQ(row.operStatus, platform::kIfOperOperational);
  EXPECT_EQ(row.speed, 54'000'000u);
  // Ten seconds of the default traffic: 2000 bytes a second in, 600 out.
  EXPECT_EQ(row.inOctets, 20'000u);
  EXPECT_EQ(row.outOctets, 6'000u);
  EXPECT_EQ(row.inUcastPkts, 20'000u / 512);

  // The counts survive the link: a wrong key adds only the unanswered DHCP requests.
  ASSERT_TRUE(Set(platform::kOid802_11Disassociate, {}).ok);
  Associate(Join("OldRouter").Wep({1, 2, 3, 4, 5}));
  Wait(kAssociationMs + 10'000);
  row = IfRow();
  EXPECT_EQ(row.inOctets, 20'000u);
  EXPECT_EQ(row.outOctets, 6'000u + 860u);

  // The wired adapter is up with its cable in; an unknown index is refused.
  EXPECT_EQ(IfRow(kWiredIndex).operStatus, platform::kIfOperOperational);
  platform::MibIfRow unknown{};
  unknown.index = 99;
  EXPECT_EQ(IpHelper().GetIfEntry(&unknown), 13);
}

TEST_F(IpHelperTest, OctetCountersWrapAt32Bits) {
  auto description = testing_support::XpDescription();
  for (auto& network : description["neighbourhood"]) {
    if (network.value("ssid", "") == "CoffeeShop") {
      network["traffic"] = {{"receiveBytesPerSecond", 100'000'000}, {"sendBytesPerSecond", 0}};
    }
  }
  UseMachine(description);
  Associate(Join("CoffeeShop"));
  Wait(kAssociationMs + 50'000);  // 5e9 bytes in: past 2^32
  EXPECT_EQ(IfRow().inOctets, static_cast<uint32_t>(5'000'000'000ull));
}

TEST_F(IpHelperTest, VaryingTrafficSwingsAroundItsMeanAndChangesOnALiveLink) {
  auto description = testing_support::XpDescription();
  for (auto& network : description["neighbourhood"]) {
    if (network.value("ssid", "") == "CoffeeShop") {
      network["traffic"] = {
          {"receiveBytesPerSecond", 10'000}, {"sendBytesPerSecond", 1'000}, {"variation", 80}};
    }
  }
  UseMachine(description);
  Associate(Join("CoffeeShop"));
  Wait(kAssociationMs);
  // Each second's bytes stay within the swing, move from second to second, never go back, and
  // over ten minutes come to the mean.
  platform::MibIfRow last = IfRow();
  const uint32_t first = last.inOctets;
  uint32_t lowest = UINT32_MAX;
  uint32_t highest = 0;
  for (int second = 0; second < 600; ++second) {
    Wait(1000);
    const platform::MibIfRow row = IfRow();
    const uint32_t in = row.inOctets - last.inOctets;
    ASSERT_LE(in, 18'001u);
    ASSERT_GE(row.outOctets, last.outOctets);
    lowest = std::min(lowest, in);
    highest = std::max(highest, in);
    last = row;
  }
  EXPECT_LT(lowest, 5'000u);
  EXPECT_GT(highest, 15'000u);
  EXPECT_NEAR(static_cast<double>(last.inOctets - first), 6'000'000, 60'000);

  // A busier network from now on; what the link carried so far stays counted.
  ASSERT_FALSE(sim::CurrentAdapterControl()
                   .SetTraffic(Bssid(kCoffeeShop), {500'000, 20'000, 0})
                   .has_value());
  const platform::MibIfRow before = IfRow();
  EXPECT_EQ(before.inOctets, last.inOctets);
  Wait(2000);
  const platform::MibIfRow after = IfRow();
  EXPECT_EQ(after.inOctets - before.inOctets, 1'000'000u);
  EXPECT_EQ(after.outOctets - before.outOctets, 40'000u);
  EXPECT_EQ(sim::CurrentAdapterControl().SetTraffic(Bssid(kCoffeeShop), {1, 1, 101}),
            "the variation is a percentage of 0 to 100");
}

TEST_F(IpHelperTest, AdministrativeStateComesFromTheDescription) {
  auto description = testing_support::XpDescription();
  WirelessAdapter(description)["adminStatus"] = "down";
  UseMachine(description);
  const platform::MibIfRow row = IfRow();
  EXPECT_EQ(row.adminStatus, platform::kIfAdminDown);
  EXPECT_EQ(row.operStatus, platform::kIfOperNonOperational);
}

TEST_F(IpHelperTest, PerAdapterInfoAsksForRoomForEveryDnsServer) {
  UseXpMachine();
  Associate(Join("Workshop").Shared().Wep(kWorkshopKey));
  Wait(kAssociationMs + 2500);
  uint32_t size = sizeof(platform::IpPerAdapterInfo);
  std::vector<uint8_t> buffer(size);
  auto* info = reinterpret_cast<platform::IpPerAdapterInfo*>(buffer.data());
  ASSERT_EQ(IpHelper().GetPerAdapterInfo(kWirelessIndex, info, &size),
            platform::kErrorBufferOverflow);
  EXPECT_EQ(size, sizeof(platform::IpPerAdapterInfo) + 6 * sizeof(platform::IpAddrString));
  buffer.assign(size, 0);
  info = reinterpret_cast<platform::IpPerAdapterInfo*>(buffer.data());
  ASSERT_EQ(IpHelper().GetPerAdapterInfo(kWirelessIndex, info, &size), 0);
  std::vector<std::string> servers;
  for (const platform::IpAddrString* s = &info->dnsServerList; s != nullptr; s = s->next) {
    servers.push_back(s->ipAddress);
    // Every entry lies inside the caller's buffer.
    EXPECT_GE(reinterpret_cast<const uint8_t*>(s), buffer.data());
    EXPECT_LT(reinterpret_cast<const uint8_t*>(s), buffer.data() + buffer.size());
  }
  EXPECT_EQ(servers,
            (std::vector<std::string>{"172.16.4.1", "172.16.4.2", "172.16.4.3", "172.16.4.4",
                                      "172.16.4.5", "172.16.4.6", "172.16.4.7"}));
  EXPECT_EQ(info->autoconfigEnabled, 1u);
  EXPECT_EQ(info->autoconfigActive, 0u);

  // A private address has no DNS server: the record alone fits.
  ASSERT_TRUE(Set(platform::kOid802_11Disassociate, {}).ok);
  Associate(Join("Printers"));
  Wait(kAssociationMs + 60'000);
  size = sizeof(platform::IpPerAdapterInfo);
  platform::IpPerAdapterInfo single{};
  ASSERT_EQ(IpHelper().GetPerAdapterInfo(kWirelessIndex, &single, &size), 0);
  EXPECT_EQ(single.autoconfigActive, 1u);
  EXPECT_STREQ(single.dnsServerList.ipAddress, "");
  EXPECT_EQ(single.dnsServerList.next, nullptr);
  EXPECT_EQ(IpHelper().GetPerAdapterInfo(42, &single, &size), platform::kErrorInvalidParameter);
  EXPECT_EQ(IpHelper().GetPerAdapterInfo(kWirelessIndex, &single, nullptr),
            platform::kErrorInvalidParameter);
}

TEST_F(IpHelperTest, InterfaceListAndRelease) {
  UseXpMachine();
  uint32_t size = 0;
  ASSERT_EQ(IpHelper().GetInterfaceInfo(nullptr, &size), platform::kErrorInsufficientBuffer);
  EXPECT_EQ(size, 4u + 2 * sizeof(platform::IpAdapterIndexMap));
  std::vector<uint8_t> buffer(size);
  auto* list = reinterpret_cast<platform::IpInterfaceInfo*>(buffer.data());
  uint32_t tooSmall = size - 1;
  EXPECT_EQ(IpHelper().GetInterfaceInfo(list, &tooSmall), platform::kErrorInsufficientBuffer);
  ASSERT_EQ(IpHelper().GetInterfaceInfo(list, &size), 0);
  ASSERT_EQ(list->numAdapters, 2);
  EXPECT_EQ(list->adapter[0].index, kWiredIndex);
  EXPECT_EQ(list->adapter[1].index, kWirelessIndex);
  EXPECT_EQ(std::u16string(list->adapter[1].name),
            u"\\DEVICE\\TCPIP_{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}");

  Associate(Join("CoffeeShop"));
  // Released before the lease arrives: the lease still comes, as the client goes on asking.
  EXPECT_EQ(IpHelper().IpReleaseAddress(&list->adapter[1]), 0);
  Wait(kAssociationMs + 1500);
  EXPECT_EQ(WirelessAddress().ip, "10.20.0.57");
  EXPECT_EQ(IpHelper().IpReleaseAddress(&list->adapter[1]), 0);
  EXPECT_EQ(WirelessAddress().ip, "0.0.0.0");
  // The wired adapter's address is the description's; unknown indexes are refused.
  EXPECT_EQ(IpHelper().IpReleaseAddress(&list->adapter[0]), platform::kErrorNotSupported);
  platform::IpAdapterIndexMap unknown{};
  unknown.index = 77;
  EXPECT_EQ(IpHelper().IpReleaseAddress(&unknown), platform::kErrorInvalidParameter);
}

TEST_F(IpHelperTest, FixedSettingsTakeThePlaceOfTheLeaseWhileTheLinkIsUp) {
  UseXpMachine();
  const Address wiredBefore = AdapterAddress(kWiredIndex);
  SetDhcp(false);
  SetMultiText("IPAddress", "192.168.1.50");
  SetMultiText("SubnetMask", "255.255.255.0");
  SetMultiText("DefaultGateway", "192.168.1.1");
  SetTcpipValue("NameServer", platform::kRegSz, std::string("8.8.8.8,1.1.1.1 9.9.9.9") + '\0');

  // Without a link a fixed address is not bound.
  Address fixed = WirelessAddress();
  EXPECT_EQ(fixed.ip, "0.0.0.0");
  EXPECT_EQ(fixed.dhcpEnabled, 0u);
  EXPECT_TRUE(DnsServers().empty());

  Associate(Join("CoffeeShop"));
  Wait(kAssociationMs + 1500);  // long enough for the network's lease
  fixed = WirelessAddress();
  EXPECT_EQ(fixed.ip, "192.168.1.50");
  EXPECT_EQ(fixed.mask, "255.255.255.0");
  EXPECT_EQ(fixed.gateway, "192.168.1.1");
  EXPECT_EQ(fixed.dhcpServer, "");
  EXPECT_EQ(fixed.leaseObtained, 0);
  EXPECT_EQ(DnsServers(), (std::vector<std::string>{"8.8.8.8", "1.1.1.1", "9.9.9.9"}));
  EXPECT_EQ(IfRow().operStatus, platform::kIfOperOperational);
  // There is no lease to release.
  platform::IpAdapterIndexMap map{};
  map.index = kWirelessIndex;
  EXPECT_EQ(IpHelper().IpReleaseAddress(&map), platform::kErrorInvalidParameter);
  // The wired adapter keeps its own settings.
  EXPECT_EQ(AdapterAddress(kWiredIndex).ip, wiredBefore.ip);

  // Back on DHCP the lease shows, and fixed DNS servers still take the place of the lease's.
  SetDhcp(true);
  const Address lease = WirelessAddress();
  EXPECT_EQ(lease.ip, "10.20.0.57");
  EXPECT_EQ(lease.gateway, "10.20.0.1");
  EXPECT_EQ(lease.dhcpServer, "10.20.0.1");
  EXPECT_EQ(lease.dhcpEnabled, 1u);
  EXPECT_EQ(DnsServers().front(), "8.8.8.8");
  SetTcpipValue("NameServer", platform::kRegSz, std::string(1, '\0'));
  EXPECT_EQ(DnsServers(), (std::vector<std::string>{"10.20.0.1", "10.20.0.2"}));
}

}  // namespace
