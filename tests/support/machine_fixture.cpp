#include "support/machine_fixture.h"

#include <stdlib.h>

#include "sim/machine.h"

namespace testing_support {

std::filesystem::path MakeTempDirectory() {
  std::string pattern = ::testing::TempDir() + "radiodesk-XXXXXX";
  const char* made = ::mkdtemp(pattern.data());
  if (made == nullptr) ADD_FAILURE() << "mkdtemp failed for " << pattern;
  return made != nullptr ? std::filesystem::path(made) : std::filesystem::path();
}

nlohmann::json XpDescription() {
  return nlohmann::json::parse(sim::PresetDescription("xp"));
}

std::filesystem::path MachineTest::UseMachine(const nlohmann::json& description) {
  ::setenv("RADIODESK_VIRTUAL_TIME", "1", 1);
  const auto dir = MakeTempDirectory() / "machine";
  const auto created = sim::InitMachineFromDescription(dir, description.dump(2));
  EXPECT_FALSE(created.has_value()) << created.value_or("");
  const auto used = sim::UseMachine(dir);
  EXPECT_FALSE(used.has_value()) << used.value_or("");
  return dir;
}

std::filesystem::path MachineTest::UseSingleBandXpMachine() {
  auto description = XpDescription();
  WirelessAdapter(description)["radio"]["dualBand"] = false;
  return UseMachine(description);
}

nlohmann::json& MachineTest::WirelessAdapter(nlohmann::json& description) {
  return description["adapters"][1];
}

}  // namespace testing_support
