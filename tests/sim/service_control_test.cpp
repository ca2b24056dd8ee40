// The machine's service controller and kernel32's IsWow64Process: services that start and stop
// over machine time, their state shared through the machine, rights, names and faults.
#include <gtest/gtest.h>

#include "platform/services.h"
#include "platform/win_errors.h"
#include "sim/sim_machine.h"
#include "support/machine_fixture.h"

namespace {

using platform::kServiceRunning;
using platform::kServiceStartPending;
using platform::kServiceStopped;
using platform::kServiceStopPending;
using testing_support::MachineTest;

constexpr uint32_t kAllRights =
    platform::kServiceQueryStatus | platform::kServiceStart | platform::kServiceStop;

class ServiceControlTest : public MachineTest {
 protected:
  void SetUp() override { directory_ = UseXpMachine(); }

  sim::SimMachine& Machine() { return static_cast<sim::SimMachine&>(platform::Current()); }
  platform::ServiceControlPort& Scm() { return platform::Current().ServiceControl(); }
  platform::ClockPort& Clock() { return platform::Current().Clock(); }

  platform::ScHandle Open(uint32_t rights, const char* name = "WZCSVC") {
    manager_ = Scm().OpenScManager(platform::kScManagerConnect);
    return Scm().OpenService(manager_, name, rights);
  }

  uint32_t State(platform::ScHandle service) {
    platform::ServiceStatus status;
    EXPECT_TRUE(Scm().QueryServiceStatus(service, &status));
    return status.currentState;
  }

  std::filesystem::path directory_;
  platform::ScHandle manager_ = 0;
};

TEST_F(ServiceControlTest, StopAndStartTakeTheirTimeOnTheMachineClock) {
  const platform::ScHandle service = Open(kAllRights);
  ASSERT_NE(service, 0u);
  EXPECT_EQ(State(service), kServiceRunning);

  platform::ServiceStatus status;
  ASSERT_TRUE(Scm().ControlService(service, platform::kServiceControlStop, &status));
  EXPECT_EQ(status.currentState, kServiceStopPending);
  EXPECT_EQ(status.waitHint, 1000u);
  Clock().SleepMs(999);
  EXPECT_EQ(State(service), kServiceStopPending);
  // A second stop while the first is under way is refused, not queued.
  EXPECT_FALSE(Scm().ControlService(service, platform::kServiceControlStop, &status));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorServiceCannotAcceptControl);
  Clock().SleepMs(1);
  EXPECT_EQ(State(service), kServiceStopped);
  EXPECT_FALSE(Scm().ControlService(service, platform::kServiceControlStop, &status));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorServiceNotActive);

  ASSERT_TRUE(Scm().StartService(service));
  EXPECT_EQ(State(service), kServiceStartPending);
  EXPECT_FALSE(Scm().StartService(service));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorServiceAlreadyRunning);
  Clock().SleepMs(1500);
  EXPECT_EQ(State(service), kServiceRunning);

  EXPECT_TRUE(Scm().CloseServiceHandle(service));
  EXPECT_TRUE(Scm().CloseServiceHandle(manager_));
  EXPECT_EQ(Machine().serviceControl().OpenHandles(), 0u);
  EXPECT_FALSE(Scm().CloseServiceHandle(service));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorInvalidHandle);
}

TEST_F(ServiceControlTest, AnotherProcessSeesTheTransitionUnderWay) {
  const platform::ScHandle service = Open(kAllRights);
  platform::ServiceStatus status;
  ASSERT_TRUE(Scm().ControlService(service, platform::kServiceControlStop, &status));

  // A second process on the machine has a service controller of its own over the same state.
  sim::ServiceStateStore otherStore(directory_);
  sim::SimServiceControl other(otherStore, Clock());
  const platform::ScHandle otherManager = other.OpenScManager(platform::kScManagerConnect);
  const platform::ScHandle otherService = other.OpenService(otherManager, "WZCSVC", kAllRights);
  ASSERT_NE(otherService, 0u);
  ASSERT_TRUE(other.QueryServiceStatus(otherService, &status));
  EXPECT_EQ(status.currentState, kServiceStopPending);
  Clock().SleepMs(1000);
  ASSERT_TRUE(other.QueryServiceStatus(otherService, &status));
  EXPECT_EQ(status.currentState, kServiceStopped);
}

