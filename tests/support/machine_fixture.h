// A fresh simulated machine per test, in virtual time.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>

namespace testing_support {

// A new empty directory under the test's temporary folder.
std::filesystem::path MakeTempDirectory();

// The built-in "xp" description, for tests to edit.
nlohmann::json XpDescription();

class MachineTest : public ::testing::Test {
 protected:
  // Creates a machine from the description and makes it the machine of this process.
  std::filesystem::path UseMachine(const nlohmann::json& description);
  std::filesystem::path UseXpMachine() { return UseMachine(XpDescription()); }
  // The xp machine with its adapter single-band (2.4 GHz only, no 802.11a).
  std::filesystem::path UseSingleBandXpMachine();
  // The wireless adapter of the xp description, to edit.
  static nlohmann::json& WirelessAdapter(nlohmann::json& description);
};

}  // namespace testing_support
