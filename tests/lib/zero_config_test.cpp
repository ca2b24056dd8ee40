// Handing the adapter to Windows' zero-configuration service and taking it back, through the
// exports, on a simulated XP machine whose service starts in 1.5 s and stops in 1 s.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/services.h"
#include "sim/sim_machine.h"
#include "support/machine_fixture.h"
#include "vtrlib.h"

namespace {

using testing_support::MachineTest;

constexpr const char* kFlagsKey =
    "Software\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\{9B1F3C5D-7E2A-4F60-8D4B-1C3E5A7F9B20}";

class ZeroConfigTest : public MachineTest {
 protected:
  void SetUp() override {
    UseXpMachine();
    ASSERT_EQ(VTR_Initialize(0), 3);
  }
  void TearDown() override { VTR_UnInitialize(); }

  sim::SimMachine& Machine() { return static_cast<sim::SimMachine&>(platform::Current()); }
  uint64_t Now() { return platform::Current().Clock().NowMs(); }

  uint32_t ServiceState() {
    sim::ServiceRecord record;
    EXPECT_TRUE(Machine().serviceControl().Read("WZCSVC", record));
    return record.state;
  }
  void SetFault(sim::ServiceFault fault) {
    ASSERT_EQ(Machine().serviceControl().Change(
                  "WZCSVC", [&](sim::ServiceRecord& record) { record.fault = fault; }),
              0);
  }
  uint32_t Flags() {
    uint32_t flags = 0xDEAD;
    EXPECT_TRUE(
        VTR_GetRegistryDWORD(kFlagsKey, "ControlFlags", &flags, 0, VTR_HKEY_LOCAL_MACHINE, 0));
    return flags;
  }
  void SetFlags(uint32_t flags) {
    ASSERT_TRUE(VTR_SetRegistryDWORD(kFlagsKey, "ControlFlags", flags, VTR_HKEY_LOCAL_MACHINE, 0));
  }
};

TEST_F(ZeroConfigTest, ServiceStartsAndStopsWithinItsTimeAndOnlyWhenNeeded) {
  EXPECT_TRUE(VTR_IsZeroConfigServiceON());
  EXPECT_FALSE(VTR_EnableZeroConfigService(1));  // already running: nothing done
  EXPECT_EQ(ServiceState(), 4u);

  uint64_t start = Now();
  EXPECT_TRUE(VTR_EnableZeroConfigService(0));
  // Stopped after 1000 ms; the 200 ms polls see it at the first look after that.
  EXPECT_EQ(Now() - start, 1000u);
  EXPECT_EQ(ServiceState(), 1u);
  EXPECT_FALSE(VTR_IsZeroConfigServiceON());
  EXPECT_FALSE(VTR_EnableZeroConfigService(2));  // any mode but 1 stops

  start = Now();
  EXPECT_TRUE(VTR_EnableZeroConfigService(1));
  EXPECT_EQ(Now() - start, 1600u);
  EXPECT_TRUE(VTR_IsZeroConfigServiceON());

  // Query, start and stop rights (52), and every handle closed again.
  const auto calls = Machine().serviceControl().Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "OpenService WZCSVC 0x34"), calls.end());
  EXPECT_EQ(Machine().serviceControl().OpenHandles(), 0u);
}

TEST_F(ZeroConfigTest, AServiceThatNeverGetsThereCostsTheWholeBudget) {
  SetFault(sim::ServiceFault::kHang);
  uint64_t start = Now();
  EXPECT_TRUE(VTR_EnableZeroConfigService(0));
  EXPECT_GE(Now() - start, 30000u);
  EXPECT_LT(Now() - start, 30200u);
  EXPECT_EQ(ServiceState(), 3u);
  EXPECT_FALSE(VTR_IsZeroConfigServiceON());

  // The hand-over spends one budget across stopping and starting: the flags are still written.
  start = Now();
  EXPECT_TRUE(VTR_EnableZeroConfig(0));
  EXPECT_GE(Now() - start, 30000u);
  EXPECT_LT(Now() - start, 30200u);
  EXPECT_EQ(Flags(), 0x2000u);
}

