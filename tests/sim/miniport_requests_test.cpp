// The simulated adapter's answers to single requests: driver facts, settings, lengths, refusals,
// opening, and the state that other processes on the machine see.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <thread>

#include "sim/adapter_control.h"
#include "sim/machine.h"
#include "sim/miniport.h"
#include "sim/miniport_log.h"
#include "sim/sim_machine.h"
#include "support/machine_fixture.h"
#include "tests/sim/miniport_support.h"

namespace {

using namespace miniport_support;
using testing_support::MachineTest;

class MiniportRequestTest : public MachineTest {};

TEST_F(MiniportRequestTest, XpAdapterReportsItsHardware) {
  UseXpMachine();
  const Reply version = Query(platform::kOidGenDriverVersion, 2);
  ASSERT_TRUE(version.ok);
  EXPECT_EQ(version.returned, 2u);
  EXPECT_EQ(version.data, (std::vector<uint8_t>{0x01, 0x05}));

  const Reply address = Query(platform::kOid802_3CurrentAddress, 6);
  EXPECT_EQ(address.data, (std::vector<uint8_t>{0x00, 0x0C, 0x43, 0x28, 0x60, 0x17}));

  const Reply firmware = Query(sim::kOidVendorFirmwareVersion, 4);
  EXPECT_EQ(firmware.U32(), 0x0105u);

  // The factory region reads with its top bit until the library programs one.
  EXPECT_EQ(Query(sim::kOidVendorRegion, 4).U32(), 0x81u);
  EXPECT_EQ(Query(sim::kOidVendorRadio, 4).U32(), 1u);
  EXPECT_EQ(Query(platform::kOidGenMediaConnectStatus, 4).U32(), platform::kMediaDisconnected);
}

TEST_F(MiniportRequestTest, NetworkTypesFollowTheBands) {
  UseSingleBandXpMachine();
  const Reply single = Query(platform::kOid802_11NetworkTypesSupported, 20);
  ASSERT_TRUE(single.ok);
  EXPECT_EQ(single.returned, 12u);
  EXPECT_EQ(single.U32(0), 2u);
  EXPECT_EQ(single.U32(4), platform::kNetworkDs);
  EXPECT_EQ(single.U32(8), platform::kNetworkOfdm24);
  EXPECT_EQ(single.U32(12), 0u);

  UseXpMachine();
  const Reply dual = Query(platform::kOid802_11NetworkTypesSupported, 20);
  EXPECT_EQ(dual.returned, 16u);
  EXPECT_EQ(dual.U32(0), 3u);
  EXPECT_EQ(dual.U32(12), platform::kNetworkOfdm5);
}

TEST_F(MiniportRequestTest, RequestsTheDriverDoesNotKnowOrAllowFail) {
  UseXpMachine();
  const struct {
    uint32_t code;
    const char* what;
  } refused[] = {
      {0x0D7101FF, "unknown vendor query"},
      {0x0D0101FF, "unknown standard query"},
      {sim::kOidVendorFirmwareVersion | platform::kOidSetBit, "set of a query-only request"},
      {sim::kOidVendorWirelessModeSetting, "query of a set-only request"},
      {platform::kOid802_11BssidListScan, "query of the scan"},
  };
  for (const auto& c : refused) {
    const Reply reply = Send(c.code, std::vector<uint8_t>(8, 0xAB));
    EXPECT_FALSE(reply.ok) << c.what;
    EXPECT_EQ(reply.error, platform::kErrorNotSupported) << c.what;
    EXPECT_EQ(reply.data, std::vector<uint8_t>(8, 0xAB)) << c.what;
  }
}

TEST_F(MiniportRequestTest, ShortBuffersFailWithTheNeededSize) {
  UseSingleBandXpMachine();
  Reply query = Send(platform::kOid802_11Ssid, std::vector<uint8_t>(35, 0xCC));
  EXPECT_FALSE(query.ok);
  EXPECT_EQ(query.error, platform::kErrorInsufficientBuffer);
  EXPECT_EQ(query.returned, 36u);
  EXPECT_EQ(query.data, std::vector<uint8_t>(35, 0xCC));

  Reply set = Set(platform::kOid802_11Configuration, std::vector<uint8_t>(31, 0));
  EXPECT_FALSE(set.ok);
  EXPECT_EQ(set.error, platform::kErrorInsufficientBuffer);
  EXPECT_EQ(set.returned, 32u);

  // The network type list needs only as much as it lists.
  EXPECT_TRUE(Query(platform::kOid802_11NetworkTypesSupported, 12).ok);
  EXPECT_EQ(Query(platform::kOid802_11NetworkTypesSupported, 11).returned, 12u);
  // A longer buffer is fine and the count says what was written.
  EXPECT_EQ(Query(sim::kOidVendorFirmwareVersion, 16).returned, 4u);
}

TEST_F(MiniportRequestTest, SettingsAreKeptAndBadValuesRefused) {
  UseXpMachine();
  std::vector<uint8_t> ssid(36, 0);
  ssid[0] = 7;
  std::memcpy(ssid.data() + 4, "HomeNet", 7);
  ASSERT_TRUE(Set(platform::kOid802_11Ssid, ssid).ok);
  EXPECT_EQ(Query(platform::kOid802_11Ssid, 36).data, ssid);

  ASSERT_TRUE(Set(platform::kOid802_11InfrastructureMode, Le32(0)).ok);
  EXPECT_EQ(Query(platform::kOid802_11InfrastructureMode, 4).U32(), 0u);
  const struct {
    uint32_t oid;
    uint32_t value;
  } bad[] = {
      {platform::kOid802_11InfrastructureMode, 3},
      {platform::kOid802_11AuthenticationMode, 8},
      {platform::kOid802_11EncryptionStatus, 2},
      {platform::kOid802_11PowerMode, 3},
      {platform::kOid802_11FragmentationThreshold, 255},
      {platform::kOid802_11RtsThreshold, 2348},
      {sim::kOidVendorRegion, 0x80},
  };
  for (const auto& c : bad) {
    const Reply reply = Set(c.oid, Le32(c.value));
    EXPECT_FALSE(reply.ok) << std::hex << c.oid;
    EXPECT_EQ(reply.error, sim::kErrorInvalidData) << std::hex << c.oid;
  }
  EXPECT_EQ(Query(platform::kOid802_11InfrastructureMode, 4).U32(), 0u);

  ssid[0] = 33;
  EXPECT_FALSE(Set(platform::kOid802_11Ssid, ssid).ok);

  // The library parks the adapter on a name no network has; disassociating forgets the name.
  ASSERT_TRUE(Set(platform::kOid802_11Disassociate, {}).ok);
  EXPECT_EQ(Query(platform::kOid802_11Ssid, 36).U32(), 0u);

  std::vector<uint8_t> configuration = Query(platform::kOid802_11Configuration, 32).data;
  EXPECT_EQ(configuration[12] | configuration[13] << 8 | configuration[14] << 16, 2437000);
  const uint32_t channel14 = 2484000;
  std::memcpy(configuration.data() + 12, &channel14, 4);
  EXPECT_TRUE(Set(platform::kOid802_11Configuration, configuration).ok);
  const uint32_t between = 2440000;
  std::memcpy(configuration.data() + 12, &between, 4);
  EXPECT_FALSE(Set(platform::kOid802_11Configuration, configuration).ok);
  EXPECT_EQ(Query(platform::kOid802_11Configuration, 32).U32(12), channel14);

  ASSERT_TRUE(Set(sim::kOidVendorRegion, Le32(3)).ok);
  EXPECT_EQ(Query(sim::kOidVendorRegion, 4).U32(), 3u);
  ASSERT_TRUE(Set(sim::kOidVendorRadio, Le32(0)).ok);
  EXPECT_EQ(Query(sim::kOidVendorRadio, 4).U32(), 0u);
}

std::vector<uint8_t> WepKey(uint32_t keyIndex, const std::vector<uint8_t>& material) {
  std::vector<uint8_t> key(32 + material.size(), 0);
  const uint32_t length = static_cast<uint32_t>(key.size());
  const uint32_t keyLength = static_cast<uint32_t>(material.size());
  std::memcpy(key.data(), &length, 4);
  std::memcpy(key.data() + 4, &keyIndex, 4);
  std::memcpy(key.data() + 8, &keyLength, 4);
  std::memset(key.data() + 12, 0xFF, 6);
  std::memcpy(key.data() + 32, material.data(), material.size());
  return key;
}

std::vector<uint8_t> RemoveKey(uint32_t keyIndex) {
  std::vector<uint8_t> request(16, 0xFF);
  const uint32_t length = 16;
  std::memcpy(request.data(), &length, 4);
  std::memcpy(request.data() + 4, &keyIndex, 4);
  return request;
}

TEST_F(MiniportRequestTest, EncryptionReadsKeyAbsentUntilAKeyIsInstalled) {
  UseXpMachine();
  ASSERT_TRUE(Set(platform::kOid802_11EncryptionStatus, Le32(platform::kWepEnabled)).ok);
  EXPECT_EQ(Query(platform::kOid802_11EncryptionStatus, 4).U32(), platform::kWepKeyAbsent);

  const auto key = WepKey(0x80000002u, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
  const Reply added = Set(platform::kOid802_11AddKey, key);
  ASSERT_TRUE(added.ok);
  EXPECT_EQ(added.returned, 45u);
  EXPECT_EQ(Query(platform::kOid802_11EncryptionStatus, 4).U32(), platform::kWepEnabled);

  // Removing another slot leaves the key; removing its slot takes it away.
  ASSERT_TRUE(Set(platform::kOid802_11RemoveKey, RemoveKey(0)).ok);
  EXPECT_EQ(Query(platform::kOid802_11EncryptionStatus, 4).U32(), platform::kWepEnabled);
  ASSERT_TRUE(Set(platform::kOid802_11RemoveKey, RemoveKey(2)).ok);
  EXPECT_EQ(Query(platform::kOid802_11EncryptionStatus, 4).U32(), platform::kWepKeyAbsent);

  ASSERT_TRUE(Set(platform::kOid802_11AddKey, key).ok);
  ASSERT_TRUE(Set(platform::kOid802_11ReloadDefaults, Le32(0)).ok);
  EXPECT_EQ(Query(platform::kOid802_11EncryptionStatus, 4).U32(), platform::kWepKeyAbsent);
}

TEST_F(MiniportRequestTest, MalformedKeysAreRefused) {
  UseXpMachine();
  auto longer = WepKey(0x80000000u, {1, 2, 3, 4, 5});
  longer[0] = 60;  // says more than the buffer holds
  EXPECT_EQ(Set(platform::kOid802_11AddKey, longer).error, sim::kErrorInvalidData);
  EXPECT_EQ(Set(platform::kOid802_11AddKey, WepKey(0x80000004u, {1, 2, 3, 4, 5})).error,
            sim::kErrorInvalidData);
  EXPECT_EQ(Set(platform::kOid802_11AddKey, WepKey(0x80000000u, {1, 2, 3})).error,
            sim::kErrorInvalidData);
  EXPECT_EQ(Set(platform::kOid802_11AddKey, std::vector<uint8_t>(31, 0)).error,
            platform::kErrorInsufficientBuffer);
  auto removal = RemoveKey(1);
  removal[0] = 12;
  EXPECT_EQ(Set(platform::kOid802_11RemoveKey, removal).error, sim::kErrorInvalidData);
}

TEST_F(MiniportRequestTest, DeviceOpensByItsNameOnlyWhilePluggedIn) {
  UseXpMachine();
  EXPECT_TRUE(Send(sim::kOidVendorFirmwareVersion, std::vector<uint8_t>(4),
                   "\\\\.\\{9b1f3c5d-7e2a-4f60-8d4b-1c3e5a7f9b20}")
                  .ok);
  const Reply unknown =
      Send(sim::kOidVendorFirmwareVersion, std::vector<uint8_t>(4), "\\\\.\\{00000000}");
  EXPECT_FALSE(unknown.opened);
  EXPECT_EQ(unknown.error, platform::kErrorFileNotFound);
  EXPECT_FALSE(Send(sim::kOidVendorFirmwareVersion, std::vector<uint8_t>(4), "\\\\.\\").opened);

  // A handle opened before the adapter is pulled fails its requests afterwards.
  auto& devices = platform::Current().Devices();
  platform::DeviceHandle handle = 0;
  ASSERT_EQ(devices.OpenDevice(kXpWirelessDevice, handle), 0);
  auto control = sim::CurrentAdapterControl();
  ASSERT_FALSE(control.SetPresent(false).has_value());
  EXPECT_FALSE(Query(sim::kOidVendorFirmwareVersion, 4).opened);
  uint32_t oid = sim::kOidVendorFirmwareVersion;
  uint32_t value = 0;
  uint32_t returned = 7;
  EXPECT_FALSE(devices.DeviceIoControl(handle, platform::kIoctlNdisQueryGlobalStats, &oid, 4,
                                       &value, 4, &returned));
  EXPECT_EQ(platform::GetLastError(), sim::kErrorDeviceNotConnected);
  EXPECT_EQ(returned, 0u);
  devices.CloseHandle(handle);

  ASSERT_FALSE(control.SetPresent(true).has_value());
  EXPECT_TRUE(Query(sim::kOidVendorFirmwareVersion, 4).ok);
}

TEST_F(MiniportRequestTest, OtherIoctlsAndClosedHandlesFail) {
  UseXpMachine();
  auto& devices = platform::Current().Devices();
  platform::DeviceHandle handle = 0;
  ASSERT_EQ(devices.OpenDevice(kXpWirelessDevice, handle), 0);
  uint32_t oid = sim::kOidVendorFirmwareVersion;
  uint32_t value = 0;
  uint32_t returned = 0;
  EXPECT_FALSE(devices.DeviceIoControl(handle, 0x00170006, &oid, 4, &value, 4, &returned));
  EXPECT_EQ(platform::GetLastError(), sim::kErrorInvalidFunction);
  EXPECT_FALSE(devices.DeviceIoControl(handle, platform::kIoctlNdisQueryGlobalStats, &oid, 2,
                                       &value, 4, &returned));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorInvalidParameter);
  devices.CloseHandle(handle);
  EXPECT_FALSE(devices.DeviceIoControl(handle, platform::kIoctlNdisQueryGlobalStats, &oid, 4,
                                       &value, 4, &returned));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorInvalidHandle);
}

