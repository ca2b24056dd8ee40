// vtrctl certs on the xp machine, whose personal certificates only its description names and
// whose store files are absent.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/vtrctl_fixture.h"

namespace {

class VtrctlCerts : public testing_support::VtrctlMachineTest {};

TEST_F(VtrctlCerts, PersonalStoreShowsTheDescriptionsCertificatesAndOtherStoresAreEmpty) {
  const auto personal = RunJson({"certs", "my"});
  EXPECT_EQ(personal["store"], "MY");
  ASSERT_EQ(personal["certificates"].size(), 2u) << personal.dump();
  EXPECT_EQ(personal["certificates"][1]["subject"], "CN=mallory, O=Elsewhere");
  EXPECT_EQ(personal["certificates"][1]["issuer"], "");
  EXPECT_EQ(personal["certificates"][1]["thumbprint"], "A1B2C3D4E5F60718293A4B5C6D7E8F9001122334");

  const auto table = Run({"certs"});
  ASSERT_EQ(table.exitCode, 0) << table.err;
  EXPECT_NE(table.out.find("Issuer      -"), std::string::npos) << table.out;

  const auto roots = Run({"certs", "Root"});
  ASSERT_EQ(roots.exitCode, 0) << roots.err;
  EXPECT_EQ(roots.out, "no certificates in Root\n");
}

}  // namespace