TEST_F(ZeroConfigTest, HandOverSetsBit15AndRestartsTheServiceTakingBackLeavesItStopped) {
  EXPECT_EQ(Flags(), 0xA000u);  // a new machine leaves the adapter to Windows
  EXPECT_TRUE(VTR_IsZeroConfigON());

  uint64_t start = Now();
  EXPECT_TRUE(VTR_EnableZeroConfig(0));
  EXPECT_EQ(Flags(), 0x2000u);
  EXPECT_EQ(ServiceState(), 1u);  // the driver build does not start it again
  EXPECT_EQ(Now() - start, 1000u);
  EXPECT_FALSE(VTR_IsZeroConfigON());
  ASSERT_TRUE(VTR_EnableZeroConfigService(1));
  EXPECT_FALSE(VTR_IsZeroConfigON());

  start = Now();
  EXPECT_TRUE(VTR_EnableZeroConfig(1));
  EXPECT_EQ(Flags(), 0xA000u);
  EXPECT_EQ(ServiceState(), 4u);
  // Stopping, the supplicant port's 100 ms pause before it is detached, starting.
  EXPECT_EQ(Now() - start, 1000u + 100u + 1600u);
  EXPECT_TRUE(VTR_IsZeroConfigON());

  // Already handed over: written back unchanged, and the service started again all the same.
  EXPECT_TRUE(VTR_EnableZeroConfig(1));
  EXPECT_EQ(Flags(), 0xA000u);
  EXPECT_EQ(ServiceState(), 4u);

  // The XP build's control mode does nothing at all.
  const size_t callsBefore = Machine().serviceControl().Calls().size();
  EXPECT_TRUE(VTR_SetZeroConfigControlMode(1));
  EXPECT_EQ(Machine().serviceControl().Calls().size(), callsBefore);
  EXPECT_EQ(Flags(), 0xA000u);
}

TEST_F(ZeroConfigTest, MissingFlagsAndUnreachableService) {
  ASSERT_TRUE(VTR_DeleteRegistryValue(kFlagsKey, "ControlFlags", VTR_HKEY_LOCAL_MACHINE, 0));
  // A running service with no setting for the adapter manages it.
  EXPECT_TRUE(VTR_IsZeroConfigON());
  // Nothing to change when the setting cannot be read, but the service is still restarted.
  EXPECT_FALSE(VTR_EnableZeroConfig(1));
  EXPECT_EQ(ServiceState(), 4u);
  uint32_t flags = 0;
  EXPECT_FALSE(
      VTR_GetRegistryDWORD(kFlagsKey, "ControlFlags", &flags, 7, VTR_HKEY_LOCAL_MACHINE, 0));

  SetFlags(0xA000);
  for (auto fault : {sim::ServiceFault::kRefuse, sim::ServiceFault::kMissing}) {
    SetFault(fault);
    EXPECT_FALSE(VTR_IsZeroConfigServiceON());
    EXPECT_FALSE(VTR_IsZeroConfigON());
    EXPECT_FALSE(VTR_EnableZeroConfigService(0));
    EXPECT_FALSE(VTR_EnableZeroConfig(0));
    EXPECT_EQ(Flags(), 0xA000u);
  }
  EXPECT_EQ(Machine().serviceControl().OpenHandles(), 0u);
}

TEST_F(ZeroConfigTest, StartUpLeavesTheAdapterToTheUtility) {
  // What the utility does at start on XP, beginning with the service stopped.
  ASSERT_TRUE(VTR_EnableZeroConfigService(0));
  if (!VTR_IsZeroConfigServiceON()) VTR_EnableZeroConfigService(1);
  EXPECT_TRUE(VTR_IsZeroConfigServiceON());
  ASSERT_TRUE(VTR_IsZeroConfigON());
  EXPECT_TRUE(VTR_EnableZeroConfig(0));
  EXPECT_TRUE(VTR_SetZeroConfigControlMode(0));
  EXPECT_EQ(Flags() & 0x8000u, 0u);
  EXPECT_FALSE(VTR_IsZeroConfigON());
}

}  // namespace