TEST_F(MiniportRequestTest, WiredAdapterAnswersOnlyGeneralRequests) {
  UseXpMachine();
  const std::string wired = "\\\\.\\{6E3D1A2B-0F4C-4B6E-9C1D-2A7B8C9D0E1F}";
  const Reply address = Send(platform::kOid802_3CurrentAddress, std::vector<uint8_t>(6), wired);
  ASSERT_TRUE(address.ok);
  EXPECT_EQ(address.data, (std::vector<uint8_t>{0x00, 0x0C, 0xF1, 0x5A, 0x3B, 0x7C}));
  EXPECT_EQ(Send(platform::kOidGenMediaConnectStatus, std::vector<uint8_t>(4), wired).data,
            Le32(platform::kMediaConnected));
  EXPECT_EQ(Send(platform::kOid802_11BssidListScan | platform::kOidSetBit, {}, wired).error,
            platform::kErrorNotSupported);
  EXPECT_EQ(Send(sim::kOidVendorFirmwareVersion, std::vector<uint8_t>(4), wired).error,
            platform::kErrorNotSupported);
}

TEST_F(MiniportRequestTest, LogKeepsEveryRequestWithItsBytes) {
  UseXpMachine();
  auto& log = sim::CurrentMiniportLog();
  log.Clear();
  Set(sim::kOidVendorWirelessModeSetting, Le32(9));
  Query(sim::kOidVendorFirmwareVersion, 4);
  Query(platform::kOid802_11Ssid, 10);
  const auto requests = log.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_TRUE(requests[0].set);
  EXPECT_EQ(requests[0].oid, sim::kOidVendorWirelessModeSetting);
  EXPECT_EQ(requests[0].in, Le32(9));
  EXPECT_TRUE(requests[0].succeeded);
  EXPECT_FALSE(requests[1].set);
  EXPECT_EQ(requests[1].out, Le32(0x0105));
  EXPECT_EQ(requests[2].length, 10u);
  EXPECT_FALSE(requests[2].succeeded);
  EXPECT_EQ(requests[2].error, platform::kErrorInsufficientBuffer);
  EXPECT_EQ(requests[2].returned, 36u);
  log.Clear();
  EXPECT_TRUE(log.Requests().empty());
}

