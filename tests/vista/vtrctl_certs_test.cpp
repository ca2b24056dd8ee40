// vtrctl's certificate stores and EAP-TLS profiles on a Vista machine: the stores the vista
// preset brings, and the certificate name a profile keeps for the Vista build's chain walk.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/machine_fixture.h"
#include "support/program_runner.h"
#include "support/vtrctl_fixture.h"

namespace {

namespace fs = std::filesystem;

class VtrctlVistaCertificates : public testing_support::VtrctlMachineTest {
 protected:
  VtrctlVistaCertificates()
      : VtrctlMachineTest("vista", fs::path(RADIODESK_VISTA_PROGRAM_DIR) / "vtrctl") {}
};

TEST_F(VtrctlVistaCertificates, CertsListsEachStoreOfTheNewMachine) {
  const auto personal = Run({"certs"});
  ASSERT_EQ(personal.exitCode, 0) << personal.err;
  EXPECT_NE(personal.out.find("bob"), std::string::npos) << personal.out;
  EXPECT_NE(personal.out.find("Halvorn Issuing CA"), std::string::npos) << personal.out;
  EXPECT_NE(personal.out.find("9810B05B849BC8FEAA15D56810FC24375A4BE2EF"), std::string::npos)
      << personal.out;

  const auto roots = RunJson({"certs", "root"});
  EXPECT_EQ(roots["store"], "Root");
  ASSERT_EQ(roots["certificates"].size(), 2u) << roots.dump();
  EXPECT_EQ(roots["certificates"][1]["subject"], "Halvorn Root CA");
  EXPECT_EQ(roots["certificates"][1]["issuer"], "Halvorn Root CA");
  EXPECT_EQ(roots["certificates"][1]["thumbprint"], "223DFBE0B33F324F8E5EF02D6A4112D86518AD3A");
  EXPECT_EQ(RunJson({"certs", "CA"})["certificates"][0]["subject"], "Elsewhere Server CA");

  const auto wrong = Run({"certs", "Trust"});
  EXPECT_EQ(wrong.exitCode, 2);
  EXPECT_NE(wrong.err.find("no store 'Trust'"), std::string::npos) << wrong.err;
}

TEST_F(VtrctlVistaCertificates, CertPutsTheIssuerAndThumbprintInTheProfile) {
  const auto added = Run({"profile", "add", "--name", "Badge", "--ssid", "Office-Corp", "--auth",
                          "wpa2", "--encryption", "aes", "--eap", "tls", "--identity", "bob",
                          "--cert", "9810b05b849bc8feaa15d56810fc24375a4be2ef"});
  ASSERT_EQ(added.exitCode, 0) << added.err;
  const auto profile = RunJson({"profile", "show", "Badge"});
  // The name the chain walk starts from is the issuer of bob's certificate.
  EXPECT_EQ(profile["certificateName"], "Halvorn Issuing CA") << profile.dump();
  EXPECT_EQ(profile["certificateHash"], "9810B05B849BC8FEAA15D56810FC24375A4BE2EF");
}

TEST_F(VtrctlVistaCertificates, EapTlsJoinsOnlyWhileTheChainEndsAtATrustedRoot) {
  const std::vector<std::string> connect = {
      "connect", "--ssid", "Office-Corp", "--auth", "wpa2",   "--encryption", "aes",
      "--eap",   "tls",    "--identity",  "bob",    "--cert", "bob"};
  const auto joined = Run(connect);
  ASSERT_EQ(joined.exitCode, 0) << joined.err;
  EXPECT_NE(joined.out.find("192.168.1.100"), std::string::npos) << joined.out;

  // Without Halvorn's root the profile carries no root to trust, and the logon is refused.
  const fs::path roots = root_ / "machine" / "certificates" / "Root.pem";
  std::string text;
  {
    std::ifstream in(roots);
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  std::ofstream(roots, std::ios::trunc) << text.substr(0, text.find("# Halvorn Root CA"));
  EXPECT_EQ(RunJson({"certs", "Root"})["certificates"].size(), 1u);
  const auto refused = Run(connect);
  EXPECT_EQ(refused.exitCode, 1) << refused.out;
}

}  // namespace