TEST_F(ServiceControlTest, NamesAndRightsAreChecked) {
  manager_ = Scm().OpenScManager(platform::kScManagerConnect);
  EXPECT_EQ(Scm().OpenService(manager_, "NoSuchService", kAllRights), 0u);
  EXPECT_EQ(platform::GetLastError(), platform::kErrorServiceDoesNotExist);
  EXPECT_EQ(Scm().OpenService(0xBAD, "WZCSVC", kAllRights), 0u);
  EXPECT_EQ(platform::GetLastError(), platform::kErrorInvalidHandle);

  const platform::ScHandle queryOnly = Scm().OpenService(manager_, "wzcsvc", 0x4);
  ASSERT_NE(queryOnly, 0u);
  EXPECT_EQ(State(queryOnly), kServiceRunning);
  platform::ServiceStatus status;
  EXPECT_FALSE(Scm().ControlService(queryOnly, platform::kServiceControlStop, &status));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);
  EXPECT_FALSE(Scm().StartService(queryOnly));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);

  const platform::ScHandle stopOnly = Scm().OpenService(manager_, "WZCSVC", 0x20);
  EXPECT_FALSE(Scm().QueryServiceStatus(stopOnly, &status));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);

  const auto calls = Machine().serviceControl().Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "OpenSCManager 0x1");
  EXPECT_EQ(calls[1], "OpenService NoSuchService 0x34 -> error 1060");
}

TEST_F(ServiceControlTest, FaultsHangRefuseOrRemoveTheService) {
  auto& control = Machine().serviceControl();
  ASSERT_EQ(
      control.Change("WZCSVC", [](sim::ServiceRecord& r) { r.fault = sim::ServiceFault::kHang; }),
      0);
  const platform::ScHandle service = Open(kAllRights);
  platform::ServiceStatus status;
  ASSERT_TRUE(Scm().ControlService(service, platform::kServiceControlStop, &status));
  Clock().SleepMs(600000);
  EXPECT_EQ(State(service), kServiceStopPending);

  ASSERT_EQ(
      control.Change("WZCSVC", [](sim::ServiceRecord& r) { r.fault = sim::ServiceFault::kRefuse; }),
      0);
  EXPECT_EQ(Scm().OpenService(manager_, "WZCSVC", 0x4), 0u);
  EXPECT_EQ(platform::GetLastError(), platform::kErrorAccessDenied);
  ASSERT_EQ(control.Change("WZCSVC",
                           [](sim::ServiceRecord& r) { r.fault = sim::ServiceFault::kMissing; }),
            0);
  EXPECT_EQ(Scm().OpenService(manager_, "WZCSVC", 0x4), 0u);
  EXPECT_EQ(platform::GetLastError(), platform::kErrorServiceDoesNotExist);

  // A machine put back as new has the service running and well.
  ASSERT_EQ(Machine().serviceState().Reset(), 0);
  const platform::ScHandle again = Scm().OpenService(manager_, "WZCSVC", 0x4);
  ASSERT_NE(again, 0u);
  EXPECT_EQ(State(again), kServiceRunning);
}

TEST_F(ServiceControlTest, IsWow64ProcessFollowsTheMachine) {
  auto& process = platform::Current().Process();
  bool wow64 = true;
  EXPECT_TRUE(process.HasIsWow64Process());
  ASSERT_TRUE(process.IsWow64Process(&wow64));
  EXPECT_FALSE(wow64);

  ASSERT_EQ(Machine().serviceState().SetWow64(sim::Wow64Answer::kWow64), 0);
  ASSERT_TRUE(process.IsWow64Process(&wow64));
  EXPECT_TRUE(wow64);

  ASSERT_EQ(Machine().serviceState().SetWow64(sim::Wow64Answer::kAbsent), 0);
  EXPECT_FALSE(process.HasIsWow64Process());
  EXPECT_FALSE(process.IsWow64Process(&wow64));
}

}  // namespace