TEST_F(MiniportRequestTest, ChangesAreSeenByAnotherProcessOnTheMachine) {
  const auto dir = UseXpMachine();
  // A second machine object on the same directory has its own cache and handles, as another
  // process would.
  sim::SimMachine other(
      dir,
      std::get<sim::MachineDescription>(sim::ParseMachineDescription(sim::PresetDescription("xp"))),
      true);
  ASSERT_TRUE(Set(sim::kOidVendorRegion, Le32(2)).ok);
  platform::DeviceHandle handle = 0;
  ASSERT_EQ(other.Devices().OpenDevice(kXpWirelessDevice, handle), 0);
  uint32_t oid = sim::kOidVendorRegion;
  uint32_t region = 0;
  uint32_t returned = 0;
  ASSERT_TRUE(other.Devices().DeviceIoControl(handle, platform::kIoctlNdisQueryGlobalStats, &oid, 4,
                                              &region, 4, &returned));
  EXPECT_EQ(region, 2u);
  other.Devices().CloseHandle(handle);

  ASSERT_FALSE(sim::AdapterControl(other).SetPresent(false).has_value());
  EXPECT_FALSE(Query(sim::kOidVendorRegion, 4).opened);
}

TEST_F(MiniportRequestTest, ThreadsChangingDifferentSettingsLoseNothing) {
  UseXpMachine();
  sim::CurrentMiniportLog().Clear();
  constexpr int kRounds = 40;
  auto work = [](uint32_t oid, uint32_t base) {
    for (int i = 0; i < kRounds; ++i) {
      Set(oid, Le32(base + static_cast<uint32_t>(i)));
      Query(oid, 4);
    }
  };
  std::thread rts(work, platform::kOid802_11RtsThreshold, 1000);
  std::thread fragmentation(work, platform::kOid802_11FragmentationThreshold, 1500);
  rts.join();
  fragmentation.join();
  EXPECT_EQ(Query(platform::kOid802_11RtsThreshold, 4).U32(), 1000u + kRounds - 1);
  EXPECT_EQ(Query(platform::kOid802_11FragmentationThreshold, 4).U32(), 1500u + kRounds - 1);
  const auto requests = sim::CurrentMiniportLog().Requests();
  EXPECT_EQ(requests.size(), 4u * kRounds + 2);
  EXPECT_TRUE(std::all_of(requests.begin(), requests.end(),
                          [](const sim::MiniportRequest& r) { return r.succeeded; }));
}

