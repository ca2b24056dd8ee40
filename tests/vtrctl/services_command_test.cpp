// vtrctl zeroconf, ipconfig and sim service/wmi as users run them: the built program in its own
// process, one machine shared by every run, in virtual time.
#include <fcntl.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/machine.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/program_runner.h"

namespace {

namespace fs = std::filesystem;

using Result = testing_support::RunResult;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class ServicesCommandTest : public testing::Test {
 protected:
  void SetUp() override {
    root_ = testing_support::MakeTempDirectory();
    ASSERT_FALSE(sim::InitMachineDirectory(root_ / "machine", "xp").has_value());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  Result Run(std::vector<std::string> args) const {
    return testing_support::RunProgram(
        testing_support::VtrctlProgram(), args,
        {"RADIODESK_MACHINE=" + (root_ / "machine").string(), "RADIODESK_VIRTUAL_TIME=1"}, root_);
  }

  fs::path root_;
};

TEST_F(ServicesCommandTest, HandOverAndTakeBackAcrossProcesses) {
  EXPECT_EQ(Run({"zeroconf", "status"}).out,
            "service WZCSVC      running\nadapter managed by  Windows\n");
  const Result off = Run({"wzc", "off"});
  ASSERT_EQ(off.exitCode, 0) << off.err;
  EXPECT_EQ(off.out,
            "adapter taken back from Windows\nservice WZCSVC      stopped\n"
            "adapter managed by  the utility\n");
  EXPECT_EQ(Run({"zeroconf", "service", "stop"}).out, "WZCSVC was already stopped\n");
  EXPECT_EQ(Run({"zeroconf", "service", "start"}).out, "WZCSVC started\n");
  const Result on = Run({"--json", "zeroconf", "on"});
  ASSERT_EQ(on.exitCode, 0) << on.err;
  EXPECT_NE(on.out.find("\"managedByWindows\": true"), std::string::npos) << on.out;
  EXPECT_NE(on.out.find("\"serviceRunning\": true"), std::string::npos) << on.out;
}

TEST_F(ServicesCommandTest, HungOrRefusingServiceIsReported) {
  ASSERT_EQ(Run({"sim", "service", "--fault", "hang"}).exitCode, 0);
  Result stop = Run({"zeroconf", "service", "stop"});
  EXPECT_EQ(stop.exitCode, 1);
  EXPECT_EQ(stop.err, "vtrctl: WZCSVC did not stop within 30 seconds\n");
  EXPECT_NE(Run({"sim", "service"}).out.find("stop pending"), std::string::npos);

  ASSERT_EQ(Run({"sim", "service", "--fault", "refuse", "--state", "running"}).exitCode, 0);
  EXPECT_EQ(Run({"zeroconf", "on"}).err,
            "vtrctl: the adapter's ControlFlags could not be read or written, or the WZCSVC "
            "service could not be opened\n");
  EXPECT_EQ(Run({"sim", "service", "--fault", "bogus"}).exitCode, 2);
}

TEST_F(ServicesCommandTest, IpConfigRunsTheMethodsAndReportsWhatTheyAnswered) {
  const Result fixed = Run({"ipconfig", "static", "192.168.1.50", "255.255.255.0", "192.168.1.1"});
  ASSERT_EQ(fixed.exitCode, 0) << fixed.err;
  EXPECT_EQ(fixed.out,
            "Connected to WMI\nEnableStatic succeeded\nConnected to WMI\nEnableStatic succeeded\n");
  const std::string hive = Slurp(root_ / "machine" / "registry.reg");
  EXPECT_NE(hive.find("\"DefaultGateway\"=hex(7):31,39,32,2e,31,36,38,2e,31,2e,31,00,00"),
            std::string::npos);

  EXPECT_EQ(Run({"ipconfig", "dns", "8.8.8.8", "1.1.1.1"}).exitCode, 0);
  EXPECT_NE(Slurp(root_ / "machine" / "registry.reg").find("\"NameServer\"=\"8.8.8.8,1.1.1.1\""),
            std::string::npos);

  // static takes its DNS servers too, after the address; a third is a usage error.
  const Result withDns = Run({"ipconfig", "static", "192.168.1.51", "255.255.255.0", "--dns",
                              "9.9.9.9", "--dns", "1.0.0.1"});
  ASSERT_EQ(withDns.exitCode, 0) << withDns.err;
  EXPECT_EQ(withDns.out,
            "Connected to WMI\nEnableStatic succeeded\nConnected to WMI\nEnableStatic succeeded\n");
  const std::string servers = Slurp(root_ / "machine" / "registry.reg");
  EXPECT_NE(servers.find("\"NameServer\"=\"9.9.9.9,1.0.0.1\""), std::string::npos);
  EXPECT_NE(servers.find("\"IPAddress\"=hex(7):31,39,32,2e,31,36,38,2e,31,2e,35,31,00,00"),
            std::string::npos);
  EXPECT_EQ(Run({"ipconfig", "static", "1.2.3.4", "255.0.0.0", "--dns", "1.1.1.1", "--dns",
                 "2.2.2.2", "--dns", "3.3.3.3"})
                .exitCode,
            2);

  // A mask that is not one is refused before WMI is asked; a method that could not run fails
  // vtrctl, and --json still says so on standard output.
  const Result refused = Run({"ipconfig", "static", "1.2.3.4", "255.0.255.0"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(refused.out, "");
  ASSERT_EQ(Run({"sim", "wmi", "--exec-fails", "0x80041003"}).exitCode, 0);
  const Result failed = Run({"--json", "ipconfig", "dhcp"});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.out.find("\"ran\": false"), std::string::npos) << failed.out;
  EXPECT_NE(failed.err.find("ExecMethod failed 0x80041003\n"), std::string::npos);
  EXPECT_NE(failed.err.find("vtrctl: EnableDHCP did not run"), std::string::npos);
}

}  // namespace
