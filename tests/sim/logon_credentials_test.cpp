// The machine's logon credentials in machine.json: read as given, and faults that name the field.
#include <gtest/gtest.h>

#include "sim/machine.h"
#include "sim/machine_description.h"

namespace {

nlohmann::json Vista() {
  return nlohmann::json::parse(sim::PresetDescription("vista"));
}

TEST(LogonCredentialsTest, ReadsTheVistaLogonAndRefusesIncompleteOnes) {
  const auto vista =
      std::get<sim::MachineDescription>(sim::ParseMachineDescription(Vista().dump()));
  ASSERT_TRUE(vista.logonCredentials);
  EXPECT_EQ(vista.logonCredentials->identity, "alice");
  EXPECT_EQ(vista.logonCredentials->domain, "HALVORN");
  EXPECT_EQ(vista.logonCredentials->password, "Winter2008!");

  auto local = Vista();
  local["logonCredentials"].erase("domain");
  const auto parsed = std::get<sim::MachineDescription>(sim::ParseMachineDescription(local.dump()));
  EXPECT_EQ(parsed.logonCredentials->domain, "");

  auto noPassword = Vista();
  noPassword["logonCredentials"].erase("password");
  auto fault = sim::ParseMachineDescription(noPassword.dump());
  ASSERT_TRUE(std::holds_alternative<std::string>(fault));
  EXPECT_NE(std::get<std::string>(fault).find("logonCredentials"), std::string::npos);
  auto noName = Vista();
  noName["logonCredentials"]["identity"] = "";
  fault = sim::ParseMachineDescription(noName.dump());
  ASSERT_TRUE(std::holds_alternative<std::string>(fault));
  EXPECT_NE(std::get<std::string>(fault).find("logonCredentials.identity"), std::string::npos);
  auto notObject = Vista();
  notObject["logonCredentials"] = "alice";
  EXPECT_TRUE(std::holds_alternative<std::string>(sim::ParseMachineDescription(notObject.dump())));
}

}  // namespace
