// A test that runs the built vtrctl on a fresh machine of its own (xp unless the test names
// another preset and program folder), with its own profile store and state folder, in virtual
// time.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "sim/link_holder.h"
#include "sim/machine.h"
#include "tests/support/machine_fixture.h"
#include "tests/support/program_runner.h"

namespace testing_support {

class VtrctlMachineTest : public testing::Test {
 protected:
  explicit VtrctlMachineTest(std::string preset = "xp",
                             std::filesystem::path program = VtrctlProgram())
      : preset_(std::move(preset)), program_(std::move(program)) {}

  void SetUp() override {
    root_ = MakeTempDirectory();
    ASSERT_FALSE(sim::InitMachineDirectory(root_ / "machine", preset_).has_value());
    std::filesystem::create_directories(root_ / "store");
  }
  void TearDown() override {
    // A connect leaves a link holder behind; it goes with the machine.
    EXPECT_TRUE(sim::EndLinkHolderIn(root_ / "machine"));
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  RunResult Run(std::vector<std::string> args) const {
    return RunProgram(program_, args,
                      {"RADIODESK_MACHINE=" + (root_ / "machine").string(),
                       "RADIODESK_PROFILE_DIR=" + (root_ / "store").string(),
                       "RADIODESK_VIRTUAL_TIME=1", "XDG_STATE_HOME=" + (root_ / "state").string()},
                      root_);
  }

  // The command with --json; it must succeed, and its output is one JSON document.
  nlohmann::json RunJson(std::vector<std::string> args) const {
    args.insert(args.begin(), "--json");
    const RunResult result = Run(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return nlohmann::json::parse(result.out, nullptr, false);
  }

  std::filesystem::path root_;

 private:
  const std::string preset_;
  const std::filesystem::path program_;
};

}  // namespace testing_support