// A program polling the adapter for days must not keep every request it made.
TEST_F(MiniportRequestTest, TheRequestLogKeepsOnlyTheMostRecentRequests) {
  UseXpMachine();
  sim::CurrentMiniportLog().Clear();
  constexpr uint32_t kBeyond = 5;
  for (uint32_t i = 0; i < sim::MiniportLog::kKept + kBeyond; ++i) {
    Set(platform::kOid802_11RtsThreshold, Le32(1000 + i));
  }
  const auto requests = sim::CurrentMiniportLog().Requests();
  ASSERT_EQ(requests.size(), sim::MiniportLog::kKept);
  EXPECT_EQ(requests.front().in, Le32(1000 + kBeyond));
  EXPECT_EQ(requests.back().in, Le32(1000 + sim::MiniportLog::kKept + kBeyond - 1));
}

TEST_F(MiniportRequestTest, StateFileIsPrivateAndWrittenOnlyOnChange) {
  const auto dir = UseXpMachine();
  const auto file = dir / "adapter_state.json";
  ASSERT_TRUE(Set(sim::kOidVendorWirelessModeSetting, Le32(9)).ok);
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  EXPECT_EQ(before.st_mode & 0777, 0600u);
  ASSERT_TRUE(Set(sim::kOidVendorWirelessModeSetting, Le32(9)).ok);
  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(MiniportRequestTest, UnreadableStateFailsRequestsAndIsLeftAlone) {
  const auto dir = UseXpMachine();
  const auto file = dir / "adapter_state.json";
  {
    std::FILE* out = std::fopen(file.c_str(), "w");
    ASSERT_NE(out, nullptr);
    std::fputs("{\"present\": tru", out);
    std::fclose(out);
  }
  EXPECT_FALSE(Query(sim::kOidVendorFirmwareVersion, 4).opened);
  const Reply set = Set(sim::kOidVendorRadio, Le32(0));
  EXPECT_FALSE(set.opened);
  EXPECT_EQ(std::filesystem::file_size(file), 15u);
  ASSERT_FALSE(sim::CurrentAdapterControl().Reset().has_value());
  EXPECT_TRUE(Query(sim::kOidVendorFirmwareVersion, 4).ok);
}

}  // namespace
