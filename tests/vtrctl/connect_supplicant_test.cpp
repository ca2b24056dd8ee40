// vtrctl joining WPA and 802.1X networks: the built program in its own process, on a machine of
// its own, in virtual time.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "sim/machine.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/program_runner.h"
#include "tests/support/vtrctl_fixture.h"

namespace {

using testing_support::RunResult;

class VtrctlSupplicant : public testing_support::VtrctlMachineTest {};

TEST_F(VtrctlSupplicant, PreSharedKeyProfilesJoinWithTheRightKeyOnly) {
  RunResult result = Run({"connect", "--ssid", "HomeNet", "--auth", "wpa2-psk", "--encryption",
                          "aes", "--psk", "correct horse battery"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("192.168.1.100"), std::string::npos) << result.out;

  result = Run({"connect", "--ssid", "HomeNet", "--auth", "wpa2-psk", "--encryption", "aes",
                "--psk", "wrong horse battery"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("126 s"), std::string::npos) << result.err;

  result = Run({"connect", "--ssid", "PinPad", "--auth", "wpa-psk", "--encryption", "tkip", "--psk",
                "enter the pin"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(VtrctlSupplicant, EnterpriseProfilesTakeAccountsAndTheStoresCertificate) {
  RunResult result = Run({"profile", "add", "--name", "Office", "--ssid", "Office-Corp", "--auth",
                          "wpa2", "--encryption", "aes", "--eap", "peap", "--identity", "alice",
                          "--password", "Winter2008!", "--domain", "HALVORN"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = Run({"connect", "Office"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("192.168.1.100"), std::string::npos) << result.out;

  // The certificate is picked from the personal store by a part of its subject.
  result = Run({"profile", "add", "--name", "Badge", "--ssid", "Office-Corp", "--auth", "wpa2",
                "--encryption", "aes", "--eap", "tls", "--identity", "bob", "--cert", "cn=bob"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = Run({"--json", "profile", "show", "Badge"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("CN=bob, OU=Engineering, O=Halvorn"), std::string::npos) << result.out;
  result = Run({"connect", "Badge"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("192.168.1.100"), std::string::npos) << result.out;

  result = Run({"profile", "add", "--name", "Nobody", "--ssid", "Office-Corp", "--auth", "wpa2",
                "--eap", "tls", "--identity", "bob", "--cert", "CN=carol"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("no certificate 'CN=carol' in the personal store"), std::string::npos)
      << result.err;
  result = Run({"profile", "add", "--name", "Both", "--ssid", "Office-Corp", "--auth", "wpa2",
                "--eap", "tls", "--identity", "bob", "--cert", "O="});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("more than one certificate"), std::string::npos) << result.err;
}

}  // namespace
